set(headcopy_port_sources start_arch.cpp ../guard_thread.cpp)
# Linux on SPARC 64 has 8 KB pages. The linker aligns a program's segments
# for 1 MB ones unless told, which pads the file to over a megabyte.
set(headcopy_port_link_options LINKER:-z,max-page-size=0x2000)

set(headcopy_port_sources start_arch.cpp ../guard_word.cpp)
# Debian's MIPS compilers, unlike the others, leave a program's relocations
# writable once it has started unless asked: on the C library, it asks.
set(headcopy_port_libc_link_options LINKER:-z,relro)
# Its linker also fails an assertion over a global symbol that --defsym
# sets, which is why process.cpp's headcopy_text_start is hidden.

set(headcopy_port_sources start_arch.cpp ../guard_thread.cpp)

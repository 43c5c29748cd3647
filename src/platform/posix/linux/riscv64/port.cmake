set(headcopy_port_sources start_arch.cpp ../guard_word.cpp)

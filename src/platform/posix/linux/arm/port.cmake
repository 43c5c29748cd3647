set(headcopy_port_sources start_arch.cpp division.cpp ../guard_word.cpp)
# One program for every 32-bit Arm core Linux runs on, ARMv5TE to ARMv8:
# ARM-mode instructions of ARMv5TE, and no floating-point register, so that
# it serves armel and armhf alike. A hard-float toolchain's headers ask for
# its float ABI, which needs a floating-point unit named; no instruction of
# it is used. libgcc is left out: an armhf one is Thumb-2 code of ARMv7, and
# the port has its own division helpers.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dM -E -x c++ /dev/null OUTPUT_VARIABLE headcopy_arm_macros)
if(headcopy_arm_macros MATCHES "__ARM_PCS_VFP")
  set(headcopy_port_options -marm -march=armv5te+fp -mgeneral-regs-only)
else()
  set(headcopy_port_options -marm -march=armv5te -mgeneral-regs-only)
endif()
set(headcopy_port_libraries "")

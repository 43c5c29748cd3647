// The stack guard of the ports whose compiler reads it through the thread
// pointer, from the sixth word of the block it points to: a control block
// that begins with its own address, as a thread's does. The ports that do
// list this file among their sources (port.cmake), and set the pointer.
#include "platform/posix/linux/stack_guard.h"

namespace {

alignas(64) std::uintptr_t control_block[8];

}  // namespace

void arch::set_stack_guard(std::uintptr_t guard)
{
    control_block[0] = reinterpret_cast<std::uintptr_t>(control_block);
    control_block[5] = guard;
    set_thread_pointer(control_block);
}

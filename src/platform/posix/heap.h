// The process heap's own check, for a build with heap checks.
#pragma once

#if defined(HEADCOPY_HEAP_CHECK) && HEADCOPY_HEAP_CHECK
// Ends the run with exit code 134 if a write has gone past an arena block.
void check_heap();
#else
inline void check_heap() {}
#endif

#include "command/headcopy.h"
#include "services/process/start_up.h"

// The command takes its parameters from the services' command line, never
// from argv, so that it splits them by the same rules on every system.
int main(int, char**)
{
    start_up();
    headcopy();
}

#include "command/headcopy.h"
#include "services/process/start_up.h"

// The command reads its parameters from the services, as Win32 programs do.
int main(int, char**)
{
    start_up();
    headcopy();
}

#include "command/headcopy.h"
#include "services/process/start_up.h"

int main()
{
    start_up();
    headcopy();
}

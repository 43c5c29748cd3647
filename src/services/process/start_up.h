#pragma once

// Sets the process state the command and halt rely on; runs once, first.
void start_up();

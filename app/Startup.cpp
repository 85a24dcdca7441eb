#include "app/Startup.h"

int RunProgram(int, char**) { return kExitNoWindow; }

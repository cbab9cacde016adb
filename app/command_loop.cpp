#include "app/command_loop.h"

#include <iostream>

int RunCommandLoop() {
    std::cout << "Welcome to Tarvo 3.00.  Press '?' or 'help' for help." << std::endl;
    return 0;
}

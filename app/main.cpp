#include "app/command_loop.h"

int main() { return RunCommandLoop(); }

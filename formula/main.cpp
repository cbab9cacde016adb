#include <iostream>

#include "formula/tool.h"

int main(int argc, char** argv) { return RunFormulaTool({argv + 1, argv + argc}, std::cout, std::cerr); }

#pragma once

// Reads command words from standard input until "q", "quit" or the end of input; returns the exit status.
int RunCommandLoop();

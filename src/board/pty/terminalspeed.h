#pragma once

// The speed in bit/s that the terminal's settings hold (as a program set it with
// tcsetattr or, for speeds such as 14400 that have no constant, the Linux
// termios2 call); 0 when it cannot be read.
int terminalBaudRate(int descriptor);

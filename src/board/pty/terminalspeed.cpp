#include "board/pty/terminalspeed.h"

// Kept apart from <termios.h>: on Linux the kernel's termios2 header defines the
// same names.
#if defined(__linux__)
#include <asm/termbits.h>
#include <sys/ioctl.h>

int terminalBaudRate(int descriptor) {
    struct termios2 settings {};
    if (::ioctl(descriptor, TCGETS2, &settings) != 0)
        return 0;
    return int(settings.c_ospeed);
}

#else
#include <termios.h>

int terminalBaudRate(int descriptor) {
    termios settings{};
    if (::tcgetattr(descriptor, &settings) != 0)
        return 0;
    // On the BSDs and macOS the speed constants are the speeds themselves.
    return int(::cfgetospeed(&settings));
}

#endif

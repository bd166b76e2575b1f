// The terminal on POSIX: isatty and the window size.
#include <sys/ioctl.h>
#include <unistd.h>

#include "KyTerminal.h"

namespace KyTerminal {

bool IsTerminal(EStream eStream) {
    return isatty(static_cast<int>(eStream)) == 1;
}

int GetColumns() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 0;
}

bool EnableAnsiOutput() {
    return true;
}

}  // namespace KyTerminal

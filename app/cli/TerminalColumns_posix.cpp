// The width of the terminal that standard error shows on.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

#include "cli/Terminal.h"

namespace terminal {

size_t Columns()
{
    struct winsize size = {};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    // A terminal that does not tell its size (a log of one, say) may be named by COLUMNS.
    const char* named = std::getenv("COLUMNS");
    const long columns = named != nullptr ? std::strtol(named, nullptr, 10) : 0;
    return columns > 0 && columns < 10000 ? static_cast<size_t>(columns) : 80;
}

}  // namespace terminal

// The arguments on POSIX: the bytes of argv.
#include "KyCommandLine.h"

namespace KyCommandLine {

std::vector<std::string> GetArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

}  // namespace KyCommandLine

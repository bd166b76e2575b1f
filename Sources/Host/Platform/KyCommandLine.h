// The program's arguments as UTF-8, whatever the system's code page.
#pragma once

#include <string>
#include <vector>

#include "KyHostApi.h"

namespace KyCommandLine {

// The arguments after the program name. POSIX: argv as it is (bytes; KyUtf8ToWide keeps bytes
// that are not UTF-8). Windows: the UTF-16 command line converted, so that a name outside the
// ANSI code page arrives whole; argc and argv are not used there.
KYHOST_API std::vector<std::string> GetArguments(int argc, char** argv);

}  // namespace KyCommandLine

// The arguments on Windows: the UTF-16 command line, split by the shell's rules.
#include <windows.h>

#include <shellapi.h>

#include "KyCommandLine.h"
#include "KyStringConvert.h"

namespace KyCommandLine {

std::vector<std::string> GetArguments(int argc, char** argv) {
    int nCount = 0;
    LPWSTR* ppArgs = CommandLineToArgvW(GetCommandLineW(), &nCount);
    if (!ppArgs)  // out of memory: the code page's arguments are better than none
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                        : std::vector<std::string>();
    std::vector<std::string> vecArgs;
    for (int i = 1; i < nCount; ++i)
        vecArgs.push_back(KyWideToUtf8(ppArgs[i]));
    LocalFree(ppArgs);
    return vecArgs;
}

}  // namespace KyCommandLine

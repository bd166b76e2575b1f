// The terminal on Windows: the console's handles, its buffer width and virtual terminal mode.
#include <windows.h>

#include "KyTerminal.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace KyTerminal {

namespace {
HANDLE handleOf(EStream eStream) {
    switch (eStream) {
        case eStandardInput:
            return GetStdHandle(STD_INPUT_HANDLE);
        case eStandardOutput:
            return GetStdHandle(STD_OUTPUT_HANDLE);
        case eStandardError:
            break;
    }
    return GetStdHandle(STD_ERROR_HANDLE);
}
}  // namespace

bool IsTerminal(EStream eStream) {
    const HANDLE hHandle = handleOf(eStream);
    DWORD nMode = 0;
    return hHandle != INVALID_HANDLE_VALUE && hHandle != nullptr &&
           GetFileType(hHandle) == FILE_TYPE_CHAR && GetConsoleMode(hHandle, &nMode) != 0;
}

int GetColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(handleOf(eStandardOutput), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

bool EnableAnsiOutput() {
    const HANDLE hOutput = handleOf(eStandardOutput);
    DWORD nMode = 0;
    if (!GetConsoleMode(hOutput, &nMode))
        return true;  // a file or a pipe takes the bytes as they are
    SetConsoleOutputCP(CP_UTF8);
    return SetConsoleMode(hOutput, nMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace KyTerminal

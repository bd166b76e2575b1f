// What a command-line host needs to know about its terminal.
#pragma once

#include "KyHostApi.h"

namespace KyTerminal {

enum EStream { eStandardInput = 0, eStandardOutput = 1, eStandardError = 2 };

// True when the stream is a terminal (not a file or a pipe).
KYHOST_API bool IsTerminal(EStream eStream);
// Columns of the terminal on standard output; 0 when unknown.
KYHOST_API int GetColumns();
// Lets the terminal interpret ANSI escape sequences and UTF-8 output (Windows consoles need to
// be asked; elsewhere it is a no-op). True when they can be used.
KYHOST_API bool EnableAnsiOutput();

}  // namespace KyTerminal

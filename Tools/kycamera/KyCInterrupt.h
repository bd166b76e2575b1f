// Ctrl-C, SIGTERM or SIGHUP while a job runs: a flag the job looks at, instead of the process
// dying mid-file.
#pragma once

#include <string>

class KyCInterrupt {
public:
    // From now on a stop request only sets the flag. Call it on the thread that reads input.
    static void Install();
    // Back to the default (a stop request ends the process).
    static void Remove();
    static bool IsRequested();
    // 128 + the signal's number, as shells report a process a signal ended: 130 for Ctrl-C
    // (SIGINT), 143 for SIGTERM, 129 for SIGHUP. eExitOk while none came.
    static int ExitCode();
    // "interrupted by SIGTERM".
    static std::string Describe();
};

// Ctrl-C while a job runs: a flag the job looks at, instead of the process dying mid-file.
#pragma once

class KyCInterrupt {
public:
    // Installs the handler for SIGINT; from then on Ctrl-C only sets the flag.
    static void Install();
    // Back to the default (Ctrl-C ends the process).
    static void Remove();
    static bool IsRequested();
};

// The exit codes of kycamera, as documented in its help and the README.
#pragma once

enum EKyExitCode {
    eExitOk = 0,
    eExitFailed = 1,        // the component refused an operation the job needs
    eExitUsage = 2,         // a bad command line, or a shell line that was not understood
    eExitMediaDir = 3,      // the media directory cannot be created or written
    eExitCamera = 4,        // the camera is missing, busy, unsupported, silent or was unplugged
    eExitFiles = 5,         // a file could not be written or filed (disk full, ...)
    eExitSignalBase = 128,  // + the signal that stopped the job (the recording so far is filed)
    eExitInterrupted = 130  // Ctrl-C (SIGINT); SIGTERM gives 143, SIGHUP 129
};

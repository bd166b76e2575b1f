// The hidden --inject-fault option: platform faults for the command-line tests.
#pragma once

#include <string>

// "OPERATIONS:SUFFIX[:ERROR[:TIMES]]": OPERATIONS joined by '+' from delete, move, copy, open,
// write, mkdir; SUFFIX the end of the paths that fail; ERROR the Win32 code (default 112, disk
// full); TIMES how often (default 0: always). Tests only: it makes the host layer fail on purpose.
class KyCFaultOption {
public:
    // Installs the fault; false with a one-line reason for a malformed value.
    static bool Install(const std::string& strValue, std::string& strError);
};

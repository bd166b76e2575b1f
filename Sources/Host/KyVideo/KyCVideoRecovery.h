// Turns a recording that its process left behind ("~video.avi" without an index, after a crash,
// a kill or a power cut) into a complete, playable AVI named by the recording's start time.
#pragma once

#include <string>
#include <vector>

#include "KyHostApi.h"

// What one recovery did.
struct SRecoveredVideo {
    std::wstring strSource;  // the leftover file
    std::wstring strTarget;  // the complete file written from it; empty when none was written
    unsigned nFrames = 0;    // frames copied into strTarget
    bool bRecovered = false;
    // Why nothing was recovered; when bRecovered, empty unless the leftover could not be removed
    // after the new file was complete.
    std::string strReason;
};

// Re-muxes the readable frames of a leftover recording as they are (no re-encoding) into a new,
// indexed AVI in the same directory, named "YYYYMMDD-HHMMSS.avi" after the start time stored in
// the file (the file's last-write time when none is stored), the way the component names
// videos. Never overwrites a file: a taken name gets the next free second. The leftover is
// removed once the new file is complete; it is left alone when a writer of this process holds
// it open, when nothing in it can be read, or when the new file cannot be written. Frames are
// copied as they stand (no decoding); a frame cut off by the crash is left out. The new file is
// written as "~recover.tmp" first and then moved to its name, and keeps the leftover's
// last-write time. Call it before SetFilePath, which deletes "~video.avi".
class KYHOST_API KyCVideoRecovery {
public:
    // Recovers "~video.avi" in the directory, if there is one. Appends what it did to out (one
    // entry when there was a leftover, none otherwise); true when nothing is left to recover.
    static bool RecoverDirectory(const std::wstring& strDirectory,
                                 std::vector<SRecoveredVideo>& out);
    // Recovers one file into strDirectory.
    static SRecoveredVideo RecoverFile(const std::wstring& strFile,
                                       const std::wstring& strDirectory);
};

// How a recording in progress is doing: frames written and waiting, and the file's size.
#pragma once

#include <cstdint>
#include <string>

class KyICameraVideo;

struct KyCRecordStatus {
    int nFramesWritten = 0;
    unsigned nFramesQueued = 0;
    std::uint64_t nFileBytes = 0;  // of the temporary video file so far
};

// The counts come from the controller's record worker, which its class declares for derived
// hosts; the size from the temporary file on disk.
class KyCRecordProbe {
public:
    // False (status zeroed) when the component is not the device controller.
    static bool Read(KyICameraVideo& component, const std::wstring& strMediaDirectory,
                     KyCRecordStatus& status);
    // "  2.0 s  frames 36 written, 1 queued  file 1.2 MiB".
    static std::string Format(double fElapsedS, const KyCRecordStatus& status);
};

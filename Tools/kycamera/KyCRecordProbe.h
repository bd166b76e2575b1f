// How a recording in progress is doing, from the controller's recording statistics.
#pragma once

#include <string>

#include "KyCameraVideoViews.h"

class KyICameraVideo;

typedef SRecordingStatistics KyCRecordStatus;

// Reads the statistics the way an integrating host does: the controller through its extension
// name, then its read-only view.
class KyCRecordProbe {
public:
    // False (status zeroed) when the component is not the device controller.
    static bool Read(KyICameraVideo& component, KyCRecordStatus& status);
    // "54 written, 3 repeated, 0 dropped, 1 waiting".
    static std::string FormatCounts(const KyCRecordStatus& status);
    // "  2.0 s  frames 54 written, 3 repeated, 0 dropped, 1 waiting  file 1.2 MiB".
    static std::string Format(double fElapsedS, const KyCRecordStatus& status);
};

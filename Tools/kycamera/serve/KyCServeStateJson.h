// The component's state as the page reads it: one JSON object.
#pragma once

#include <cstdint>
#include <string>

#include "KyCameraVideoViews.h"

// {"mode","playType","cameraType","running","recording","dir",
//  "stats":{"recording","elapsedS","delivered","written","repeated","dropped","waiting","bytes"},
//  "files":[{"index","type","time","name","bytes","viewPos"}],
//  "current":{"all","video","picture"} (catalogue indices, -1 none),
//  "live":{"encoded","viewers"}}
class KyCServeStateJson {
public:
    struct SLive {
        std::uint64_t nEncoded = 0;
        unsigned nViewers = 0;
    };

    // File sizes are read from disk (0 for a file that is gone).
    static std::string Build(const SCameraVideoState& state, const SRecordingStatistics& stats,
                             const SLive& live);
    // A JSON string literal, quotes included.
    static std::string Quote(const std::string& strUtf8);
    static const char* ModeName(ERUXVideoMode eMode);
    static const char* TypeName(ERUXVideoMediaType eType);
};

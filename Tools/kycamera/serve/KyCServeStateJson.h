// The component's state as the page reads it: one JSON object.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "KyCameraVideoViews.h"

// {"mode","playType","cameraType","running","recording","dir",
//  "stats":{"recording","elapsedS","delivered","written","repeated","dropped","waiting","bytes"},
//  "files":[{"index","type","time","name","bytes","viewPos"}],
//  "current":{"all","video","picture"} (catalogue indices, -1 none),
//  "messages":[{"seq","text","from"}] (the latest posted messages, oldest first),
//  "live":{"encoded","viewers"}}
class KyCServeStateJson {
public:
    struct SLive {
        std::uint64_t nEncoded = 0;
        unsigned nViewers = 0;
    };
    // A message the component posted, numbered from 1 in the order taken.
    struct SMessage {
        std::uint64_t nSequence = 0;
        std::string strText;      // UTF-8
        std::string strFunction;  // where it was posted from
    };

    // File sizes are read from disk (0 for a file that is gone).
    static std::string Build(const SCameraVideoState& state, const SRecordingStatistics& stats,
                             const std::deque<SMessage>& messages, const SLive& live);
    // A JSON string literal, quotes included.
    static std::string Quote(const std::string& strUtf8);
    static const char* ModeName(ERUXVideoMode eMode);
    static const char* TypeName(ERUXVideoMediaType eType);
};

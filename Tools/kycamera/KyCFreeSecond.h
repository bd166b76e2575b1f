// Waiting for a second whose time-stamped media name is free, before a recording or picture.
#pragma once

#include <string>

// The component names a video or picture after the second it starts in and replaces a file of
// that name (a video) or refuses (a picture): a take in the same second as the last one, or in an
// hour that repeats when the clocks go back, would replace an earlier take.
class KyCFreeSecond {
public:
    // How long Wait waits at most for a free name.
    static constexpr unsigned kMaxWaitMs = 10000;
    // So little of the current second left that the name may change before the component takes
    // it: the next second's name must be free as well.
    static constexpr unsigned kMarginMs = 100;

    // Returns once makeMediaFilename of the current second (nMediaType: video 0 or picture 1)
    // names no file in the directory. False after kMaxWaitMs. strTaken is the first taken name
    // it waited for (empty when it did not wait).
    static bool Wait(const std::wstring& strDirectory, int nMediaType, std::wstring& strTaken);
};

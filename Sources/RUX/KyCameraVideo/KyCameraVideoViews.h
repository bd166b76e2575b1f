// Read-only views of the device controller for hosts, tools and tests: snapshots taken under the
// component's own locks, never references into its state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KyICameraVideo.h"

// How the recording in progress (or the last one, once stopped) is doing. All counts start at 0
// with StartRecording. Every copy is either queued or dropped, so written + waiting =
// delivered + repeated - dropped, except for frames that a stop clears from a stuck queue.
struct SRecordingStatistics {
    bool bRecording = false;
    std::uint64_t nFramesDelivered = 0;  // frames the camera released into the sink
    std::uint64_t nFramesWritten = 0;    // frames handed to the video writer
    std::uint64_t nFramesRepeated = 0;   // extra copies pacing asked for to keep real time
    std::uint64_t nFramesDropped = 0;    // copies not queued because the queue was full
    unsigned nFramesWaiting = 0;         // in the queue now
    std::uint64_t nBytesWritten = 0;     // into the video file so far
    double fElapsedS = 0.0;              // since the recording started (to its end, once stopped)
};

// One catalogue entry as a host sees it.
struct SCatalogueEntry {
    ERUXVideoMediaType eMediaType = eVideoMediaTypeNone;  // video or picture
    std::int64_t nTime = 0;                               // seconds since 1970-01-01 00:00 UTC
    std::wstring strFileName;                             // bare name
};

// The controller's state at one moment, taken whole.
struct SCameraVideoState {
    ERUXVideoMode eVideoMode = eVideoModeNone;
    ERUXVideoMediaType ePlayMediaType = eVideoMediaTypeNone;
    ERUXVideoMediaType eCameraMediaType = eVideoMediaTypeNone;
    bool bStarted = false;                      // what IsRunning answers
    bool bWorkerRunning = false;                // the record worker's thread runs
    bool bRecording = false;                    // a video is being recorded
    std::wstring strFilePath;                   // the media directory
    std::vector<SCatalogueEntry> arrCatalogue;  // in catalogue order
    int nCurrentIndex = -1;                     // all-media view
    int nCurrentVideoIndex = -1;
    int nCurrentPictureIndex = -1;
};

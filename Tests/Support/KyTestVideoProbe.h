// A second opinion on video files: FFmpeg's demuxer and TurboJPEG, on every platform.
#pragma once

#include <string>
#include <vector>

#include "KyCFieldBase.h"

// What FFmpeg makes of a video file's first video stream.
struct KyTestVideoProbe {
    std::string strError;  // empty when the file opened
    std::string strCodec;  // codec name, e.g. "mjpeg"
    std::string strDate;   // the file's creation date (AVI ICRD), empty without
    int nRateNum = 0;      // frames per second as a fraction
    int nRateDen = 0;
    int nWidth = 0;
    int nHeight = 0;
    long long nStreamFrames = 0;  // the container's own frame count
    int nIndexEntries = 0;        // frames the file's index (idx1 or OpenDML) names
    int nPackets = 0;             // packets read to the end of the file
    int nDecoded = 0;             // frames decoded (first and last only unless all were asked)
    // First decoded frame: mean Cr of its top tenth, Cb of its bottom tenth (128 is grey).
    int nTopCr = 0;
    int nBottomCb = 0;
};

// True: every test build has the probe (kept for callers that still ask).
bool KyTestHaveFfmpeg();

// Reads every packet (into pPackets when given: the stored JPEGs) and decodes the first and last
// (all with bDecodeAll); false and strError when the file cannot be read.
bool KyTestProbeVideo(const std::wstring& strPath, bool bDecodeAll, KyTestVideoProbe& probe,
                      std::vector<std::string>* pPackets = nullptr);

// A JPEG decoded to a top-down BGRA field; false (and an empty field) when it is none.
bool KyTestDecodeJpeg(const std::string& strJpeg, KyCFieldBase& decoded);

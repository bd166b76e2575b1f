// A second opinion on video files: FFmpeg's own demuxer and decoder (Linux test builds only).
#pragma once

#include <string>

// What FFmpeg makes of a video file's first video stream.
struct KyTestVideoProbe {
    std::string strError;  // empty when the file opened
    std::string strCodec;  // decoder name, e.g. "mjpeg"
    int nRateNum = 0;      // the frame rate FFmpeg found
    int nRateDen = 0;
    int nWidth = 0;
    int nHeight = 0;
    long long nStreamFrames = 0;  // the container's own frame count
    int nPackets = 0;             // packets read to the end of the file
    int nDecoded = 0;             // frames decoded (first and last only unless all were asked)
    // Of the first decoded frame: mean red-difference chroma of its top tenth, and mean
    // blue-difference chroma of its bottom tenth (128 is grey).
    int nTopCr = 0;
    int nBottomCb = 0;
};

// True when FFmpeg is in this build (KY_TEST_HAVE_FFMPEG).
bool KyTestHaveFfmpeg();

// Opens the file with FFmpeg, reads every packet and decodes the first and the last one, or
// all of them with bDecodeAll. Without FFmpeg in the build: false, with an error text.
bool KyTestProbeVideo(const std::wstring& strPath, bool bDecodeAll, KyTestVideoProbe& probe);

// The Motion JPEG frames of a stored AVI file, as they are in the file (no decoding).
#pragma once

#include <string>

struct AVFormatContext;
struct AVPacket;

// Demuxes with libavformat. Only a file whose video stream is Motion JPEG opens: its packets
// are complete JPEG pictures a browser shows as they are.
class KyCServeAviReader {
public:
    KyCServeAviReader();
    ~KyCServeAviReader();
    KyCServeAviReader(const KyCServeAviReader&) = delete;
    KyCServeAviReader& operator=(const KyCServeAviReader&) = delete;

    // strPath in UTF-8. False with a one-line reason.
    bool Open(const std::string& strPath, std::string& strError);
    double GetFramesPerSecond() const { return m_fFramesPerSecond; }
    // The next frame and its time from the start of the file; false at the end or on an error.
    bool ReadFrame(std::string& strJpeg, double& fTimeS);

private:
    AVFormatContext* m_pContext = nullptr;
    AVPacket* m_pPacket = nullptr;
    int m_nStream = -1;
    double m_fFramesPerSecond = 0.0;
    double m_fTimeBaseS = 0.0;
    long long m_nFrames = 0;  // read so far
};

// Notices a recording whose video file stopped taking frames while the camera goes on.
#pragma once

// Fed with samples during a recording: the time, the frames written so far and the pictures the
// live display has shown. Stalled once no frame was written for kStallS seconds although the
// camera delivered at least kMinPictures new pictures meanwhile: the writer is failing (a full
// disk, typically), not the camera. A slow camera that delivers nothing does not count.
class KyCWriteStall {
public:
    static constexpr double kStallS = 1.5;
    static constexpr unsigned kMinPictures = 2;

    void Sample(double fTimeS, int nFramesWritten, unsigned nPicturesShown);
    bool IsStalled() const { return m_bStalled; }

private:
    bool m_bStarted = false;
    bool m_bStalled = false;
    double m_fSinceS = 0.0;  // time of the last frame count change
    int m_nFramesWritten = 0;
    unsigned m_nPicturesAtChange = 0;
};

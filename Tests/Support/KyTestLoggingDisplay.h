// A host display that logs what its client calls and pulls pictures through the client's callback.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "IAcquireDisplaySource.h"
#include "KyCAcquireDisplayBase.h"

// The display a record worker attaches to, as a test sees it. Every call of the display face is
// logged in order ("SetBitmapSize(640x480)", "SetPixelFormat(15)", "SetPictureCallback(set)" or
// "(empty)", "SetDisplayState(0)", "ResetDisplay", "StartDisplay(true)", "StopDisplay",
// "UpdateDisplay(0)", "GetBitmapBuffer(600x480,32)", "ReleaseBitmapBuffer(true)",
// "GetBitmapSize", "GetPixelFormat", and "GetDisplay(2)" of the source face). Pull calls the kept
// callback with this display as its target; a valid release keeps the written picture (rows top
// first). With SetPullOnUpdate, UpdateDisplay pulls at once on the caller's thread. Any thread may
// call; the fields are guarded, and no lock is held while the callback runs.
class KyTestLoggingDisplay : public KyCAcquireDisplayBase, public IAcquireDisplaySource {
public:
    struct Picture {
        KyCSize2 size;
        int nBytesPerPixel = 0;
        std::vector<unsigned char> vecPixels;  // width × pixel size per row, top row first
        const unsigned char* Pixel(int nRow, int nCol) const {
            return vecPixels.data() +
                   (static_cast<size_t>(nRow) * size.nWidth + nCol) * nBytesPerPixel;
        }
    };

    KyTestLoggingDisplay();
    ~KyTestLoggingDisplay() override;

    IAcquireDisplay* GetDisplay(int nIndex) override;

    unsigned char* GetBitmapBuffer(KyCSize2 size, int* pnPitch, unsigned nBitsPerPixel) override;
    void ReleaseBitmapBuffer(bool bValid) override;
    void UpdateDisplay(int nFlags) override;
    void StartDisplay(bool bStart) override;
    bool StopDisplay() override;
    void SetPixelFormat(int nPixelFormat) override;
    int GetPixelFormat() override;
    void SetBitmapSize(KyCSize2 size) override;
    KyCSize2 GetBitmapSize() override;
    void SetPictureCallback(CbPictureCallback callback) override;
    void SetDisplayState(int nState) override;
    void ResetDisplay() override;

    // Calls the picture callback with this display as the target; false without one.
    bool Pull();
    void SetPullOnUpdate(bool bPull);
    // What GetPixelFormat answers (15 until set); SetPixelFormat does not change it.
    void SetPixelFormatAnswer(int nPixelFormat);

    std::vector<std::string> TakeCalls();
    bool HasCallback() const;
    unsigned GetUpdateCount() const;
    unsigned GetPictureCount() const;  // valid releases
    Picture GetPicture() const;        // the last one released valid

private:
    void log(const std::string& strCall);  // with m_Mutex held

    mutable std::mutex m_Mutex;  // guards every field below; never held while calling out
    std::vector<std::string> m_arrCalls;
    CbPictureCallback m_Callback;
    bool m_bPullOnUpdate = false;
    int m_nPixelFormatAnswer = 15;
    unsigned m_nUpdates = 0;
    unsigned m_nPictures = 0;
    Picture m_Writing;
    int m_nWritingPitch = 0;
    bool m_bHandedOut = false;
    Picture m_Picture;
};

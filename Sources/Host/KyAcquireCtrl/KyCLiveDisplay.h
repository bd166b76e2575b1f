// The built-in live display: shows the pictures written into it and pulls new ones by callback.
#pragma once

#include <thread>
#include <vector>

#include "CbCondition.h"
#include "CbCriticalSection.h"
#include "KyCAcquireDisplayBase.h"
#include "KyHostApi.h"

class KyCFieldBase;

// Two ways a picture reaches the display, both through its bitmap sink face:
// - a producer (a camera routed to the live source) writes straight into it: GetBitmapBuffer
//   hands out the display's own buffer, ReleaseBitmapBuffer(true) makes it the shown picture;
// - UpdateDisplay asks for a refresh: the display's own refresh thread calls the picture callback
//   with this display as the target, and the callback writes through the same two operations.
//   Several UpdateDisplay calls before the refresh thread gets to them make one refresh.
// Pulls happen only between StartDisplay(true) and StopDisplay; direct writes are always taken.
//
// Threads: any thread may call any operation. The picture callback runs only on the refresh
// thread, which is started by the first StartDisplay(true) and ends with the display.
//
// Lock discipline: m_Lock is a leaf lock, entered once at a time. The display never holds it while
// calling out, in particular not while calling the picture callback, which typically takes its
// owner's lock and then calls back into GetBitmapBuffer here; and UpdateDisplay never waits for a
// refresh, so a producer may call it while holding that same owner's lock. StopDisplay and
// SetPictureCallback guarantee that, once they return, the callback they removed is not called
// again: they wait for a call of it in progress on the refresh thread (not when the refresh thread
// itself calls them). So a caller on another thread must not hold a lock that the callback takes,
// or the two wait for each other.
//
// Only one producer may write at a time: a second GetBitmapBuffer before the release gets null.
class KYHOST_API KyCLiveDisplay : public KyCAcquireDisplayBase {
public:
    // Largest width and height taken, so that a bad size cannot ask for gigabytes.
    static const int kMaxSide = 8192;

    KyCLiveDisplay();
    // Ends the refresh thread; must not be called from the picture callback.
    ~KyCLiveDisplay() override;

    // Bitmap sink face: 32 or 8 bits per pixel, rows top first, pitch width × bytes rounded up
    // to 4. Null for another depth, a size outside 1..kMaxSide, or while a buffer is out.
    unsigned char* GetBitmapBuffer(KyCSize2 size, int* pnPitch, unsigned nBitsPerPixel) override;
    // True: the written picture is shown (and the bitmap size follows it). False: dropped.
    void ReleaseBitmapBuffer(bool bValid) override;
    bool IsBitmapBufferLocked() override;
    // Releases with false, counted.
    int GetDroppedFrameCount() override;

    void UpdateDisplay(int nFlags) override;
    // StartDisplay(false) is StopDisplay.
    void StartDisplay(bool bStart) override;
    bool StopDisplay() override;
    void SetPixelFormat(int nPixelFormat) override;
    int GetPixelFormat() override;  // as set; 15 until then
    void SetBitmapSize(KyCSize2 size) override;
    KyCSize2 GetBitmapSize() override;
    KyCSize2 GetPictureSize() override;  // of the shown picture; 0 × 0 when there is none
    // An empty functor removes the callback.
    void SetPictureCallback(CbPictureCallback callback) override;
    void SetDisplayState(int nState) override;
    int GetDisplayState() override;
    // While frozen, refresh requests wait; ThawDisplay lets them through.
    void FreezeDisplay() override;
    void ThawDisplay() override;
    // Forgets the shown picture.
    void ResetDisplay() override;

    // What the host sees.
    // The shown picture, rows top first, in a new buffer; false (and out emptied) without one.
    bool CopyPicture(KyCFieldBase& out) const;
    int GetPictureBytesPerPixel() const;  // 4 or 1; 0 without a picture
    unsigned GetPicturesShown() const;    // pictures released valid since construction
    // Waits until at least nMinCount pictures have been shown; false on time-out.
    bool WaitForPicture(unsigned nMinCount, unsigned nTimeoutMs) const;

    // State, mainly for tests.
    bool IsPictureCallbackSet() const;
    bool IsDisplayStarted() const;
    bool IsDisplayFrozen() const;
    unsigned GetRefreshCount() const;  // picture callback calls made
    unsigned GetResetCount() const;
    // Waits until the refresh thread has made at least nMinCount callback calls (finished).
    bool WaitForRefresh(unsigned nMinCount, unsigned nTimeoutMs) const;

private:
    struct Picture {
        std::vector<unsigned char> vecPixels;
        KyCSize2 size;
        int nBytesPerPixel = 0;
        int nPitch = 0;
    };

    void refreshLoop();
    // Waits for a callback call in progress to finish, unless this is the refresh thread.
    void waitForCallbackLocked() KY_REQUIRES(m_Lock);

    // Guards every field below; a leaf lock, see the class comment.
    mutable CbCriticalSection m_Lock;
    // Signalled on: a refresh request, a start or stop, a callback call finished, a picture shown.
    CbCondition m_Changed;

    CbPictureCallback m_Callback KY_GUARDED_BY(m_Lock);
    bool m_bStarted KY_GUARDED_BY(m_Lock) = false;
    bool m_bFrozen KY_GUARDED_BY(m_Lock) = false;
    bool m_bUpdatePending KY_GUARDED_BY(m_Lock) = false;
    bool m_bQuit KY_GUARDED_BY(m_Lock) = false;
    bool m_bCallbackRunning KY_GUARDED_BY(m_Lock) = false;
    unsigned m_nRefreshes KY_GUARDED_BY(m_Lock) = 0;  // callback calls finished
    // The refresh thread "LiveDisplay": started by the first StartDisplay(true), joined by the
    // destructor; it runs refreshLoop, which holds m_Lock except around the callback.
    std::thread m_RefreshThread KY_GUARDED_BY(m_Lock);
    std::thread::id m_idRefreshThread KY_GUARDED_BY(m_Lock);

    // Handed out by GetBitmapBuffer; its pixels are written without the lock by the producer.
    Picture m_Write KY_GUARDED_BY(m_Lock);
    bool m_bWriting KY_GUARDED_BY(m_Lock) = false;
    std::thread::id m_idWriter KY_GUARDED_BY(m_Lock);
    Picture m_Shown KY_GUARDED_BY(m_Lock);
    unsigned m_nPicturesShown KY_GUARDED_BY(m_Lock) = 0;
    int m_nDropped KY_GUARDED_BY(m_Lock) = 0;

    int m_nPixelFormat KY_GUARDED_BY(m_Lock) = 15;
    KyCSize2 m_BitmapSize KY_GUARDED_BY(m_Lock);
    int m_nDisplayState KY_GUARDED_BY(m_Lock) = 0;
    unsigned m_nResets KY_GUARDED_BY(m_Lock) = 0;
};

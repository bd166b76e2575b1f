// The built-in live display: its sink face, its refresh thread and its callback guarantees.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "CbFunctor.h"
#include "KyCFieldBase.h"
#include "KyCLiveDisplay.h"
#include "KyCLiveDisplaySource.h"

namespace {

const unsigned kWaitMs = 10000;

// A picture callback made of a std::function, reference counted like the real ones.
class LambdaCallback : public CbFunctorImpl<void(IAcquireDisplay*)> {
public:
    explicit LambdaCallback(std::function<void(IAcquireDisplay*)> fn) : m_Fn(std::move(fn)) {}
    void Invoke(IAcquireDisplay* pTarget) override { m_Fn(pTarget); }

private:
    std::function<void(IAcquireDisplay*)> m_Fn;
};

CbPictureCallback makeCallback(std::function<void(IAcquireDisplay*)> fn) {
    return CbPictureCallback(new LambdaCallback(std::move(fn)));
}

// Writes a picture whose pixel (r, c) has the bytes value(r, c) + k for byte k.
bool writePicture(IAcquireDisplay* pTarget, KyCSize2 size, int nBytesPerPixel,
                  unsigned char nSeed) {
    int nPitch = 0;
    unsigned char* p =
        pTarget->GetBitmapBuffer(size, &nPitch, static_cast<unsigned>(nBytesPerPixel * 8));
    if (!p) {
        pTarget->ReleaseBitmapBuffer(false);
        return false;
    }
    for (int r = 0; r < size.nHeight; ++r) {
        for (int c = 0; c < size.nWidth; ++c) {
            for (int k = 0; k < nBytesPerPixel; ++k)
                p[r * nPitch + c * nBytesPerPixel + k] =
                    static_cast<unsigned char>(nSeed + r * 16 + c * 4 + k);
        }
    }
    pTarget->ReleaseBitmapBuffer(true);
    return true;
}

void expectPicture(const KyCLiveDisplay& display, KyCSize2 size, int nBytesPerPixel,
                   unsigned char nSeed) {
    KyCFieldBase field;
    ASSERT_TRUE(display.CopyPicture(field));
    ASSERT_EQ(field.Size(), size);
    ASSERT_EQ(field.m_nPixelSize, nBytesPerPixel);
    for (int r = 0; r < size.nHeight; ++r) {
        for (int c = 0; c < size.nWidth; ++c) {
            for (int k = 0; k < nBytesPerPixel; ++k)
                ASSERT_EQ(field.m_pData[r * field.m_nPitch + c * nBytesPerPixel + k],
                          static_cast<unsigned char>(nSeed + r * 16 + c * 4 + k))
                    << "row " << r << " col " << c;
        }
    }
}

// Blocks callers until Open.
class Gate {
public:
    void Open() {
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_bOpen = true;
        }
        m_Cv.notify_all();
    }
    void Pass() {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Cv.wait(lock, [&] { return m_bOpen; });
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Cv;
    bool m_bOpen = false;
};

bool waitUntil(const std::function<bool()>& done) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace

TEST(KyCLiveDisplaySinkTest, ShowsAWrittenPictureRowsInOrder) {
    KyCLiveDisplay display;
    EXPECT_EQ(display.GetPictureSize(), KyCSize2(0, 0));
    KyCFieldBase field;
    EXPECT_FALSE(display.CopyPicture(field)) << "nothing shown yet";
    EXPECT_TRUE(field.IsEmpty());

    ASSERT_TRUE(writePicture(&display, KyCSize2(3, 2), 4, 10));
    expectPicture(display, KyCSize2(3, 2), 4, 10);
    EXPECT_EQ(display.GetPictureSize(), KyCSize2(3, 2));
    EXPECT_EQ(display.GetBitmapSize(), KyCSize2(3, 2)) << "the bitmap size follows the picture";
    EXPECT_EQ(display.GetPictureBytesPerPixel(), 4);
    EXPECT_EQ(display.GetPicturesShown(), 1u);

    ASSERT_TRUE(writePicture(&display, KyCSize2(5, 3), 1, 50));  // grey, padded rows
    expectPicture(display, KyCSize2(5, 3), 1, 50);
    EXPECT_EQ(display.GetPicturesShown(), 2u);
}

TEST(KyCLiveDisplaySinkTest, PitchIsRoundedUpToFourBytes) {
    KyCLiveDisplay display;
    int nPitch = 0;
    ASSERT_NE(display.GetBitmapBuffer(KyCSize2(5, 2), &nPitch, 8), nullptr);
    EXPECT_EQ(nPitch, 8);
    display.ReleaseBitmapBuffer(false);
    ASSERT_NE(display.GetBitmapBuffer(KyCSize2(5, 2), nullptr, 32), nullptr);  // no pitch wanted
    display.ReleaseBitmapBuffer(false);
}

TEST(KyCLiveDisplaySinkTest, RefusesBadRequestsAndASecondBuffer) {
    KyCLiveDisplay display;
    int nPitch = 0;
    EXPECT_EQ(display.GetBitmapBuffer(KyCSize2(4, 4), &nPitch, 24), nullptr);
    EXPECT_EQ(display.GetBitmapBuffer(KyCSize2(0, 4), &nPitch, 32), nullptr);
    EXPECT_EQ(display.GetBitmapBuffer(KyCSize2(4, -1), &nPitch, 32), nullptr);
    EXPECT_EQ(display.GetBitmapBuffer(KyCSize2(KyCLiveDisplay::kMaxSide + 1, 1), &nPitch, 8),
              nullptr);
    EXPECT_FALSE(display.IsBitmapBufferLocked());

    ASSERT_NE(display.GetBitmapBuffer(KyCSize2(4, 4), &nPitch, 32), nullptr);
    EXPECT_TRUE(display.IsBitmapBufferLocked());
    // A second producer on another thread is refused; its release does not free the buffer.
    std::thread other([&] {
        int nOtherPitch = 0;
        EXPECT_EQ(display.GetBitmapBuffer(KyCSize2(4, 4), &nOtherPitch, 32), nullptr);
        display.ReleaseBitmapBuffer(false);
    });
    other.join();
    EXPECT_TRUE(display.IsBitmapBufferLocked());
    display.ReleaseBitmapBuffer(true);
    EXPECT_FALSE(display.IsBitmapBufferLocked());
    EXPECT_EQ(display.GetPicturesShown(), 1u);
    EXPECT_EQ(display.GetDroppedFrameCount(), 1);
}

TEST(KyCLiveDisplaySinkTest, InvalidReleaseKeepsTheShownPicture) {
    KyCLiveDisplay display;
    ASSERT_TRUE(writePicture(&display, KyCSize2(2, 2), 4, 1));
    int nPitch = 0;
    unsigned char* p = display.GetBitmapBuffer(KyCSize2(2, 2), &nPitch, 32);
    ASSERT_NE(p, nullptr);
    std::memset(p, 0xFF, static_cast<size_t>(nPitch) * 2);
    display.ReleaseBitmapBuffer(false);
    expectPicture(display, KyCSize2(2, 2), 4, 1);
    EXPECT_EQ(display.GetPicturesShown(), 1u);
    EXPECT_EQ(display.GetDroppedFrameCount(), 1);
    display.ReleaseBitmapBuffer(true);  // nothing handed out: ignored
    EXPECT_EQ(display.GetPicturesShown(), 1u);
}

TEST(KyCLiveDisplaySinkTest, SettingsAreKeptAndResetForgetsThePicture) {
    KyCLiveDisplay display;
    EXPECT_EQ(display.GetPixelFormat(), 15);
    display.SetPixelFormat(8);
    EXPECT_EQ(display.GetPixelFormat(), 8);
    display.SetBitmapSize(KyCSize2(640, 480));
    EXPECT_EQ(display.GetBitmapSize(), KyCSize2(640, 480));
    display.SetDisplayState(3);
    EXPECT_EQ(display.GetDisplayState(), 3);
    EXPECT_EQ(display.GetDisplayCount(), 1);
    EXPECT_TRUE(display.IsDisplayEnabled());

    ASSERT_TRUE(writePicture(&display, KyCSize2(2, 2), 4, 1));
    display.ResetDisplay();
    EXPECT_EQ(display.GetResetCount(), 1u);
    EXPECT_EQ(display.GetPictureSize(), KyCSize2(0, 0));
    KyCFieldBase field;
    EXPECT_FALSE(display.CopyPicture(field));
    EXPECT_EQ(display.GetPicturesShown(), 1u) << "the count only grows";
}

TEST(KyCLiveDisplaySourceTest, EveryIndexGivesTheOneDisplay) {
    KyCLiveDisplaySource source;
    IAcquireDisplay* pDisplay = &source.GetLiveDisplay();
    EXPECT_EQ(source.GetDisplay(0), pDisplay);
    EXPECT_EQ(source.GetDisplay(2), pDisplay);
    EXPECT_EQ(source.GetDisplay(-1), pDisplay);
}

TEST(KyCLiveDisplayRefreshTest, PullsThroughTheCallbackOnItsOwnThread) {
    KyCLiveDisplay display;
    std::mutex mutex;
    std::vector<std::thread::id> threads;
    std::vector<IAcquireDisplay*> targets;
    display.SetPictureCallback(makeCallback([&](IAcquireDisplay* pTarget) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            threads.push_back(std::this_thread::get_id());
            targets.push_back(pTarget);
        }
        writePicture(pTarget, KyCSize2(4, 3), 4, 77);
    }));
    EXPECT_TRUE(display.IsPictureCallbackSet());

    display.UpdateDisplay(0);  // not started: ignored
    display.StartDisplay(true);
    EXPECT_TRUE(display.IsDisplayStarted());
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(display.GetRefreshCount(), 0u) << "an update before the start is not kept";

    display.UpdateDisplay(0);
    ASSERT_TRUE(display.WaitForPicture(1, kWaitMs));
    expectPicture(display, KyCSize2(4, 3), 4, 77);
    ASSERT_TRUE(display.WaitForRefresh(1, kWaitMs));
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_EQ(threads.size(), 1u);
    EXPECT_NE(threads[0], std::this_thread::get_id());
    EXPECT_EQ(targets[0], &display);
}

TEST(KyCLiveDisplayRefreshTest, UpdatesDuringARefreshMakeOneMore) {
    KyCLiveDisplay display;
    Gate gate;
    std::atomic<int> nCalls{0};
    display.SetPictureCallback(makeCallback([&](IAcquireDisplay*) {
        if (++nCalls == 1)
            gate.Pass();
    }));
    display.StartDisplay(true);
    display.UpdateDisplay(0);
    ASSERT_TRUE(waitUntil([&] { return nCalls == 1; }));
    for (int i = 0; i < 10; ++i)
        display.UpdateDisplay(0);  // never blocks although a refresh is in progress
    gate.Open();
    ASSERT_TRUE(display.WaitForRefresh(2, kWaitMs));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(nCalls, 2);
    EXPECT_EQ(display.GetRefreshCount(), 2u);
}

TEST(KyCLiveDisplayRefreshTest, StopWaitsForTheCallInProgressAndEndsPulling) {
    KyCLiveDisplay display;
    Gate gate;
    std::atomic<int> nCalls{0};
    std::atomic<bool> bCallFinished{false};
    display.SetPictureCallback(makeCallback([&](IAcquireDisplay*) {
        if (++nCalls == 1) {
            gate.Pass();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            bCallFinished = true;
        }
    }));
    display.StartDisplay(true);
    display.UpdateDisplay(0);
    ASSERT_TRUE(waitUntil([&] { return nCalls == 1; }));

    std::atomic<bool> bStopReturned{false};
    bool bFinishedWhenStopReturned = false;
    std::thread stopper([&] {
        display.StopDisplay();
        bFinishedWhenStopReturned = bCallFinished;
        bStopReturned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(bStopReturned) << "StopDisplay returned while the callback still ran";
    gate.Open();
    stopper.join();
    EXPECT_TRUE(bFinishedWhenStopReturned);
    EXPECT_FALSE(display.IsDisplayStarted());

    display.UpdateDisplay(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(nCalls, 1) << "a stopped display does not pull";
    EXPECT_TRUE(display.IsPictureCallbackSet()) << "stopping keeps the callback";

    display.StartDisplay(true);
    display.UpdateDisplay(0);
    EXPECT_TRUE(display.WaitForRefresh(2, kWaitMs));
}

TEST(KyCLiveDisplayRefreshTest, CallbackMayRemoveItselfOrStopTheDisplay) {
    KyCLiveDisplay display;
    std::atomic<int> nCalls{0};
    display.SetPictureCallback(makeCallback([&](IAcquireDisplay* pTarget) {
        ++nCalls;
        pTarget->StopDisplay();                            // must not wait for itself
        pTarget->SetPictureCallback(CbPictureCallback());  // nor here
    }));
    display.StartDisplay(true);
    display.UpdateDisplay(0);
    ASSERT_TRUE(display.WaitForRefresh(1, kWaitMs));
    EXPECT_FALSE(display.IsPictureCallbackSet());
    EXPECT_FALSE(display.IsDisplayStarted());
    EXPECT_EQ(nCalls, 1);
}

TEST(KyCLiveDisplayRefreshTest, FrozenDisplayHoldsRefreshesUntilThawed) {
    KyCLiveDisplay display;
    std::atomic<int> nCalls{0};
    display.SetPictureCallback(makeCallback([&](IAcquireDisplay*) { ++nCalls; }));
    display.StartDisplay(true);
    display.FreezeDisplay();
    EXPECT_TRUE(display.IsDisplayFrozen());
    display.UpdateDisplay(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(nCalls, 0);
    display.ThawDisplay();
    EXPECT_TRUE(display.WaitForRefresh(1, kWaitMs));
    EXPECT_EQ(nCalls, 1);
}

TEST(KyCLiveDisplayRefreshTest, ThrowingCallbackDoesNotEndTheDisplay) {
    KyCLiveDisplay display;
    std::atomic<int> nCalls{0};
    display.SetPictureCallback(makeCallback([&](IAcquireDisplay*) {
        if (++nCalls == 1)
            throw std::runtime_error("first refresh fails");
    }));
    display.StartDisplay(true);
    display.UpdateDisplay(0);
    ASSERT_TRUE(display.WaitForRefresh(1, kWaitMs));
    display.UpdateDisplay(0);
    EXPECT_TRUE(display.WaitForRefresh(2, kWaitMs));
    EXPECT_EQ(nCalls, 2);
}

TEST(KyCLiveDisplayRefreshTest, DisplayWithPendingUpdateIsDestroyedCleanly) {
    std::atomic<int> nCalls{0};
    {
        KyCLiveDisplay display;
        display.SetPictureCallback(makeCallback([&](IAcquireDisplay*) { ++nCalls; }));
        display.StartDisplay(true);
        for (int i = 0; i < 100; ++i)
            display.UpdateDisplay(0);
    }
    const int nAfter = nCalls;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(nCalls, nAfter);
}

// Hammer: a callback removed with an empty functor is never called after SetPictureCallback
// returns, while another thread keeps asking for refreshes. The callback checks the "removed"
// mark at its start and at its end, so a call that had begun and was still running at the return
// counts as well.
TEST(KyCLiveDisplayRefreshTest, RemovedCallbackIsNeverCalledAfterTheRemovalReturns) {
    KyCLiveDisplay display;
    display.StartDisplay(true);
    std::atomic<bool> bQuit{false};
    std::thread updater([&] {
        while (!bQuit)
            display.UpdateDisplay(0);
    });
    std::atomic<int> nLateCalls{0};
    for (int nRound = 0; nRound < 200; ++nRound) {
        std::atomic<bool> bRemoved{false};
        std::atomic<int> nCalls{0};
        display.SetPictureCallback(
            makeCallback([&bRemoved, &nCalls, &nLateCalls, nRound](IAcquireDisplay* pTarget) {
                if (bRemoved)
                    ++nLateCalls;
                ++nCalls;
                writePicture(pTarget, KyCSize2(8, 4), 4, static_cast<unsigned char>(nRound));
                std::this_thread::sleep_for(std::chrono::microseconds(200));  // widen the window
                if (bRemoved)
                    ++nLateCalls;
            }));
        ASSERT_TRUE(waitUntil([&] { return nCalls > 0; }));
        display.SetPictureCallback(CbPictureCallback());
        bRemoved = true;
        // bRemoved and nCalls die with this round: a late call would also touch freed memory.
    }
    bQuit = true;
    updater.join();
    EXPECT_EQ(nLateCalls, 0);
    EXPECT_FALSE(display.IsPictureCallbackSet());
}

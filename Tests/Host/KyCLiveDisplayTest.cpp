// The built-in live display: its sink face, its refresh thread and its callback guarantees.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <stdexcept>
#include <thread>

#include "CbFunctor.h"
#include "KyCFieldBase.h"
#include "KyCLiveDisplay.h"
#include "KyTestFrameDelivery.h"
#include "KyTestPicture.h"
#include "KyTestWait.h"

namespace {

const unsigned kWaitMs = 10000;

// A picture callback made of a std::function, reference counted like the real ones.
CbPictureCallback makeCallback(std::function<void(IAcquireDisplay*)> fn) {
    struct Lambda : CbFunctorImpl<void(IAcquireDisplay*)> {
        std::function<void(IAcquireDisplay*)> m_Fn;
        void Invoke(IAcquireDisplay* pTarget) override { m_Fn(pTarget); }
    };
    Lambda* pCallback = new Lambda;
    pCallback->m_Fn = std::move(fn);
    return CbPictureCallback(pCallback);
}

// The display shows the marked picture at this size, byte for byte.
void expectMarked(const KyCLiveDisplay& display, KyCSize2 size, int nBytesPerPixel) {
    KyCFieldBase field, marked(KyCRect2(size), nBytesPerPixel, 0);
    KyTestPaintMarkedPicture(marked, false);
    ASSERT_TRUE(display.CopyPicture(field));
    ASSERT_EQ(field.Size(), size);
    ASSERT_EQ(field.m_nPixelSize, nBytesPerPixel);
    for (int r = 0; r < size.nHeight; ++r)
        ASSERT_EQ(
            0, std::memcmp(field.m_pData + r * field.m_nPitch, marked.m_pData + r * marked.m_nPitch,
                           static_cast<size_t>(size.nWidth * nBytesPerPixel)))
            << "row " << r;
}

// A started display whose callback runs fn; no callback outlives the test.
class KyCLiveDisplayRefreshTest : public ::testing::Test {
protected:
    ~KyCLiveDisplayRefreshTest() override {
        m_bGateOpen = true;
        m_Display.StopDisplay();
        m_Display.SetPictureCallback(CbPictureCallback());
    }
    void start(std::function<void(IAcquireDisplay*)> fn) {
        m_Display.SetPictureCallback(makeCallback(std::move(fn)));
        m_Display.StartDisplay(true);
    }

    KyCLiveDisplay m_Display;
    std::atomic<int> m_nCalls{0};
    std::atomic<bool> m_bGateOpen{false};  // callbacks that wait for the test wait for it
    std::atomic<bool> m_bCallFinished{false};
};

}  // namespace

TEST(KyCLiveDisplaySinkTest, ShowsWrittenPicturesAndRefusesBadRequestsAndASecondBuffer) {
    KyCLiveDisplay display;
    KyCFieldBase field;
    EXPECT_FALSE(display.CopyPicture(field)) << "nothing shown yet";
    ASSERT_TRUE(KyTestDeliverMarked(display, KyCSize2(8, 4)));
    expectMarked(display, KyCSize2(8, 4), 4);
    ASSERT_TRUE(KyTestDeliverMarked(display, KyCSize2(5, 3), 1));  // grey, padded rows
    expectMarked(display, KyCSize2(5, 3), 1);
    int nPitch = 0;
    EXPECT_EQ(display.GetBitmapBuffer(KyCSize2(4, 4), &nPitch, 24), nullptr);
    for (KyCSize2 size :
         {KyCSize2(0, 4), KyCSize2(4, -1), KyCSize2(KyCLiveDisplay::kMaxSide + 1, 1)})
        EXPECT_EQ(display.GetBitmapBuffer(size, &nPitch, 32), nullptr);
    unsigned char* p = display.GetBitmapBuffer(KyCSize2(5, 3), &nPitch, 8);
    ASSERT_NE(p, nullptr);
    p[0] = 0xFF;
    // A second producer on another thread is refused; its release does not free the buffer.
    std::thread([&] {
        EXPECT_EQ(display.GetBitmapBuffer(KyCSize2(4, 4), &nPitch, 32), nullptr);
        display.ReleaseBitmapBuffer(false);
    }).join();
    EXPECT_TRUE(display.IsBitmapBufferLocked());
    display.ReleaseBitmapBuffer(false);
    display.ReleaseBitmapBuffer(true);  // nothing handed out: ignored
    expectMarked(display, KyCSize2(5, 3), 1);
    EXPECT_EQ(display.GetPicturesShown(), 2u);
    display.ResetDisplay();
    EXPECT_FALSE(display.CopyPicture(field)) << "a reset forgets the picture";
}

TEST_F(KyCLiveDisplayRefreshTest, StopWaitsForTheCallInProgressAndEndsPulling) {
    start([this](IAcquireDisplay*) {
        if (++m_nCalls == 1) {
            EXPECT_TRUE(KyTestWaitFor([this] { return m_bGateOpen.load(); }, kWaitMs));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            m_bCallFinished = true;
        }
    });
    m_Display.UpdateDisplay(0);
    ASSERT_TRUE(KyTestWaitFor([&] { return m_nCalls == 1; }, kWaitMs));
    std::future<bool> stopped = std::async(std::launch::async, [&] {
        m_Display.StopDisplay();
        return m_bCallFinished.load();
    });
    EXPECT_EQ(stopped.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout)
        << "StopDisplay returned while the callback still ran";
    m_bGateOpen = true;
    EXPECT_TRUE(stopped.get());
    m_Display.UpdateDisplay(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(m_nCalls, 1) << "a stopped display does not pull";
    m_Display.StartDisplay(true);  // the callback was kept
    m_Display.UpdateDisplay(0);
    EXPECT_TRUE(m_Display.WaitForRefresh(2, kWaitMs));
}

TEST_F(KyCLiveDisplayRefreshTest, AThrowingCallbackEndsNothingOneMayRemoveItselfAndStop) {
    start([this](IAcquireDisplay* pTarget) {
        if (++m_nCalls == 1)
            throw std::runtime_error("first refresh fails");
        pTarget->StopDisplay();                            // must not wait for itself
        pTarget->SetPictureCallback(CbPictureCallback());  // nor here
    });
    m_Display.UpdateDisplay(0);
    ASSERT_TRUE(m_Display.WaitForRefresh(1, kWaitMs));
    m_Display.UpdateDisplay(0);
    ASSERT_TRUE(m_Display.WaitForRefresh(2, kWaitMs));
    EXPECT_FALSE(m_Display.IsPictureCallbackSet());
    EXPECT_FALSE(m_Display.IsDisplayStarted());
    EXPECT_EQ(m_nCalls, 2);
}

// While another thread asks for refreshes; a call still running at the return counts as late.
TEST_F(KyCLiveDisplayRefreshTest, RemovedCallbackIsNeverCalledAfterTheRemovalReturns) {
    m_Display.StartDisplay(true);
    std::atomic<bool> bQuit{false};
    std::thread updater([&] {
        while (!bQuit)
            m_Display.UpdateDisplay(0);
    });
    std::atomic<int> nLateCalls{0};
    for (int nRound = 0; nRound < 200; ++nRound) {
        std::atomic<bool> bRemoved{false};
        std::atomic<int> nCalls{0};
        m_Display.SetPictureCallback(makeCallback([&](IAcquireDisplay* pTarget) {
            nLateCalls += bRemoved ? 1 : 0;
            ++nCalls;
            KyTestDeliverMarked(*pTarget, KyCSize2(8, 4));
            std::this_thread::sleep_for(std::chrono::microseconds(200));  // widen the window
            nLateCalls += bRemoved ? 1 : 0;
        }));
        ASSERT_TRUE(KyTestWaitFor([&] { return nCalls > 0; }, kWaitMs));
        m_Display.SetPictureCallback(CbPictureCallback());
        bRemoved = true;
        // bRemoved and nCalls die with this round: a late call would also touch freed memory.
    }
    bQuit = true;
    updater.join();
    EXPECT_EQ(nLateCalls, 0);
}

// The record worker's lifecycle: starting and stopping the thread with the host display, and
// starting and stopping recordings.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "KyTestAviReader.h"
#include "KyTestCameraVideoRecord.h"
#include "KyTestClock.h"
#include "KyTestComponent.h"
#include "KyTestFrameDelivery.h"
#include "KyTestRecordingDisplay.h"
#include "KyTestTempDir.h"
#include "KyTestWait.h"

namespace {

typedef std::vector<std::string> Calls;
typedef std::chrono::steady_clock Clock;

const KyCSize2 kFrame(64, 48);
const Calls kAttach640 = {"SetBitmapSize(640x480)", "SetPixelFormat(15)", "SetPictureCallback(set)",
                          "SetDisplayState(0)",     "ResetDisplay",       "StartDisplay(true)"};
const Calls kDetach = {"StopDisplay", "SetPictureCallback(empty)"};

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class KyCCameraVideoRecordTest : public ::testing::Test {
protected:
    KyTestClock m_Clock;  // stands still: every frame is queued once
    KyTestTempDir m_Dir;
    KyTestRecordingDisplay m_Display;
    KyTestCameraVideoRecord m_Worker;
};

}  // namespace

TEST_F(KyCCameraVideoRecordTest, NewWorkerIsStoppedAndRefusesWork) {
    EXPECT_FALSE(m_Worker.IsInitialized());
    EXPECT_FALSE(m_Worker.IsRecording());
    EXPECT_EQ(m_Worker.GetFramesWritten(), 0);
    EXPECT_TRUE(m_Worker.StopEventIsSet());
    EXPECT_FALSE(m_Worker.QueueEventIsSet());
    EXPECT_EQ(m_Worker.BufferCount(), 13u);
    EXPECT_EQ(m_Worker.BufferCapacity(), 13u);
    EXPECT_EQ(m_Worker.BuffersAllocated(), 0u);
    EXPECT_FALSE(m_Worker.StartRecording(18, m_Dir.File(L"a.avi")));
    EXPECT_FALSE(m_Worker.CapturePicture(m_Dir.File(L"a.jpg")));
    EXPECT_FALSE(m_Worker.IsCapturePending());
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"a.avi")));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"a.jpg")));
    EXPECT_TRUE(m_Worker.StopThread());
    EXPECT_EQ(m_Worker.AttachedDisplay(), nullptr);
}

TEST_F(KyCCameraVideoRecordTest, StartAttachesTheDisplayInOrderAndRunsTheThread) {
    ASSERT_TRUE(m_Worker.StartThread(&m_Display, KyCSize2(640, 480), 15));
    EXPECT_EQ(m_Display.TakeCalls(), kAttach640);
    EXPECT_TRUE(m_Display.HasCallback());
    EXPECT_EQ(m_Worker.AttachedDisplay(), &m_Display);
    EXPECT_TRUE(m_Worker.IsInitialized());
    EXPECT_TRUE(m_Worker.IsRunning());
    EXPECT_EQ(m_Worker.BytesPerPixel(), 4);
    EXPECT_EQ(m_Worker.FrameSize(), KyCSize2(640, 480));
    EXPECT_EQ(m_Worker.PixelFormat(), 15);
    EXPECT_FALSE(m_Worker.StopEventIsSet());
    EXPECT_TRUE(m_Worker.RecordStartIsValid());  // set to zero, not yet started
    EXPECT_FALSE(m_Worker.IsRecording());
}

TEST_F(KyCCameraVideoRecordTest, AnyOtherPixelFormatMeansOneBytePerPixel) {
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 8));
    EXPECT_EQ(m_Worker.BytesPerPixel(), 1);
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 16));
    EXPECT_EQ(m_Worker.BytesPerPixel(), 1);
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 15));
    EXPECT_EQ(m_Worker.BytesPerPixel(), 4);
}

TEST_F(KyCCameraVideoRecordTest, NullDisplayStartsTheThreadWithoutAttaching) {
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 15));
    EXPECT_TRUE(m_Worker.IsInitialized());
    EXPECT_EQ(m_Worker.AttachedDisplay(), nullptr);
    // Frames still pass through the sink.
    EXPECT_TRUE(KyTestDeliverMarked(m_Worker, kFrame));
}

TEST_F(KyCCameraVideoRecordTest, EmptySizeLeavesTheWorkerStoppedWithItsOldFrameSize) {
    ASSERT_TRUE(m_Worker.StartThread(&m_Display, KyCSize2(640, 480), 15));
    m_Display.TakeCalls();
    EXPECT_FALSE(m_Worker.StartThread(&m_Display, KyCSize2(0, 480), 15));
    EXPECT_EQ(m_Display.TakeCalls(), kDetach);
    EXPECT_FALSE(m_Worker.IsInitialized());
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_EQ(m_Worker.FrameSize(), KyCSize2(640, 480));
    EXPECT_FALSE(m_Worker.StartThread(&m_Display, KyCSize2(640, -1), 15));
    EXPECT_TRUE(m_Display.TakeCalls().empty());
}

TEST_F(KyCCameraVideoRecordTest, SecondStartDetachesTheOldDisplayBeforeAttachingTheNew) {
    KyTestRecordingDisplay other;
    ASSERT_TRUE(m_Worker.StartThread(&m_Display, KyCSize2(640, 480), 15));
    m_Display.TakeCalls();
    ASSERT_TRUE(m_Worker.StartThread(&other, KyCSize2(320, 240), 8));
    EXPECT_EQ(m_Display.TakeCalls(), kDetach);
    EXPECT_FALSE(m_Display.HasCallback());
    EXPECT_EQ(other.TakeCalls(),
              (Calls{"SetBitmapSize(320x240)", "SetPixelFormat(8)", "SetPictureCallback(set)",
                     "SetDisplayState(0)", "ResetDisplay", "StartDisplay(true)"}));
    // The same display again is attached anew: the stop detached it first.
    ASSERT_TRUE(m_Worker.StartThread(&other, KyCSize2(320, 240), 8));
    const Calls calls = other.TakeCalls();
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 2), kDetach);
    EXPECT_TRUE(m_Worker.IsInitialized());
    m_Worker.StopThread();  // before the display goes
}

TEST_F(KyCCameraVideoRecordTest, FramesRefreshTheDisplayWhichPullsThemThroughTheCallback) {
    ASSERT_TRUE(m_Worker.StartThread(&m_Display, kFrame, 15));
    m_Display.TakeCalls();
    ASSERT_TRUE(KyTestDeliverMarked(m_Worker, kFrame));
    EXPECT_EQ(m_Display.TakeCalls(), Calls{"UpdateDisplay(0)"});
    ASSERT_TRUE(m_Display.Pull());
    EXPECT_EQ(m_Display.TakeCalls(),
              (Calls{"GetBitmapBuffer(64x48,32)", "ReleaseBitmapBuffer(true)"}));
    const KyTestRecordingDisplay::Frame picture = m_Display.GetLastFrame();
    ASSERT_EQ(picture.size, kFrame);
    // Top-left block green, top right red, bottom blue: upright, as the camera wrote it.
    EXPECT_EQ(picture.Pixel(0, 0)[1], 255);
    EXPECT_EQ(picture.Pixel(0, 63)[2], 255);
    EXPECT_EQ(picture.Pixel(47, 63)[0], 255);

    // A display that pulls from inside UpdateDisplay, on the producer's thread.
    m_Display.SetPullOnUpdate(true);
    ASSERT_TRUE(KyTestDeliverMarked(m_Worker, kFrame));
    EXPECT_EQ(m_Display.TakeCalls(), (Calls{"UpdateDisplay(0)", "GetBitmapBuffer(64x48,32)",
                                            "ReleaseBitmapBuffer(true)"}));
}

TEST_F(KyCCameraVideoRecordTest, StopDetachesEmptiesAndEndsTheBodyWithinItsLimit) {
    ASSERT_TRUE(m_Worker.StartThread(&m_Display, kFrame, 15));
    ASSERT_TRUE(m_Worker.StartRecording(18, m_Dir.File(L"v.avi")));
    ASSERT_TRUE(KyTestDeliverMarked(m_Worker, kFrame));
    ASSERT_TRUE(KyTestWaitFor([&] { return m_Worker.GetFramesWritten() == 1; }));
    m_Display.TakeCalls();

    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(m_Worker.StopThread());
    EXPECT_LT(msSince(start), 2000 + 3000);  // its limit, and slack for a loaded machine
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_TRUE(m_Worker.GetRunResult());  // interrupted, not failed
    EXPECT_EQ(m_Display.TakeCalls(), kDetach);
    EXPECT_EQ(m_Worker.AttachedDisplay(), nullptr);
    EXPECT_EQ(m_Worker.BuffersAllocated(), 0u);
    EXPECT_EQ(m_Worker.GetFramesWritten(), 0);
    EXPECT_FALSE(m_Worker.IsRecording());
    EXPECT_FALSE(m_Worker.HasVideoCreator());
    EXPECT_TRUE(m_Worker.StopEventIsSet());
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(m_Dir.File(L"v.avi"))) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), 1u);

    // Stopping a stopped worker calls nothing.
    EXPECT_TRUE(m_Worker.StopThread());
    EXPECT_TRUE(m_Display.TakeCalls().empty());
}

TEST_F(KyCCameraVideoRecordTest, RecordingOpensTheWriterAtTheFrameSizeAndRate) {
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 15));
    EXPECT_FALSE(m_Worker.StartRecording(0, m_Dir.File(L"v.avi")));
    EXPECT_FALSE(m_Worker.StartRecording(-18, m_Dir.File(L"v.avi")));
    EXPECT_FALSE(m_Worker.IsRecording());
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"v.avi")));

    ASSERT_TRUE(m_Worker.StartRecording(18, m_Dir.File(L"v.avi")));
    EXPECT_TRUE(m_Worker.IsRecording());
    EXPECT_TRUE(m_Worker.HasVideoCreator());
    EXPECT_FLOAT_EQ(m_Worker.FrameInterval(), 1.0f / 18.0f);
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"v.avi")));
    ASSERT_TRUE(KyTestDeliverMarked(m_Worker, kFrame));
    ASSERT_TRUE(KyTestWaitFor([&] { return m_Worker.GetFramesWritten() == 1; }));

    // The writer has closed the file when StopRecording returns.
    EXPECT_TRUE(m_Worker.StopRecording());
    EXPECT_FALSE(m_Worker.IsRecording());
    EXPECT_FALSE(m_Worker.HasVideoCreator());
    EXPECT_EQ(m_Worker.GetFramesWritten(), 1);  // kept until the next start
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(m_Dir.File(L"v.avi"))) << reader.GetError();
    EXPECT_EQ(reader.GetWidth(), 64u);
    EXPECT_EQ(reader.GetHeight(), 48);
    EXPECT_EQ(reader.GetRate(), 18u);
    EXPECT_EQ(reader.GetScale(), 1u);
    EXPECT_EQ(reader.GetIndexedFrameCount(), 1u);
}

TEST_F(KyCCameraVideoRecordTest, WriterThatCannotOpenItsFileLeavesTheRecordingOff) {
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 15));
    EXPECT_FALSE(m_Worker.StartRecording(18, m_Dir.File(L"missing") + L"/v.avi"));
    EXPECT_FALSE(m_Worker.IsRecording());
    EXPECT_FALSE(m_Worker.HasVideoCreator());
    EXPECT_TRUE(m_Worker.IsInitialized());
    // A second start ends the running recording and opens a new file.
    ASSERT_TRUE(m_Worker.StartRecording(18, m_Dir.File(L"a.avi")));
    ASSERT_TRUE(m_Worker.StartRecording(18, m_Dir.File(L"b.avi")));
    KyTestAviReader reader;
    EXPECT_TRUE(reader.Open(m_Dir.File(L"a.avi"))) << "closed and complete: " << reader.GetError();
}

TEST_F(KyCCameraVideoRecordTest, StopWithoutRecordingLeavesTheQueueAlone) {
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 15));
    m_Worker.SetCapturePending(true);
    ASSERT_TRUE(KyTestDeliverMarked(m_Worker, kFrame));
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(m_Worker.StopRecording());
    EXPECT_LT(msSince(start), 500);  // nothing to drain: no 500 ms step
    EXPECT_EQ(m_Worker.getFrameCount(), 1u);
}

TEST_F(KyCCameraVideoRecordTest, StopWaitsWhileFramesWaitAndKeepsThemForACapture) {
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 15));
    ASSERT_TRUE(m_Worker.StartRecording(18, m_Dir.File(L"v.avi")));
    bool bDelivered = true, bQueued = false, bStopping = false;
    long long nStoppingAfterMs = 0;
    std::future<bool> stopped;
    std::future_status stopWhileStalled = std::future_status::ready;
    {
        // The loop blocks on the writer while the test holds its lock, so frames stay queued.
        CbCriticalSectionLock stall(m_Worker.WriterLock());
        for (int i = 0; i < 3; ++i)
            bDelivered = KyTestDeliverMarked(m_Worker, kFrame) && bDelivered;
        bQueued = KyTestWaitFor([&] { return m_Worker.getFrameCount() == 2u; });
        m_Worker.SetCapturePending(true);

        const Clock::time_point start = Clock::now();
        stopped = std::async(std::launch::async, [&] { return m_Worker.StopRecording(); });
        // It sleeps at least one 500 ms step, sees no progress, then waits for the frame in hand.
        bStopping = KyTestWaitFor([&] { return !m_Worker.IsRecording(); });
        nStoppingAfterMs = msSince(start);
        stopWhileStalled = stopped.wait_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(bDelivered);
    ASSERT_TRUE(bQueued);
    ASSERT_TRUE(bStopping);
    EXPECT_GE(nStoppingAfterMs, 500);
    EXPECT_EQ(stopWhileStalled, std::future_status::timeout);
    EXPECT_TRUE(stopped.get());
    EXPECT_EQ(m_Worker.getFrameCount(), 2u);  // kept for the waiting capture
    EXPECT_FALSE(m_Worker.HasVideoCreator());
    EXPECT_LE(m_Worker.GetFramesWritten(), 1);  // the frame in hand, if it got the writer
}

TEST_F(KyCCameraVideoRecordTest, DestroyingARecordingWorkerFinishesTheVideoFirst) {
    auto pWorker = std::make_unique<KyTestCameraVideoRecord>();
    ASSERT_TRUE(pWorker->StartThread(&m_Display, kFrame, 15));
    ASSERT_TRUE(pWorker->StartRecording(18, m_Dir.File(L"v.avi")));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(KyTestDeliverMarked(*pWorker, kFrame));
        ASSERT_TRUE(KyTestWaitFor([&] { return pWorker->GetFramesWritten() == i + 1; }));
    }
    m_Display.TakeCalls();
    pWorker.reset();
    EXPECT_EQ(m_Display.TakeCalls(), kDetach);
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(m_Dir.File(L"v.avi"))) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), 3u);
}

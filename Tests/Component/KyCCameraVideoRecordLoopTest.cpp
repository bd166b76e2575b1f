// The recording loop: queued frames reach the video upright and in order, frames kept for a
// capture stay, a stop ends the loop, and frames the writer refuses are not counted.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "KyCJPGCodec.h"
#include "KyTestAviReader.h"
#include "KyTestCameraVideoRecord.h"
#include "KyTestClock.h"
#include "KyTestFrameDelivery.h"
#include "KyTestPicture.h"
#include "KyTestTempDir.h"
#include "KyTestWait.h"

namespace {

const KyCSize2 kFrame(64, 48);

// Frame n of the file, decoded top row first.
bool decodeFrame(KyTestAviReader& reader, size_t n, KyCFieldBase& out) {
    const std::vector<unsigned char> arrBytes = reader.ReadFrame(n);
    return !arrBytes.empty() && KyCJPGCodec::Decode(arrBytes.data(), arrBytes.size(), out);
}

// Mean of one channel over a small square around (x, y).
int channelAt(const KyCFieldBase& field, int x, int y, int nChannel) {
    int nSum = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx)
            nSum += field.m_pData[(y + dy) * field.m_nPitch + (x + dx) * 4 + nChannel];
    }
    return nSum / 9;
}

class KyCCameraVideoRecordLoopTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 15)); }

    // Delivers one frame and waits until the loop has taken every queued frame.
    void deliverAndDrain(bool bMarked = true, KyCSize2 size = kFrame) {
        ASSERT_TRUE(bMarked ? KyTestDeliverMarked(m_Worker, size)
                            : KyTestDeliverFilled(m_Worker, size, 4, 0x80));
        ASSERT_TRUE(KyTestWaitFor([&] { return m_Worker.getFrameCount() == 0u; }));
    }

    KyTestClock m_Clock;  // stands still: every frame is queued once
    KyTestTempDir m_Dir;
    KyTestCameraVideoRecord m_Worker;
};

}  // namespace

TEST_F(KyCCameraVideoRecordLoopTest, FramesReachTheVideoUprightAndAreCounted) {
    ASSERT_TRUE(m_Worker.StartRecording(18, m_Dir.File(L"v.avi")));
    for (int i = 0; i < 4; ++i)
        deliverAndDrain();
    ASSERT_TRUE(KyTestWaitFor([&] { return m_Worker.GetFramesWritten() == 4; }));
    ASSERT_TRUE(m_Worker.StopRecording());

    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(m_Dir.File(L"v.avi"))) << reader.GetError();
    ASSERT_EQ(reader.GetIndexedFrameCount(), 4u);
    for (size_t n = 0; n < 4; ++n) {
        KyCFieldBase decoded;
        ASSERT_TRUE(decodeFrame(reader, n, decoded)) << n;
        // The writer reads the first row it is given as the bottom line: handed over bottom row
        // first, the camera's top row ends up on top.
        EXPECT_TRUE(KyTestIsMarkedPicture(decoded, 64, 48)) << "frame " << n;
    }
}

TEST_F(KyCCameraVideoRecordLoopTest, CentredPictureKeepsItsClearedBorderInTheVideo) {
    ASSERT_TRUE(m_Worker.StartRecording(18, m_Dir.File(L"v.avi")));
    deliverAndDrain(true, KyCSize2(32, 16));  // at 16, 16 in the 64 × 48 frame
    ASSERT_TRUE(KyTestWaitFor([&] { return m_Worker.GetFramesWritten() == 1; }));
    ASSERT_TRUE(m_Worker.StopRecording());

    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(m_Dir.File(L"v.avi"))) << reader.GetError();
    KyCFieldBase decoded;
    ASSERT_TRUE(decodeFrame(reader, 0, decoded));
    ASSERT_EQ(decoded.Size(), kFrame);  // every frame has the frame size
    for (int nChannel = 0; nChannel < 3; ++nChannel) {
        EXPECT_LT(channelAt(decoded, 4, 24, nChannel), 40) << "left border";
        EXPECT_LT(channelAt(decoded, 58, 24, nChannel), 40) << "right border";
        EXPECT_LT(channelAt(decoded, 32, 4, nChannel), 40) << "top border";
        EXPECT_LT(channelAt(decoded, 32, 42, nChannel), 40) << "bottom border";
    }
    EXPECT_GT(channelAt(decoded, 40, 18, 2), 150) << "the picture's top half is red";
    EXPECT_GT(channelAt(decoded, 40, 29, 0), 150) << "its bottom half blue";
}

TEST_F(KyCCameraVideoRecordLoopTest, FrameForACaptureIsLeftInTheQueueWhileNothingRecords) {
    m_Worker.SetCapturePending(true);
    ASSERT_TRUE(KyTestDeliverMarked(m_Worker, kFrame));
    ASSERT_EQ(m_Worker.getFrameCount(), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(m_Worker.getFrameCount(), 1u);
    EXPECT_TRUE(m_Worker.IsRunning());

    KyCFieldBase frame;
    ASSERT_TRUE(m_Worker.getFrame(frame, true));
    // The loop is waiting again, and writes once a recording runs.
    ASSERT_TRUE(m_Worker.StartRecording(18, m_Dir.File(L"v.avi")));
    deliverAndDrain();
    EXPECT_TRUE(KyTestWaitFor([&] { return m_Worker.GetFramesWritten() == 1; }));
}

TEST_F(KyCCameraVideoRecordLoopTest, StopEndsTheLoopAndLeavesQueuedFrames) {
    m_Worker.SetCapturePending(true);
    ASSERT_TRUE(KyTestDeliverMarked(m_Worker, kFrame));
    m_Worker.SetStopEvent();
    ASSERT_TRUE(KyTestWaitFor([&] { return !m_Worker.IsRunning(); }, 3000));
    EXPECT_TRUE(m_Worker.GetRunResult());
    EXPECT_EQ(m_Worker.getFrameCount(), 1u);
    EXPECT_FALSE(m_Worker.IsInitialized());
}

TEST_F(KyCCameraVideoRecordLoopTest, RefusedFramesAreDroppedUncountedAndPacingCountsThemDue) {
    ASSERT_TRUE(m_Worker.StartRecording(18, m_Dir.File(L"v.avi")));
    ASSERT_TRUE(m_Worker.MakeWriterRefuseFrames());
    for (int i = 0; i < 3; ++i)
        deliverAndDrain();
    EXPECT_EQ(m_Worker.GetFramesWritten(), 0);

    // One second later every one of the 18 frames is still due: the queue fills to its cap.
    bool bDelivered = false;
    unsigned nQueued = 0;
    {
        // Keeps the loop from draining while the test looks.
        CbCriticalSectionLock stall(m_Worker.WriterLock());
        m_Clock.AdvanceMs(1000);
        bDelivered = KyTestDeliverMarked(m_Worker, kFrame);
        nQueued = m_Worker.getFrameCount();
    }
    ASSERT_TRUE(bDelivered);
    EXPECT_GE(nQueued, 9u);  // ten, one of which the loop may already hold
    EXPECT_LE(nQueued, 10u);
}

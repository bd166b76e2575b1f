// The record worker's display sink: centred pictures in pooled buffers, refused buffers, paced
// queueing with its cap, and the picture callback.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "KyTestCameraVideoRecord.h"
#include "KyTestClock.h"
#include "KyTestFrameDelivery.h"
#include "KyTestRecordingDisplay.h"

namespace {

const KyCSize2 kFrame(640, 480);

class KyCCameraVideoRecordSinkTest : public ::testing::Test {
protected:
    void SetUp() override { m_Worker.ConfigureSink(kFrame, 4); }

    // One frame through the sink; false when no buffer came.
    bool deliver(KyCSize2 size = kFrame, unsigned char nValue = 0x40) {
        return KyTestDeliverFilled(m_Worker, size, 4, nValue);
    }

    KyTestClock m_Clock;
    KyTestCameraVideoRecord m_Worker;
};

bool isZero(const unsigned char* p, size_t nBytes) {
    for (size_t i = 0; i < nBytes; ++i) {
        if (p[i] != 0)
            return false;
    }
    return true;
}

}  // namespace

TEST_F(KyCCameraVideoRecordSinkTest, NarrowPictureIsCentredAndItsBorderCleared) {
    // An older frame left every byte of the buffer set.
    ASSERT_TRUE(deliver(kFrame, 0xFF));
    m_Worker.copyPictureTo(nullptr);  // the last frame lets go of the buffer

    int nPitch = 0;
    unsigned char* pAddress = m_Worker.GetBitmapBuffer(KyCSize2(600, 480), &nPitch, 32);
    ASSERT_NE(pAddress, nullptr);
    EXPECT_EQ(nPitch, 640 * 4);
    // The same pooled buffer again (still 0xFF), 20 pixels into its first row.
    EXPECT_EQ(m_Worker.BuffersAllocated(), 1u);
    const unsigned char* pFirstPixel = pAddress - 20 * 4;
    for (int nRow = 0; nRow < 480; ++nRow) {
        const unsigned char* pRow = pFirstPixel + nRow * nPitch;
        ASSERT_TRUE(isZero(pRow, 20 * 4)) << "left border, row " << nRow;
        ASSERT_TRUE(isZero(pRow + 620 * 4, 20 * 4)) << "right border, row " << nRow;
        ASSERT_EQ(pRow[20 * 4], 0xFF) << "the picture area is the producer's";
        ASSERT_EQ(pRow[619 * 4 + 3], 0xFF);
    }
    m_Worker.ReleaseBitmapBuffer(true);
    EXPECT_EQ(m_Worker.LastFrameRect(), KyCRect2(20, 0, 619, 479));
}

TEST_F(KyCCameraVideoRecordSinkTest, OffsetsTruncateTowardsZero) {
    int nPitch = 0;
    unsigned char* pWhole = m_Worker.GetBitmapBuffer(kFrame, &nPitch, 32);
    ASSERT_NE(pWhole, nullptr);
    m_Worker.ReleaseBitmapBuffer(true);
    EXPECT_EQ(m_Worker.LastFrameRect(), KyCRect2(0, 0, 639, 479));

    // The only free buffer is the same one once the last frame lets go of it.
    m_Worker.copyPictureTo(nullptr);
    unsigned char* pAddress = m_Worker.GetBitmapBuffer(KyCSize2(635, 473), &nPitch, 32);
    ASSERT_NE(pAddress, nullptr);
    EXPECT_EQ(pAddress - pWhole, 3 * nPitch + 2 * 4);  // (480 - 473) / 2 rows, 5 / 2 columns
    m_Worker.ReleaseBitmapBuffer(true);
    EXPECT_EQ(m_Worker.LastFrameRect(), KyCRect2(2, 3, 636, 475));
}

TEST_F(KyCCameraVideoRecordSinkTest, RefusesWhatDoesNotFitTheFrame) {
    int nPitch = -7;
    EXPECT_EQ(m_Worker.GetBitmapBuffer(kFrame, &nPitch, 8), nullptr);
    EXPECT_EQ(m_Worker.GetBitmapBuffer(kFrame, &nPitch, 24), nullptr);
    EXPECT_EQ(m_Worker.GetBitmapBuffer(KyCSize2(641, 480), &nPitch, 32), nullptr);
    EXPECT_EQ(m_Worker.GetBitmapBuffer(KyCSize2(640, 481), &nPitch, 32), nullptr);
    EXPECT_EQ(m_Worker.GetBitmapBuffer(KyCSize2(-2, 480), &nPitch, 32), nullptr);
    EXPECT_EQ(nPitch, -7);
    EXPECT_EQ(m_Worker.BuffersAllocated(), 0u);
    EXPECT_FALSE(m_Worker.FrameInUse());

    // Grey frames take only 8 bits.
    m_Worker.ConfigureSink(kFrame, 1);
    EXPECT_EQ(m_Worker.GetBitmapBuffer(kFrame, &nPitch, 32), nullptr);
    EXPECT_NE(m_Worker.GetBitmapBuffer(kFrame, &nPitch, 8), nullptr);
    EXPECT_EQ(nPitch, 640);
}

TEST_F(KyCCameraVideoRecordSinkTest, SecondBufferOnlyAfterTheRelease) {
    ASSERT_NE(m_Worker.GetBitmapBuffer(kFrame, nullptr, 32), nullptr);
    EXPECT_TRUE(m_Worker.FrameInUse());
    EXPECT_EQ(m_Worker.GetBitmapBuffer(kFrame, nullptr, 32), nullptr);
    m_Worker.ReleaseBitmapBuffer(true);
    EXPECT_FALSE(m_Worker.FrameInUse());
    EXPECT_NE(m_Worker.GetBitmapBuffer(kFrame, nullptr, 32), nullptr);
}

TEST_F(KyCCameraVideoRecordSinkTest, ThirteenBuffersAndThenNone) {
    m_Worker.SetCapturePending(true);
    std::vector<KyCFieldBase> arrHeld;
    // Each frame is queued for the capture and then held here, so no buffer comes free.
    for (int i = 0; i < 13; ++i) {
        ASSERT_TRUE(deliver()) << i;
        KyCFieldBase frame;
        ASSERT_TRUE(m_Worker.getFrame(frame, true));
        arrHeld.push_back(frame);
        m_Worker.copyPictureTo(nullptr);  // lets go of the last frame
        m_Worker.SetCapturePending(true);
    }
    EXPECT_EQ(m_Worker.BuffersAllocated(), 13u);
    EXPECT_EQ(m_Worker.BufferCount(), 13u);
    EXPECT_EQ(m_Worker.BufferCapacity(), 13u);
    EXPECT_FALSE(deliver());
    EXPECT_FALSE(m_Worker.FrameInUse());

    arrHeld.pop_back();  // one buffer free again: it is handed out, no fourteenth is made
    EXPECT_TRUE(deliver());
    EXPECT_EQ(m_Worker.BuffersAllocated(), 13u);
}

TEST_F(KyCCameraVideoRecordSinkTest, WithoutRecordingOrCaptureFramesOnlyBecomeTheLastFrame) {
    ASSERT_TRUE(deliver());
    EXPECT_EQ(m_Worker.getFrameCount(), 0u);
    EXPECT_FALSE(m_Worker.QueueEventIsSet());
    EXPECT_EQ(m_Worker.LastFrameRect(), KyCRect2(0, 0, 639, 479));
    EXPECT_TRUE(m_Worker.LastFrameTimeIsValid());
}

TEST_F(KyCCameraVideoRecordSinkTest, InvalidReleaseLeavesNoLastFrame) {
    ASSERT_TRUE(deliver());
    m_Worker.SetCapturePending(true);
    ASSERT_NE(m_Worker.GetBitmapBuffer(kFrame, nullptr, 32), nullptr);
    m_Worker.ReleaseBitmapBuffer(false);
    EXPECT_TRUE(m_Worker.LastFrameRect().IsEmpty());
    EXPECT_FALSE(m_Worker.FrameInUse());
    EXPECT_EQ(m_Worker.getFrameCount(), 0u);
    EXPECT_TRUE(m_Worker.IsCapturePending());  // still waiting for a usable frame
}

TEST_F(KyCCameraVideoRecordSinkTest, CaptureGetsOneSharedFrameAndStopsWaiting) {
    m_Worker.SetCapturePending(true);
    int nPitch = 0;
    unsigned char* pAddress = m_Worker.GetBitmapBuffer(kFrame, &nPitch, 32);
    ASSERT_NE(pAddress, nullptr);
    m_Worker.ReleaseBitmapBuffer(true);
    EXPECT_FALSE(m_Worker.IsCapturePending());
    EXPECT_TRUE(m_Worker.QueueEventIsSet());
    // No pixel was copied: the queued frame is the pooled buffer itself.
    EXPECT_EQ(m_Worker.QueuedAddresses(), std::vector<const unsigned char*>{pAddress});
    ASSERT_TRUE(deliver());
    EXPECT_EQ(m_Worker.getFrameCount(), 1u);
}

TEST_F(KyCCameraVideoRecordSinkTest, CopiesCatchUpWithRealTime) {
    // 40 frames written, 2 waiting, 2.6 s since the start at 18 frames per second:
    // floor(46.8) - 40 - 2 = 4 copies.
    m_Worker.SetPacing(true, true, 1.0f / 18.0f, 40);
    m_Worker.QueueFrame(KyCFieldBase());
    m_Worker.QueueFrame(KyCFieldBase());
    m_Clock.AdvanceMs(2600);
    ASSERT_TRUE(deliver());
    EXPECT_EQ(m_Worker.getFrameCount(), 6u);
    // All four copies share one buffer.
    const std::vector<const unsigned char*> arrAddresses = m_Worker.QueuedAddresses();
    EXPECT_EQ(arrAddresses[2], arrAddresses[5]);
    EXPECT_NE(arrAddresses[2], nullptr);
}

TEST_F(KyCCameraVideoRecordSinkTest, AheadOfRealTimeEveryFrameIsStillQueuedOnce) {
    m_Worker.SetPacing(true, true, 1.0f / 18.0f, 36);
    m_Clock.AdvanceMs(1000);  // 18 frames due, 36 written
    ASSERT_TRUE(deliver());
    EXPECT_EQ(m_Worker.getFrameCount(), 1u);
}

TEST_F(KyCCameraVideoRecordSinkTest, WithoutAStartOrAnIntervalEveryFrameIsQueuedOnce) {
    m_Worker.SetPacing(true, false, 1.0f / 18.0f, 0);
    m_Clock.AdvanceMs(5000);
    ASSERT_TRUE(deliver());
    EXPECT_EQ(m_Worker.getFrameCount(), 1u);

    m_Worker.clearFrames();
    m_Worker.SetPacing(true, true, 0.0f, 0);
    m_Clock.AdvanceMs(5000);
    ASSERT_TRUE(deliver());
    EXPECT_EQ(m_Worker.getFrameCount(), 1u);
}

TEST_F(KyCCameraVideoRecordSinkTest, TenWaitingFramesCapTheQueue) {
    m_Worker.SetPacing(true, true, 1.0f / 18.0f, 0);
    m_Clock.AdvanceMs(10000);  // 180 frames due
    ASSERT_TRUE(deliver(kFrame, 0x11));
    EXPECT_EQ(m_Worker.getFrameCount(), 10u);
    EXPECT_EQ(m_Worker.QueueBlocksAllocated(), 1u);  // ten nodes: the first block only

    // A further frame is not queued but is shown.
    m_Worker.copyPictureTo(nullptr);
    ASSERT_TRUE(deliver(KyCSize2(320, 240), 0x22));
    EXPECT_EQ(m_Worker.getFrameCount(), 10u);
    EXPECT_EQ(m_Worker.LastFrameRect(), KyCRect2(160, 120, 479, 359));

    // A capture waiting on a full queue keeps waiting.
    m_Worker.SetPacing(false, true, 1.0f / 18.0f, 0);
    m_Worker.SetCapturePending(true);
    m_Worker.copyPictureTo(nullptr);
    ASSERT_TRUE(deliver());
    EXPECT_TRUE(m_Worker.IsCapturePending());
}

TEST_F(KyCCameraVideoRecordSinkTest, PictureCallbackCopiesTheLastFrameOnce) {
    KyTestRecordingDisplay target;
    int nPitch = 0;
    unsigned char* pAddress = m_Worker.GetBitmapBuffer(KyCSize2(4, 3), &nPitch, 32);
    ASSERT_NE(pAddress, nullptr);
    for (int nRow = 0; nRow < 3; ++nRow) {
        for (int nByte = 0; nByte < 16; ++nByte)
            pAddress[nRow * nPitch + nByte] = static_cast<unsigned char>(nRow * 16 + nByte);
    }
    m_Worker.ReleaseBitmapBuffer(true);
    EXPECT_EQ(m_Worker.GetPictureSize(), KyCSize2(4, 3));

    m_Worker.copyPictureTo(&target);
    const KyTestRecordingDisplay::Frame picture = target.GetLastFrame();
    ASSERT_EQ(picture.size, KyCSize2(4, 3));
    ASSERT_EQ(picture.nBytesPerPixel, 4);
    for (int i = 0; i < 48; ++i)
        ASSERT_EQ(picture.vecPixels[i], i) << "byte " << i;
    EXPECT_EQ(m_Worker.GetPictureSize(), KyCSize2(0, 0));

    // Without a new frame the target is asked for an empty picture, and refuses it.
    m_Worker.copyPictureTo(&target);
    EXPECT_EQ(target.TakeCalls(),
              (std::vector<std::string>{"GetBitmapBuffer(4x3,32)", "ReleaseBitmapBuffer(true)",
                                        "GetBitmapBuffer(0x0,32)", "ReleaseBitmapBuffer(false)"}));
    EXPECT_EQ(target.GetFrameCount(), 1u);
}

TEST_F(KyCCameraVideoRecordSinkTest, DisplayFaceAnswers) {
    KyCCameraVideoRecord& worker = m_Worker;
    IAcquireDisplaySource& source = worker;
    EXPECT_EQ(source.GetDisplay(0), static_cast<IAcquireDisplay*>(&worker));
    EXPECT_EQ(source.GetDisplay(2), static_cast<IAcquireDisplay*>(&worker));
    EXPECT_FALSE(worker.IsBitmapBufferLocked());
    EXPECT_EQ(worker.GetDroppedFrameCount(), 0);
    EXPECT_TRUE(worker.IsDisplayEnabled());
    worker.SetPixelFormat(8);
    EXPECT_EQ(worker.GetPixelFormat(), 15);
    EXPECT_EQ(worker.GetBitmapSize(), KyCSize2(0, 0));
    worker.SetBitmapSize(KyCSize2(12, 34));
    EXPECT_EQ(worker.GetBitmapSize(), KyCSize2(12, 34));
    EXPECT_EQ(m_Worker.FrameSize(), kFrame);  // the bitmap size is only kept
    EXPECT_EQ(worker.GetDisplayCount(), 1);
    worker.SetDisplayState(3);
    EXPECT_EQ(worker.GetDisplayState(), 0);
    EXPECT_TRUE(worker.StopDisplay());
}

TEST_F(KyCCameraVideoRecordSinkTest, QueueSharesItsHeadAndItsEventFollowsAdditionsAndRemovals) {
    KyCFieldBase frame;
    EXPECT_FALSE(m_Worker.getFrame(frame, true));
    EXPECT_TRUE(frame.IsEmpty());
    m_Worker.QueueFrame(KyCFieldBase(KyCRect2(0, 0, 1, 1), 4, 0));
    EXPECT_TRUE(m_Worker.QueueEventIsSet());
    m_Worker.QueueFrame(KyCFieldBase(KyCRect2(0, 0, 1, 1), 4, 0));
    const std::vector<const unsigned char*> arrBefore = m_Worker.QueuedAddresses();

    // Peeking changes nothing.
    ASSERT_TRUE(m_Worker.getFrame(frame, false));
    EXPECT_EQ(frame.m_pData, arrBefore[0]);
    EXPECT_EQ(m_Worker.getFrameCount(), 2u);
    EXPECT_TRUE(m_Worker.QueueEventIsSet());

    // Every removal resets the event, even when frames remain.
    ASSERT_TRUE(m_Worker.getFrame(frame, true));
    EXPECT_EQ(frame.m_pData, arrBefore[0]);
    EXPECT_FALSE(m_Worker.QueueEventIsSet());
    EXPECT_EQ(m_Worker.QueuedAddresses(), std::vector<const unsigned char*>{arrBefore[1]});

    m_Worker.QueueFrame(frame);
    m_Worker.clearFrames();
    EXPECT_EQ(m_Worker.getFrameCount(), 0u);
    EXPECT_FALSE(m_Worker.QueueEventIsSet());
    EXPECT_FALSE(m_Worker.getFrame(frame, false));
    EXPECT_TRUE(frame.IsEmpty());
}

TEST_F(KyCCameraVideoRecordSinkTest, NodesAreRecycledSoTheFirstBlockLasts) {
    KyCFieldBase frame(KyCRect2(0, 0, 1, 1), 4, 0);
    KyCFieldBase taken;
    for (int i = 0; i < 500; ++i) {
        m_Worker.QueueFrame(frame);
        m_Worker.QueueFrame(frame);
        ASSERT_TRUE(m_Worker.getFrame(taken, true));
        ASSERT_TRUE(m_Worker.getFrame(taken, true));
    }
    EXPECT_EQ(m_Worker.QueueBlocksAllocated(), 1u);
    // Emptied nodes let go of their frames.
    taken.Empty();
    EXPECT_TRUE(frame.IsLastRef());
}

// The controller's read-only views as a host reads them: the recording statistics of a paced and
// of a stalled recording, and the state snapshot after browsing and removal.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "KyCCameraVideoVDX.h"
#include "KyCameraVideoFactory.h"
#include "KyTestCameraVideoRecord.h"
#include "KyTestClock.h"
#include "KyTestComponent.h"
#include "KyTestFrameDelivery.h"
#include "KyTestRecordingDisplay.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"
#include "KyTestVideoProbe.h"
#include "KyTestWait.h"

namespace {

// Written and waiting frames account for every copy that was not dropped.
::testing::AssertionResult accountsForEveryCopy(const SRecordingStatistics& stats) {
    if (stats.nFramesWritten + stats.nFramesWaiting ==
        stats.nFramesDelivered + stats.nFramesRepeated - stats.nFramesDropped)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << stats.nFramesWritten << " written + " << stats.nFramesWaiting
           << " waiting != " << stats.nFramesDelivered << " delivered + " << stats.nFramesRepeated
           << " repeated - " << stats.nFramesDropped << " dropped";
}

}  // namespace

TEST(KyCameraVideoViewsTest, PacedRecordingThroughTheFactoryCountsRepeatsAndBytes) {
    KyTestClock clock;
    KyTestTempDir dir;
    KyTestRecordingAcquisition acquisition;
    acquisition.Install();
    acquisition.SetImageSize(64, 48);
    KyTestRecordingDisplay live;
    IAcquireDisplaySource*& pSource = RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource;
    IAcquireDisplaySource* const pSavedSource = pSource;
    pSource = &live;
    RUXComponentFactory::ReleaseCameraVideo();
    {
        CbSmartPointer<KyICameraVideo> pVideo =
            RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
        // The host's way to the views.
        const KyCCameraVideoVDX* pController = dynamic_cast<const KyCCameraVideoVDX*>(
            pVideo->GetExtension(KyICameraVideoVDX::kExtensionName, false));
        ASSERT_NE(pController, nullptr);
        ASSERT_TRUE(pVideo->SetFilePath(dir.Path()));
        ASSERT_TRUE(pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
        ASSERT_TRUE(pVideo->StartVideo());

        // A camera at 9 frames per second into an 18 per second video: about one repeat each.
        const int nFrames = 20;
        for (int i = 0; i < nFrames; ++i) {
            clock.AdvanceNs(1000000000 / 9);
            ASSERT_TRUE(KyTestDeliverMarked(*acquisition.GetDisplaySource()->GetDisplay(0),
                                            KyCSize2(64, 48)));
            // Written once the loop has taken every copy of the frame.
            ASSERT_TRUE(KyTestWaitFor([&] {
                const SRecordingStatistics stats = pController->GetRecordingStatistics();
                return stats.nFramesWaiting == 0 && accountsForEveryCopy(stats);
            }));
        }
        const SRecordingStatistics running = pController->GetRecordingStatistics();
        EXPECT_TRUE(running.bRecording);
        EXPECT_TRUE(pController->GetState().bRecording);
        EXPECT_EQ(running.nFramesDelivered, static_cast<std::uint64_t>(nFrames));
        EXPECT_GE(running.nFramesRepeated, static_cast<std::uint64_t>(nFrames - 3));
        EXPECT_LE(running.nFramesRepeated, static_cast<std::uint64_t>(nFrames + 1));
        EXPECT_EQ(running.nFramesDropped, 0u);
        EXPECT_TRUE(accountsForEveryCopy(running));
        EXPECT_GT(running.nBytesWritten, 0u);
        EXPECT_NEAR(running.fElapsedS, nFrames / 9.0, 0.01);

        ASSERT_TRUE(pVideo->StopVideo());
        clock.AdvanceNs(5000000000);  // the last recording's length stays as it was
        const SRecordingStatistics stopped = pController->GetRecordingStatistics();
        EXPECT_FALSE(stopped.bRecording);
        EXPECT_EQ(stopped.nFramesWritten, running.nFramesWritten);
        EXPECT_NEAR(stopped.fElapsedS, nFrames / 9.0, 0.01);
        const SCameraVideoState state = pController->GetState();
        EXPECT_FALSE(state.bRecording);
        EXPECT_TRUE(state.bWorkerRunning);
        ASSERT_EQ(state.arrCatalogue.size(), 1u);
        if (KyTestHaveFfmpeg()) {
            KyTestVideoProbe probe;
            ASSERT_TRUE(KyTestProbeVideo(dir.File(state.arrCatalogue[0].strFileName), false, probe))
                << probe.strError;
            EXPECT_EQ(probe.nPackets, static_cast<int>(stopped.nFramesWritten));
        }
        pVideo->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
        EXPECT_FALSE(pController->GetState().bWorkerRunning);
    }
    RUXComponentFactory::ReleaseCameraVideo();
    pSource = pSavedSource;
    KyTestTakeVideoMessages();
}

TEST(KyCameraVideoViewsTest, StalledWriterDropsCopiesAndCountsThem) {
    KyTestClock clock;  // stands still: one copy per frame
    KyTestTempDir dir;
    KyTestCameraVideoRecord worker;
    ASSERT_TRUE(worker.StartThread(nullptr, KyCSize2(32, 24), 15));
    ASSERT_TRUE(worker.StartRecording(18, dir.File(L"v.avi")));
    const int nFrames = 15;
    const unsigned nMaxQueued = KyCCameraVideoRecord::kMaxQueuedFrames;
    {
        CbCriticalSectionLock stall(worker.WriterLock());
        for (int i = 0; i < nFrames; ++i)
            ASSERT_TRUE(KyTestDeliverMarked(worker, KyCSize2(32, 24)));
        const SRecordingStatistics stalled = worker.GetStatistics();
        EXPECT_EQ(stalled.nFramesDelivered, static_cast<std::uint64_t>(nFrames));
        EXPECT_EQ(stalled.nFramesWaiting, nMaxQueued);
        // The loop may hold one frame while it waits for the writer.
        EXPECT_GE(stalled.nFramesDropped, nFrames - nMaxQueued - 1);
        EXPECT_LE(stalled.nFramesDropped, nFrames - nMaxQueued);
        EXPECT_EQ(worker.GetDroppedFrameCount(), 0);  // the display face's answer stays 0
    }
    // Written before the stop, which would clear what still waits.
    ASSERT_TRUE(KyTestWaitFor([&] {
        const SRecordingStatistics stats = worker.GetStatistics();
        return stats.nFramesWaiting == 0 && accountsForEveryCopy(stats);
    }));
    ASSERT_TRUE(worker.StopRecording());
    const SRecordingStatistics stats = worker.GetStatistics();
    EXPECT_EQ(stats.nFramesWaiting, 0u);
    EXPECT_EQ(stats.nFramesRepeated, 0u);
    EXPECT_TRUE(accountsForEveryCopy(stats));

    // A new recording starts counting afresh.
    ASSERT_TRUE(worker.StartRecording(18, dir.File(L"w.avi")));
    const SRecordingStatistics fresh = worker.GetStatistics();
    EXPECT_EQ(fresh.nFramesDelivered + fresh.nFramesWritten + fresh.nFramesDropped, 0u);
    ASSERT_TRUE(worker.StopThread());
}

TEST(KyCameraVideoViewsTest, StateAfterBrowsingAndRemovalMatchesTheInterface) {
    KyTestTempDir dir;
    const std::int64_t k0800 = 1704096000;  // 2024-01-01 08:00 UTC
    const wchar_t* const apszNames[] = {L"20240101-080000.jpg", L"20240101-090000.avi",
                                        L"20240101-100000.jpg", L"20240101-110000.avi"};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(KyTestWriteFile(dir.File(apszNames[i]), "x", k0800 + 3600 * i));
    KyCCameraVideoVDX controller;
    KyICameraVideo& video = controller;
    ASSERT_TRUE(video.SetFilePath(dir.Path()));
    ASSERT_TRUE(video.SetVideoMode(eVideoModePlay, eVideoMediaTypeVideo));
    ASSERT_TRUE(video.PreviousFile(eVideoMediaTypeVideo));
    ASSERT_TRUE(video.StartVideo());

    // The state of each view names the file the interface answers for it.
    const auto expectViewsMatch = [&](const SCameraVideoState& state) {
        const std::pair<ERUXVideoMediaType, int> views[] = {
            {eVideoMediaTypeNone, state.nCurrentIndex},
            {eVideoMediaTypeVideo, state.nCurrentVideoIndex},
            {eVideoMediaTypePicture, state.nCurrentPictureIndex}};
        for (const auto& view : views) {
            const std::wstring strAnswer = video.GetFileName(view.first, nullptr);
            if (view.second < 0) {
                EXPECT_EQ(KyTestUtf8(strAnswer), "") << view.first;
                continue;
            }
            ASSERT_LT(view.second, static_cast<int>(state.arrCatalogue.size()));
            EXPECT_EQ(KyTestUtf8(strAnswer),
                      KyTestUtf8(dir.File(state.arrCatalogue[view.second].strFileName)))
                << view.first;
        }
    };

    SCameraVideoState state = controller.GetState();
    EXPECT_EQ(state.eVideoMode, eVideoModePlay);
    EXPECT_EQ(state.ePlayMediaType, eVideoMediaTypeVideo);
    EXPECT_TRUE(state.bStarted);
    EXPECT_FALSE(state.bWorkerRunning);
    EXPECT_EQ(state.strFilePath, dir.Path());
    ASSERT_EQ(state.arrCatalogue.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(KyTestUtf8(state.arrCatalogue[i].strFileName), KyTestUtf8(apszNames[i]));
        EXPECT_EQ(state.arrCatalogue[i].nTime, k0800 + 3600 * i);
        EXPECT_EQ(state.arrCatalogue[i].eMediaType,
                  i % 2 == 0 ? eVideoMediaTypePicture : eVideoMediaTypeVideo);
    }
    EXPECT_EQ(state.nCurrentVideoIndex, 1);  // one step back from the newest video
    expectViewsMatch(state);

    ASSERT_TRUE(video.RemoveFile(eVideoMediaTypeVideo));
    state = controller.GetState();
    ASSERT_EQ(state.arrCatalogue.size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir.File(apszNames[1]))));
    for (const SCatalogueEntry& entry : state.arrCatalogue)
        EXPECT_NE(KyTestUtf8(entry.strFileName), KyTestUtf8(apszNames[1]));
    expectViewsMatch(state);
    int nCount = -1;
    video.HasData(eVideoMediaTypeVideo, &nCount);
    EXPECT_EQ(nCount, 1);
}

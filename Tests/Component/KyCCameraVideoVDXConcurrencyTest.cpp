// Host threads browsing, rescanning and switching modes at once: every answer stays one that a
// consistent catalogue could give.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"

TEST(KyCCameraVideoVDXConcurrencyTest, BrowsingRescanningAndSwitchingFromSeveralThreads) {
    KyTestRecordingAcquisition acquisition;
    acquisition.Install();
    KyTestTempDir dir;
    ASSERT_TRUE(KyTestWriteMedia(dir.Path(), "V P V P V"));
    std::set<std::wstring> setPaths;
    for (const wchar_t* pszName : {L"v0.avi", L"p1.jpg", L"v2.avi", L"p3.jpg", L"v4.avi"})
        setPaths.insert(dir.Path() + KyTestNative(L"\\") + pszName);
    KyTestDisplaySource live;
    KyCCameraVideoVDX vdx;
    KyICameraVideo& video = vdx;
    video.SetLiveBitmapHandler(&live);
    ASSERT_TRUE(video.SetFilePath(dir.Path()));

    const int kRounds = 300;
    std::atomic<int> nBadAnswers{0};
    std::thread browser([&] {
        for (int i = 0; i < kRounds; ++i) {
            video.NextFile(eVideoMediaTypeNone);
            video.PreviousFile(eVideoMediaTypeVideo);
            video.NextFile(eVideoMediaTypePicture);
        }
    });
    std::thread reader([&] {
        for (int i = 0; i < kRounds; ++i) {
            int nPosition = 0;
            const std::wstring strPath = video.GetFileName(eVideoMediaTypeNone, &nPosition);
            if (!strPath.empty() && (setPaths.count(strPath) == 0 || nPosition < 0))
                ++nBadAnswers;
            int nCount = -1;
            video.HasData(eVideoMediaTypeVideo, &nCount);
            if (nCount != 3)  // a rescan holds the lock throughout: never half-built
                ++nBadAnswers;
            if (vdx.GetState().arrCatalogue.size() != 5)
                ++nBadAnswers;
        }
    });
    std::thread switcher([&] {
        for (int i = 0; i < kRounds / 10; ++i) {
            video.SetFilePath(dir.Path());
            video.SetVideoMode(i % 2 == 0 ? eVideoModePlay : eVideoModeNone, eVideoMediaTypeNone);
            video.StartVideo();
            video.StopVideo();
        }
    });
    browser.join();
    reader.join();
    switcher.join();

    EXPECT_EQ(nBadAnswers.load(), 0);
    EXPECT_EQ(KyTestNames(vdx.GetState()), "v0.avi p1.jpg v2.avi p3.jpg v4.avi");
    video.SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
    KyTestTakeVideoMessages();
}

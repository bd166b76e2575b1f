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
    std::set<std::wstring> setPaths;
    const wchar_t* const aszNames[] = {L"a.avi", L"b.jpg", L"c.avi", L"d.jpg", L"e.avi"};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(KyTestWriteFile(dir.File(aszNames[i]), "x", 1704096000 + i));
        setPaths.insert(dir.Path() + KyTestNative(L"\\") + aszNames[i]);
    }
    KyTestDisplaySource live;
    KyTestCameraVideoVDX vdx;
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
            video.GetVideoMode();
            video.IsRunning();
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
    int nCount = 0;
    EXPECT_TRUE(video.HasData(eVideoMediaTypeNone, &nCount));
    EXPECT_EQ(nCount, 5);
    video.SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
    KyTestTakeVideoMessages();
}

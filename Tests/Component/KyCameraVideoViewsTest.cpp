// The controller's state view as a host reads it: the catalogue and the three current positions
// after browsing and removal, each naming the file the interface answers for that view.
#include <gtest/gtest.h>

#include <filesystem>

#include "KyCCameraVideoVDX.h"
#include "KyTestComponent.h"
#include "KyTestTempDir.h"

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

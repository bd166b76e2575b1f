// The component as a host gets it: from the library's factory, driven only through the
// interface, over a real media directory.
#include <gtest/gtest.h>

#include "KyCameraVideoFactory.h"
#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"

namespace {

class KyCameraVideoLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        RUXComponentFactory::ReleaseCameraVideo();
        m_Acquisition.Install();
        m_Acquisition.NameSource(RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource,
                                 "live");
        KyTestTakeVideoMessages();
        // Oldest first: a.jpg, b.avi, c.avi, d.jpg.
        const std::int64_t nBase = 1704096000;
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"c.avi"), "c", nBase + 20));
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"a.jpg"), "a", nBase));
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"d.jpg"), "d", nBase + 30));
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"b.avi"), "b", nBase + 10));
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~video.avi"), "leftover"));
    }
    void TearDown() override {
        RUXComponentFactory::ReleaseCameraVideo();
        KyTestTakeVideoMessages();
    }
    std::wstring path(const wchar_t* pszName) const {
        return m_Dir.Path() + KyTestNative(L"\\") + pszName;
    }

    KyTestRecordingAcquisition m_Acquisition;
    KyTestTempDir m_Dir;
};

}  // namespace

TEST_F(KyCameraVideoLibraryTest, PlaysAndBrowsesARealDirectory) {
    KyICameraVideo& video = RUXComponentFactory::GetCameraVideo(eAcquireDeviceVDX);
    ASSERT_NE(video.GetExtension("RUX.CameraVideoVDX", false), nullptr);

    EXPECT_TRUE(video.SetFilePath(m_Dir.Path()));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    int nCount = 0;
    EXPECT_TRUE(video.HasData(eVideoMediaTypeNone, &nCount));
    EXPECT_EQ(nCount, 4);

    EXPECT_TRUE(video.SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(m_Acquisition.TakeCalls(),
              (std::vector<std::string>{"StopAcquisition(1,0)", "SetDisplaySource(live)"}));
    EXPECT_EQ(video.GetMediaType(eVideoModePlay), eVideoMediaTypePicture);
    int nPosition = -1;
    EXPECT_EQ(video.GetFileName(&nPosition), path(L"d.jpg"));
    EXPECT_EQ(nPosition, 1);

    // Back through all media: c.avi, then b.avi.
    EXPECT_TRUE(video.PreviousFile(eVideoMediaTypeNone));
    EXPECT_EQ(video.GetMediaType(eVideoModePlay), eVideoMediaTypeVideo);
    EXPECT_EQ(video.GetFileName(&nPosition), path(L"c.avi"));
    EXPECT_EQ(nPosition, 1);
    EXPECT_TRUE(video.PreviousFile(eVideoMediaTypeVideo));
    EXPECT_EQ(video.GetFileName(eVideoMediaTypeNone, &nPosition), path(L"b.avi"));
    EXPECT_EQ(nPosition, 1);

    EXPECT_TRUE(video.StartVideo());
    EXPECT_TRUE(video.IsRunning());
    EXPECT_TRUE(video.StopVideo());
    EXPECT_FALSE(video.IsRunning());
    EXPECT_EQ(KyTestTakeVideoMessages(), 2);

    // Deleting b.avi moves the video view on to c.avi.
    EXPECT_TRUE(video.RemoveFile());
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"b.avi")));
    EXPECT_EQ(video.GetFileName(eVideoMediaTypeVideo, &nPosition), path(L"c.avi"));
    EXPECT_EQ(nPosition, 0);
    EXPECT_TRUE(video.HasData(eVideoMediaTypeVideo, &nCount));
    EXPECT_EQ(nCount, 1);
    EXPECT_FALSE(video.NextFile(eVideoMediaTypeVideo));

    EXPECT_TRUE(video.SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    EXPECT_EQ(video.GetVideoMode(), eVideoModeNone);
}

TEST_F(KyCameraVideoLibraryTest, TheNullComponentOfAnotherDeviceHasNoMedia) {
    KyICameraVideo& video = RUXComponentFactory::GetCameraVideo(eAcquireDeviceFile);
    EXPECT_FALSE(video.SetFilePath(m_Dir.Path()));
    EXPECT_FALSE(video.HasData(eVideoMediaTypeNone, nullptr));
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"~video.avi")));
}

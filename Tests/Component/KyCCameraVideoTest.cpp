// The null component: every answer through the interface, and that it touches nothing; the
// extension names of both components.
#include <gtest/gtest.h>

#include "KyCCameraVideo.h"
#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"

TEST(KyCCameraVideoTest, AnswersNoVideoNoMediaNoModeAndTouchesNothing) {
    KyTestRecordingAcquisition acquisition;
    KyTestTakeVideoMessages();
    KyTestTempDir dir;
    ASSERT_TRUE(KyTestWriteMedia(dir.Path(), "V P"));
    ASSERT_TRUE(KyTestWriteFile(dir.File(L"~video.avi"), "temp"));
    KyTestDisplaySource source;

    KyCCameraVideo nullVideo;
    KyICameraVideo& video = nullVideo;  // through the interface's table
    video.Init();
    video.SetLiveBitmapHandler(&source);
    EXPECT_FALSE(video.SetFilePath(dir.Path()));
    for (int nMode : {-1, 0, 1, -2}) {  // only switching off succeeds
        const ERUXVideoMode eMode = static_cast<ERUXVideoMode>(nMode);
        EXPECT_EQ(video.SetVideoMode(eMode, eVideoMediaTypePicture), nMode == -1);
        EXPECT_EQ(video.GetMediaType(eMode), eVideoMediaTypeNone);
    }
    EXPECT_EQ(video.GetVideoMode(), eVideoModeNone);
    EXPECT_FALSE(video.StartVideo());
    EXPECT_FALSE(video.IsRunning());
    EXPECT_TRUE(video.StopVideo());
    for (int nType : {-1, 0, 1}) {
        const ERUXVideoMediaType eType = static_cast<ERUXVideoMediaType>(nType);
        int nCount = 99;
        int nPosition = 99;
        EXPECT_FALSE(video.HasData(eType, &nCount));
        EXPECT_EQ(nCount, 0);
        EXPECT_EQ(video.GetFileName(eType, &nPosition), L"");
        EXPECT_EQ(nPosition, -1);
        EXPECT_FALSE(video.PreviousFile(eType) || video.NextFile(eType) || video.RemoveFile(eType));
    }
    EXPECT_EQ(video.GetFileName(nullptr), L"");
    EXPECT_FALSE(video.RemoveFile());
    video.Exit();

    EXPECT_TRUE(acquisition.TakeCalls().empty());
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
    for (const wchar_t* pszName : {L"~video.avi", L"v0.avi", L"p1.jpg"})
        EXPECT_TRUE(KyTestFileExists(dir.File(pszName))) << KyTestUtf8(pszName);
}

TEST(KyCCameraVideoTest, EachComponentAnswersItsOwnExtensionNamesExactly) {
    KyCCameraVideo nullVideo;
    KyCCameraVideoVDX vdx;
    const char* const aszOthers[] = {"rux.cameravideo", "RUX.CameraVideoVDX ", "", nullptr};
    KyICameraVideo* const apVideos[] = {&nullVideo, &vdx};
    for (KyICameraVideo* pVideo : apVideos) {
        const KyICameraVideo& constVideo = *pVideo;
        const IExtensionInterface* pSelf = pVideo;
        EXPECT_EQ(pVideo->GetExtension("RUX.CameraVideo", true), pSelf);
        EXPECT_EQ(constVideo.GetExtension("RUX.CameraVideoVDX", false),
                  pVideo == &vdx ? pSelf : nullptr);
        for (const char* pszName : aszOthers)
            EXPECT_EQ(pVideo->GetExtension(pszName, false), nullptr);
        EXPECT_THROW(constVideo.GetExtension("RUX.Other", true), CbExceptionUnknownExtension);
    }
}

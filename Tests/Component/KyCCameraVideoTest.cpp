// The null component: every answer, and that it touches nothing.
#include <gtest/gtest.h>

#include "KyCCameraVideo.h"
#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"

TEST(KyCCameraVideoTest, AnswersThatThereIsNoVideoNoMediaAndNoMode) {
    KyCCameraVideo nullVideo;
    KyICameraVideo& video = nullVideo;  // through the interface's table

    video.Init();
    video.Exit();
    video.SetLiveBitmapHandler(nullptr);
    EXPECT_TRUE(video.SetVideoMode(eVideoModeNone, eVideoMediaTypePicture));
    EXPECT_EQ(video.GetVideoMode(), eVideoModeNone);
    EXPECT_FALSE(video.SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_FALSE(video.SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    EXPECT_FALSE(video.SetVideoMode(static_cast<ERUXVideoMode>(-2), eVideoMediaTypeVideo));
    EXPECT_EQ(video.GetVideoMode(), eVideoModeNone);
    EXPECT_EQ(video.GetMediaType(eVideoModePlay), eVideoMediaTypeNone);
    EXPECT_EQ(video.GetMediaType(eVideoModeCamera), eVideoMediaTypeNone);
    EXPECT_EQ(video.GetMediaType(eVideoModeNone), eVideoMediaTypeNone);
    EXPECT_FALSE(video.StartVideo());
    EXPECT_TRUE(video.StopVideo());
    EXPECT_FALSE(video.IsRunning());
    EXPECT_FALSE(video.PreviousFile(eVideoMediaTypeNone));
    EXPECT_FALSE(video.NextFile(eVideoMediaTypeVideo));
    EXPECT_FALSE(video.RemoveFile(eVideoMediaTypePicture));
    EXPECT_FALSE(video.RemoveFile());
}

TEST(KyCCameraVideoTest, OutParametersAreWrittenAndNullOnesAccepted) {
    KyCCameraVideo nullVideo;
    KyICameraVideo& video = nullVideo;

    int nCount = 99;
    EXPECT_FALSE(video.HasData(eVideoMediaTypeNone, &nCount));
    EXPECT_EQ(nCount, 0);
    EXPECT_FALSE(video.HasData(eVideoMediaTypeVideo, nullptr));

    int nPosition = 99;
    EXPECT_EQ(video.GetFileName(eVideoMediaTypeVideo, &nPosition), L"");
    EXPECT_EQ(nPosition, -1);
    nPosition = 99;
    EXPECT_EQ(video.GetFileName(&nPosition), L"");
    EXPECT_EQ(nPosition, -1);
    EXPECT_EQ(video.GetFileName(eVideoMediaTypePicture, nullptr), L"");
    EXPECT_EQ(video.GetFileName(nullptr), L"");
}

TEST(KyCCameraVideoTest, TouchesNeitherAcquisitionNorFilesNorMessages) {
    KyTestRecordingAcquisition acquisition;
    acquisition.Install();
    KyTestTakeVideoMessages();
    KyTestTempDir dir;
    ASSERT_TRUE(KyTestWriteFile(dir.File(L"~video.avi"), "temp"));
    ASSERT_TRUE(KyTestWriteFile(dir.File(L"a.avi"), "a"));

    KyCCameraVideo nullVideo;
    KyICameraVideo& video = nullVideo;
    KyTestDisplaySource source;
    video.SetLiveBitmapHandler(&source);
    EXPECT_FALSE(video.SetFilePath(dir.Path()));
    video.SetVideoMode(eVideoModePlay, eVideoMediaTypeNone);
    video.SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
    video.StartVideo();
    video.StopVideo();
    video.RemoveFile();
    video.Exit();

    EXPECT_TRUE(acquisition.TakeCalls().empty());
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
    EXPECT_TRUE(KyTestFileExists(dir.File(L"~video.avi")));  // the path was not kept
    EXPECT_FALSE(video.HasData(eVideoMediaTypeNone, nullptr));
}

TEST(KyCCameraVideoTest, AnswersOnlyToTheCameraVideoExtension) {
    KyCCameraVideo video;
    const KyCCameraVideo& constVideo = video;
    EXPECT_EQ(video.GetExtension("RUX.CameraVideo", false),
              static_cast<IExtensionInterface*>(&video));
    EXPECT_EQ(constVideo.GetExtension("RUX.CameraVideo", true),
              static_cast<const IExtensionInterface*>(&video));
    EXPECT_EQ(video.GetExtension("RUX.CameraVideoVDX", false), nullptr);
    EXPECT_EQ(constVideo.GetExtension("rux.cameravideo", false), nullptr);
    EXPECT_EQ(video.GetExtension(nullptr, false), nullptr);

    std::string strFunction;
    try {
        constVideo.GetExtension("RUX.CameraVideoVDX", true);
    } catch (const CbExceptionUnknownExtension& error) {
        strFunction = error.GetFunction();
        EXPECT_GT(error.GetLine(), 0u);
        EXPECT_NE(std::string(error.GetFile()).find("KyCCameraVideo"), std::string::npos);
    }
    EXPECT_EQ(strFunction, "KyCCameraVideo::GetExtension");
}

TEST(KyCCameraVideoTest, CopiesKeepTheirOwnReferenceCounts) {
    CbSmartPointer<KyCCameraVideo> pOriginal(new KyCCameraVideo());
    CbSmartPointer<KyCCameraVideo> pSecond = pOriginal;
    EXPECT_EQ(KyTestReferenceCount(*pOriginal), 2u);

    KyCCameraVideo copy(*pOriginal);
    EXPECT_EQ(KyTestReferenceCount(copy), 0u);
    EXPECT_EQ(KyTestReferenceCount(*pOriginal), 2u);

    CbSmartPointer<KyCCameraVideo> pTarget(new KyCCameraVideo());
    *pTarget = *pOriginal;
    EXPECT_EQ(KyTestReferenceCount(*pTarget), 1u);
    copy = *pTarget;
    EXPECT_EQ(KyTestReferenceCount(copy), 0u);
    EXPECT_EQ(copy.GetVideoMode(), eVideoModeNone);
}

// Browsing and removal through the interface: counts, current paths and positions, stepping,
// and every index rule of removal.
#include <gtest/gtest.h>

#include "KyPlatform.h"
#include "KyPlatformFaults.h"
#include "KyTestComponent.h"
#include "KyTestTempDir.h"

namespace {

const ERUXVideoMediaType kAll = eVideoMediaTypeNone;
const ERUXVideoMediaType kVideo = eVideoMediaTypeVideo;
const ERUXVideoMediaType kPicture = eVideoMediaTypePicture;

class KyCCameraVideoVDXBrowseTest : public ::testing::Test {
protected:
    void SetUp() override { m_Vdx.SetFilePathOnly(m_Dir.Path()); }
    void TearDown() override { KyPlatformFaults::ClearAll(); }

    // The catalogue entries, with a file on disk for each.
    void entries(const char* pszSpec) {
        m_Vdx.AddEntries(pszSpec);
        for (int i = 0; i < m_Vdx.Count(); ++i) {
            const std::wstring strName = m_Vdx.getMediaFilename(kAll, i);
            ASSERT_TRUE(KyTestWriteFile(m_Dir.File(strName), KyTestUtf8(strName)));
        }
    }
    bool onDisk(const wchar_t* pszName) const { return KyTestFileExists(m_Dir.File(pszName)); }
    std::wstring path(const wchar_t* pszName) const {
        return m_Dir.Path() + KyTestNative(L"\\") + pszName;
    }

    KyTestTempDir m_Dir;
    KyTestCameraVideoVDX m_Vdx;
    KyICameraVideo& m_Video = m_Vdx;  // the interface's table
};

}  // namespace

TEST_F(KyCCameraVideoVDXBrowseTest, HasDataCountsEachType) {
    entries("V P V");
    int n = 99;
    EXPECT_TRUE(m_Video.HasData(kVideo, &n));
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(m_Video.HasData(kAll, &n));
    EXPECT_EQ(n, 3);
    EXPECT_TRUE(m_Video.HasData(kPicture, &n));
    EXPECT_EQ(n, 1);
    EXPECT_FALSE(m_Video.HasData(static_cast<ERUXVideoMediaType>(-2), &n));
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(m_Video.HasData(kVideo, nullptr));
}

TEST_F(KyCCameraVideoVDXBrowseTest, HasDataOnAnEmptyCatalogueWritesZero) {
    int n = 99;
    EXPECT_FALSE(m_Video.HasData(kAll, &n));
    EXPECT_EQ(n, 0);
}

TEST_F(KyCCameraVideoVDXBrowseTest, FileNameIsTheFullPathWithThePositionInItsType) {
    entries("V P V");
    m_Vdx.SetViews(2, 2, 1);
    int nPosition = 99;
    EXPECT_EQ(m_Video.GetFileName(kVideo, &nPosition), path(L"v2.avi"));
    EXPECT_EQ(nPosition, 1);
    EXPECT_EQ(m_Video.GetFileName(kPicture, &nPosition), path(L"p1.jpg"));
    EXPECT_EQ(nPosition, 0);
    EXPECT_EQ(m_Video.GetFileName(kAll, &nPosition), path(L"v2.avi"));
    EXPECT_EQ(nPosition, 2);
    EXPECT_EQ(m_Video.GetFileName(kPicture, nullptr), path(L"p1.jpg"));
}

TEST_F(KyCCameraVideoVDXBrowseTest, FileNameWithoutACurrentFileIsEmpty) {
    int nPosition = 99;
    EXPECT_EQ(m_Video.GetFileName(kAll, &nPosition), L"");
    EXPECT_EQ(nPosition, -1);
    entries("V P");
    m_Vdx.SetViews(-1, 0, -1);
    nPosition = 99;
    EXPECT_EQ(m_Video.GetFileName(kPicture, &nPosition), L"");
    EXPECT_EQ(nPosition, -1);
    nPosition = 99;
    EXPECT_EQ(m_Video.GetFileName(static_cast<ERUXVideoMediaType>(-2), &nPosition), L"");
    EXPECT_EQ(nPosition, -1);
}

TEST_F(KyCCameraVideoVDXBrowseTest, FileNameWithAnEmptyDirectoryIsTheBareName) {
    m_Vdx.SetFilePathOnly(L"");
    m_Vdx.AddEntries("V");
    m_Vdx.SetViews(0, 0, -1);
    EXPECT_EQ(m_Video.GetFileName(kVideo, nullptr), L"v0.avi");
}

TEST_F(KyCCameraVideoVDXBrowseTest, FileNameOfPlayModeFollowsThePlayMediaType) {
    entries("V P V");
    m_Vdx.SetViews(1, 0, 1);
    int nPosition = 99;
    m_Vdx.SetPlayMediaType(kVideo);
    EXPECT_EQ(m_Video.GetFileName(&nPosition), path(L"v0.avi"));
    EXPECT_EQ(nPosition, 0);
    m_Vdx.SetPlayMediaType(kAll);
    EXPECT_EQ(m_Video.GetFileName(&nPosition), path(L"p1.jpg"));
    EXPECT_EQ(nPosition, 1);
    EXPECT_EQ(m_Video.GetFileName(nullptr), path(L"p1.jpg"));
}

TEST_F(KyCCameraVideoVDXBrowseTest, StepsThroughVideosAndTheAllMediaViewFollows) {
    entries("V P V");
    m_Vdx.SetViews(2, 2, 1);
    EXPECT_FALSE(m_Video.NextFile(kVideo));  // v2 is the newest video
    EXPECT_EQ(m_Vdx.Views(), "2/2/1");
    EXPECT_TRUE(m_Video.PreviousFile(kVideo));
    EXPECT_EQ(m_Vdx.Views(), "0/0/1");
    EXPECT_EQ(m_Vdx.PlayMediaType(), kAll);  // a type's step leaves it alone
    EXPECT_TRUE(m_Video.NextFile(kAll));
    EXPECT_EQ(m_Vdx.Views(), "1/0/1");
    EXPECT_EQ(m_Vdx.PlayMediaType(), kPicture);
    EXPECT_TRUE(m_Video.NextFile(kAll));
    EXPECT_EQ(m_Vdx.Views(), "2/2/1");
    EXPECT_EQ(m_Vdx.PlayMediaType(), kVideo);
    EXPECT_FALSE(m_Video.NextFile(kAll));
}

TEST_F(KyCCameraVideoVDXBrowseTest, TheAllMediaViewStaysWhenItStoodElsewhere) {
    entries("V P V P");
    m_Vdx.SetViews(1, 2, 3);
    EXPECT_TRUE(m_Video.PreviousFile(kPicture));
    EXPECT_EQ(m_Vdx.Views(), "1/2/1");
    EXPECT_TRUE(m_Video.PreviousFile(kVideo));
    EXPECT_EQ(m_Vdx.Views(), "1/0/1");
    EXPECT_FALSE(m_Video.PreviousFile(kVideo));  // the oldest: no wrap-around
    EXPECT_FALSE(m_Video.PreviousFile(kPicture));
    EXPECT_EQ(m_Vdx.Views(), "1/0/1");
}

TEST_F(KyCCameraVideoVDXBrowseTest, SteppingWithoutACurrentFileFails) {
    EXPECT_FALSE(m_Video.NextFile(kAll));
    EXPECT_FALSE(m_Video.PreviousFile(kAll));
    entries("V P");
    m_Vdx.SetViews(-1, -1, 1);
    EXPECT_FALSE(m_Video.NextFile(kAll));
    EXPECT_FALSE(m_Video.PreviousFile(kVideo));
    EXPECT_FALSE(m_Video.NextFile(static_cast<ERUXVideoMediaType>(-2)));
    EXPECT_EQ(m_Vdx.Views(), "-1/-1/1");
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovingTheNewestVideoFallsBackToTheNewestRemaining) {
    entries("V P V");
    m_Vdx.SetViews(2, 2, 1);
    EXPECT_TRUE(m_Video.RemoveFile(kVideo));
    EXPECT_EQ(m_Vdx.Names(), "v0.avi p1.jpg");
    EXPECT_EQ(m_Vdx.Views(), "0/0/1");
    EXPECT_FALSE(onDisk(L"v2.avi"));
    EXPECT_TRUE(onDisk(L"v0.avi"));
    EXPECT_TRUE(onDisk(L"p1.jpg"));
    EXPECT_FALSE(onDisk(L"~remove"));
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovingTheOldestVideoMovesTheLaterViewsDown) {
    entries("V P V");
    m_Vdx.SetViews(1, 0, 1);
    EXPECT_TRUE(m_Video.RemoveFile(kVideo));
    EXPECT_EQ(m_Vdx.Names(), "p1.jpg v2.avi");
    EXPECT_EQ(m_Vdx.Views(), "0/1/0");
    EXPECT_FALSE(onDisk(L"v0.avi"));
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovingTheOnlyVideoClearsItsViewAndTheAllMediaView) {
    entries("P V P");
    m_Vdx.SetViews(1, 1, 2);
    EXPECT_TRUE(m_Video.RemoveFile(kVideo));
    EXPECT_EQ(m_Vdx.Names(), "p0.jpg p2.jpg");
    EXPECT_EQ(m_Vdx.Views(), "-1/-1/1");
    EXPECT_TRUE(m_Video.HasData(kPicture, nullptr));
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovingInTheAllMediaViewGoesOnToTheNextFile) {
    entries("V P V P");
    m_Vdx.SetViews(1, 2, 1);
    m_Vdx.SetPlayMediaType(kAll);
    EXPECT_TRUE(m_Video.RemoveFile(kAll));
    EXPECT_EQ(m_Vdx.Names(), "v0.avi v2.avi p3.jpg");
    // The file after p1 (v2) is now at 1; the video view moved down with it.
    EXPECT_EQ(m_Vdx.getCurrentIndex(kAll), 1);
    EXPECT_EQ(m_Vdx.getCurrentIndex(kVideo), 1);
    EXPECT_FALSE(onDisk(L"p1.jpg"));
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovingInPlayModeActsOnThePlayMediaTypesView) {
    entries("V P V P");
    m_Vdx.SetViews(1, 2, 1);
    m_Vdx.SetPlayMediaType(kPicture);
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~picture.jpg"), "t"));
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~video.avi"), "t"));
    EXPECT_TRUE(m_Video.RemoveFile());
    EXPECT_EQ(m_Vdx.Names(), "v0.avi v2.avi p3.jpg");
    // The picture view goes on to p3; all media stood on p1 and follows.
    EXPECT_EQ(m_Vdx.Views(), "2/1/2");
    EXPECT_EQ(m_Vdx.PlayMediaType(), kPicture);
    // Only the picture's temporary file went.
    EXPECT_FALSE(onDisk(L"~picture.jpg"));
    EXPECT_TRUE(onDisk(L"~video.avi"));
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovingInPlayModeWithoutAPlayTypeActsOnAllMedia) {
    entries("V P V");
    m_Vdx.SetViews(0, 2, 1);
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~picture.jpg"), "t"));
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~video.avi"), "t"));
    EXPECT_TRUE(m_Video.RemoveFile());
    EXPECT_EQ(m_Vdx.Names(), "p1.jpg v2.avi");
    EXPECT_EQ(m_Vdx.Views(), "0/1/0");
    EXPECT_TRUE(onDisk(L"~picture.jpg"));
    EXPECT_TRUE(onDisk(L"~video.avi"));
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovingAllMediasFileOfThePlayTypeSetsThatTypeNearBefore) {
    entries("V P V P");
    m_Vdx.SetViews(1, 2, 1);
    m_Vdx.SetPlayMediaType(kPicture);
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~picture.jpg"), "t"));
    EXPECT_TRUE(m_Video.RemoveFile(kAll));
    EXPECT_EQ(m_Vdx.Names(), "v0.avi v2.avi p3.jpg");
    // All media goes on to v2 (now 1); no picture at or before it, so the picture view clears.
    EXPECT_EQ(m_Vdx.Views(), "1/1/-1");
    EXPECT_EQ(m_Vdx.PlayMediaType(), kPicture);
    EXPECT_FALSE(onDisk(L"~picture.jpg"));
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovingAllMediasLastFileFindsTheNearestOlderOfItsType) {
    entries("P V P");
    m_Vdx.SetViews(2, 1, 2);
    m_Vdx.SetPlayMediaType(kPicture);
    EXPECT_TRUE(m_Video.RemoveFile(kAll));
    EXPECT_EQ(m_Vdx.Names(), "p0.jpg v1.avi");
    // No next file: the newest remaining (v1) for all media, the nearest picture before it.
    EXPECT_EQ(m_Vdx.Views(), "1/1/0");
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovingWhenTheAllMediaViewHoldsAnotherTypeFails) {
    entries("V P");
    m_Vdx.SetViews(0, 0, 1);
    m_Vdx.SetPlayMediaType(kPicture);
    EXPECT_FALSE(m_Video.RemoveFile(kAll));
    EXPECT_EQ(m_Vdx.Names(), "v0.avi p1.jpg");
    EXPECT_EQ(m_Vdx.Views(), "0/0/1");
    EXPECT_TRUE(onDisk(L"v0.avi"));
    EXPECT_TRUE(onDisk(L"p1.jpg"));
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovingWithoutACurrentFileStillDeletesTheTemporaryFile) {
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~video.avi"), "t"));
    EXPECT_FALSE(m_Video.RemoveFile(kVideo));
    EXPECT_FALSE(onDisk(L"~video.avi"));
    EXPECT_FALSE(m_Video.RemoveFile(static_cast<ERUXVideoMediaType>(-2)));
}

TEST_F(KyCCameraVideoVDXBrowseTest, AFileThatCannotBeDeletedChangesNothing) {
    entries("V P V");
    m_Vdx.SetViews(2, 2, 1);
    KyPlatformFaults::Inject(KyPlatformFaults::eDelete | KyPlatformFaults::eMove, L"v2.avi",
                             KyPlatform::kErrorSharingViolation);
    EXPECT_FALSE(m_Video.RemoveFile(kVideo));
    EXPECT_EQ(m_Vdx.Names(), "v0.avi p1.jpg v2.avi");
    EXPECT_EQ(m_Vdx.Views(), "2/2/1");
    EXPECT_TRUE(onDisk(L"v2.avi"));
}

TEST_F(KyCCameraVideoVDXBrowseTest, AFileAlreadyGoneLeavesTheCatalogue) {
    m_Vdx.AddEntries("V P V");  // no files on disk
    m_Vdx.SetViews(2, 2, 1);
    EXPECT_TRUE(m_Video.RemoveFile(kPicture));
    EXPECT_EQ(m_Vdx.Names(), "v0.avi v2.avi");
    EXPECT_EQ(m_Vdx.Views(), "1/1/-1");
}

TEST_F(KyCCameraVideoVDXBrowseTest, AFileStuckUnderRemoveKeepsItsEntry) {
    entries("V P");
    m_Vdx.SetViews(1, 0, 1);
    KyPlatformFaults::Inject(KyPlatformFaults::eDelete, L"~remove", KyPlatform::kErrorAccessDenied);
    EXPECT_FALSE(m_Video.RemoveFile(kPicture));
    EXPECT_EQ(m_Vdx.Names(), "v0.avi p1.jpg");
    EXPECT_EQ(m_Vdx.Views(), "1/0/1");
    EXPECT_FALSE(onDisk(L"p1.jpg"));
    EXPECT_EQ(KyTestReadFile(m_Dir.File(L"~remove")), "p1.jpg");
}

TEST_F(KyCCameraVideoVDXBrowseTest, AFileHeldOpenCannotBeRemoved) {
    entries("V P V");
    m_Vdx.SetViews(2, 2, 1);
    // Held as the host layer's writers hold a file: open for writing, shared for reading only.
    KyPlatform::KyFileHandle hHeld = KyPlatform::OpenFileForWrite(m_Dir.File(L"v2.avi"));
    ASSERT_NE(hHeld, nullptr);
    EXPECT_FALSE(m_Video.RemoveFile(kVideo));
    EXPECT_EQ(m_Vdx.Names(), "v0.avi p1.jpg v2.avi");
    EXPECT_EQ(m_Vdx.Views(), "2/2/1");
    EXPECT_TRUE(onDisk(L"v2.avi"));
    EXPECT_FALSE(onDisk(L"~remove"));
    ASSERT_TRUE(KyPlatform::CloseFile(hHeld));
    EXPECT_TRUE(m_Video.RemoveFile(kVideo));
    EXPECT_FALSE(onDisk(L"v2.avi"));
    EXPECT_EQ(m_Vdx.Names(), "v0.avi p1.jpg");
}

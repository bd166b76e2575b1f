// The file operations of the media directory: removal through "~remove", move, copy, existence.
#include <gtest/gtest.h>

#include <filesystem>

#include "KyPlatformFaults.h"
#include "KyTestComponent.h"
#include "KyTestTempDir.h"

namespace fs = std::filesystem;

namespace {

class KyCCameraVideoVDXFilesTest : public ::testing::Test {
protected:
    void SetUp() override { m_Vdx.SetFilePathOnly(m_Dir.Path()); }
    void TearDown() override { KyPlatformFaults::ClearAll(); }

    std::wstring file(const wchar_t* pszName) const { return m_Dir.File(pszName); }
    void write(const wchar_t* pszName, const char* pszText) {
        ASSERT_TRUE(KyTestWriteFile(file(pszName), pszText));
    }
    bool exists(const wchar_t* pszName) const { return KyTestFileExists(file(pszName)); }

    KyTestTempDir m_Dir;
    KyTestCameraVideoVDX m_Vdx;
};

}  // namespace

TEST_F(KyCCameraVideoVDXFilesTest, RemoveDeletesTheFileAndLeavesNothingBehind) {
    write(L"a.avi", "a");
    EXPECT_TRUE(m_Vdx.removeFile(file(L"a.avi")));
    EXPECT_FALSE(exists(L"a.avi"));
    EXPECT_FALSE(exists(L"~remove"));
    EXPECT_TRUE(fs::is_empty(fs::path(m_Dir.Path())));
}

TEST_F(KyCCameraVideoVDXFilesTest, RemoveOfAnEmptyPathTouchesNothing) {
    write(L"~remove", "old");
    EXPECT_FALSE(m_Vdx.removeFile(L""));
    EXPECT_TRUE(exists(L"~remove"));
}

TEST_F(KyCCameraVideoVDXFilesTest, RemoveOfAMissingFileCountsAsDone) {
    EXPECT_TRUE(m_Vdx.removeFile(file(L"gone.avi")));
}

TEST_F(KyCCameraVideoVDXFilesTest, RemoveInAMissingDirectoryFails) {
    EXPECT_FALSE(m_Vdx.removeFile(file(L"missing") + KyTestNative(L"\\a.avi")));
}

TEST_F(KyCCameraVideoVDXFilesTest, RemoveClearsAnOldRemoveFileFirst) {
    write(L"~remove", "old");
    write(L"a.avi", "a");
    EXPECT_TRUE(m_Vdx.removeFile(file(L"a.avi")));
    EXPECT_FALSE(exists(L"a.avi"));
    EXPECT_FALSE(exists(L"~remove"));
}

TEST_F(KyCCameraVideoVDXFilesTest, AnOldRemoveFileThatStaysMakesTheFileGoUnderItsOwnName) {
    write(L"~remove", "old");
    write(L"a.avi", "a");
    KyPlatformFaults::Inject(KyPlatformFaults::eDelete, L"~remove", KyPlatform::kErrorAccessDenied);
    // The move onto the remaining "~remove" fails, so the file is deleted where it is.
    EXPECT_TRUE(m_Vdx.removeFile(file(L"a.avi")));
    EXPECT_FALSE(exists(L"a.avi"));
    EXPECT_EQ(KyTestReadFile(file(L"~remove")), "old");
}

TEST_F(KyCCameraVideoVDXFilesTest, AFileThatCannotBeDeletedStays) {
    write(L"a.avi", "a");
    KyPlatformFaults::Inject(KyPlatformFaults::eDelete | KyPlatformFaults::eMove, L"a.avi",
                             KyPlatform::kErrorSharingViolation);
    EXPECT_FALSE(m_Vdx.removeFile(file(L"a.avi")));
    EXPECT_EQ(KyTestReadFile(file(L"a.avi")), "a");
}

TEST_F(KyCCameraVideoVDXFilesTest, AMovedFileWhoseDeletionFailsWaitsUnderRemove) {
    write(L"a.avi", "a");
    write(L"b.avi", "b");
    KyPlatformFaults::Inject(KyPlatformFaults::eDelete, L"~remove", KyPlatform::kErrorAccessDenied,
                             2);
    EXPECT_FALSE(m_Vdx.removeFile(file(L"a.avi")));
    EXPECT_FALSE(exists(L"a.avi"));
    EXPECT_EQ(KyTestReadFile(file(L"~remove")), "a");
    // The next removal deletes the leftover first.
    EXPECT_TRUE(m_Vdx.removeFile(file(L"b.avi")));
    EXPECT_TRUE(fs::is_empty(fs::path(m_Dir.Path())));
}

TEST_F(KyCCameraVideoVDXFilesTest, MoveNeverReplacesAnExistingTarget) {
    write(L"a.avi", "a");
    write(L"b.avi", "b");
    EXPECT_FALSE(m_Vdx.moveFile(file(L"a.avi"), file(L"b.avi")));
    EXPECT_EQ(KyTestReadFile(file(L"a.avi")), "a");
    EXPECT_EQ(KyTestReadFile(file(L"b.avi")), "b");
    EXPECT_TRUE(m_Vdx.moveFile(file(L"a.avi"), file(L"c.avi")));
    EXPECT_FALSE(exists(L"a.avi"));
    EXPECT_EQ(KyTestReadFile(file(L"c.avi")), "a");
    EXPECT_FALSE(m_Vdx.moveFile(L"", file(L"d.avi")));
    EXPECT_FALSE(m_Vdx.moveFile(file(L"c.avi"), L""));
    EXPECT_TRUE(exists(L"c.avi"));
}

TEST_F(KyCCameraVideoVDXFilesTest, CopyOverwritesAnExistingTarget) {
    write(L"a.avi", "new");
    write(L"b.avi", "old content");
    EXPECT_TRUE(m_Vdx.copyFile(file(L"a.avi"), file(L"b.avi")));
    EXPECT_EQ(KyTestReadFile(file(L"b.avi")), "new");
    EXPECT_EQ(KyTestReadFile(file(L"a.avi")), "new");
    EXPECT_FALSE(m_Vdx.copyFile(L"", file(L"c.avi")));
    EXPECT_FALSE(m_Vdx.copyFile(file(L"a.avi"), L""));
    EXPECT_FALSE(m_Vdx.copyFile(file(L"missing.avi"), file(L"c.avi")));
    EXPECT_FALSE(exists(L"c.avi"));
}

TEST_F(KyCCameraVideoVDXFilesTest, ExistsFindsFilesOnly) {
    write(L"a.avi", "a");
    EXPECT_TRUE(m_Vdx.existsFile(file(L"a.avi")));
    EXPECT_FALSE(m_Vdx.existsFile(file(L"b.avi")));
    EXPECT_FALSE(m_Vdx.existsFile(L""));
    EXPECT_FALSE(m_Vdx.existsFile(file(L"missing") + KyTestNative(L"\\a.avi")));
}

TEST_F(KyCCameraVideoVDXFilesTest, AddListReportsWhyASearchFoundNothing) {
    CbArray<KyTestCameraVideoVDX::SMediaFile> arrList;
    EXPECT_TRUE(m_Vdx.addListMediaFiles(eVideoMediaTypeVideo,
                                        m_Dir.Path() + KyTestNative(L"\\*.avi"), arrList));
    EXPECT_FALSE(m_Vdx.addListMediaFiles(
        eVideoMediaTypeVideo, m_Dir.File(L"missing") + KyTestNative(L"\\*.avi"), arrList));
    EXPECT_EQ(arrList.GetCount(), 0u);

    write(L"a.avi", "a");
    write(L"b.jpg", "b");
    EXPECT_TRUE(m_Vdx.addListMediaFiles(eVideoMediaTypePicture,
                                        m_Dir.Path() + KyTestNative(L"\\*.avi"), arrList));
    ASSERT_EQ(arrList.GetCount(), 1u);
    EXPECT_EQ(arrList[0].strFileName, L"a.avi");
    EXPECT_EQ(arrList[0].eMediaType, eVideoMediaTypePicture);  // the type given, not guessed
}

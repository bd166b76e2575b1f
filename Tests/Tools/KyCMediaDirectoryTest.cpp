// The media directory: created when missing, refused when it cannot be a directory or written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KyCMediaDirectory.h"
#include "KyStringConvert.h"
#include "KyTestFiles.h"
#include "KyTestPlatformFaults.h"
#include "KyTestTempDir.h"

TEST(KyCMediaDirectoryTest, MissingDirectoriesAreCreatedAndTheProbeIsGoneAfterwards) {
    KyTestTempDir temp;
    const std::wstring strWanted = temp.File(L"a") + L"/b/media";
    std::wstring strAbsolute;
    std::string strError;
    ASSERT_TRUE(KyCMediaDirectory::Prepare(KyWideToUtf8(strWanted) + "/", strAbsolute, strError))
        << strError;
    EXPECT_TRUE(KyTestIsDirectory(strWanted));
    EXPECT_FALSE(KyTestFileExists(strWanted + L"/" + KyUtf8ToWide(KyCMediaDirectory::kProbeName)));
    ASSERT_FALSE(strAbsolute.empty());
    EXPECT_NE(strAbsolute.back(), L'/');  // the component adds its own separator
    EXPECT_NE(strAbsolute.back(), L'\\');
    EXPECT_TRUE(KyTestIsDirectory(strAbsolute));
}

TEST(KyCMediaDirectoryTest, ExistingDirectoryKeepsItsFiles) {
    KyTestTempDir temp;
    ASSERT_TRUE(KyTestWriteFile(temp.File(L"old.jpg"), "jpeg"));
    std::wstring strAbsolute;
    std::string strError;
    ASSERT_TRUE(KyCMediaDirectory::Prepare(KyWideToUtf8(temp.Path()), strAbsolute, strError));
    EXPECT_EQ(KyTestReadFile(temp.File(L"old.jpg")), "jpeg");
}

TEST(KyCMediaDirectoryTest, AFileInTheWayIsNotADirectory) {
    KyTestTempDir temp;
    ASSERT_TRUE(KyTestWriteFile(temp.File(L"file"), "x"));
    std::wstring strAbsolute = L"unchanged";
    std::string strError;
    EXPECT_FALSE(
        KyCMediaDirectory::Prepare(KyWideToUtf8(temp.File(L"file")), strAbsolute, strError));
    EXPECT_NE(strError.find("is not a directory"), std::string::npos) << strError;
    EXPECT_FALSE(KyCMediaDirectory::Prepare(KyWideToUtf8(temp.File(L"file")) + "/media",
                                            strAbsolute, strError));
    EXPECT_NE(strError.find("cannot create the media directory"), std::string::npos) << strError;
    EXPECT_EQ(strAbsolute, L"unchanged");
}

TEST(KyCMediaDirectoryTest, DirectoryThatCannotBeWrittenIsRefused) {
    KyTestTempDir temp;
    KyTestPlatformFaults faults;
    faults.Inject(KyPlatformFaults::eOpenForWrite, KyUtf8ToWide(KyCMediaDirectory::kProbeName),
                  5);  // access denied
    std::wstring strAbsolute;
    std::string strError;
    EXPECT_FALSE(KyCMediaDirectory::Prepare(KyWideToUtf8(temp.Path()), strAbsolute, strError));
    EXPECT_NE(strError.find("cannot write into the media directory"), std::string::npos)
        << strError;
    EXPECT_EQ(faults.GetTriggeredCount(), 1u);

    faults.Inject(KyPlatformFaults::eWrite, KyUtf8ToWide(KyCMediaDirectory::kProbeName), 112);
    EXPECT_FALSE(KyCMediaDirectory::Prepare(KyWideToUtf8(temp.Path()), strAbsolute, strError));
    // The probe that was created before the write failed does not stay behind.
    EXPECT_FALSE(KyTestFileExists(temp.File(KyUtf8ToWide(KyCMediaDirectory::kProbeName))));
}

TEST(KyCMediaDirectoryTest, NamesBeyondAsciiAreUsedAsTheyAre) {
    KyTestTempDir temp;
    std::vector<std::string> vecNames = {"media-\xC3\xBC", "\xE6\x98\xA0\xE5\x83\x8F d"};
    if (sizeof(wchar_t) == 4)
        vecNames.push_back("bytes-\xFF\xFE");  // not UTF-8: only POSIX names can be that
    for (const std::string& strName : vecNames) {
        const std::string strWanted = KyWideToUtf8(temp.Path()) + "/" + strName;
        std::wstring strAbsolute;
        std::string strError;
        ASSERT_TRUE(KyCMediaDirectory::Prepare(strWanted, strAbsolute, strError)) << strError;
        const std::string strGot = KyWideToUtf8(strAbsolute);
        ASSERT_GE(strGot.size(), strName.size());
        EXPECT_EQ(strGot.substr(strGot.size() - strName.size()), strName);  // bytes kept whole
        EXPECT_TRUE(KyTestIsDirectory(strAbsolute)) << strName;
    }
}

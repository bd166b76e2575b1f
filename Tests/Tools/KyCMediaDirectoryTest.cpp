// The media directory: created when missing, refused when it cannot be a directory or written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KyCMediaDirectory.h"
#include "KyStringConvert.h"
#include "KyTestFiles.h"
#include "KyTestPlatformFaults.h"
#include "KyTestTempDir.h"

namespace {

class KyCMediaDirectoryTest : public ::testing::Test {
protected:
    bool prepare(const std::wstring& strWanted, const std::string& strSuffix = "") {
        return KyCMediaDirectory::Prepare(KyWideToUtf8(strWanted) + strSuffix, m_strAbsolute,
                                          m_strError);
    }
    std::wstring probe() const { return m_Dir.File(KyUtf8ToWide(KyCMediaDirectory::kProbeName)); }

    KyTestTempDir m_Dir;
    std::wstring m_strAbsolute = L"unchanged";
    std::string m_strError;
};

}  // namespace

TEST_F(KyCMediaDirectoryTest, MissingDirectoriesAreCreatedExistingFilesStayAndNoProbeIsLeft) {
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"old.jpg"), "jpeg"));
    ASSERT_TRUE(prepare(m_Dir.Path())) << m_strError;
    EXPECT_EQ(KyTestReadFile(m_Dir.File(L"old.jpg")), "jpeg");
    EXPECT_FALSE(KyTestFileExists(probe()));

    const std::wstring strWanted = m_Dir.File(L"a") + L"/b/media";
    ASSERT_TRUE(prepare(strWanted, "/")) << m_strError;
    EXPECT_TRUE(KyTestIsDirectory(strWanted));
    ASSERT_FALSE(m_strAbsolute.empty());
    EXPECT_NE(m_strAbsolute.back(), L'/') << "the component adds its own separator";
    EXPECT_TRUE(KyTestIsDirectory(m_strAbsolute));
}

// A file in the way and a probe that cannot be opened are the command-line error test's.
TEST_F(KyCMediaDirectoryTest, AProbeThatCannotBeWrittenRefusesTheDirectoryAndIsGone) {
    KyTestPlatformFaults faults;
    faults.Inject(KyPlatformFaults::eWrite, KyUtf8ToWide(KyCMediaDirectory::kProbeName), 112);
    EXPECT_FALSE(prepare(m_Dir.Path()));
    EXPECT_NE(m_strError.find("cannot write into the media directory"), std::string::npos)
        << m_strError;
    EXPECT_EQ(faults.GetTriggeredCount(), 1u);
    EXPECT_EQ(m_strAbsolute, L"unchanged");
    EXPECT_FALSE(KyTestFileExists(probe())) << "a probe created before the failure is gone";
}

TEST_F(KyCMediaDirectoryTest, NamesBeyondAsciiAreUsedAsTheyAre) {
    std::vector<std::string> vecNames = {"media-\xC3\xBC", "\xE6\x98\xA0\xE5\x83\x8F d"};
    if (sizeof(wchar_t) == 4)
        vecNames.push_back("bytes-\xFF\xFE");  // not UTF-8: only POSIX names can be that
    for (const std::string& strName : vecNames) {
        ASSERT_TRUE(prepare(m_Dir.Path(), "/" + strName)) << m_strError;
        const std::string strGot = KyWideToUtf8(m_strAbsolute);
        ASSERT_GE(strGot.size(), strName.size());
        EXPECT_EQ(strGot.substr(strGot.size() - strName.size()), strName) << "bytes kept whole";
        EXPECT_TRUE(KyTestIsDirectory(m_strAbsolute)) << strName;
    }
}

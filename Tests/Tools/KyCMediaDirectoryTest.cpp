// The media directory: created when missing, names taken as they are, no probe left behind.
// A file in the way and a probe that cannot be opened are the command-line error test's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KyCMediaDirectory.h"
#include "KyStringConvert.h"
#include "KyTestFiles.h"
#include "KyTestPlatformFaults.h"
#include "KyTestTempDir.h"

TEST(KyCMediaDirectoryTest, ParentsAreCreatedNamesKeepTheirBytesAndNoProbeIsLeft) {
    KyTestTempDir dir;
    // What is asked for under the temporary directory, and the name the directory must have.
    std::vector<std::pair<std::string, std::string>> vecNames = {
        {"a/b/media-\xC3\xBC/", "media-\xC3\xBC"},
        {"\xE6\x98\xA0\xE5\x83\x8F d", "\xE6\x98\xA0\xE5\x83\x8F d"}};
    if (sizeof(wchar_t) == 4)  // not UTF-8: only POSIX names can be that
        vecNames.push_back({"bytes-\xFF\xFE", "bytes-\xFF\xFE"});
    for (const auto& name : vecNames) {
        std::wstring strAbsolute;
        std::string strError;
        ASSERT_TRUE(KyCMediaDirectory::Prepare(KyWideToUtf8(dir.Path()) + "/" + name.first,
                                               strAbsolute, strError))
            << strError;
        const std::string strGot = KyWideToUtf8(strAbsolute);
        ASSERT_GE(strGot.size(), name.second.size());
        EXPECT_EQ(strGot.substr(strGot.size() - name.second.size()), name.second)
            << "bytes kept whole, no separator at the end";
        EXPECT_TRUE(KyTestIsDirectory(strAbsolute)) << name.first;
        EXPECT_FALSE(
            KyTestFileExists(strAbsolute + L"/" + KyUtf8ToWide(KyCMediaDirectory::kProbeName)));
    }
}

TEST(KyCMediaDirectoryTest, AProbeThatCannotBeWrittenRefusesTheDirectoryAndIsGone) {
    KyTestTempDir dir;
    KyTestPlatformFaults faults;
    const std::wstring strProbe = KyUtf8ToWide(KyCMediaDirectory::kProbeName);
    faults.Inject(KyPlatformFaults::eWrite, strProbe, 112);
    std::wstring strAbsolute = L"unchanged";
    std::string strError;
    EXPECT_FALSE(KyCMediaDirectory::Prepare(KyWideToUtf8(dir.Path()), strAbsolute, strError));
    EXPECT_NE(strError.find("cannot write into the media directory"), std::string::npos)
        << strError;
    EXPECT_EQ(faults.GetTriggeredCount(), 1u);
    EXPECT_EQ(strAbsolute, L"unchanged");
    EXPECT_FALSE(KyTestFileExists(dir.File(strProbe))) << "a probe created before the failure";
}

// SetFilePath over real directories: order by time, temporary files, what counts as media, and
// files whose times cannot be converted.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "KyPlatformFaults.h"
#include "KyStringConvert.h"
#include "KyTestComponent.h"
#include "KyTestTempDir.h"

namespace fs = std::filesystem;

namespace {

// 2024-01-01 08:00 and 09:00 UTC.
const std::int64_t k0800 = 1704096000;
const std::int64_t k0900 = k0800 + 3600;

// Catches the framework's error exception and gives its status code, or 0.
template <class Action>
SCODE oleErrorOf(Action action) {
    try {
        action();
    } catch (COleException* pError) {
        const SCODE sc = pError->m_sc;
        pError->Delete();
        return sc;
    }
    return 0;
}

class KyCCameraVideoVDXScanTest : public ::testing::Test {
protected:
    void TearDown() override { KyPlatformFaults::ClearAll(); }

    void write(const wchar_t* pszName, std::int64_t nSeconds) {
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(pszName), "x", nSeconds)) << KyTestUtf8(pszName);
    }

    KyTestTempDir m_Dir;
    KyTestCameraVideoVDX m_Vdx;
};

}  // namespace

TEST_F(KyCCameraVideoVDXScanTest, OldestFirstAndEachViewOnItsNewestFile) {
    write(L"20240101-090000.avi", k0900);
    write(L"20240101-080000.jpg", k0800);
    EXPECT_TRUE(m_Vdx.SetFilePath(m_Dir.Path()));
    EXPECT_EQ(m_Vdx.Names(), "20240101-080000.jpg 20240101-090000.avi");
    EXPECT_EQ(m_Vdx.Types(), "P V");
    EXPECT_EQ(m_Vdx.TimeAt(0), CTime(k0800));
    EXPECT_EQ(m_Vdx.TimeAt(1), CTime(k0900));
    EXPECT_EQ(m_Vdx.Views(), "1/1/0");
    EXPECT_EQ(m_Vdx.FilePath(), m_Dir.Path());
}

TEST_F(KyCCameraVideoVDXScanTest, EqualTimesListVideosBeforePictures) {
    write(L"a.jpg", k0800);
    write(L"b.avi", k0800);
    write(L"c.jpg", k0800 - 10);
    write(L"d.avi", k0800 + 10);
    EXPECT_TRUE(m_Vdx.SetFilePath(m_Dir.Path()));
    EXPECT_EQ(m_Vdx.Names(), "c.jpg b.avi a.jpg d.avi");
    EXPECT_EQ(m_Vdx.Views(), "3/3/2");
}

TEST_F(KyCCameraVideoVDXScanTest, ManyFilesComeOutSortedByTimeWithVideosFirstAtTies) {
    std::vector<std::pair<std::int64_t, std::string>> arrExpected;
    for (int i = 0; i < 60; ++i) {
        // Times in a scrambled order, distinct within a type; each picture shares its time
        // with one video.
        const bool bVideo = i % 2 == 0;
        const std::int64_t nTime = k0800 + ((i / 2) * 7 % 31) * 60;
        const std::string strName = "f" + std::to_string(i) + (bVideo ? ".avi" : ".jpg");
        write(KyUtf8ToWide(strName).c_str(), nTime);
        arrExpected.emplace_back(nTime * 2 + (bVideo ? 0 : 1), strName);
    }
    std::sort(arrExpected.begin(), arrExpected.end());
    std::string strExpected;
    for (const auto& entry : arrExpected)
        strExpected += (strExpected.empty() ? "" : " ") + entry.second;
    EXPECT_TRUE(m_Vdx.SetFilePath(m_Dir.Path()));
    EXPECT_EQ(m_Vdx.Names(), strExpected);
}

TEST_F(KyCCameraVideoVDXScanTest, TemporaryFilesAreDeletedAndNeverListed) {
    write(L"~video.avi", k0800);
    write(L"~picture.jpg", k0800);
    write(L"~remove", k0800);
    write(L"a.avi", k0900);
    EXPECT_TRUE(m_Vdx.SetFilePath(m_Dir.Path()));
    EXPECT_EQ(m_Vdx.Names(), "a.avi");
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~picture.jpg")));
    // Removing goes through "~remove", which clears any leftover of it too.
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~remove")));
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"a.avi")));
}

TEST_F(KyCCameraVideoVDXScanTest, ATemporaryFileThatCannotBeDeletedStaysUnlisted) {
    write(L"~video.avi", k0800);
    write(L"b.jpg", k0900);
    KyPlatformFaults::Inject(KyPlatformFaults::eDelete | KyPlatformFaults::eMove, L"~video.avi",
                             KyPlatform::kErrorSharingViolation);
    EXPECT_TRUE(m_Vdx.SetFilePath(m_Dir.Path()));
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    EXPECT_EQ(m_Vdx.Names(), "b.jpg");
}

TEST_F(KyCCameraVideoVDXScanTest, OnlyFilesEndingInTheMediaExtensionsCount) {
    write(L"X.AVI", k0800);
    write(L"Y.Jpg", k0800 + 1);
    write(L"holiday 2024 (1).avi", k0800 + 2);
    write(L"notes.txt", k0800 + 3);
    write(L"clip.avi.bak", k0800 + 4);
    write(L"jpg", k0800 + 5);
    ASSERT_TRUE(fs::create_directory(fs::path(m_Dir.File(L"sub.avi"))));
    ASSERT_TRUE(fs::create_directory(fs::path(m_Dir.File(L"sub.jpg"))));
    EXPECT_TRUE(m_Vdx.SetFilePath(m_Dir.Path()));
    EXPECT_EQ(m_Vdx.Names(), "X.AVI Y.Jpg holiday 2024 (1).avi");
    EXPECT_EQ(m_Vdx.Types(), "V P V");
}

TEST_F(KyCCameraVideoVDXScanTest, AMissingDirectoryGivesAnEmptyCatalogue) {
    write(L"a.avi", k0800);
    ASSERT_TRUE(m_Vdx.SetFilePath(m_Dir.Path()));
    ASSERT_EQ(m_Vdx.Count(), 1);
    const std::wstring strMissing = m_Dir.File(L"missing");
    EXPECT_TRUE(m_Vdx.SetFilePath(strMissing));
    EXPECT_EQ(m_Vdx.Count(), 0);
    EXPECT_EQ(m_Vdx.Views(), "-1/-1/-1");
    EXPECT_EQ(m_Vdx.FilePath(), strMissing);
}

TEST_F(KyCCameraVideoVDXScanTest, EveryCallRebuildsFromTheDirectory) {
    write(L"a.avi", k0800);
    ASSERT_TRUE(m_Vdx.SetFilePath(m_Dir.Path()));
    m_Vdx.addMediaFile(eVideoMediaTypePicture, CTime(1), L"only-in-the-list.jpg");
    write(L"b.jpg", k0900);
    EXPECT_TRUE(m_Vdx.SetFilePath(m_Dir.Path()));
    EXPECT_EQ(m_Vdx.Names(), "a.avi b.jpg");
}

TEST_F(KyCCameraVideoVDXScanTest, ThePathIsKeptAsGiven) {
    write(L"a.avi", k0800);
    const std::wstring strGiven = m_Dir.Path() + L"//";
    EXPECT_TRUE(m_Vdx.SetFilePath(strGiven));
    EXPECT_EQ(m_Vdx.FilePath(), strGiven);
    EXPECT_EQ(m_Vdx.Names(), "a.avi");
}

TEST_F(KyCCameraVideoVDXScanTest, AFileFrom1960RaisesFailAndLeavesAnEmptyCatalogue) {
    KyTestTempDir good;
    ASSERT_TRUE(KyTestWriteFile(good.File(L"a.avi"), "a", k0800));
    ASSERT_TRUE(KyTestWriteFile(good.File(L"b.jpg"), "b", k0900));
    ASSERT_TRUE(m_Vdx.SetFilePath(good.Path()));
    ASSERT_EQ(m_Vdx.Views(), "1/0/1");

    write(L"new.avi", k0900);
    write(L"old.jpg", -315619200);  // 1960-01-01
    EXPECT_EQ(oleErrorOf([&] { m_Vdx.SetFilePath(m_Dir.Path()); }), E_FAIL);
    EXPECT_EQ(m_Vdx.FilePath(), m_Dir.Path());
    EXPECT_EQ(m_Vdx.Count(), 0);
    EXPECT_EQ(m_Vdx.Views(), "1/0/1");  // as they were
    EXPECT_TRUE(m_Vdx.LockIsFree());
}

TEST_F(KyCCameraVideoVDXScanTest, AFileBefore1900CountsAsTimeZero) {
    // Most disks cannot store such a time; a memory file system can.
#if defined(_WIN32)
    const fs::path base(L"Z:\\dev\\shm");
#else
    const fs::path base("/dev/shm");
#endif
    std::error_code ec;
    if (!fs::is_directory(base, ec))
        GTEST_SKIP() << "no memory file system";
    const fs::path dir = base / ("kytest-scan-" + std::to_string(std::random_device()()));
    ASSERT_TRUE(fs::create_directory(dir, ec));
    const std::int64_t k1850 = -3786825600;  // 1850-01-01
    const bool bWritten = KyTestWriteFile((dir / L"old.jpg").wstring(), "o", k1850) &&
                          KyTestWriteFile((dir / L"new.avi").wstring(), "n", k0800);
    KyPlatform::KyFindData data;
    KyPlatform::KyFindHandle hFind = KyPlatform::FindFirstFileW((dir / L"old.jpg").wstring(), data);
    const bool bKept =
        hFind != nullptr && data.ftLastWriteTime.nTicks == KyTestFileTime(k1850).nTicks;
    if (hFind != nullptr)
        KyPlatform::FindClose(hFind);
    if (!bWritten || !bKept) {
        fs::remove_all(dir, ec);
        GTEST_SKIP() << "the file system cannot store 1850";
    }
    EXPECT_TRUE(m_Vdx.SetFilePath(dir.wstring()));
    EXPECT_EQ(m_Vdx.Names(), "old.jpg new.avi");
    if (m_Vdx.Count() == 2) {
        EXPECT_EQ(m_Vdx.TimeAt(0), CTime(0));
    }
    fs::remove_all(dir, ec);
}

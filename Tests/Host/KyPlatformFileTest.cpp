// The platform's file operations: Win32 results and error codes on every platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "KyPlatform.h"
#include "KyPlatformTime.h"
#include "KyTestFiles.h"
#include "KyTestPlatformFaults.h"
#include "KyTestTempDir.h"

using namespace KyPlatform;

namespace {

std::wstring join(const std::wstring& strDir, const std::wstring& strName) {
    return strDir + PathSeparator() + strName;
}

// Every entry a search returns, with its attributes; the handle is closed.
std::vector<KyFindData> findAll(const std::wstring& strPattern, unsigned* pnError = nullptr) {
    std::vector<KyFindData> found;
    KyFindData data;
    KyFindHandle hFind = FindFirstFileW(strPattern, data);
    if (hFind == nullptr) {
        if (pnError != nullptr)
            *pnError = GetLastError();
        return found;
    }
    do {
        found.push_back(data);
    } while (FindNextFileW(hFind, data));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorNoMoreFiles));
    EXPECT_TRUE(FindClose(hFind));
    return found;
}

std::vector<std::wstring> namesOf(const std::vector<KyFindData>& found) {
    std::vector<std::wstring> names;
    for (const KyFindData& data : found)
        names.push_back(data.strFileName);
    std::sort(names.begin(), names.end());
    return names;
}

const KyFindData* entryNamed(const std::vector<KyFindData>& found, const std::wstring& strName) {
    for (const KyFindData& data : found) {
        if (data.strFileName == strName)
            return &data;
    }
    return nullptr;
}

class KyPlatformFileTest : public ::testing::Test {
protected:
    std::wstring file(const std::wstring& strName) const { return join(m_Dir.Path(), strName); }
    void write(const std::wstring& strName, const std::string& strBytes) {
        ASSERT_TRUE(KyTestWriteFile(file(strName), strBytes));
    }

    KyTestTempDir m_Dir;
    KyTestPlatformFaults m_Faults;
};

}  // namespace

TEST_F(KyPlatformFileTest, MoveRenamesAFile) {
    write(L"a.avi", "video");
    ASSERT_TRUE(MoveFileW(file(L"a.avi"), file(L"b.avi")));
    EXPECT_FALSE(KyTestFileExists(file(L"a.avi")));
    EXPECT_EQ(KyTestReadFile(file(L"b.avi")), "video");
}

TEST_F(KyPlatformFileTest, MoveOntoAnExistingFileFailsAndKeepsBothFiles) {
    write(L"new.avi", "new");
    write(L"old.avi", "old");
    EXPECT_FALSE(MoveFileW(file(L"new.avi"), file(L"old.avi")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorAlreadyExists));
    EXPECT_EQ(KyTestReadFile(file(L"new.avi")), "new");
    EXPECT_EQ(KyTestReadFile(file(L"old.avi")), "old");
}

TEST_F(KyPlatformFileTest, MoveTellsAMissingFileFromAMissingDirectory) {
    write(L"a.avi", "x");
    EXPECT_FALSE(MoveFileW(file(L"missing.avi"), file(L"b.avi")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorFileNotFound));
    EXPECT_FALSE(MoveFileW(file(L"a.avi"), join(file(L"nodir"), L"b.avi")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorPathNotFound));
    EXPECT_EQ(KyTestReadFile(file(L"a.avi")), "x");
}

TEST_F(KyPlatformFileTest, DeleteRemovesAFileAndTellsWhyItCouldNot) {
    write(L"a.jpg", "x");
    ASSERT_TRUE(DeleteFileW(file(L"a.jpg")));
    EXPECT_FALSE(KyTestFileExists(file(L"a.jpg")));

    EXPECT_FALSE(DeleteFileW(file(L"a.jpg")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorFileNotFound));
    EXPECT_FALSE(DeleteFileW(join(file(L"nodir"), L"a.jpg")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorPathNotFound));
}

TEST_F(KyPlatformFileTest, DeleteLeavesADirectoryAlone) {
    ASSERT_TRUE(CreateDirectoryW(file(L"sub.avi")));
    EXPECT_FALSE(DeleteFileW(file(L"sub.avi")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorAccessDenied));
    EXPECT_TRUE(KyTestIsDirectory(file(L"sub.avi")));
}

TEST_F(KyPlatformFileTest, CopyOverwritesOnlyWhenAllowedAndKeepsTheWriteTime) {
    write(L"src.jpg", "source bytes");
    write(L"dst.jpg", "old");
    KyFileTime written;
    written.nTicks = 133512345671234567ull;  // 2024-02-01 04:16:07.1234567 UTC
    ASSERT_TRUE(SetFileLastWriteTime(file(L"src.jpg"), written));

    EXPECT_FALSE(CopyFileW(file(L"src.jpg"), file(L"dst.jpg"), true));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorFileExists));
    EXPECT_EQ(KyTestReadFile(file(L"dst.jpg")), "old");

    ASSERT_TRUE(CopyFileW(file(L"src.jpg"), file(L"dst.jpg"), false));
    EXPECT_EQ(KyTestReadFile(file(L"dst.jpg")), "source bytes");
    EXPECT_EQ(KyTestReadFile(file(L"src.jpg")), "source bytes");
    const std::vector<KyFindData> found = findAll(file(L"dst.jpg"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].ftLastWriteTime.nTicks, written.nTicks);
}

TEST_F(KyPlatformFileTest, CopyOntoItselfFailsAndKeepsTheFile) {
    write(L"self.jpg", "precious");
    EXPECT_FALSE(CopyFileW(file(L"self.jpg"), file(L"self.jpg"), false));
    EXPECT_EQ(KyTestReadFile(file(L"self.jpg")), "precious");
}

TEST_F(KyPlatformFileTest, CopyOfAMissingFileFails) {
    EXPECT_FALSE(CopyFileW(file(L"missing.jpg"), file(L"dst.jpg"), false));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorFileNotFound));
    EXPECT_FALSE(KyTestFileExists(file(L"dst.jpg")));
}

TEST_F(KyPlatformFileTest, WildcardMatchesTheExtensionIgnoringCase) {
    write(L"x.avi", "");
    write(L"Y.AVI", "");
    write(L"z.Avi", "");
    write(L"x.avi.txt", "");
    write(L"x.jpg", "");
    write(L"avi", "");
    const std::vector<KyFindData> found = findAll(file(L"*.AVI"));
    EXPECT_EQ(namesOf(found), (std::vector<std::wstring>{L"Y.AVI", L"x.avi", L"z.Avi"}));
    for (const KyFindData& data : found)
        EXPECT_EQ(data.nAttributes & kFileAttributeDirectory, 0u) << data.strFileName.c_str();
}

TEST_F(KyPlatformFileTest, DirectoriesAreListedAndFlagged) {
    write(L"clip.avi", "");
    ASSERT_TRUE(CreateDirectoryW(file(L"folder.avi")));
    const std::vector<KyFindData> found = findAll(file(L"*.avi"));
    ASSERT_EQ(found.size(), 2u);
    const KyFindData* pFolder = entryNamed(found, L"folder.avi");
    const KyFindData* pClip = entryNamed(found, L"clip.avi");
    ASSERT_NE(pFolder, nullptr);
    ASSERT_NE(pClip, nullptr);
    EXPECT_NE(pFolder->nAttributes & kFileAttributeDirectory, 0u);
    EXPECT_EQ(pClip->nAttributes & kFileAttributeDirectory, 0u);
}

TEST_F(KyPlatformFileTest, BothSeparatorsWorkInPatternsAndPaths) {
    write(L"a.jpg", "x");
    std::wstring strBackslashed = m_Dir.Path() + L"\\*.jpg";
    std::wstring strSlashed = m_Dir.Path() + L"/*.jpg";
    EXPECT_EQ(namesOf(findAll(strBackslashed)), std::vector<std::wstring>{L"a.jpg"});
    EXPECT_EQ(namesOf(findAll(strSlashed)), std::vector<std::wstring>{L"a.jpg"});
    std::wstring strAllBackslashes = file(L"a.jpg");
    std::replace(strAllBackslashes.begin(), strAllBackslashes.end(), L'/', L'\\');
    EXPECT_TRUE(DeleteFileW(strAllBackslashes));
    EXPECT_FALSE(KyTestFileExists(file(L"a.jpg")));
}

TEST_F(KyPlatformFileTest, SearchTellsNoMatchFromAMissingDirectory) {
    write(L"a.jpg", "");
    unsigned nError = 0;
    EXPECT_TRUE(findAll(file(L"*.avi"), &nError).empty());
    EXPECT_EQ(nError, static_cast<unsigned>(kErrorFileNotFound));
    nError = 0;
    EXPECT_TRUE(findAll(join(file(L"nodir"), L"*.avi"), &nError).empty());
    EXPECT_EQ(nError, static_cast<unsigned>(kErrorPathNotFound));
}

TEST_F(KyPlatformFileTest, APatternWithoutWildcardFindsThatOneEntry) {
    write(L"one.jpg", "");
    ASSERT_TRUE(CreateDirectoryW(file(L"dir")));
    std::vector<KyFindData> found = findAll(file(L"one.jpg"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].strFileName, L"one.jpg");
    found = findAll(file(L"dir"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(found[0].nAttributes & kFileAttributeDirectory, 0u);

    unsigned nError = 0;
    EXPECT_TRUE(findAll(file(L"two.jpg"), &nError).empty());
    EXPECT_EQ(nError, static_cast<unsigned>(kErrorFileNotFound));
    EXPECT_TRUE(findAll(join(file(L"nodir"), L"one.jpg"), &nError).empty());
    EXPECT_EQ(nError, static_cast<unsigned>(kErrorPathNotFound));
    EXPECT_TRUE(findAll(L"", &nError).empty());
}

TEST_F(KyPlatformFileTest, AnEmptyDirectoryPartSearchesTheRoot) {
    // The root exists, so an unknown extension finds nothing rather than a missing path.
    unsigned nError = 0;
    EXPECT_TRUE(findAll(L"\\*.kynosuchextension", &nError).empty());
    EXPECT_EQ(nError, static_cast<unsigned>(kErrorFileNotFound));
    const std::vector<KyFindData> root = findAll(L"\\*");
    const bool bAnyDirectory = std::any_of(root.begin(), root.end(), [](const KyFindData& data) {
        return (data.nAttributes & kFileAttributeDirectory) != 0;
    });
    EXPECT_TRUE(bAnyDirectory);
#if !defined(_WIN32)
    const KyFindData* pTmp = entryNamed(root, L"tmp");
    ASSERT_NE(pTmp, nullptr) << "\\* must list /";
    EXPECT_NE(pTmp->nAttributes & kFileAttributeDirectory, 0u);
    EXPECT_EQ(namesOf(root), namesOf(findAll(L"/*")));
#endif
}

TEST_F(KyPlatformFileTest, SearchReportsTheLastWriteTimeToTheTick) {
    write(L"t.avi", "x");
    write(L"old.avi", "x");
    KyFileTime stamp, old;
    stamp.nTicks = KyFileTimeFromUnix(1706696100, 123456700).nTicks;  // 2024-01-31 10:15:00
    old.nTicks = KyFileTimeFromUnix(-14182940, 0).nTicks;             // 1969-07-20 20:17:40
    ASSERT_TRUE(SetFileLastWriteTime(file(L"t.avi"), stamp));
    ASSERT_TRUE(SetFileLastWriteTime(file(L"old.avi"), old));
    const std::vector<KyFindData> found = findAll(file(L"*.avi"));
    const KyFindData* pStamp = entryNamed(found, L"t.avi");
    const KyFindData* pOld = entryNamed(found, L"old.avi");
    ASSERT_NE(pStamp, nullptr);
    ASSERT_NE(pOld, nullptr);
    EXPECT_EQ(pStamp->ftLastWriteTime.nTicks, stamp.nTicks);
    EXPECT_EQ(pOld->ftLastWriteTime.nTicks, old.nTicks);
    KySystemTime utc;
    ASSERT_TRUE(FileTimeToSystemTime(pOld->ftLastWriteTime, utc));
    EXPECT_EQ(utc.nYear, 1969);
    EXPECT_EQ(utc.nMonth, 7);
    EXPECT_EQ(utc.nDay, 20);
    EXPECT_EQ(utc.nHour, 20);
}

TEST_F(KyPlatformFileTest, AWriteTimeTheFileSystemCannotStoreIsAFailureNotAnotherTime) {
    // ext4 clamps times before 1901; tmpfs and NTFS keep them.
    write(L"old.jpg", "x");
    std::int64_t nSeconds = 0;
    KySystemTime st;
    st.nYear = 1850;
    st.nMonth = 6;
    st.nDay = 1;
    ASSERT_TRUE(KyCalendarToUnixSeconds(st, nSeconds));
    const KyFileTime old = KyFileTimeFromUnix(nSeconds, 0);
    if (SetFileLastWriteTime(file(L"old.jpg"), old)) {
        const std::vector<KyFindData> found = findAll(file(L"old.jpg"));
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].ftLastWriteTime.nTicks, old.nTicks);
    } else {
        EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorInvalidParameter));
    }
}

TEST_F(KyPlatformFileTest, AnInjectedFindTimeReplacesTheStoredOneForItsNamesOnly) {
    write(L"20240101-080000.jpg", "x");
    write(L"other.jpg", "x");
    m_Faults.InjectFindTime(L"-080000.JPG", 0x8000000000000000ull);
    const std::vector<KyFindData> found = findAll(file(L"*.jpg"));
    const KyFindData* pInjected = entryNamed(found, L"20240101-080000.jpg");
    const KyFindData* pOther = entryNamed(found, L"other.jpg");
    ASSERT_NE(pInjected, nullptr);
    ASSERT_NE(pOther, nullptr);
    EXPECT_EQ(pInjected->ftLastWriteTime.nTicks, 0x8000000000000000ull);
    KySystemTime utc;
    EXPECT_FALSE(FileTimeToSystemTime(pInjected->ftLastWriteTime, utc));
    EXPECT_TRUE(FileTimeToSystemTime(pOther->ftLastWriteTime, utc));
    EXPECT_GE(utc.nYear, 2024);
}

TEST_F(KyPlatformFileTest, NamesOutsideAsciiSurviveTheRoundTrip) {
    const std::wstring strName = L"Bild-\u00e4\u20ac.jpg";
    write(strName, "x");
    EXPECT_EQ(namesOf(findAll(file(L"*.JPG"))), std::vector<std::wstring>{strName});
    EXPECT_TRUE(DeleteFileW(file(strName)));
}

TEST_F(KyPlatformFileTest, CreateDirectoryRefusesExistingAndOrphanedPaths) {
    ASSERT_TRUE(CreateDirectoryW(file(L"d")));
    EXPECT_TRUE(KyTestIsDirectory(file(L"d")));
    EXPECT_FALSE(CreateDirectoryW(file(L"d")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorAlreadyExists));
    EXPECT_FALSE(CreateDirectoryW(join(file(L"nodir"), L"d")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorPathNotFound));
}

TEST_F(KyPlatformFileTest, BinaryFilesAreWrittenWholeAndMeasured) {
    KyFileHandle hFile = OpenFileForWrite(file(L"b.bin"));
    ASSERT_NE(hFile, nullptr);
    const std::string strBytes(100000, '\x5a');
    EXPECT_TRUE(WriteFile(hFile, strBytes.data(), strBytes.size()));
    EXPECT_TRUE(WriteFile(hFile, "\0", 1));
    EXPECT_TRUE(CloseFile(hFile));
    std::uint64_t nSize = 0;
    ASSERT_TRUE(GetFileSize(file(L"b.bin"), nSize));
    EXPECT_EQ(nSize, 100001u);
    EXPECT_FALSE(GetFileSize(file(L"none.bin"), nSize));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorFileNotFound));
    EXPECT_FALSE(WriteFile(nullptr, "x", 1));
    EXPECT_FALSE(CloseFile(nullptr));
    EXPECT_EQ(OpenFileForWrite(join(file(L"nodir"), L"b.bin")), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorPathNotFound));
}

TEST_F(KyPlatformFileTest, InjectedFaultsHitOnlyTheirPathsAndOnlyAsOftenAsAsked) {
    write(L"locked.avi", "a");
    write(L"free.avi", "b");
    m_Faults.Inject(KyPlatformFaults::eDelete, L"LOCKED.avi", kErrorSharingViolation, 1);
    EXPECT_FALSE(DeleteFileW(file(L"locked.avi")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorSharingViolation));
    EXPECT_TRUE(KyTestFileExists(file(L"locked.avi")));
    EXPECT_TRUE(DeleteFileW(file(L"free.avi")));
    EXPECT_TRUE(DeleteFileW(file(L"locked.avi"))) << "the fault was for one attempt";
    EXPECT_EQ(m_Faults.GetTriggeredCount(), 1u);
}

TEST_F(KyPlatformFileTest, AnInjectedMoveFaultMatchesTheTargetToo) {
    write(L"~video.avi", "v");
    m_Faults.Inject(KyPlatformFaults::eMove | KyPlatformFaults::eCopy, L"final.avi",
                    kErrorDiskFull);
    EXPECT_FALSE(MoveFileW(file(L"~video.avi"), file(L"final.avi")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorDiskFull));
    EXPECT_FALSE(CopyFileW(file(L"~video.avi"), file(L"final.avi"), false));
    EXPECT_TRUE(KyTestFileExists(file(L"~video.avi")));
    EXPECT_FALSE(KyTestFileExists(file(L"final.avi")));
    EXPECT_TRUE(MoveFileW(file(L"~video.avi"), file(L"other.avi")));
}

TEST(KyPlatformLastErrorTest, EachThreadKeepsItsOwnLastError) {
    // Both threads fail first and read afterwards, with nothing but atomics in between (any
    // successful call may change the last error).
    KyTestTempDir dir;
    const std::wstring strMissingFile = join(dir.Path(), L"missing");
    const std::wstring strMissingDir = join(join(dir.Path(), L"nodir"), L"missing");
    std::atomic<int> nFailed{0};
    auto failThenRead = [&](const std::wstring& strPath) {
        DeleteFileW(strPath);
        ++nFailed;
        while (nFailed.load() < 2) {
        }
        return GetLastError();
    };
    unsigned nOther = 0;
    std::thread other([&] { nOther = failThenRead(strMissingDir); });
    const unsigned nMine = failThenRead(strMissingFile);
    other.join();
    EXPECT_EQ(nOther, static_cast<unsigned>(kErrorPathNotFound));
    EXPECT_EQ(nMine, static_cast<unsigned>(kErrorFileNotFound));
}

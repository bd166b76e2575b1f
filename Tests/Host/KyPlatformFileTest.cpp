// The platform's file operations: Win32 results and error codes, beside a file held open.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "KyPlatform.h"
#include "KyPlatformTime.h"
#include "KyStringConvert.h"
#include "KyTestFiles.h"
#include "KyTestTempDir.h"

using namespace KyPlatform;

namespace {

// Every entry a search returns; the handle is closed.
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
    std::sort(found.begin(), found.end(), [](const KyFindData& a, const KyFindData& b) {
        return a.strFileName < b.strFileName;
    });
    return found;
}

// "name" for a file, "name/" for a directory, sorted.
std::wstring namesOf(const std::vector<KyFindData>& found) {
    std::wstring str;
    for (const KyFindData& data : found)
        str += (str.empty() ? L"" : L" ") + data.strFileName +
               ((data.nAttributes & kFileAttributeDirectory) != 0 ? L"/" : L"");
    return str;
}

class KyPlatformFileTest : public ::testing::Test {
protected:
    std::wstring file(const std::wstring& strName) const {
        std::wstring str = m_Dir.Path() + PathSeparator() + strName;
        std::replace(str.begin(), str.end(), L'|', PathSeparator());
        return str;
    }
    void write(const std::wstring& strName, const std::string& strBytes) {
        ASSERT_TRUE(KyTestWriteFile(file(strName), strBytes));
    }
    // The directory as the standard library sees it: "a.avi=a sub/", sorted.
    std::string state() const {
        std::vector<std::string> entries;
        for (const auto& entry : std::filesystem::directory_iterator(m_Dir.Path()))
            entries.push_back(
                KyWideToUtf8(entry.path().filename().wstring()) +
                (entry.is_directory() ? "/" : "=" + KyTestReadFile(entry.path().wstring())));
        std::sort(entries.begin(), entries.end());
        std::string str;
        for (const std::string& strEntry : entries)
            str += (str.empty() ? "" : " ") + strEntry;
        return str;
    }

    KyTestTempDir m_Dir;
};

// Each operation as one signature; the second path is ignored where there is none.
typedef bool (*FOperation)(const std::wstring& strFrom, const std::wstring& strTo);
bool move(const std::wstring& a, const std::wstring& b) {
    return MoveFileW(a, b);
}
bool deleteFile(const std::wstring& a, const std::wstring&) {
    return DeleteFileW(a);
}
bool copy(const std::wstring& a, const std::wstring& b) {
    return CopyFileW(a, b, false);
}
bool copyNoOverwrite(const std::wstring& a, const std::wstring& b) {
    return CopyFileW(a, b, true);
}
bool openForWrite(const std::wstring& a, const std::wstring&) {
    return OpenFileForWrite(a) != nullptr;
}
bool makeDirectory(const std::wstring& a, const std::wstring&) {
    return CreateDirectoryW(a);
}
bool sizeIsOne(const std::wstring& a, const std::wstring&) {
    std::uint64_t nSize = 0;
    return GetFileSize(a, nSize) && nSize == 1;
}
bool findOne(const std::wstring& a, const std::wstring&) {
    return findAll(a).size() == 1;
}

struct SFileCase {
    const char* pszName;
    FOperation operation;
    const wchar_t* pszFrom;  // '|' stands for the platform separator
    const wchar_t* pszTo;
    unsigned nError;       // kErrorSuccess: it succeeds; kErrorGeneric: any error
    const char* pszAfter;  // the directory afterwards; before: "a.avi=a b.avi=b h.avi=h sub/"
};

// h.avi is held open for writing meanwhile; "+" is written through the handle at the end.
const char* const kUntouched = "a.avi=a b.avi=b h.avi=h+ sub/";

const SFileCase kFileCases[] = {
    {"MoveRenames", move, L"a.avi", L"c.avi", kErrorSuccess, "b.avi=b c.avi=a h.avi=h+ sub/"},
    {"MoveIntoADirectory", move, L"a.avi", L"sub|a.avi", kErrorSuccess, "b.avi=b h.avi=h+ sub/"},
    {"MoveOntoAFile", move, L"a.avi", L"b.avi", kErrorAlreadyExists, kUntouched},
    {"MoveOfAMissingFile", move, L"x.avi", L"c.avi", kErrorFileNotFound, kUntouched},
    {"MoveIntoAMissingDirectory", move, L"a.avi", L"nodir|a.avi", kErrorPathNotFound, kUntouched},
    {"DeleteRemoves", deleteFile, L"a.avi", L"", kErrorSuccess, "b.avi=b h.avi=h+ sub/"},
    {"DeleteOfAMissingFile", deleteFile, L"x.avi", L"", kErrorFileNotFound, kUntouched},
    {"DeleteOfADirectory", deleteFile, L"sub", L"", kErrorAccessDenied, kUntouched},
    {"CopyOverwrites", copy, L"a.avi", L"b.avi", kErrorSuccess, "a.avi=a b.avi=a h.avi=h+ sub/"},
    {"CopyNoOverwrite", copyNoOverwrite, L"a.avi", L"b.avi", kErrorFileExists, kUntouched},
    {"CopyOntoItself", copy, L"a.avi", L"a.avi", kErrorGeneric, kUntouched},
    {"CopyOfAMissingFile", copy, L"x.avi", L"c.avi", kErrorFileNotFound, kUntouched},
    {"OpenInAMissingDirectory", openForWrite, L"nodir|c.avi", L"", kErrorPathNotFound, kUntouched},
    {"CreateAnExistingDirectory", makeDirectory, L"sub", L"", kErrorAlreadyExists, kUntouched},
    {"SizeOfAFile", sizeIsOne, L"a.avi", L"", kErrorSuccess, kUntouched},
    {"SizeOfAMissingFile", sizeIsOne, L"x.avi", L"", kErrorFileNotFound, kUntouched},
    {"FindWithoutMatch", findOne, L"*.jpg", L"", kErrorFileNotFound, kUntouched},
    {"FindInAMissingDirectory", findOne, L"nodir|*.avi", L"", kErrorPathNotFound, kUntouched},
    {"DeleteHeld", deleteFile, L"h.avi", L"", kErrorSharingViolation, kUntouched},
    {"DeleteHeldThroughBackslash", deleteFile, L"\\h.avi", L"", kErrorSharingViolation, kUntouched},
    {"MoveHeldAway", move, L"sub|..||h.avi", L"c.avi", kErrorSharingViolation, kUntouched},
#if defined(_WIN32)
    // Windows looks at the target's name first: it exists.
    {"MoveOntoHeld", move, L"a.avi", L"h.avi", kErrorAlreadyExists, kUntouched},
#else
    {"MoveOntoHeld", move, L"a.avi", L"h.avi", kErrorSharingViolation, kUntouched},
#endif
    {"CopyOntoHeld", copy, L"a.avi", L"h.avi", kErrorSharingViolation, kUntouched},
    {"OpenHeldAgain", openForWrite, L"h.avi", L"", kErrorSharingViolation, kUntouched},
};

class KyPlatformFileCaseTest : public KyPlatformFileTest,
                               public ::testing::WithParamInterface<SFileCase> {};

}  // namespace

TEST_P(KyPlatformFileCaseTest, ResultErrorAndWhatIsLeft) {
    const SFileCase& c = GetParam();
    write(L"a.avi", "a");
    write(L"b.avi", "b");
    ASSERT_TRUE(CreateDirectoryW(file(L"sub")));
    KyFileHandle hHeld = OpenFileForWrite(file(L"h.avi"));
    ASSERT_NE(hHeld, nullptr);
    ASSERT_TRUE(WriteFile(hHeld, "h", 1));
    const std::wstring strFrom = file(c.pszFrom), strTo = file(c.pszTo);
    const bool bOk = c.operation(strFrom, strTo);
    const unsigned nError = bOk ? kErrorSuccess : GetLastError();
    EXPECT_EQ(bOk, c.nError == kErrorSuccess);
    if (c.nError != kErrorGeneric) {
        EXPECT_EQ(nError, c.nError);
    }
    // The writer goes on; once closed, the held file is an ordinary one again.
    EXPECT_TRUE(WriteFile(hHeld, "+", 1));
    EXPECT_TRUE(CloseFile(hHeld));
    EXPECT_EQ(state(), c.pszAfter);
    EXPECT_TRUE(DeleteFileW(file(L"h.avi")));
}

INSTANTIATE_TEST_SUITE_P(Operations, KyPlatformFileCaseTest, ::testing::ValuesIn(kFileCases),
                         [](const ::testing::TestParamInfo<SFileCase>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(KyPlatformFileTest, SearchMatchesIgnoringCaseFlagsDirectoriesAndStartsAtTheRoot) {
    for (const wchar_t* pszName :
         {L"x.avi", L"Y.AVI", L"x.avi.txt", L"x.jpg", L"avi", L"Bild-\u00e4\u20ac.Avi"})
        write(pszName, "");
    ASSERT_TRUE(CreateDirectoryW(file(L"folder.avi")));
    EXPECT_EQ(namesOf(findAll(file(L"*.AVI"))), L"Bild-\u00e4\u20ac.Avi Y.AVI folder.avi/ x.avi");
    EXPECT_EQ(namesOf(findAll(m_Dir.Path() + L"\\*.jpg")), L"x.jpg");
    EXPECT_EQ(namesOf(findAll(m_Dir.Path() + L"/*.jpg")), L"x.jpg");
    EXPECT_EQ(namesOf(findAll(file(L"folder.avi"))), L"folder.avi/");
    EXPECT_TRUE(findAll(L"").empty());
    // An empty directory part searches the root.
    unsigned nError = 0;
    EXPECT_TRUE(findAll(L"\\*.kynosuchextension", &nError).empty());
    EXPECT_EQ(nError, static_cast<unsigned>(kErrorFileNotFound));
#if !defined(_WIN32)
    const std::vector<KyFindData> root = findAll(L"\\*");
    EXPECT_NE((L" " + namesOf(root)).find(L" tmp/"), std::wstring::npos) << "\\* must list /";
    EXPECT_EQ(namesOf(root), namesOf(findAll(L"/*")));
#endif
}

TEST_F(KyPlatformFileTest, WriteTimesAreKeptToTheTickAndByACopy) {
    write(L"t.avi", "x");
    write(L"old.avi", "x");
    const KyFileTime stamp = KyFileTimeFromUnix(1706696100, 123456700);  // 2024-01-31 10:15
    const KyFileTime old = KyFileTimeFromUnix(-14182940, 0);             // 1969-07-20 20:17:40
    ASSERT_TRUE(SetFileLastWriteTime(file(L"t.avi"), stamp));
    ASSERT_TRUE(SetFileLastWriteTime(file(L"old.avi"), old));
    ASSERT_TRUE(CopyFileW(file(L"t.avi"), file(L"copy.avi"), true));
    const std::vector<KyFindData> found = findAll(file(L"*.avi"));
    ASSERT_EQ(namesOf(found), L"copy.avi old.avi t.avi");
    EXPECT_EQ(found[0].ftLastWriteTime.nTicks, stamp.nTicks);
    EXPECT_EQ(found[1].ftLastWriteTime.nTicks, old.nTicks);
    EXPECT_EQ(found[2].ftLastWriteTime.nTicks, stamp.nTicks);
}

#if !defined(_WIN32)
// rename(2) cannot cross file systems: the move copies (with the write time, which orders the
// catalogue), then removes the source; it still never replaces. /dev/shm is usually tmpfs.
TEST_F(KyPlatformFileTest, MoveToAnotherFileSystemCopiesThenRemovesAndNeverReplaces) {
    KyTestTempDir other(L"/dev/shm");
    if (other.Path().empty())
        GTEST_SKIP() << "/dev/shm is not writable here";
    write(L"probe", "");
    std::error_code ec;
    std::filesystem::rename(file(L"probe"), other.File(L"probe"), ec);
    if (ec != std::errc::cross_device_link)
        GTEST_SKIP() << "/dev/shm is on the same file system here";
    write(L"a.avi", "a");
    write(L"b.avi", "b");
    const KyFileTime stamp = KyFileTimeFromUnix(1706696100, 0);
    ASSERT_TRUE(SetFileLastWriteTime(file(L"a.avi"), stamp));
    ASSERT_TRUE(KyTestWriteFile(other.File(L"b.avi"), "other"));
    EXPECT_FALSE(MoveFileW(file(L"b.avi"), other.File(L"b.avi")));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorAlreadyExists));
    ASSERT_TRUE(MoveFileW(file(L"a.avi"), other.File(L"a.avi")));
    EXPECT_EQ(state(), "b.avi=b probe=");
    EXPECT_EQ(KyTestReadFile(other.File(L"a.avi")), "a");
    EXPECT_EQ(KyTestReadFile(other.File(L"b.avi")), "other");
    const std::vector<KyFindData> found = findAll(other.File(L"a.avi"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].ftLastWriteTime.nTicks, stamp.nTicks);
}
#endif

TEST(KyPlatformLastErrorTest, EachThreadKeepsItsOwnLastError) {
    // Both fail, then read, with only atomics between (any other call may set the error).
    KyTestTempDir dir;
    std::atomic<int> nFailed{0};
    auto failThenRead = [&](const std::wstring& strPath) {
        DeleteFileW(strPath);
        ++nFailed;
        while (nFailed.load() < 2) {
        }
        return GetLastError();
    };
    unsigned nOther = 0;
    std::thread other([&] { nOther = failThenRead(dir.File(L"nodir") + L"/missing"); });
    const unsigned nMine = failThenRead(dir.File(L"missing"));
    other.join();
    EXPECT_EQ(nOther, static_cast<unsigned>(kErrorPathNotFound));
    EXPECT_EQ(nMine, static_cast<unsigned>(kErrorFileNotFound));
}

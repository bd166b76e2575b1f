// A file held open for writing can be neither deleted, moved nor copied over, whatever the spelling
// of its path, as on Windows; other files and the file after closing are not affected.
#include <gtest/gtest.h>

#include <string>

#include "KyPlatform.h"
#include "KyTestFiles.h"
#include "KyTestTempDir.h"

using namespace KyPlatform;

namespace {

enum EOperation { eDelete, eMoveFrom, eMoveOnto, eCopyOnto, eOpenAgain };

struct SSharingCase {
    const char* pszName;
    EOperation eOperation;
    const wchar_t* pszPath;  // relative to the directory; '|' stands for the platform separator
    unsigned nError;         // kErrorSuccess: the operation succeeds
};

// The held file is "held.avi", next to "free.avi" and a subdirectory "sub".
const SSharingCase kCases[] = {
    {"DeleteHeld", eDelete, L"held.avi", kErrorSharingViolation},
    {"DeleteHeldThroughBackslash", eDelete, L"\\held.avi", kErrorSharingViolation},
    {"DeleteHeldThroughDotDot", eDelete, L"sub|..|held.avi", kErrorSharingViolation},
    {"MoveHeldAway", eMoveFrom, L"held.avi", kErrorSharingViolation},
    {"MoveHeldThroughOtherSpelling", eMoveFrom, L"sub|..||held.avi", kErrorSharingViolation},
#if defined(_WIN32)
    // Windows looks at the target's name first: it exists.
    {"MoveOntoHeld", eMoveOnto, L"held.avi", kErrorAlreadyExists},
#else
    {"MoveOntoHeld", eMoveOnto, L"held.avi", kErrorSharingViolation},
#endif
    {"CopyOntoHeld", eCopyOnto, L"held.avi", kErrorSharingViolation},
    {"OpenHeldAgain", eOpenAgain, L"held.avi", kErrorSharingViolation},
    {"DeleteAnotherFile", eDelete, L"free.avi", kErrorSuccess},
};

class KyPlatformSharingTest : public ::testing::TestWithParam<SSharingCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"free.avi"), "free"));
        ASSERT_TRUE(CreateDirectoryW(m_Dir.File(L"sub")));
        m_hHeld = OpenFileForWrite(m_Dir.File(L"held.avi"));
        ASSERT_NE(m_hHeld, nullptr);
        ASSERT_TRUE(WriteFile(m_hHeld, "held", 4));
    }
    void TearDown() override {
        if (m_hHeld != nullptr) {
            EXPECT_TRUE(CloseFile(m_hHeld));
        }
    }

    std::wstring spelled(const wchar_t* pszPath) const {
        std::wstring str = m_Dir.Path() + PathSeparator() + pszPath;
        for (wchar_t& c : str)
            c = c == L'|' ? PathSeparator() : c;
        return str;
    }
    // 0 on success, else the last error.
    unsigned run(EOperation eOperation, const std::wstring& strPath) {
        bool bOk = false;
        switch (eOperation) {
            case eDelete:
                bOk = DeleteFileW(strPath);
                break;
            case eMoveFrom:
                bOk = MoveFileW(strPath, m_Dir.File(L"moved.avi"));
                break;
            case eMoveOnto:
                bOk = MoveFileW(m_Dir.File(L"free.avi"), strPath);
                break;
            case eCopyOnto:
                bOk = CopyFileW(m_Dir.File(L"free.avi"), strPath, false);
                break;
            case eOpenAgain: {
                KyFileHandle hFile = OpenFileForWrite(strPath);
                bOk = hFile != nullptr;
                if (bOk)
                    CloseFile(hFile);
                break;
            }
        }
        return bOk ? kErrorSuccess : GetLastError();
    }

    KyTestTempDir m_Dir;
    KyFileHandle m_hHeld = nullptr;
};

TEST_P(KyPlatformSharingTest, HeldFileIsRefusedUntilClosed) {
    const SSharingCase& c = GetParam();
    EXPECT_EQ(run(c.eOperation, spelled(c.pszPath)), c.nError);
    if (c.nError == kErrorSuccess)
        return;
    // Nothing happened to either file, and the writer can go on.
    EXPECT_TRUE(WriteFile(m_hHeld, "+", 1));
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"free.avi")));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"moved.avi")));
    ASSERT_TRUE(CloseFile(m_hHeld));
    m_hHeld = nullptr;
    EXPECT_EQ(KyTestReadFile(m_Dir.File(L"held.avi")), "held+");
    // Closed, it is an ordinary file again.
    if (c.eOperation == eMoveOnto || c.eOperation == eCopyOnto) {
        ASSERT_TRUE(DeleteFileW(m_Dir.File(L"held.avi")));
    }
    EXPECT_EQ(run(c.eOperation, spelled(c.pszPath)), kErrorSuccess);
}

INSTANTIATE_TEST_SUITE_P(Cases, KyPlatformSharingTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SSharingCase>& info) {
                             return std::string(info.param.pszName);
                         });

}  // namespace

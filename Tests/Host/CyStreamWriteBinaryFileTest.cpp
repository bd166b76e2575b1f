// The file stream: exact bytes, and failures that arrive as exceptions with their error code.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CbException.h"
#include "CyStreamWriteBinaryFile.h"
#include "KyPlatform.h"
#include "KyTestFiles.h"
#include "KyTestPlatformFaults.h"
#include "KyTestTempDir.h"

namespace {

CyStreamWriteBinaryFile* create(const std::wstring& strPath,
                                EAccessMode eMode = eAccessModeCreate) {
    return new CyStreamWriteBinaryFile(strPath, eMode, eCompressionModeNone,
                                       eCompressionLevelDefault);
}

// The text of the exception that creating the file and writing "abc" to it throws.
std::string failure(const std::wstring& strPath, EAccessMode eMode = eAccessModeCreate) {
    try {
        std::unique_ptr<CbStreamWriteBinary> pStream(create(strPath, eMode));
        pStream->WriteBuffer("abc", 3);
    } catch (const CbException& e) {
        EXPECT_NE(std::string(e.GetFunction()).find("CyStreamWriteBinaryFile"), std::string::npos);
        return e.GetText();
    }
    return "no exception";
}

}  // namespace

TEST(CyStreamWriteBinaryFileTest, ReplacesAFileWithExactlyTheBytesInOrder) {
    KyTestTempDir dir;
    const std::wstring strPath = dir.File(L"out.bin");
    ASSERT_TRUE(KyTestWriteFile(strPath, "a much longer old content"));
    const std::string strFirst("\x00\xff\x10 binary\r\n", 11);
    std::unique_ptr<CyStreamWriteBinaryFile> pStream(create(strPath));
    pStream->WriteBuffer(strFirst.data(), strFirst.size());
    pStream->WriteBuffer(nullptr, 0);
    pStream->WriteBuffer("tail", 4);
    pStream->Close();
    EXPECT_EQ(KyTestReadFile(strPath), strFirst + "tail") << "Close flushes and closes at once";
    EXPECT_THROW(pStream->WriteBuffer("x", 1), CbException);
    pStream.reset();
    EXPECT_EQ(KyTestReadFile(strPath), strFirst + "tail");
}

TEST(CyStreamWriteBinaryFileTest, FailuresThrowWithTheErrorAndLeaveWhatTheyShould) {
    KyTestTempDir dir;
    KyTestPlatformFaults faults;
    faults.Inject(KyPlatformFaults::eWrite, L"full.jpg", KyPlatform::kErrorDiskFull);
    faults.Inject(KyPlatformFaults::eOpenForWrite, L"held.jpg", KyPlatform::kErrorSharingViolation);
    EXPECT_NE(failure(dir.File(L"full.jpg")).find("error 112"), std::string::npos);
    EXPECT_TRUE(KyTestFileExists(dir.File(L"full.jpg"))) << "a created file stays";
    EXPECT_NE(failure(dir.File(L"held.jpg")).find("error 32"), std::string::npos);
    EXPECT_FALSE(KyTestFileExists(dir.File(L"held.jpg")));
    EXPECT_NE(failure(dir.File(L"a.bin"), static_cast<EAccessMode>(1)), "no exception");
    EXPECT_EQ(faults.GetTriggeredCount(), 2u);
}

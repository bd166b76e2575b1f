// The file stream: exact bytes, and failures that arrive as exceptions.
#include <gtest/gtest.h>

#include <string>

#include "CbException.h"
#include "CyStreamWriteBinaryFile.h"
#include "KyPlatform.h"
#include "KyTestFiles.h"
#include "KyTestPlatformFaults.h"
#include "KyTestTempDir.h"

namespace {

std::string textOf(const CbException& e) {
    return e.GetText();
}

}  // namespace

TEST(CyStreamWriteBinaryFileTest, WritesExactlyTheBytesInOrder) {
    KyTestTempDir dir;
    const std::wstring strPath = dir.File(L"out.bin");
    const std::string strFirst("\x00\xff\x10 binary\r\n", 11);
    {
        CyStreamWriteBinaryFile stream(strPath, eAccessModeCreate, eCompressionModeNone,
                                       eCompressionLevelDefault);
        stream.WriteBuffer(strFirst.data(), strFirst.size());
        stream.WriteBuffer(nullptr, 0);
        stream.WriteBuffer("tail", 4);
    }
    EXPECT_EQ(KyTestReadFile(strPath), strFirst + "tail");
}

TEST(CyStreamWriteBinaryFileTest, ReplacesAnExistingFile) {
    KyTestTempDir dir;
    const std::wstring strPath = dir.File(L"out.bin");
    ASSERT_TRUE(KyTestWriteFile(strPath, "a much longer old content"));
    {
        CyStreamWriteBinaryFile stream(strPath, eAccessModeCreate, eCompressionModeNone,
                                       eCompressionLevelDefault);
        stream.WriteBuffer("new", 3);
        stream.Close();
        EXPECT_EQ(KyTestReadFile(strPath), "new") << "Close flushes and closes at once";
    }
    EXPECT_EQ(KyTestReadFile(strPath), "new");
}

TEST(CyStreamWriteBinaryFileTest, AMissingDirectoryThrowsWithThePlace) {
    KyTestTempDir dir;
    const std::wstring strPath = dir.File(L"missing") + KyPlatform::PathSeparator() + L"x.jpg";
    try {
        CyStreamWriteBinaryFile stream(strPath, eAccessModeCreate, eCompressionModeNone,
                                       eCompressionLevelDefault);
        FAIL() << "no exception";
    } catch (const CbException& e) {
        EXPECT_NE(std::string(e.GetFunction()).find("CyStreamWriteBinaryFile"), std::string::npos);
        EXPECT_GT(e.GetLine(), 0u);
        EXPECT_NE(textOf(e).find("error 3"), std::string::npos) << textOf(e);
    }
    EXPECT_FALSE(KyTestFileExists(strPath));
}

TEST(CyStreamWriteBinaryFileTest, AFullDiskThrowsAndTheCreatedFileStays) {
    KyTestTempDir dir;
    KyTestPlatformFaults faults;
    faults.Inject(KyPlatformFaults::eWrite, L"full.jpg", KyPlatform::kErrorDiskFull);
    const std::wstring strPath = dir.File(L"full.jpg");
    bool bThrown = false;
    try {
        CyStreamWriteBinaryFile stream(strPath, eAccessModeCreate, eCompressionModeNone,
                                       eCompressionLevelDefault);
        stream.WriteBuffer("abc", 3);
    } catch (const CbException& e) {
        bThrown = true;
        EXPECT_NE(textOf(e).find("error 112"), std::string::npos) << textOf(e);
    }
    EXPECT_TRUE(bThrown);
    EXPECT_TRUE(KyTestFileExists(strPath));
    EXPECT_EQ(faults.GetTriggeredCount(), 1u);
}

TEST(CyStreamWriteBinaryFileTest, AFileHeldElsewhereCannotBeCreated) {
    KyTestTempDir dir;
    KyTestPlatformFaults faults;
    faults.Inject(KyPlatformFaults::eOpenForWrite, L"held.jpg", KyPlatform::kErrorSharingViolation);
    EXPECT_THROW(CyStreamWriteBinaryFile(dir.File(L"held.jpg"), eAccessModeCreate,
                                         eCompressionModeNone, eCompressionLevelDefault),
                 CbException);
    EXPECT_FALSE(KyTestFileExists(dir.File(L"held.jpg")));
}

TEST(CyStreamWriteBinaryFileTest, UnknownModesAndWritesAfterCloseThrow) {
    KyTestTempDir dir;
    EXPECT_THROW(CyStreamWriteBinaryFile(dir.File(L"a.bin"), static_cast<EAccessMode>(1),
                                         eCompressionModeNone, eCompressionLevelDefault),
                 CbException);
    CyStreamWriteBinaryFile stream(dir.File(L"b.bin"), eAccessModeCreate, eCompressionModeNone,
                                   eCompressionLevelDefault);
    stream.Close();
    EXPECT_THROW(stream.WriteBuffer("x", 1), CbException);
    EXPECT_EQ(KyTestReadFile(dir.File(L"b.bin")), "");
}

TEST(CyStreamWriteBinaryFileTest, IsUsableThroughItsAbstractFace) {
    KyTestTempDir dir;
    {
        CyStreamWriteBinaryFile file(dir.File(L"c.bin"), eAccessModeCreate, eCompressionModeNone,
                                     eCompressionLevelDefault);
        CbStreamWriteBinary& stream = file;
        stream.WriteBuffer("xyz", 3);
    }
    EXPECT_EQ(KyTestReadFile(dir.File(L"c.bin")), "xyz");
}

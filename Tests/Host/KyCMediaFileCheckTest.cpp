// The check of filed files: whole ones pass, cut, empty, missing or foreign ones give a reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CbSmartPointer.h"
#include "KyCJPGCodec.h"
#include "KyCMediaFileCheck.h"
#include "KyCVideoCreator.h"
#include "KyTestFiles.h"
#include "KyTestTempDir.h"

namespace {

std::string wholeJpeg() {
    CbArray<unsigned char> bytes;
    EXPECT_TRUE(KyCJPGCodec::Encode(KyCFieldBase(KyCRect2(KyCSize2(40, 30)), 4, 0),
                                    ePixelFormatBGRA32, 0.9f, bytes));
    return std::string(bytes.begin(), bytes.end());
}

std::string video(const KyTestTempDir& dir, unsigned nFrames) {
    const std::wstring strPath = dir.File(L"scratch.avi");
    {
        KyCVideoCreator writer(strPath, 32, 24, 1.0f / 18.0f);
        KyCFieldBase frame(KyCRect2(KyCSize2(32, 24)), 4, 0);
        for (unsigned i = 0; i < nFrames; ++i)
            EXPECT_TRUE(writer.ProcessFrame(frame.m_pData, frame.m_nPitch));
    }
    return KyTestReadFile(strPath);
}

struct SFileCase {
    const char* pszName;
    bool bVideo;
    std::string (*bytes)(const KyTestTempDir&);  // nullptr: no file
    const char* pszReason;                       // "": whole; "*": any reason
    unsigned nFrames;
};

const SFileCase kCases[] = {
    {"WholePicture", false, [](const KyTestTempDir&) { return wholeJpeg(); }, "", 0},
    {"MissingPicture", false, nullptr, "missing", 0},
    {"EmptyPicture", false, [](const KyTestTempDir&) { return std::string(); }, "empty", 0},
    {"PictureCutHalfWay", false,
     [](const KyTestTempDir&) { return wholeJpeg().substr(0, wholeJpeg().size() / 2); },
     "no end marker", 0},
    {"PictureOverAGibibyte", false, [](const KyTestTempDir&) { return std::string(1, '\xFF'); },
     "too large", 0},
    {"OnlyTheStartAndEndMarkers", false,
     [](const KyTestTempDir&) { return std::string("\xFF\xD8\x00\x00\xFF\xD9", 6); },
     "no decodable header", 0},
    {"WholeVideo", true, [](const KyTestTempDir& dir) { return video(dir, 5); }, "", 5},
    {"VideoWithoutFrames", true, [](const KyTestTempDir& dir) { return video(dir, 0); },
     "no frames", 0},
    {"PictureNamedAsVideo", true, [](const KyTestTempDir&) { return wholeJpeg(); }, "*", 0},
    {"MissingVideo", true, nullptr, "*", 0},
};

class KyCMediaFileCheckTest : public ::testing::TestWithParam<SFileCase> {};

}  // namespace

TEST_P(KyCMediaFileCheckTest, TellsAWholeFileFromABrokenOne) {
    const SFileCase& c = GetParam();
    KyTestTempDir dir;
    const std::wstring strPath = dir.File(c.bVideo ? L"20240101-080000.avi" : L"a.jpg");
    if (c.bytes != nullptr) {
        ASSERT_TRUE(KyTestWriteFile(strPath, c.bytes(dir)));
    }
    if (std::string(c.pszReason) == "too large")  // sparse, so it takes no room
        std::filesystem::resize_file(std::filesystem::path(strPath), (1u << 30) + 1);
    std::string strReason = "unset";
    unsigned nFrames = 99;
    const bool bWhole = c.bVideo ? KyCMediaFileCheck::CheckVideo(strPath, nFrames, strReason)
                                 : KyCMediaFileCheck::CheckPicture(strPath, strReason);
    EXPECT_EQ(bWhole, c.pszReason[0] == 0);
    if (c.pszReason[0] != '*') {
        EXPECT_EQ(strReason, c.pszReason);
    } else {
        EXPECT_NE(strReason, "");
    }
    if (c.bVideo && c.pszReason[0] != '*') {
        EXPECT_EQ(nFrames, c.nFrames);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, KyCMediaFileCheckTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SFileCase>& info) {
                             return std::string(info.param.pszName);
                         });

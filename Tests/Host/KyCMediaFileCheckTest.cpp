// The check of filed files: whole ones pass, cut, empty, missing or foreign ones give a reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "KyCJPGCodec.h"
#include "KyCMediaFileCheck.h"
#include "KyCVideoCreator.h"
#include "KyTestFiles.h"
#include "KyTestTempDir.h"

namespace {

enum EContent { eNone, eEmpty, eJpeg, eHalfJpeg, eHugeJpeg, eMarkersOnly, eVideo, eEmptyVideo };

std::string contentOf(EContent eContent, const KyTestTempDir& dir) {
    CbArray<unsigned char> bytes;
    EXPECT_TRUE(KyCJPGCodec::Encode(KyCFieldBase(KyCRect2(KyCSize2(40, 30)), 4, 0),
                                    ePixelFormatBGRA32, 0.9f, bytes));
    const std::string strJpeg(bytes.begin(), bytes.end());
    if (eContent == eVideo || eContent == eEmptyVideo) {
        const std::wstring strPath = dir.File(L"scratch.avi");
        {
            KyCVideoCreator writer(strPath, 32, 24, 1.0f / 18.0f);
            KyCFieldBase frame(KyCRect2(KyCSize2(32, 24)), 4, 0);
            for (int i = 0; i < (eContent == eVideo ? 5 : 0); ++i)
                EXPECT_TRUE(writer.ProcessFrame(frame.m_pData, frame.m_nPitch));
        }
        return KyTestReadFile(strPath);
    }
    return eContent == eJpeg          ? strJpeg
           : eContent == eHalfJpeg    ? strJpeg.substr(0, strJpeg.size() / 2)
           : eContent == eHugeJpeg    ? std::string(1, '\xFF')  // grown sparsely past 1 GiB
           : eContent == eMarkersOnly ? std::string("\xFF\xD8\x00\x00\xFF\xD9", 6)
                                      : std::string();
}

struct SFileCase {
    const char* pszName;
    bool bVideo;
    EContent eContent;
    const char* pszReason;  // "": whole; "*": any reason
    unsigned nFrames;
};

const SFileCase kCases[] = {
    {"WholePicture", false, eJpeg, "", 0},
    {"MissingPicture", false, eNone, "missing", 0},
    {"EmptyPicture", false, eEmpty, "empty", 0},
    {"PictureCutHalfWay", false, eHalfJpeg, "no end marker", 0},
    {"PictureOverAGibibyte", false, eHugeJpeg, "too large", 0},
    {"OnlyTheStartAndEndMarkers", false, eMarkersOnly, "no decodable header", 0},
    {"WholeVideo", true, eVideo, "", 5},
    {"VideoWithoutFrames", true, eEmptyVideo, "no frames", 0},
    {"VideoNamedAsPicture", false, eVideo, "not a JPEG", 0},
    {"PictureNamedAsVideo", true, eJpeg, "*", 0},
    {"MissingVideo", true, eNone, "*", 0},
};

class KyCMediaFileCheckTest : public ::testing::TestWithParam<SFileCase> {};

}  // namespace

TEST_P(KyCMediaFileCheckTest, TellsAWholeFileFromABrokenOne) {
    const SFileCase& c = GetParam();
    KyTestTempDir dir;
    const std::wstring strPath = dir.File(c.bVideo ? L"20240101-080000.avi" : L"a.jpg");
    if (c.eContent != eNone) {
        ASSERT_TRUE(KyTestWriteFile(strPath, contentOf(c.eContent, dir)));
    }
    if (c.eContent == eHugeJpeg)  // sparse, so it takes no room
        std::filesystem::resize_file(std::filesystem::path(strPath), (1u << 30) + 1);
    std::string strReason = "unset";
    unsigned nFrames = 99;
    const bool bWhole = c.bVideo ? KyCMediaFileCheck::CheckVideo(strPath, nFrames, strReason)
                                 : KyCMediaFileCheck::CheckPicture(strPath, strReason);
    EXPECT_EQ(bWhole, c.pszReason[0] == 0);
    EXPECT_TRUE(c.pszReason[0] == '*' ? !strReason.empty() && strReason != "unset"
                                      : strReason == c.pszReason)
        << strReason;
    if (c.bVideo && c.pszReason[0] != '*') {
        EXPECT_EQ(nFrames, c.nFrames);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, KyCMediaFileCheckTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SFileCase>& info) {
                             return std::string(info.param.pszName);
                         });

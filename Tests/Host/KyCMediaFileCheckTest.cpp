// The check of filed files: a whole picture and video pass; cut, empty, missing or foreign files
// fail with a reason.
#include <gtest/gtest.h>

#include <string>

#include "CbSmartPointer.h"
#include "KyCJPGCodec.h"
#include "KyCMediaFileCheck.h"
#include "KyCVideoCreator.h"
#include "KyTestFiles.h"
#include "KyTestPicture.h"
#include "KyTestTempDir.h"

namespace {

std::string wholeJpeg() {
    KyCFieldBase field(KyCRect2(KyCSize2(40, 30)), 4, 0);
    KyTestPaintMarkedPicture(field, true);
    CbArray<unsigned char> bytes;
    if (!KyCJPGCodec::Encode(field, ePixelFormatBGRA32, 0.9f, bytes))
        return std::string();
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetCount());
}

struct SPictureCase {
    const char* pszName;
    int nKeep;  // bytes kept: -1 all, else a prefix; -2 no file
    const char* pszReason;
};

const SPictureCase kPictures[] = {
    {"Whole", -1, ""},
    {"Missing", -2, "missing"},
    {"Empty", 0, "empty"},
    {"CutBeforeItsEnd", -3, "no end marker"},
    {"OnlyTheStartAndEndMarkers", -4, "no decodable header"},
};

class KyCMediaFileCheckPictureTest : public ::testing::TestWithParam<SPictureCase> {};

TEST_P(KyCMediaFileCheckPictureTest, TellsAWholePictureFromABrokenOne) {
    const SPictureCase& c = GetParam();
    KyTestTempDir dir;
    const std::wstring strPath = dir.File(L"20240101-080000.jpg");
    std::string strBytes = wholeJpeg();
    ASSERT_GT(strBytes.size(), 100u);
    if (c.nKeep == -3)
        strBytes.resize(strBytes.size() / 2);  // a disk that filled up half-way
    else if (c.nKeep == -4)
        strBytes = std::string("\xFF\xD8\x00\x00\xFF\xD9", 6);
    else if (c.nKeep >= 0)
        strBytes.resize(static_cast<size_t>(c.nKeep));
    if (c.nKeep != -2) {
        ASSERT_TRUE(KyTestWriteFile(strPath, strBytes));
    }
    std::string strReason = "unset";
    EXPECT_EQ(KyCMediaFileCheck::CheckPicture(strPath, strReason), c.pszReason[0] == 0);
    EXPECT_EQ(strReason, c.pszReason);
}

INSTANTIATE_TEST_SUITE_P(Pictures, KyCMediaFileCheckPictureTest, ::testing::ValuesIn(kPictures),
                         [](const ::testing::TestParamInfo<SPictureCase>& info) {
                             return std::string(info.param.pszName);
                         });

TEST(KyCMediaFileCheckVideoTest, CountsTheFramesOfAWholeVideoAndRefusesOthers) {
    KyTestTempDir dir;
    const std::wstring strVideo = dir.File(L"v.avi");
    KyCFieldBase frame(KyCRect2(KyCSize2(32, 24)), 4, 0);
    {
        CbSmartPointer<KyCVideoCreator> pWriter(
            new KyCVideoCreator(strVideo, 32, 24, 1.0f / 18.0f));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(
                pWriter->ProcessFrame(frame.m_pData + 23 * frame.m_nPitch, -frame.m_nPitch));
    }
    unsigned nFrames = 0;
    std::string strReason;
    EXPECT_TRUE(KyCMediaFileCheck::CheckVideo(strVideo, nFrames, strReason)) << strReason;
    EXPECT_EQ(nFrames, 5u);

    const std::wstring strEmpty = dir.File(L"empty.avi");
    { CbSmartPointer<KyCVideoCreator> pWriter(new KyCVideoCreator(strEmpty, 32, 24, 0.1f)); }
    EXPECT_FALSE(KyCMediaFileCheck::CheckVideo(strEmpty, nFrames, strReason));
    EXPECT_EQ(nFrames, 0u);
    EXPECT_EQ(strReason, "no frames");

    ASSERT_TRUE(KyTestWriteFile(dir.File(L"picture.avi"), wholeJpeg()));
    EXPECT_FALSE(KyCMediaFileCheck::CheckVideo(dir.File(L"picture.avi"), nFrames, strReason));
    EXPECT_FALSE(strReason.empty());
    EXPECT_FALSE(KyCMediaFileCheck::CheckVideo(dir.File(L"none.avi"), nFrames, strReason));
    EXPECT_FALSE(KyCMediaFileCheck::CheckVideo(L"", nFrames, strReason));
}

}  // namespace

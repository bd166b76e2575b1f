// Recordings past 1 GiB and past 4 GiB: OpenDML parts, indexed and readable to the last frame.
// Most frames are three noise JPEGs appended as they stand, so that the time goes to the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "CbArray.h"
#include "KyCJPGCodec.h"
#include "KyCVideoCreator.h"
#include "KyTestTempDir.h"
#include "KyTestVideoProbe.h"

namespace {

const int kWidth = 1920, kHeight = 1080;
const unsigned long long kGiB = 1ull << 30;

KyCFieldBase noiseFrame(unsigned nSeed) {
    std::mt19937 random(nSeed);
    KyCFieldBase frame(KyCRect2(KyCSize2(kWidth, kHeight)), 4, 0);
    for (int i = 0; i < frame.m_nPitch * kHeight; ++i)
        frame.m_pData[i] = static_cast<unsigned char>(random());
    return frame;
}

// Records at 18 frames per second until the file holds nBytes, the first and the last frame
// through the encoder. The number of frames written; 0 on a refusal.
unsigned recordPast(const std::wstring& strFile, unsigned long long nBytes) {
    const KyCFieldBase frame = noiseFrame(11);
    std::vector<CbArray<unsigned char>> jpegs(3);
    for (unsigned i = 0; i < jpegs.size(); ++i)
        if (!KyCJPGCodec::Encode(noiseFrame(i), ePixelFormatBGRA32, 1.0f, jpegs[i]))
            return 0;
    KyCVideoCreator writer(strFile, kWidth, kHeight, 1.0f / 18.0f);
    writer.SetQuality(1.0f);
    const unsigned char* pLastRow = frame.m_pData + (kHeight - 1) * frame.m_nPitch;
    if (!writer.ProcessFrame(pLastRow, -frame.m_nPitch))
        return 0;
    unsigned nFrames = 1;
    for (; writer.GetBytesWritten() < nBytes && nFrames < 100000; ++nFrames) {
        const CbArray<unsigned char>& jpeg = jpegs[nFrames % jpegs.size()];
        if (!writer.ProcessJpegFrame(jpeg.GetData(), jpeg.GetCount()))
            return 0;
    }
    if (!writer.ProcessFrame(pLastRow, -frame.m_nPitch))
        return 0;
    return writer.GetFramesWritten() == nFrames + 1 ? nFrames + 1 : 0;
}

// Every frame is in the index and in the file, and the first and the last decode.
void expectComplete(const std::wstring& strFile, unsigned nFrames, unsigned long long nPast) {
    EXPECT_GT(std::filesystem::file_size(std::filesystem::path(strFile)), nPast);
    KyTestVideoProbe probe;
    ASSERT_TRUE(KyTestProbeVideo(strFile, false, probe)) << probe.strError;
    EXPECT_EQ(probe.nIndexEntries, static_cast<int>(nFrames));
    EXPECT_EQ(probe.nPackets, static_cast<int>(nFrames));
    EXPECT_EQ(probe.nStreamFrames, static_cast<long long>(nFrames));
    EXPECT_EQ(probe.nDecoded, 2);
    EXPECT_EQ(probe.nWidth, kWidth);
    EXPECT_EQ(probe.nRateNum, 18);
}

}  // namespace

TEST(KyCVideoCreatorLargeFileTest, RecordingPastOneGibibyteStaysIndexedAndReadable) {
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"large.avi");
    const unsigned nFrames = recordPast(strFile, kGiB + kGiB / 16);
    ASSERT_GT(nFrames, 0u);
    expectComplete(strFile, nFrames, kGiB);
}

// Past 4 GiB, where 32-bit offsets and sizes would wrap. Runs only when KY_TEST_LARGE_AVI names
// the file to write (Tests/Host/KyLargeRecordingReadersTest.cmake): the file stays, with its frame
// count in FILE.frames, for ffprobe and GStreamer to read.
TEST(KyCVideoCreatorLargeFileTest, RecordingPastFourGibibytesForOutsideReaders) {
    const char* pszFile = std::getenv("KY_TEST_LARGE_AVI");
    if (pszFile == nullptr || *pszFile == 0)
        GTEST_SKIP() << "KY_TEST_LARGE_AVI names no file";
    const std::string strPath = pszFile;
    const std::wstring strFile(strPath.begin(), strPath.end());
    const unsigned nFrames = recordPast(strFile, 4 * kGiB + kGiB / 16);
    ASSERT_GT(nFrames, 0u);
    expectComplete(strFile, nFrames, 4 * kGiB);
    std::ofstream(strPath + ".frames") << nFrames << "\n";
}

// Recordings past 1 GiB and past 4 GiB: OpenDML parts, each with its own index, on every platform.
// Noise frames fill the file fast; most are compressed once and appended as JPEG, so that the
// tests spend their time on the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "CbArray.h"
#include "KyCJPGCodec.h"
#include "KyCVideoCreator.h"
#include "KyTestAviReader.h"
#include "KyTestTempDir.h"
#include "KyTestVideoProbe.h"

namespace {

const int kWidth = 1920, kHeight = 1080;
const unsigned long long kGiB = 1ull << 30;

// Noise compresses badly, so few frames fill the file.
KyCFieldBase noiseFrame(unsigned nSeed) {
    std::mt19937 random(nSeed);
    KyCFieldBase frame(KyCRect2(KyCSize2(kWidth, kHeight)), 4, 0);
    for (int i = 0; i < frame.m_nPitch * kHeight; i += 4) {
        const unsigned nBits = random();
        std::memcpy(frame.m_pData + i, &nBits, 4);
    }
    return frame;
}

bool writeTopDown(KyCVideoCreator& writer, const KyCFieldBase& frame) {
    const int nLastRow = frame.m_Rect.Height() - 1;
    return writer.ProcessFrame(frame.m_pData + nLastRow * frame.m_nPitch, -frame.m_nPitch);
}

// Records 18 frames per second until the file holds nBytes: the first and the last frame through
// the encoder, the others from three noise JPEGs. The number of frames written; 0 on a refusal.
unsigned recordPast(const std::wstring& strFile, unsigned long long nBytes) {
    const KyCFieldBase frame = noiseFrame(11);
    std::vector<CbArray<unsigned char>> jpegs(3);
    for (unsigned i = 0; i < jpegs.size(); ++i)
        if (!KyCJPGCodec::Encode(noiseFrame(i), ePixelFormatBGRA32, 1.0f, jpegs[i]))
            return 0;
    KyCVideoCreator writer(strFile, kWidth, kHeight, 1.0f / 18.0f);
    writer.SetQuality(1.0f);
    if (!writeTopDown(writer, frame))
        return 0;
    unsigned nFrames = 1;
    while (writer.GetBytesWritten() < nBytes && nFrames < 100000) {
        const CbArray<unsigned char>& jpeg = jpegs[nFrames % jpegs.size()];
        if (!writer.ProcessJpegFrame(jpeg.GetData(), jpeg.GetCount()))
            return 0;
        ++nFrames;
    }
    if (!writeTopDown(writer, frame))
        return 0;
    ++nFrames;
    return writer.GetFramesWritten() == nFrames ? nFrames : 0;
}

// The first and the last frame decode to full pictures.
void expectEndsDecode(KyTestAviReader& reader, unsigned nFrames) {
    for (std::size_t n : {std::size_t(0), std::size_t(nFrames - 1)}) {
        const std::vector<unsigned char> bytes = reader.ReadFrame(n);
        KyCFieldBase decoded;
        ASSERT_TRUE(KyCJPGCodec::Decode(bytes.data(), bytes.size(), decoded)) << "frame " << n;
        EXPECT_EQ(decoded.Size(), KyCSize2(kWidth, kHeight));
    }
}

}  // namespace

TEST(KyCVideoCreatorLargeFileTest, RecordingPastOneGibibyteStaysIndexedAndReadable) {
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"large.avi");
    const unsigned nFrames = recordPast(strFile, kGiB + kGiB / 16);
    ASSERT_GT(nFrames, 0u);

    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), nFrames);
    EXPECT_EQ(reader.GetScannedFrameCount(), nFrames);
    EXPECT_TRUE(reader.IndexMatchesScan());
    EXPECT_EQ(reader.GetStreamLength(), nFrames);
    EXPECT_GT(reader.GetFileSize(), kGiB);
    EXPECT_GE(reader.GetRiffCount(), 2u);
    EXPECT_TRUE(reader.HasOpenDmlIndex());
    EXPECT_EQ(reader.GetOpenDmlFrames(), nFrames);
    expectEndsDecode(reader, nFrames);

    if (KyTestHaveFfmpeg()) {
        KyTestVideoProbe probe;
        ASSERT_TRUE(KyTestProbeVideo(strFile, false, probe)) << probe.strError;
        EXPECT_EQ(probe.nPackets, static_cast<int>(nFrames));
        EXPECT_EQ(probe.nStreamFrames, static_cast<long long>(nFrames));
        EXPECT_EQ(probe.nDecoded, 2);  // the first and the last frame
        EXPECT_EQ(probe.nRateNum, 18);
        EXPECT_EQ(probe.nRateDen, 1);
    }
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

    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    EXPECT_GT(reader.GetFileSize(), 4 * kGiB);
    EXPECT_EQ(reader.GetIndexedFrameCount(), nFrames);
    EXPECT_TRUE(reader.IndexMatchesScan());
    EXPECT_EQ(reader.GetOpenDmlFrames(), nFrames);
    expectEndsDecode(reader, nFrames);
    std::ofstream(strPath + ".frames") << nFrames << "\n";
}

// A recording larger than 1 GiB: OpenDML where the platform writes it, a clean stop at the size
// limit where it does not. Writes about 1.1 GiB of noise frames to the temporary directory; most
// of them are compressed once and appended as JPEG, so that the test spends its time on the file.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
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

}  // namespace

TEST(KyCVideoCreatorLargeFileTest, RecordingPastOneGibibyteStaysIndexedAndReadable) {
    const unsigned long long nPlatformLimit = KyCVideoCreator::GetDefaultFileSizeLimit();
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"large.avi");
    const KyCFieldBase frame = noiseFrame(11);
    std::vector<CbArray<unsigned char>> jpegs(3);
    for (unsigned i = 0; i < jpegs.size(); ++i)
        ASSERT_TRUE(KyCJPGCodec::Encode(noiseFrame(i), ePixelFormatBGRA32, 1.0f, jpegs[i]));
    unsigned nFrames = 0;
    bool bRefused = false;
    {
        KyCVideoCreator writer(strFile, kWidth, kHeight, 1.0f / 18.0f);
        writer.SetQuality(1.0f);
        ASSERT_TRUE(writeTopDown(writer, frame));  // the first frame takes the usual way
        ++nFrames;
        while (writer.GetBytesWritten() < kGiB + kGiB / 16 && nFrames < 20000) {
            const CbArray<unsigned char>& jpeg = jpegs[nFrames % jpegs.size()];
            if (!writer.ProcessJpegFrame(jpeg.GetData(), jpeg.GetCount())) {
                bRefused = true;
                break;
            }
            ++nFrames;
        }
        if (!bRefused) {
            EXPECT_TRUE(writeTopDown(writer, frame));  // and so does the last one
            ++nFrames;
        }
        EXPECT_EQ(writer.GetFramesWritten(), nFrames);
    }

    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), nFrames);
    EXPECT_EQ(reader.GetScannedFrameCount(), nFrames);
    EXPECT_TRUE(reader.IndexMatchesScan());
    EXPECT_EQ(reader.GetStreamLength(), nFrames);
    if (nPlatformLimit == 0) {
        // No limit: the file grew past 1 GiB in OpenDML parts, each with its own index.
        EXPECT_FALSE(bRefused);
        EXPECT_GT(reader.GetFileSize(), kGiB);
        EXPECT_GE(reader.GetRiffCount(), 2u);
        EXPECT_TRUE(reader.HasOpenDmlIndex());
        EXPECT_EQ(reader.GetOpenDmlFrames(), nFrames);
    } else {
        // A plain AVI: the writer refused the frame that would have passed its limit.
        EXPECT_TRUE(bRefused);
        EXPECT_LE(reader.GetFileSize(), nPlatformLimit);
        EXPECT_GT(reader.GetFileSize(), nPlatformLimit - nPlatformLimit / 32);
        EXPECT_EQ(reader.GetRiffCount(), 1u);
    }
    for (std::size_t n : {std::size_t(0), std::size_t(nFrames - 1)}) {
        const std::vector<unsigned char> bytes = reader.ReadFrame(n);
        KyCFieldBase decoded;
        ASSERT_TRUE(KyCJPGCodec::Decode(bytes.data(), bytes.size(), decoded)) << "frame " << n;
        EXPECT_EQ(decoded.Size(), KyCSize2(kWidth, kHeight));
    }

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

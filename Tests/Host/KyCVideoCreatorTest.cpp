// The AVI writer: frame count, size, rate, codec and orientation as two independent readers see
// them, bad frames and arguments, and the size limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "CbException.h"
#include "CbSmartPointer.h"
#include "KyCJPGCodec.h"
#include "KyCVideoCreator.h"
#include "KyTestAviReader.h"
#include "KyTestPicture.h"
#include "KyTestTempDir.h"
#include "KyTestVideoProbe.h"

namespace {

const float kInterval = 1.0f / 18.0f;

// A frame as the recording loop holds it, top row first, handed over from its bottom row up
// with the negated pitch.
bool writeTopDown(KyCVideoCreator& writer, const KyCFieldBase& frame) {
    const int nLastRow = frame.m_Rect.Height() - 1;
    return writer.ProcessFrame(frame.m_pData + nLastRow * frame.m_nPitch, -frame.m_nPitch);
}

KyCFieldBase markedFrame(int nWidth, int nHeight, int nPixelSize) {
    KyCFieldBase frame(KyCRect2(KyCSize2(nWidth, nHeight)), nPixelSize, 0);
    KyTestPaintMarkedPicture(frame, false);
    return frame;
}

KyCFieldBase decodeFrame(KyTestAviReader& reader, std::size_t n) {
    const std::vector<unsigned char> bytes = reader.ReadFrame(n);
    KyCFieldBase decoded;
    if (!bytes.empty())
        KyCJPGCodec::Decode(bytes.data(), bytes.size(), decoded);
    return decoded;
}

KyCFieldBase noiseFrame(int nWidth, int nHeight, unsigned nSeed) {
    KyCFieldBase frame(KyCRect2(KyCSize2(nWidth, nHeight)), 4, 0);
    std::mt19937 random(nSeed);
    for (int i = 0; i < frame.m_nPitch * nHeight; i += 4) {
        const unsigned nBits = random();
        std::memcpy(frame.m_pData + i, &nBits, 4);
    }
    return frame;
}

}  // namespace

TEST(KyCVideoCreatorTest, WritesAnIndexedMotionJpegAviAtEighteenFramesPerSecond) {
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"clip.avi");
    const KyCFieldBase frame = markedFrame(96, 64, 4);
    {
        CbSmartPointer<KyCVideoCreator> pWriter(new KyCVideoCreator(strFile, 96, 64, kInterval));
        CbSmartPointer<KyCVideoCreator> pLoopReference = pWriter;
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(writeTopDown(*pLoopReference, frame)) << "frame " << i;
        EXPECT_EQ(pWriter->GetFramesWritten(), 5u);
        EXPECT_GT(pWriter->GetBytesWritten(), 5u * 100u);
        pLoopReference.Release();
    }  // the last reference completes the file

    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    EXPECT_EQ(reader.GetRate(), 18u);
    EXPECT_EQ(reader.GetScale(), 1u);
    EXPECT_EQ(reader.GetHandler(), KyTestAviReader::FourCC("MJPG"));
    EXPECT_EQ(reader.GetCompression(), KyTestAviReader::FourCC("MJPG"));
    EXPECT_EQ(reader.GetWidth(), 96u);
    EXPECT_EQ(reader.GetHeight(), 64);
    EXPECT_EQ(reader.GetIndexedFrameCount(), 5u);
    EXPECT_EQ(reader.GetScannedFrameCount(), 5u);
    EXPECT_TRUE(reader.IndexMatchesScan());
    EXPECT_EQ(reader.GetMainHeaderFrames(), 5u);
    EXPECT_EQ(reader.GetStreamLength(), 5u);
    EXPECT_TRUE(KyTestIsMarkedPicture(decodeFrame(reader, 0), 96, 64));
    EXPECT_TRUE(KyTestIsMarkedPicture(decodeFrame(reader, 4), 96, 64));

    if (KyTestHaveFfmpeg()) {
        KyTestVideoProbe probe;
        ASSERT_TRUE(KyTestProbeVideo(strFile, true, probe)) << probe.strError;
        EXPECT_EQ(probe.strCodec, "mjpeg");
        EXPECT_EQ(probe.nRateNum, 18);
        EXPECT_EQ(probe.nRateDen, 1);
        EXPECT_EQ(probe.nWidth, 96);
        EXPECT_EQ(probe.nHeight, 64);
        EXPECT_EQ(probe.nStreamFrames, 5);
        EXPECT_EQ(probe.nPackets, 5);
        EXPECT_EQ(probe.nDecoded, 5);
        EXPECT_GT(probe.nTopCr, 128 + 60) << "the top of the first frame is not red";
        EXPECT_GT(probe.nBottomCb, 128 + 60) << "the bottom of the first frame is not blue";
    }
}

TEST(KyCVideoCreatorTest, FramesFromAWorkerThreadAndTheLastReferenceDroppedThere) {
    // As a recording runs: created on the host's thread, frames written on the worker's, and
    // the worker's reference may be the last one.
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"threads.avi");
    const KyCFieldBase frame = markedFrame(64, 48, 4);
    CbSmartPointer<KyCVideoCreator> pWriter(new KyCVideoCreator(strFile, 64, 48, kInterval));
    CbSmartPointer<KyCVideoCreator> pWorkerReference = pWriter;
    std::atomic<unsigned> nWritten{0};
    std::thread worker([&pWorkerReference, &frame, &nWritten]() {
        for (int i = 0; i < 6; ++i)
            if (writeTopDown(*pWorkerReference, frame))
                ++nWritten;
        pWorkerReference.Release();  // the last reference: the file is completed here
    });
    EXPECT_LE(pWriter->GetFramesWritten(), 6u);  // read while the worker writes
    pWriter.Release();
    worker.join();
    EXPECT_EQ(nWritten.load(), 6u);

    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), 6u);
    EXPECT_TRUE(reader.IndexMatchesScan());
    EXPECT_TRUE(KyTestIsMarkedPicture(decodeFrame(reader, 5), 64, 48));
}

TEST(KyCVideoCreatorTest, FramesKeepTheirOrderAndContent) {
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"order.avi");
    const unsigned char levels[] = {30, 130, 230, 80};
    {
        KyCVideoCreator writer(strFile, 32, 32, kInterval);
        KyCFieldBase frame(KyCRect2(KyCSize2(32, 32)), 4, 0);
        for (unsigned char nLevel : levels) {
            KyTestFillField(frame, nLevel);
            ASSERT_TRUE(writeTopDown(writer, frame));
        }
    }
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    ASSERT_EQ(reader.GetIndexedFrameCount(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const KyCFieldBase decoded = decodeFrame(reader, i);
        ASSERT_FALSE(decoded.IsEmpty()) << "frame " << i;
        EXPECT_NEAR(decoded.m_pData[16 * decoded.m_nPitch + 16 * 4], levels[i], 6) << "frame " << i;
    }
}

TEST(KyCVideoCreatorTest, RowsClimbingUpwardsInMemoryAreReadBottomUpToo) {
    // A bitmap in memory: first row the bottom line, positive pitch.
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"dib.avi");
    KyCFieldBase bitmap(KyCRect2(KyCSize2(64, 64)), 4, 0);
    KyTestPaintMarkedPicture(bitmap, true);
    {
        KyCVideoCreator writer(strFile, 64, 64, kInterval);
        ASSERT_TRUE(writer.ProcessFrame(bitmap.m_pData, bitmap.m_nPitch));
    }
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    EXPECT_TRUE(KyTestIsMarkedPicture(decodeFrame(reader, 0), 64, 64));
}

TEST(KyCVideoCreatorTest, ThreeByteAndGreyFramesFollowTheirPitch) {
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"formats.avi");
    const KyCFieldBase bgr = markedFrame(38, 32, 3);   // pitch 116: padded rows
    const KyCFieldBase grey = markedFrame(38, 32, 1);  // pitch 40
    {
        KyCVideoCreator writer(strFile, 38, 32, kInterval);
        ASSERT_TRUE(writeTopDown(writer, bgr));
        ASSERT_TRUE(writeTopDown(writer, grey));
    }
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    ASSERT_EQ(reader.GetIndexedFrameCount(), 2u);
    EXPECT_TRUE(KyTestIsMarkedPicture(decodeFrame(reader, 0), 38, 32));
    EXPECT_TRUE(KyTestIsMarkedPicture(decodeFrame(reader, 1), 38, 32, true));
}

TEST(KyCVideoCreatorTest, BadFramesAreRefusedUncountedAndLeaveAGoodFile) {
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"bad.avi");
    const KyCFieldBase frame = markedFrame(32, 16, 4);
    {
        KyCVideoCreator writer(strFile, 32, 16, kInterval);
        EXPECT_FALSE(writer.ProcessFrame(nullptr, -128));
        EXPECT_FALSE(writer.ProcessFrame(frame.m_pData, 0));
        EXPECT_FALSE(writer.ProcessFrame(frame.m_pData, 64));   // 2 bytes per pixel
        EXPECT_FALSE(writer.ProcessFrame(frame.m_pData, -16));  // not even one byte per pixel
        EXPECT_FALSE(writer.ProcessFrame(frame.m_pData, std::numeric_limits<int>::min()));
        EXPECT_EQ(writer.GetFramesWritten(), 0u);
        EXPECT_TRUE(writeTopDown(writer, frame));
        EXPECT_EQ(writer.GetFramesWritten(), 1u);
    }
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), 1u);
    EXPECT_TRUE(reader.IndexMatchesScan());
}

TEST(KyCVideoCreatorTest, CompressedFramesAreStoredAsTheyStandIfTheyFit) {
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"jpeg.avi");
    KyCFieldBase bitmap(KyCRect2(KyCSize2(48, 32)), 4, 0);
    KyTestPaintMarkedPicture(bitmap, true);
    CbArray<unsigned char> jpeg, otherSize;
    ASSERT_TRUE(KyCJPGCodec::Encode(bitmap, ePixelFormatBGRA32, 0.9f, jpeg));
    ASSERT_TRUE(KyCJPGCodec::Encode(KyCFieldBase(KyCRect2(KyCSize2(32, 48)), 4, 0),
                                    ePixelFormatBGRA32, 0.9f, otherSize));
    {
        KyCVideoCreator writer(strFile, 48, 32, kInterval);
        EXPECT_FALSE(writer.ProcessJpegFrame(otherSize.GetData(), otherSize.GetCount()));
        EXPECT_FALSE(writer.ProcessJpegFrame(jpeg.GetData(), 40));  // cut before its header
        EXPECT_FALSE(writer.ProcessJpegFrame(jpeg.GetData() + 2, jpeg.GetCount() - 2));
        EXPECT_FALSE(writer.ProcessJpegFrame(nullptr, 100));
        EXPECT_EQ(writer.GetFramesWritten(), 0u);
        EXPECT_TRUE(writer.ProcessJpegFrame(jpeg.GetData(), jpeg.GetCount()));
        EXPECT_EQ(writer.GetFramesWritten(), 1u);
    }
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    const std::vector<unsigned char> stored = reader.ReadFrame(0);
    ASSERT_EQ(stored.size(), jpeg.GetCount());
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), jpeg.begin()));
}

TEST(KyCVideoCreatorTest, AFullDiskMakesEveryProcessFrameFail) {
    // /dev/full accepts the open and the buffered header, and fails every write.
    const std::filesystem::path full("/dev/full");
    std::error_code error;
    if (!std::filesystem::exists(full, error))
        GTEST_SKIP() << "no /dev/full on this platform";
    KyCVideoCreator writer(full.wstring(), 64, 64, kInterval);
    const KyCFieldBase frame = markedFrame(64, 64, 4);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(writeTopDown(writer, frame)) << "frame " << i;
    EXPECT_EQ(writer.GetFramesWritten(), 0u);
}

TEST(KyCVideoCreatorTest, AnEmptyRecordingIsStillAValidFile) {
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"empty.avi");
    { KyCVideoCreator writer(strFile, 32, 16, kInterval); }
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), 0u);
    EXPECT_EQ(reader.GetScannedFrameCount(), 0u);
    EXPECT_EQ(reader.GetRate(), 18u);
}

TEST(KyCVideoCreatorTest, ConstructorThrowsWithItsPlaceForFilesAndArgumentsItCannotUse) {
    KyTestTempDir dir;
    const std::wstring strMissing = dir.File(L"no-such-dir") + L"/clip.avi";
    try {
        KyCVideoCreator writer(strMissing, 32, 16, kInterval);
        FAIL() << "a file in a missing directory was opened";
    } catch (const CbException& e) {
        EXPECT_GT(std::string(e.GetFile()).size(), 0u);
        EXPECT_GT(e.GetLine(), 0u);
        EXPECT_NE(std::string(e.GetFunction()).find("KyCVideoCreator"), std::string::npos);
        EXPECT_GT(std::string(e.GetText()).size(), 0u);
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir.File(L"no-such-dir"))));

    const std::wstring strFile = dir.File(L"args.avi");
    EXPECT_THROW(KyCVideoCreator(strFile, 0, 16, kInterval), CbException);
    EXPECT_THROW(KyCVideoCreator(strFile, 32, 0, kInterval), CbException);
    EXPECT_THROW(KyCVideoCreator(strFile, 70000, 16, kInterval), CbException);
    EXPECT_THROW(KyCVideoCreator(strFile, 32, 16, 0.0f), CbException);
    EXPECT_THROW(KyCVideoCreator(strFile, 32, 16, -kInterval), CbException);
    EXPECT_THROW(KyCVideoCreator(strFile, 32, 16, std::nanf("")), CbException);
    EXPECT_THROW(KyCVideoCreator(strFile, 32, 16, std::numeric_limits<float>::infinity()),
                 CbException);
    EXPECT_THROW(KyCVideoCreator(L"", 32, 16, kInterval), CbException);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(strFile)));
}

TEST(KyCVideoCreatorTest, OtherIntervalsGiveExactRates) {
    struct Case {
        float fInterval;
        unsigned nRate, nScale;
    } cases[] = {{0.04f, 25, 1}, {2.0f, 1, 2}, {1.0f / 7.5f, 15, 2}};
    KyTestTempDir dir;
    int nCase = 0;
    for (const Case& c : cases) {
        const std::wstring strFile = dir.File(L"rate" + std::to_wstring(nCase++) + L".avi");
        { KyCVideoCreator writer(strFile, 16, 16, c.fInterval); }
        KyTestAviReader reader;
        ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
        EXPECT_EQ(reader.GetRate(), c.nRate) << c.fInterval;
        EXPECT_EQ(reader.GetScale(), c.nScale) << c.fInterval;
    }
}

TEST(KyCVideoCreatorTest, SizeLimitRefusesFramesAndKeepsTheFileComplete) {
    KyTestTempDir dir;
    const std::wstring strFile = dir.File(L"limited.avi");
    const KyCFieldBase frame = noiseFrame(64, 64, 7);
    unsigned nAccepted = 0;
    unsigned long long nLimit = 0;
    {
        KyCVideoCreator writer(strFile, 64, 64, kInterval);
        writer.SetQuality(1.0f);
        ASSERT_TRUE(writeTopDown(writer, frame));
        const unsigned long long nFrameBytes = writer.GetBytesWritten();
        nLimit = nFrameBytes * 4;  // room for a few frames only
        writer.SetFileSizeLimit(nLimit);
        bool bRefused = false;
        for (int i = 0; i < 20; ++i) {
            const bool bWritten = writeTopDown(writer, frame);
            if (!bWritten)
                bRefused = true;
            EXPECT_FALSE(bRefused && bWritten) << "frame " << i << " accepted after a refusal";
        }
        EXPECT_TRUE(bRefused);
        nAccepted = writer.GetFramesWritten();
        EXPECT_GT(nAccepted, 1u);
        EXPECT_LT(nAccepted, 21u);
    }
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), nAccepted);
    EXPECT_TRUE(reader.IndexMatchesScan());
    EXPECT_LE(reader.GetFileSize(), nLimit);
}

TEST(KyCVideoCreatorTest, HigherQualityKeepsMoreDetail) {
    KyTestTempDir dir;
    const KyCFieldBase frame = noiseFrame(64, 64, 3);
    std::size_t nSizes[2] = {};
    const float qualities[2] = {0.3f, 0.95f};
    for (int i = 0; i < 2; ++i) {
        const std::wstring strFile = dir.File(i == 0 ? L"low.avi" : L"high.avi");
        {
            KyCVideoCreator writer(strFile, 64, 64, kInterval);
            writer.SetQuality(qualities[i]);
            ASSERT_TRUE(writeTopDown(writer, frame));
        }
        KyTestAviReader reader;
        ASSERT_TRUE(reader.Open(strFile)) << reader.GetError();
        nSizes[i] = reader.ReadFrame(0).size();
    }
    ASSERT_GT(nSizes[0], 0u);
    if (nSizes[0] == nSizes[1])
        GTEST_SKIP() << "this platform's JPEG encoder ignores the quality (Wine's imaging "
                        "component always uses 75)";
    EXPECT_GT(nSizes[1], nSizes[0] * 3 / 2);
}

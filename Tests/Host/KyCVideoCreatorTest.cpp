// The AVI writer as FFmpeg reads its files, from bad frames to files past 1 and 4 GiB.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <thread>
#include <tuple>

#include "CbException.h"
#include "CbSmartPointer.h"
#include "KyCJPGCodec.h"
#include "KyCVideoCreator.h"
#include "KyPlatform.h"
#include "KyTestPicture.h"
#include "KyTestPlatformFaults.h"
#include "KyTestTempDir.h"
#include "KyTestVideoProbe.h"

namespace {

const float kInterval = 1.0f / 18.0f;

// A frame as the recording loop holds it, top row first, handed over bottom row up.
bool writeTopDown(KyCVideoCreator& writer, const KyCFieldBase& frame) {
    const int nLastRow = frame.m_Rect.Height() - 1;
    return writer.ProcessFrame(frame.m_pData + nLastRow * frame.m_nPitch, -frame.m_nPitch);
}

KyCFieldBase markedFrame(int nWidth, int nHeight, int nPixelSize, bool bBottomUp = false) {
    KyCFieldBase frame(KyCRect2(KyCSize2(nWidth, nHeight)), nPixelSize, 0);
    KyTestPaintMarkedPicture(frame, bBottomUp);
    return frame;
}

KyCFieldBase noiseFrame(int nWidth, int nHeight, unsigned nSeed) {
    KyCFieldBase frame(KyCRect2(KyCSize2(nWidth, nHeight)), 4, 0);
    std::mt19937 random(nSeed);
    for (int i = 0; i < frame.m_nPitch * nHeight; ++i)
        frame.m_pData[i] = static_cast<unsigned char>(random());
    return frame;
}

KyCFieldBase decoded(const std::string& strJpeg) {
    KyCFieldBase field;
    EXPECT_TRUE(KyTestDecodeJpeg(strJpeg, field));
    return field;
}

std::string utcText(std::time_t nTime) {
    char sz[32] = {};
    std::strftime(sz, sizeof(sz), "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&nTime));
    return sz;
}

class KyCVideoCreatorTest : public ::testing::Test {
protected:
    KyTestTempDir m_Dir;
    const std::wstring m_strFile = m_Dir.File(L"clip.avi");
};

// A frame layout the writer takes: pixel size, width (odd widths pad the rows) and row order.
struct SLayout {
    const char* pszName;
    int nPixelSize;
    int nWidth;
    bool bBottomUpPositivePitch;  // a bitmap in memory: first row the bottom line
    float fInterval;              // seconds per frame, stored as an exact rate
    int nRateNum, nRateDen;
};

const SLayout kLayouts[] = {
    {"BgraAtEighteen", 4, 96, false, kInterval, 18, 1},
    {"BgraBitmapOrderAtNtsc", 4, 64, true, 1.0f / 29.97f, 2997, 100},
    {"BgrPaddedRowsOneInTwoSeconds", 3, 38, false, 2.0f, 1, 2},
    {"GreyPaddedRowsAtAThousand", 1, 38, false, 0.001f, 1000, 1},
};

class KyCVideoCreatorLayoutTest : public KyCVideoCreatorTest,
                                  public ::testing::WithParamInterface<SLayout> {};

}  // namespace

// As a recording runs: a worker writes and drops the last reference, which ends the file.
TEST_P(KyCVideoCreatorLayoutTest, WorkerWritesAnIndexedDatedMotionJpegOfUprightFrames) {
    const SLayout& c = GetParam();
    const std::time_t nBefore = std::time(nullptr);
    CbSmartPointer<KyCVideoCreator> pWriter(
        new KyCVideoCreator(m_strFile, c.nWidth, 32, c.fInterval));
    std::thread([&c, &pWriter] {
        KyCFieldBase frame = markedFrame(c.nWidth, 32, c.nPixelSize, c.bBottomUpPositivePitch);
        for (int i = 0; i < 2; ++i) {
            EXPECT_TRUE(c.bBottomUpPositivePitch
                            ? pWriter->ProcessFrame(frame.m_pData, frame.m_nPitch)
                            : writeTopDown(*pWriter, frame));
            std::memset(frame.m_pData, 200, static_cast<size_t>(frame.m_nPitch) * 32);
        }
        EXPECT_EQ(pWriter->GetFramesWritten(), 2u);
        pWriter.Release();
    }).join();

    std::vector<std::string> packets;
    KyTestVideoProbe probe;
    ASSERT_TRUE(KyTestProbeVideo(m_strFile, true, probe, &packets)) << probe.strError;
    // Codec, rate, size, then frames in the header, the index and decoded.
    EXPECT_EQ(
        std::make_tuple(probe.strCodec, probe.nRateNum, probe.nRateDen, probe.nWidth, probe.nHeight,
                        probe.nStreamFrames, probe.nIndexEntries, probe.nDecoded),
        std::make_tuple(std::string("mjpeg"), c.nRateNum, c.nRateDen, c.nWidth, 32, 2ll, 2, 2));
    // The start date, in UTC, for a recovery that has to name the file.
    EXPECT_GE(probe.strDate, utcText(nBefore));
    EXPECT_LE(probe.strDate, utcText(std::time(nullptr)));
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_TRUE(KyTestIsMarkedPicture(decoded(packets[0]), c.nWidth, 32, c.nPixelSize == 1));
    EXPECT_NEAR(decoded(packets[1]).m_pData[16 * 4], 200, 6) << "frames out of order";
}

INSTANTIATE_TEST_SUITE_P(Layouts, KyCVideoCreatorLayoutTest, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<SLayout>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(KyCVideoCreatorTest, BadFramesAreRefusedUncountedAndAJpegIsStoredAsItStands) {
    const KyCFieldBase frame = markedFrame(48, 32, 4);
    CbArray<unsigned char> jpeg, otherHeight, otherWidth;
    ASSERT_TRUE(KyCJPGCodec::Encode(markedFrame(48, 32, 4, true), ePixelFormatBGRA32, 0.9f, jpeg));
    ASSERT_TRUE(
        KyCJPGCodec::Encode(markedFrame(48, 16, 4, true), ePixelFormatBGRA32, 0.9f, otherHeight));
    ASSERT_TRUE(
        KyCJPGCodec::Encode(markedFrame(24, 32, 4, true), ePixelFormatBGRA32, 0.9f, otherWidth));
    {
        KyCVideoCreator writer(m_strFile, 48, 32, kInterval);
        EXPECT_FALSE(writer.ProcessFrame(nullptr, -192));
        EXPECT_FALSE(writer.ProcessFrame(frame.m_pData, 0));
        EXPECT_FALSE(writer.ProcessFrame(frame.m_pData, 96));   // 2 bytes per pixel
        EXPECT_FALSE(writer.ProcessFrame(frame.m_pData, -24));  // not one byte per pixel
        EXPECT_FALSE(writer.ProcessFrame(frame.m_pData, std::numeric_limits<int>::min()));
        EXPECT_FALSE(writer.ProcessJpegFrame(otherHeight.GetData(), otherHeight.GetCount()));
        EXPECT_FALSE(writer.ProcessJpegFrame(otherWidth.GetData(), otherWidth.GetCount()));
        EXPECT_FALSE(writer.ProcessJpegFrame(jpeg.GetData(), 40));  // cut before its header
        EXPECT_FALSE(writer.ProcessJpegFrame(jpeg.GetData() + 2, jpeg.GetCount() - 2));
        EXPECT_FALSE(writer.ProcessJpegFrame(nullptr, 100));
        EXPECT_EQ(writer.GetFramesWritten(), 0u);
        EXPECT_TRUE(writer.ProcessJpegFrame(jpeg.GetData(), jpeg.GetCount()));
        EXPECT_TRUE(writeTopDown(writer, frame));
        EXPECT_EQ(writer.GetFramesWritten(), 2u);
    }
    std::vector<std::string> packets;
    KyTestVideoProbe probe;
    ASSERT_TRUE(KyTestProbeVideo(m_strFile, false, probe, &packets)) << probe.strError;
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0], std::string(jpeg.begin(), jpeg.end()));
}

// Characters beyond the Basic Multilingual Plane (surrogate pairs on Windows) in the folder and
// the name reach FFmpeg unchanged: the video lies where the catalogue will look for it.
TEST_F(KyCVideoCreatorTest, NamesBeyondTheBasicPlaneReachTheDiskUnchanged) {
    const std::wstring strSep(1, KyPlatform::PathSeparator());
    const std::wstring strFile =
        m_Dir.Path() + strSep + L"\U0001F4F7 clips" + strSep + L"\U0001F600.avi";
    // The check goes through the standard library, not the conversion under test.
#if defined(_WIN32)
    const std::filesystem::path folder(L"\U0001F4F7 clips"), name(L"\U0001F600.avi");
#else  // UTF-8 bytes: the standard library converts wide paths by the C locale
    const std::filesystem::path folder("\xF0\x9F\x93\xB7 clips"), name("\xF0\x9F\x98\x80.avi");
#endif
    const std::filesystem::path dir = std::filesystem::path(m_Dir.Path()) / folder;
    ASSERT_TRUE(std::filesystem::create_directory(dir));
    {
        KyCVideoCreator writer(strFile, 32, 16, kInterval);
        EXPECT_TRUE(writeTopDown(writer, markedFrame(32, 16, 4)));
    }
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::filesystem::path>{name});
    KyTestVideoProbe probe;
    ASSERT_TRUE(KyTestProbeVideo(strFile, false, probe)) << probe.strError;
    EXPECT_EQ(probe.nPackets, 1);
}

TEST_F(KyCVideoCreatorTest, ArgumentsItCannotUseThrowAndLeaveNoFileAFullDiskFailsEveryFrame) {
    EXPECT_THROW(KyCVideoCreator(m_Dir.File(L"no-such-dir") + L"/clip.avi", 32, 16, kInterval),
                 CbException);
    for (float fInterval :
         {0.0f, -kInterval, std::nanf(""), std::numeric_limits<float>::infinity(), 1e-9f, 1e9f})
        EXPECT_THROW(KyCVideoCreator(m_strFile, 32, 16, fInterval), CbException) << fInterval;
    for (int nWidth : {0, 70000})
        EXPECT_THROW(KyCVideoCreator(m_strFile, nWidth, 16, kInterval), CbException);
    EXPECT_THROW(KyCVideoCreator(m_strFile, 32, 0, kInterval), CbException);
    EXPECT_THROW(KyCVideoCreator(L"", 32, 16, kInterval), CbException);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(m_strFile)));
    { KyCVideoCreator writer(m_strFile, 32, 16, kInterval); }
    KyTestVideoProbe probe;
    EXPECT_TRUE(KyTestProbeVideo(m_strFile, false, probe)) << "an empty recording is a valid file";
    EXPECT_EQ(probe.nPackets, 0);
    // /dev/full accepts the open and the buffered header, and fails every write.
    std::error_code error;
    if (!std::filesystem::exists("/dev/full", error))
        return;
    KyCVideoCreator full(L"/dev/full", 64, 64, kInterval);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(writeTopDown(full, markedFrame(64, 64, 4))) << "frame " << i;
    EXPECT_EQ(full.GetFramesWritten(), 0u);
}

TEST_F(KyCVideoCreatorTest, SizeLimitRefusesFramesForGoodAndKeepsTheFileComplete) {
    const KyCFieldBase frame = noiseFrame(64, 64, 7);
    unsigned nAccepted = 0;
    unsigned long long nLimit = 0;
    {
        KyCVideoCreator writer(m_strFile, 64, 64, kInterval);
        writer.SetQuality(1.0f);
        ASSERT_TRUE(writeTopDown(writer, frame));
        nLimit = writer.GetBytesWritten() * 4;  // room for a few frames only
        writer.SetFileSizeLimit(nLimit);
        bool bRefused = false;
        for (int i = 0; i < 20; ++i) {
            const bool bWritten = writeTopDown(writer, frame);
            EXPECT_FALSE(bRefused && bWritten) << "frame " << i << " accepted after a refusal";
            bRefused = bRefused || !bWritten;
        }
        EXPECT_TRUE(bRefused);
        nAccepted = writer.GetFramesWritten();
        EXPECT_GT(nAccepted, 1u);
    }
    KyTestVideoProbe probe;
    ASSERT_TRUE(KyTestProbeVideo(m_strFile, false, probe)) << probe.strError;
    EXPECT_EQ(std::make_pair(probe.nIndexEntries, probe.nPackets),
              std::make_pair(static_cast<int>(nAccepted), static_cast<int>(nAccepted)));
    EXPECT_LE(std::filesystem::file_size(std::filesystem::path(m_strFile)), nLimit);
}

TEST_F(KyCVideoCreatorTest, WhatWasWrittenReachesTheDiskOnceASecondOfRecording) {
    // A failed sync fails its frame, which shows when the writer syncs.
    KyTestPlatformFaults faults;
    faults.Inject(KyPlatformFaults::eFlush, L"clip.avi", 5);
    const KyCFieldBase frame = markedFrame(16, 16, 4);
    {
        KyCVideoCreator writer(m_strFile, 16, 16, kInterval);
        writer.SetSyncInterval(0);  // left to the system: no sync
        for (int i = 0; i < 40; ++i)
            ASSERT_TRUE(writeTopDown(writer, frame)) << "frame " << i;
    }
    EXPECT_EQ(faults.GetTriggeredCount(), 0u);
    const auto start = std::chrono::steady_clock::now();
    KyCVideoCreator writer(m_strFile, 16, 16, kInterval);
    int nWritten = 0;
    while (nWritten < 40 && writeTopDown(writer, frame))
        ++nWritten;
    EXPECT_EQ(faults.GetTriggeredCount(), 1u);
    // The 18th frame is a second of recording; a busy machine may reach a second sooner.
    if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(900)) {
        EXPECT_EQ(nWritten, 17);
    } else {
        EXPECT_LE(nWritten, 17);
    }
    EXPECT_FALSE(writeTopDown(writer, frame)) << "nothing is written after a failed sync";
}

namespace {

const int kWidth = 1920, kHeight = 1080;
const unsigned long long kGiB = 1ull << 30;

// Frames written until the file holds nBytes, then checked: every frame is in the index and the
// file, and the first and last (encoded; the rest noise JPEGs stored as they stand) decode.
unsigned recordPast(const std::wstring& strFile, unsigned long long nBytes) {
    const KyCFieldBase frame = noiseFrame(kWidth, kHeight, 11);
    std::vector<CbArray<unsigned char>> jpegs(3);
    for (unsigned i = 0; i < jpegs.size(); ++i)
        EXPECT_TRUE(KyCJPGCodec::Encode(noiseFrame(kWidth, kHeight, i), ePixelFormatBGRA32, 1.0f,
                                        jpegs[i]));
    unsigned nFrames = 2;
    {
        KyCVideoCreator writer(strFile, kWidth, kHeight, kInterval);
        writer.SetQuality(1.0f);
        EXPECT_TRUE(writeTopDown(writer, frame));
        for (; writer.GetBytesWritten() < nBytes && nFrames < 100000; ++nFrames) {
            const CbArray<unsigned char>& jpeg = jpegs[nFrames % jpegs.size()];
            if (!writer.ProcessJpegFrame(jpeg.GetData(), jpeg.GetCount()))
                return 0;
        }
        EXPECT_TRUE(writeTopDown(writer, frame));
        EXPECT_EQ(writer.GetFramesWritten(), nFrames);
    }
    EXPECT_GT(std::filesystem::file_size(std::filesystem::path(strFile)), nBytes);
    KyTestVideoProbe probe;
    EXPECT_TRUE(KyTestProbeVideo(strFile, false, probe)) << probe.strError;
    const int n = static_cast<int>(nFrames);
    EXPECT_EQ(std::make_tuple(probe.nIndexEntries, probe.nPackets, probe.nStreamFrames,
                              probe.nDecoded, probe.nWidth, probe.nRateNum),
              std::make_tuple(n, n, static_cast<long long>(n), 2, kWidth, 18));
    return nFrames;
}

}  // namespace

TEST(KyCVideoCreatorLargeFileTest, RecordingPastOneGibibyteStaysIndexedAndReadable) {
    KyTestTempDir dir;
    EXPECT_GT(recordPast(dir.File(L"large.avi"), kGiB + kGiB / 16), 0u);
}

// Past 4 GiB, where 32-bit offsets wrap: into KY_TEST_LARGE_AVI, kept with FILE.frames for
// outside readers (Tests/Host/KyLargeRecordingReadersTest.cmake).
TEST(KyCVideoCreatorLargeFileTest, RecordingPastFourGibibytesForOutsideReaders) {
    const char* pszFile = std::getenv("KY_TEST_LARGE_AVI");
    if (pszFile == nullptr || *pszFile == 0)
        GTEST_SKIP() << "KY_TEST_LARGE_AVI names no file";
    const std::string strPath = pszFile;
    const unsigned nFrames =
        recordPast(std::wstring(strPath.begin(), strPath.end()), 4 * kGiB + kGiB / 16);
    ASSERT_FALSE(::testing::Test::HasFailure());
    std::ofstream(strPath + ".frames") << nFrames << "\n";
}

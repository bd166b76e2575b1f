// Recovery of a recording its process left behind: frames, name, and what is never touched.
#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "CbSmartPointer.h"
#include "KyCMediaFileCheck.h"
#include "KyCVideoCreator.h"
#include "KyCVideoRecovery.h"
#include "KyPlatform.h"
#include "KyPlatformTime.h"
#include "KyTestFiles.h"
#include "KyTestPicture.h"
#include "KyTestPlatformFaults.h"
#include "KyTestTempDir.h"
#include "KyTestVideoProbe.h"

namespace {

const unsigned kFrames = 12;
// The start time written into the leftover, which names the recovered file in local time.
const char* const kStoredDate = "2024-01-31T09:15:00Z";
const std::int64_t kStoredTime = 1706692500;

std::wstring localName(std::int64_t nTime) {
    std::tm local{};
    wchar_t szName[64] = {};
    if (!KyPlatform::LocalTime64(nTime, local))
        return std::wstring();
    std::wcsftime(szName, 64, L"%Y%m%d-%H%M%S.avi", &local);
    return szName;
}

// A killed recording's bytes (frames, no index), its start time kStoredDate or removed.
std::string killedRecording(const std::wstring& strScratch, bool bWithDate) {
    KyCFieldBase frame(KyCRect2(KyCSize2(64, 48)), 4, 0);
    KyTestPaintMarkedPicture(frame, false);
    CbSmartPointer<KyCVideoCreator> pWriter(new KyCVideoCreator(strScratch, 64, 48, 1.0f / 18.0f));
    for (unsigned i = 0; i < kFrames; ++i)
        pWriter->ProcessFrame(frame.m_pData + 47 * frame.m_nPitch, -frame.m_nPitch);
    std::string strBytes = KyTestReadFile(strScratch);
    const size_t nDate = strBytes.find("ICRD");
    if (nDate == std::string::npos || strBytes.find("idx1") != std::string::npos)
        return std::string();
    // The tag holds a size and the 20 characters of the date with its terminator.
    if (bWithDate)
        strBytes.replace(nDate + 8, 20, kStoredDate);
    else
        strBytes.replace(nDate, 4, "IXXX");  // an unknown tag: no start time
    return strBytes;
}

enum ECut { eNoCut, eInLastFrame, eAfterHeader, eInHeader };

struct SRecoveryCase {
    const char* pszName;
    ECut eCut;
    bool bWithDate;
    bool bNameTaken;
    unsigned nFaults;  // KyPlatformFaults operations that fail on the temporary file
    unsigned nFrames;  // 0: nothing is recovered and the leftover stays
};

const SRecoveryCase kCases[] = {
    {"AllFramesOfAKilledRecording", eNoCut, true, false, 0, kFrames},
    {"AFrameCutOffIsLeftOut", eInLastFrame, true, false, 0, kFrames - 1},
    {"NoFrameLeavesTheLeftover", eAfterHeader, true, false, 0, 0},
    {"ACutHeaderLeavesTheLeftover", eInHeader, true, false, 0, 0},
    {"WithoutStartTimeTheLastWriteNames", eNoCut, false, false, 0, kFrames},
    {"ATakenNameGivesTheNextSecond", eNoCut, true, true, 0, kFrames},
    {"AFailedWriteLeavesTheLeftover", eNoCut, true, false, KyPlatformFaults::eWrite, 0},
    {"AFailedMoveLeavesTheLeftover", eNoCut, true, false, KyPlatformFaults::eMove, 0},
};

class KyCVideoRecoveryTest : public ::testing::TestWithParam<SRecoveryCase> {
protected:
    std::wstring names() const {
        std::set<std::wstring> all;
        for (const auto& entry : std::filesystem::directory_iterator(m_Dir.Path()))
            all.insert(entry.path().filename().wstring());
        std::wstring str;
        for (const std::wstring& strName : all)
            str += (str.empty() ? L"" : L" ") + strName;
        return str;
    }

    KyTestTempDir m_Dir;
    KyTestTempDir m_Scratch;
    KyTestPlatformFaults m_Faults;
};

TEST_P(KyCVideoRecoveryTest, RecoversWhatCanBeReadAndNeverLosesTheLeftover) {
    const SRecoveryCase& c = GetParam();
    std::string strBytes = killedRecording(m_Scratch.File(L"rec.avi"), c.bWithDate);
    ASSERT_FALSE(strBytes.empty());
    const size_t nMovi = strBytes.find("movi");
    ASSERT_NE(nMovi, std::string::npos);
    if (c.eCut == eInLastFrame)
        strBytes.resize(strBytes.size() - 10);
    else if (c.eCut == eAfterHeader)
        strBytes.resize(nMovi + 4);
    else if (c.eCut == eInHeader)
        strBytes.resize(100);
    const std::wstring strLeftover = m_Dir.File(L"~video.avi");
    ASSERT_TRUE(KyTestWriteFile(strLeftover, strBytes));
    // A last write that differs from the stored time in every field.
    const std::int64_t nLastWrite = kStoredTime + 86400 * 40 + 3600 + 61;
    ASSERT_TRUE(KyPlatform::SetFileLastWriteTime(strLeftover,
                                                 KyPlatform::KyFileTimeFromUnix(nLastWrite, 0)));
    const std::int64_t nNamed = c.bWithDate ? kStoredTime : nLastWrite;
    const std::wstring strTaken = localName(nNamed);
    if (c.bNameTaken) {
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(strTaken), "older take"));
    }
    const std::wstring strExpected = localName(nNamed + (c.bNameTaken ? 1 : 0));

    if (c.nFaults != 0)
        m_Faults.Inject(c.nFaults, L"~recover.tmp", KyPlatform::kErrorDiskFull);
    std::vector<SRecoveredVideo> out;
    const bool bDone = KyCVideoRecovery::RecoverDirectory(m_Dir.Path(), out);

    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].strSource, strLeftover);
    if (c.nFrames == 0) {
        EXPECT_FALSE(bDone || out[0].bRecovered || out[0].strReason.empty()) << "not recovered";
        EXPECT_TRUE(out[0].strTarget.empty());
        EXPECT_EQ(names(), L"~video.avi");
        EXPECT_EQ(KyTestReadFile(strLeftover), strBytes);
        return;
    }
    EXPECT_TRUE(bDone) << out[0].strReason;
    EXPECT_TRUE(out[0].bRecovered);
    EXPECT_EQ(out[0].nFrames, c.nFrames);
    EXPECT_EQ(out[0].strTarget, m_Dir.File(strExpected));
    EXPECT_EQ(names(), c.bNameTaken ? strTaken + L" " + strExpected : strExpected);
    if (c.bNameTaken) {
        EXPECT_EQ(KyTestReadFile(m_Dir.File(strTaken)), "older take");
    }
    // The catalogue lists it where the recording ended.
    KyPlatform::KyFindData data;
    KyPlatform::KyFindHandle hFind = KyPlatform::FindFirstFileW(out[0].strTarget, data);
    ASSERT_NE(hFind, nullptr);
    KyPlatform::FindClose(hFind);
    EXPECT_EQ(data.ftLastWriteTime.nTicks, KyPlatform::KyFileTimeFromUnix(nLastWrite, 0).nTicks);
    // Indexed, at 18 frames per second, every frame decodable, the start date kept.
    KyTestVideoProbe probe;
    ASSERT_TRUE(KyTestProbeVideo(out[0].strTarget, true, probe)) << probe.strError;
    const int n = static_cast<int>(c.nFrames);
    EXPECT_EQ(std::make_pair(probe.nIndexEntries, probe.nDecoded), std::make_pair(n, n));
    EXPECT_EQ(probe.nRateNum, probe.nRateDen * 18);
    EXPECT_EQ(probe.strDate, c.bWithDate ? kStoredDate : "");
    // Recovered once: nothing is left to recover.
    out.clear();
    EXPECT_TRUE(KyCVideoRecovery::RecoverDirectory(m_Dir.Path(), out));
    EXPECT_TRUE(out.empty());
}

INSTANTIATE_TEST_SUITE_P(Leftovers, KyCVideoRecoveryTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SRecoveryCase>& info) {
                             return std::string(info.param.pszName);
                         });

TEST(KyCVideoRecoveryRunningTest, ARecordingStillRunningIsLeftAloneAMissingDirectoryIgnored) {
    KyTestTempDir dir;
    std::vector<SRecoveredVideo> out;
    EXPECT_TRUE(KyCVideoRecovery::RecoverDirectory(dir.File(L"missing"), out));
    EXPECT_TRUE(out.empty());
    const std::wstring strFile = dir.File(L"~video.avi");
    KyCFieldBase frame(KyCRect2(KyCSize2(32, 32)), 4, 0);
    CbSmartPointer<KyCVideoCreator> pWriter(new KyCVideoCreator(strFile, 32, 32, 1.0f / 18.0f));
    ASSERT_TRUE(pWriter->ProcessFrame(frame.m_pData + 31 * frame.m_nPitch, -frame.m_nPitch));
    EXPECT_FALSE(KyCVideoRecovery::RecoverDirectory(dir.Path(), out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_FALSE(out[0].bRecovered);
    EXPECT_TRUE(out[0].strTarget.empty());
    // The recording goes on and ends complete.
    ASSERT_TRUE(pWriter->ProcessFrame(frame.m_pData + 31 * frame.m_nPitch, -frame.m_nPitch));
    pWriter = nullptr;
    unsigned nFrames = 0;
    std::string strReason;
    EXPECT_TRUE(KyCMediaFileCheck::CheckVideo(strFile, nFrames, strReason)) << strReason;
    EXPECT_EQ(nFrames, 2u);
}

}  // namespace

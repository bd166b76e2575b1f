// SetFilePath over real directories: order by time, temporary files, what counts as media, and
// file times that have no catalogue time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>

#include "KyPlatformFaults.h"
#include "KyTestComponent.h"
#include "KyTestTempDir.h"

namespace fs = std::filesystem;

namespace {

const std::int64_t k0800 = kKyTestMediaTime;
const std::int64_t k0900 = k0800 + 3600;

// The scan's exception as its status code, or 0 when it returned.
SCODE scanError(KyICameraVideo& video, const std::wstring& strPath) {
    try {
        EXPECT_TRUE(video.SetFilePath(strPath));
    } catch (COleException* pError) {
        const SCODE sc = pError->m_sc;
        pError->Delete();
        return sc;
    }
    return 0;
}

class KyCCameraVideoVDXScanTest : public ::testing::Test {
protected:
    void TearDown() override { KyPlatformFaults::ClearAll(); }

    void write(const wchar_t* pszName, std::int64_t nSeconds) {
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(pszName), "x", nSeconds)) << KyTestUtf8(pszName);
    }
    std::string names() const { return KyTestNames(m_Vdx.GetState()); }

    KyTestTempDir m_Dir;
    KyCCameraVideoVDX m_Vdx;
    KyICameraVideo& m_Video = m_Vdx;
};

}  // namespace

TEST_F(KyCCameraVideoVDXScanTest, OldestFirstWithFileTimesAndEachViewOnItsNewest) {
    write(L"20240101-090000.avi", k0900);
    write(L"20240101-080000.jpg", k0800);
    write(L"b.avi", k0800);  // at equal times videos come first
    write(L"c.jpg", k0800 - 10);
    const std::wstring strGiven = m_Dir.Path() + L"//";
    EXPECT_TRUE(m_Video.SetFilePath(strGiven));
    const SCameraVideoState state = m_Vdx.GetState();
    EXPECT_EQ(KyTestNames(state), "c.jpg b.avi 20240101-080000.jpg 20240101-090000.avi");
    std::string strEntries;  // type and time after 08:00
    for (const SCatalogueEntry& entry : state.arrCatalogue)
        strEntries += "VP"[entry.eMediaType] + std::to_string(entry.nTime - k0800) + " ";
    EXPECT_EQ(strEntries, "P-10 V0 P0 V3600 ");
    EXPECT_EQ(KyTestViews(state), "3/3/2");
    EXPECT_EQ(state.strFilePath, strGiven);  // kept as given
}

TEST_F(KyCCameraVideoVDXScanTest, TemporaryFilesAreDeletedAndNeverListed) {
    for (const wchar_t* pszName : {L"~video.avi", L"~picture.jpg", L"~remove", L"~other.avi"})
        write(pszName, k0800);
    write(L"a.avi", k0900);
    EXPECT_TRUE(m_Video.SetFilePath(m_Dir.Path()));
    EXPECT_EQ(names(), "~other.avi a.avi");  // not one of ours: an ordinary video
    for (const wchar_t* pszName : {L"~video.avi", L"~picture.jpg", L"~remove"})
        EXPECT_FALSE(KyTestFileExists(m_Dir.File(pszName))) << KyTestUtf8(pszName);

    // One that cannot be deleted stays, still unlisted.
    write(L"~video.avi", k0800);
    KyPlatformFaults::Inject(KyPlatformFaults::eDelete | KyPlatformFaults::eMove, L"~video.avi",
                             KyPlatform::kErrorSharingViolation);
    EXPECT_TRUE(m_Video.SetFilePath(m_Dir.Path()));
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    EXPECT_EQ(names(), "~other.avi a.avi");
}

TEST_F(KyCCameraVideoVDXScanTest, EachScanListsTheMediaFilesThereNow) {
    write(L"gone.avi", k0800);
    ASSERT_TRUE(m_Video.SetFilePath(m_Dir.Path()));
    fs::remove(fs::path(m_Dir.File(L"gone.avi")));
    const wchar_t* const aszNames[] = {L"X.AVI",   L"Y.Jpg",        L"holiday 2024 (1).avi",
                                       L"jpg.txt", L"clip.avi.bak", L"jpg"};
    for (int i = 0; i < 6; ++i)
        write(aszNames[i], k0800 + i);
    ASSERT_TRUE(fs::create_directory(fs::path(m_Dir.File(L"sub.avi"))));
    EXPECT_TRUE(m_Video.SetFilePath(m_Dir.Path()));
    EXPECT_EQ(names(), "X.AVI Y.Jpg holiday 2024 (1).avi");
    EXPECT_EQ(KyTestViews(m_Vdx.GetState()), "2/2/1");

    EXPECT_TRUE(m_Video.SetFilePath(m_Dir.File(L"missing")));
    EXPECT_EQ(names(), "");
    EXPECT_EQ(KyTestViews(m_Vdx.GetState()), "-1/-1/-1");
}

TEST_F(KyCCameraVideoVDXScanTest, AFileFrom1960RaisesFailAndLeavesTheLockFree) {
    KyTestTempDir good;
    ASSERT_TRUE(KyTestWriteMedia(good.Path(), "V P"));
    ASSERT_TRUE(m_Video.SetFilePath(good.Path()));

    write(L"new.avi", k0900);
    write(L"old.jpg", -315619200);  // 1960-01-01
    EXPECT_EQ(scanError(m_Video, m_Dir.Path()), E_FAIL);
    // Another thread gets the state at once: the scan let go of the controller's lock.
    std::future<SCameraVideoState> state =
        std::async(std::launch::async, [this] { return m_Vdx.GetState(); });
    if (state.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the controller's lock stayed held";
        std::abort();  // the waiting thread cannot be abandoned
    }
    const SCameraVideoState after = state.get();
    EXPECT_EQ(after.strFilePath, m_Dir.Path());
    EXPECT_TRUE(after.arrCatalogue.empty());
    EXPECT_FALSE(m_Video.HasData(eVideoMediaTypeNone, nullptr));
}

namespace {

// Seconds since 1970 as file-time ticks.
constexpr std::uint64_t ticks(std::int64_t nSeconds) {
    return static_cast<std::uint64_t>((nSeconds + 11644473600LL) * 10000000LL);
}

struct SFileTimeCase {
    const char* pszName;
    std::uint64_t nTicks;  // the last-write time a search reports: 12:00 UTC on 1 July
    SCODE scError;         // what the scan raises, or 0
    const char* pszTime;   // the catalogue's time then, none after a failure
};

// Failures name the case, not its bytes.
void PrintTo(const SFileTimeCase& c, std::ostream* pOut) {
    *pOut << c.pszName;
}

class KyCCameraVideoVDXFileTimeTest : public KyCCameraVideoVDXScanTest,
                                      public ::testing::WithParamInterface<SFileTimeCase> {};

const SFileTimeCase kFileTimeCases[] = {
    {"Year1899CountsAsZero", ticks(-2224843200), 0, "0"},
    {"Year1900Fails", ticks(-2193307200), E_FAIL, ""},
    {"Year1969Fails", ticks(-15854400), E_FAIL, ""},
    {"Year1970IsKept", ticks(15681600), 0, "15681600"},
    {"BeyondAnyCalendarIsInvalid", 0x8000000000000000ull, E_INVALIDARG, ""},
};

}  // namespace

// Times no disk stores: the search reports them for the file.
TEST_P(KyCCameraVideoVDXFileTimeTest, CatalogueTimeOrFailure) {
    write(L"a.jpg", k0800);
    KyPlatformFaults::InjectFindTime(L"a.jpg", GetParam().nTicks);
    EXPECT_EQ(scanError(m_Video, m_Dir.Path()), GetParam().scError);
    std::string strTimes;
    for (const SCatalogueEntry& entry : m_Vdx.GetState().arrCatalogue)
        strTimes += std::to_string(entry.nTime);
    EXPECT_EQ(strTimes, GetParam().pszTime);
}

INSTANTIATE_TEST_SUITE_P(Years, KyCCameraVideoVDXFileTimeTest, ::testing::ValuesIn(kFileTimeCases),
                         [](const ::testing::TestParamInfo<SFileTimeCase>& info) {
                             return std::string(info.param.pszName);
                         });

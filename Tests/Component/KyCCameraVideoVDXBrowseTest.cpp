// The media directory through the interface: the scan, browsing, play mode's current entry and
// removal, checked by names, views, positions, the files left on disk, and host threads at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

#include "KyPlatformFaults.h"
#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"

namespace fs = std::filesystem;

namespace {

const std::int64_t k0800 = kKyTestMediaTime;
const std::int64_t k0900 = k0800 + 3600;

// 'A' all media (-1), 'V' video, 'P' picture, '?' -2, a value that names no type.
ERUXVideoMediaType typeOf(char c) {
    return static_cast<ERUXVideoMediaType>(static_cast<int>(std::string("?AVP").find(c)) - 2);
}

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

std::string sorted(std::vector<std::string> arrWords) {
    std::sort(arrWords.begin(), arrWords.end());
    return KyTestJoin(arrWords);
}

class KyCCameraVideoVDXBrowseTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (m_hHeld != nullptr)
            KyPlatform::CloseFile(m_hHeld);
        KyPlatformFaults::ClearAll();
        KyTestTakeVideoMessages();
    }

    void write(const wchar_t* pszName, std::int64_t nSeconds) {
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(pszName), "x", nSeconds)) << KyTestUtf8(pszName);
    }
    void writeTemporaryFiles() {
        write(L"~video.avi", k0800);
        write(L"~picture.jpg", k0800);
    }
    // Steps like "<V >A -P - =A !>V": '<' PreviousFile, '>' NextFile, '-' RemoveFile, '='
    // SetVideoMode(play), of the type A (all), V, P or ? (unnamed); '!' expects a refusal. And
    // "hold:NAME" (open for writing as the host's writers do), "gone:NAME" (deleted behind the
    // component's back), "stuck"/"unstuck" (deleting "~remove" fails), "temps" (temporary files).
    void run(const std::string& strSteps) {
        std::istringstream in(strSteps);
        std::string strStep;
        while (in >> strStep) {
            const std::string strName = strStep.substr(strStep.find(':') + 1);
            const std::wstring strFile = m_Dir.File(std::wstring(strName.begin(), strName.end()));
            if (strStep.rfind("hold:", 0) == 0)
                m_hHeld = KyPlatform::OpenFileForWrite(strFile);
            else if (strStep.rfind("gone:", 0) == 0)
                fs::remove(fs::path(strFile));
            else if (strStep == "stuck")
                KyPlatformFaults::Inject(KyPlatformFaults::eDelete, L"~remove",
                                         KyPlatform::kErrorAccessDenied);
            else if (strStep == "unstuck")
                KyPlatformFaults::ClearAll();
            else if (strStep == "temps")
                writeTemporaryFiles();
            else
                step(strStep);
        }
    }
    void step(const std::string& strStep) {
        const bool bRefused = strStep[0] == '!';
        const char cOp = strStep[bRefused ? 1 : 0];
        const bool bTyped = strStep.size() > (bRefused ? 2u : 1u);
        const ERUXVideoMediaType eType = typeOf(strStep.back());
        bool bDone = false;
        if (cOp == '<')
            bDone = m_Video.PreviousFile(eType);
        else if (cOp == '>')
            bDone = m_Video.NextFile(eType);
        else if (cOp == '-')
            bDone = bTyped ? m_Video.RemoveFile(eType) : m_Video.RemoveFile();
        else
            bDone = m_Video.SetVideoMode(eVideoModePlay, eType);
        EXPECT_EQ(bDone, !bRefused) << strStep;
    }
    // Play mode's current file: its type letter, then "name@position" or "-".
    std::string current() const {
        int nPosition = 99;
        const fs::path path(m_Video.GetFileName(&nPosition));
        std::string str(1, "AVP"[m_Video.GetMediaType(eVideoModePlay) + 1]);
        EXPECT_EQ(m_Video.GetFileName(typeOf('?'), nullptr), L"");
        if (path.empty())
            return str + (nPosition == -1 ? " -" : " bad position");
        EXPECT_EQ(path.parent_path(), fs::path(m_Dir.Path()));
        return str + " " + path.filename().string() + "@" + std::to_string(nPosition);
    }
    std::string onDisk() const {
        std::vector<std::string> arrNames;
        for (const fs::directory_entry& entry : fs::directory_iterator(m_Dir.Path()))
            arrNames.push_back(entry.path().filename().string());
        return sorted(arrNames);
    }
    std::string names() const { return KyTestNames(m_Vdx.GetState()); }
    // The views' positions, then how many files HasData counts: "all/video/picture of a/v/p".
    std::string views() const {
        std::string str = KyTestViews(m_Vdx.GetState()) + " of ";
        for (char c : std::string("AVP?")) {
            int nCount = 99;
            const bool bHasData = m_Video.HasData(typeOf(c), &nCount);
            EXPECT_EQ(bHasData, nCount > 0);
            if (c != '?')
                str += std::to_string(nCount) + (c == 'P' ? "" : "/");
            else
                EXPECT_EQ(nCount, 0);
        }
        return str;
    }

    KyTestRecordingAcquisition m_Acquisition;
    KyTestTempDir m_Dir;
    KyCCameraVideoVDX m_Vdx;
    KyICameraVideo& m_Video = m_Vdx;
    KyPlatform::KyFileHandle m_hHeld = nullptr;
};

struct SBrowseCase {
    const char* pszName;
    const char* pszPattern;  // the scanned catalogue (see KyTestWriteMedia); views on the newest
    const char* pszSteps;    // see run()
    const char* pszNames;    // the catalogue after the steps
    const char* pszViews;    // see views()
    const char* pszCurrent;  // see current()
    const char* pszOnDisk = nullptr;  // every file in the directory, when not the catalogue's
};

// Failures name the case, not its bytes.
void PrintTo(const SBrowseCase& c, std::ostream* pOut) {
    *pOut << c.pszName;
}

class KyCCameraVideoVDXStepsTest : public KyCCameraVideoVDXBrowseTest,
                                   public ::testing::WithParamInterface<SBrowseCase> {};

const SBrowseCase kBrowseCases[] = {
    {"NextVideoStopsAtTheNewest", "V P V", "!>V <V", "v0.avi p1.jpg v2.avi", "0/0/1 of 3/2/1",
     "A v0.avi@0"},
    {"AllMediaStepMovesItsTypesViewAndPlayType", "V P V", "<V >A", "v0.avi p1.jpg v2.avi",
     "1/0/1 of 3/2/1", "P p1.jpg@0"},
    {"AllMediaStopsAtTheNewest", "V P V", "<V >A >A !>A", "v0.avi p1.jpg v2.avi", "2/2/1 of 3/2/1",
     "V v2.avi@1"},
    {"AllMediaViewStaysWhenItStoodElsewhere", "V P V P", "<V <P >V !<P <V !<V",
     "v0.avi p1.jpg v2.avi p3.jpg", "1/0/1 of 4/2/2", "A p1.jpg@1"},
    {"NothingToStepThrough", "", "!>A !<A !>V !<P =A", "", "-1/-1/-1 of 0/0/0", "A -"},
    {"UnnamedTypeStepsNowhere", "V P", "!>? !<?", "v0.avi p1.jpg", "1/0/1 of 2/1/1", "A p1.jpg@1"},
    {"PlayForAnyTypeTakesTheNewest", "P V P V", "=A", "p0.jpg v1.avi p2.jpg v3.avi",
     "3/3/2 of 4/2/2", "V v3.avi@1"},
    {"PlayForAnyTypeKeepsTheAllMediaFile", "V P V P P", "<A <A <A =A",
     "v0.avi p1.jpg v2.avi p3.jpg p4.jpg", "1/2/1 of 5/2/3", "P p1.jpg@0"},
    {"PlayForATypeTakesThatTypesView", "V P V P P", "=V", "v0.avi p1.jpg v2.avi p3.jpg p4.jpg",
     "2/2/4 of 5/2/3", "V v2.avi@1"},
    {"PlayForAnAbsentTypeClearsTheAllMediaView", "V V", "=P !>A !<A", "v0.avi v1.avi",
     "-1/1/-1 of 2/2/0", "A -"},
    {"PlayForAnyTypeWithoutAllMediaTakesATypesView", "P V P", "<P >A -V =A", "p0.jpg p2.jpg",
     "0/-1/0 of 2/0/2", "P p0.jpg@0"},
    {"RemovingTheNewestVideoFallsBackToTheNewestLeft", "V P V", "-V", "v0.avi p1.jpg",
     "0/0/1 of 2/1/1", "A v0.avi@0"},
    {"RemovingTheOldestVideoMovesLaterViewsDown", "V P V", "<V >A -V", "p1.jpg v2.avi",
     "0/1/0 of 2/1/1", "P p1.jpg@0"},
    {"RemovingTheOnlyVideoClearsItsAndTheAllMediaView", "P V P", "<A -V", "p0.jpg p2.jpg",
     "-1/-1/1 of 2/0/2", "V -"},
    {"RemovingFromAllMediaGoesOnToTheNextFile", "V P V P", "<A <A -A", "v0.avi v2.avi p3.jpg",
     "1/1/-1 of 3/2/1", "P -"},
    {"RemovingThePlayTypesFileGoesOnToItsNext", "V P V P", "<A <A -", "v0.avi v2.avi p3.jpg",
     "2/1/2 of 3/2/1", "P p3.jpg@0"},
    {"RemovingTheLastFileFindsTheNearestOlderOfItsType", "P V P", "=P -A", "p0.jpg v1.avi",
     "1/1/0 of 2/1/1", "P p0.jpg@0"},
    {"RemovingFromAllMediaOnAnotherTypeIsRefused", "V P V P", "=P -A !-A", "v0.avi p1.jpg v2.avi",
     "2/2/1 of 3/2/1", "P p1.jpg@0"},
    // Without a play type the removal goes through all media only: the picture view that stood
    // on the removed file stays at its position, now the following video's.
    {"RemovingWithoutAPlayTypeLeavesTheFilesTypeViewInPlace", "P V P", "<P -", "v1.avi p2.jpg",
     "0/0/0 of 2/1/1", "A v1.avi@0"},
    {"RemovingWithoutACurrentFileIsRefused", "", "!-V !-A !-? !-", "", "-1/-1/-1 of 0/0/0", "A -"},
    {"AFileHeldOpenCannotBeRemoved", "V P V", "hold:v2.avi !-V", "v0.avi p1.jpg v2.avi",
     "2/2/1 of 3/2/1", "A v2.avi@2"},
    {"AFileAlreadyGoneLeavesTheCatalogue", "V P V", "gone:p1.jpg -P", "v0.avi v2.avi",
     "1/1/-1 of 2/2/0", "A v2.avi@1"},
    // The file went to "~remove"; its entry stays until a removal succeeds, which clears the
    // leftover first.
    {"AFileStuckUnderRemoveKeepsItsEntry", "V P V", "stuck !-P", "v0.avi p1.jpg v2.avi",
     "2/2/1 of 3/2/1", "A v2.avi@2", "v0.avi v2.avi ~remove"},
    {"AStuckLeftoverGoesWithTheNextRemoval", "V P V", "stuck !-P unstuck -V", "v0.avi p1.jpg",
     "0/0/1 of 2/1/1", "A v0.avi@0", "v0.avi"},
    // Only the temporary file of the removal's type goes, whatever the outcome.
    {"RemovalDeletesItsTypesTemporaryFile", "V P", "=P temps -", "v0.avi", "-1/0/-1 of 1/1/0",
     "P -", "v0.avi ~video.avi"},
    {"ARefusedRemovalDeletesItsTypesTemporaryFile", "V P", "=P - temps !-P", "v0.avi",
     "-1/0/-1 of 1/1/0", "P -", "v0.avi ~video.avi"},
};

}  // namespace

TEST_P(KyCCameraVideoVDXStepsTest, ViewsNamesAndFiles) {
    ASSERT_TRUE(KyTestWriteMedia(m_Dir.Path(), GetParam().pszPattern));
    ASSERT_TRUE(m_Video.SetFilePath(m_Dir.Path()));
    run(GetParam().pszSteps);
    EXPECT_EQ(names(), GetParam().pszNames);
    EXPECT_EQ(views(), GetParam().pszViews);
    EXPECT_EQ(current(), GetParam().pszCurrent);
    // The removed file went, no other, nothing left over.
    std::istringstream in(names());
    const std::string strListed = sorted({std::istream_iterator<std::string>(in), {}});
    EXPECT_EQ(onDisk(), GetParam().pszOnDisk ? GetParam().pszOnDisk : strListed);
}

INSTANTIATE_TEST_SUITE_P(Catalogues, KyCCameraVideoVDXStepsTest, ::testing::ValuesIn(kBrowseCases),
                         [](const ::testing::TestParamInfo<SBrowseCase>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(KyCCameraVideoVDXBrowseTest, EachScanListsTheMediaThereNowOldestFirst) {
    write(L"gone.avi", k0800);
    ASSERT_TRUE(m_Video.SetFilePath(m_Dir.Path()));
    fs::remove(fs::path(m_Dir.File(L"gone.avi")));
    write(L"20240101-090000.avi", k0900);
    write(L"20240101-080000.JPG", k0800);
    write(L"b.Avi", k0800);  // at equal times videos come first
    write(L"c 1.jpg", k0800 - 10);
    write(L"~other.avi", k0900 + 1);  // not one of our temporary files: an ordinary video
    writeTemporaryFiles();
    write(L"~remove", k0800);
    for (const wchar_t* pszName : {L"jpg.txt", L"clip.avi.bak", L"jpg"})
        write(pszName, k0800);
    ASSERT_TRUE(fs::create_directory(fs::path(m_Dir.File(L"sub.avi"))));
    const std::wstring strGiven = m_Dir.Path() + L"//";
    EXPECT_TRUE(m_Video.SetFilePath(strGiven));
    const SCameraVideoState state = m_Vdx.GetState();
    const char* const pszNames = "c 1.jpg b.Avi 20240101-080000.JPG 20240101-090000.avi ~other.avi";
    EXPECT_EQ(names(), pszNames);
    std::string strEntries;  // type and time after 08:00
    for (const SCatalogueEntry& entry : state.arrCatalogue)
        strEntries += "VP"[entry.eMediaType] + std::to_string(entry.nTime - k0800) + " ";
    EXPECT_EQ(strEntries, "P-10 V0 P0 V3600 V3601 ");
    EXPECT_EQ(KyTestViews(state), "4/4/2");
    EXPECT_EQ(state.strFilePath, strGiven);  // kept as given
    for (const wchar_t* pszName : {L"~video.avi", L"~picture.jpg", L"~remove"})
        EXPECT_FALSE(KyTestFileExists(m_Dir.File(pszName))) << KyTestUtf8(pszName);

    // A temporary file that cannot be deleted stays, still unlisted.
    write(L"~video.avi", k0800);
    KyPlatformFaults::Inject(KyPlatformFaults::eDelete | KyPlatformFaults::eMove, L"~video.avi",
                             KyPlatform::kErrorSharingViolation);
    EXPECT_TRUE(m_Video.SetFilePath(m_Dir.Path()));
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    EXPECT_EQ(names(), pszNames);

    EXPECT_TRUE(m_Video.SetFilePath(m_Dir.File(L"missing")));
    EXPECT_EQ(names(), "");
    EXPECT_EQ(KyTestViews(m_Vdx.GetState()), "-1/-1/-1");
}

// Times no disk stores, reported by the search: the catalogue's time, or the scan's failure, which
// leaves an empty catalogue and the controller's lock free.
TEST_F(KyCCameraVideoVDXBrowseTest, FileTimesAtTheCalendarsEdges) {
    const struct {
        const char* pszYear;   // of a.jpg, at 12:00 UTC on 1 July
        std::uint64_t nTicks;  // its last-write time
        SCODE scError;         // what the scan raises, or 0
        const char* pszTimes;  // the catalogue's times then (b.avi's is 1704099600)
    } aCases[] = {
        {"1899 counts as 0", KyTestFileTime(-2224843200).nTicks, 0, "0 1704099600"},
        {"1900", KyTestFileTime(-2193307200).nTicks, E_FAIL, ""},
        {"1960", KyTestFileTime(-299851200).nTicks, E_FAIL, ""},
        {"1969", KyTestFileTime(-15854400).nTicks, E_FAIL, ""},
        {"1970", KyTestFileTime(15681600).nTicks, 0, "15681600 1704099600"},
        {"beyond any calendar", 0x8000000000000000ull, E_INVALIDARG, ""},
    };
    write(L"a.jpg", k0800);
    write(L"b.avi", k0900);
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pszYear);
        KyPlatformFaults::ClearAll();
        KyPlatformFaults::InjectFindTime(L"a.jpg", c.nTicks);
        EXPECT_EQ(scanError(m_Video, m_Dir.Path()), c.scError);
        // Another thread gets the state at once: the scan let go of the controller's lock.
        std::future<SCameraVideoState> state =
            std::async(std::launch::async, [this] { return m_Vdx.GetState(); });
        if (state.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "the controller's lock stayed held";
            std::abort();  // the waiting thread cannot be abandoned
        }
        std::string strTimes;
        for (const SCatalogueEntry& entry : state.get().arrCatalogue)
            strTimes += (strTimes.empty() ? "" : " ") + std::to_string(entry.nTime);
        EXPECT_EQ(strTimes, c.pszTimes);
    }
}

TEST_F(KyCCameraVideoVDXBrowseTest, BrowsingRescanningAndSwitchingFromSeveralThreads) {
    // Every answer stays one that a consistent catalogue could give.
    ASSERT_TRUE(KyTestWriteMedia(m_Dir.Path(), "V P V P V"));
    ASSERT_TRUE(m_Video.SetFilePath(m_Dir.Path()));
    std::set<std::wstring> setPaths;
    for (const wchar_t* pszName : {L"v0.avi", L"p1.jpg", L"v2.avi", L"p3.jpg", L"v4.avi"})
        setPaths.insert(m_Dir.File(pszName));
    const int kRounds = 300;
    std::atomic<int> nBadAnswers{0};
    std::thread browser([&] {
        for (int i = 0; i < kRounds; ++i) {
            m_Video.NextFile(eVideoMediaTypeNone);
            m_Video.PreviousFile(eVideoMediaTypeVideo);
            m_Video.NextFile(eVideoMediaTypePicture);
        }
    });
    std::thread reader([&] {
        for (int i = 0; i < kRounds; ++i) {
            int nPosition = 0;
            const std::wstring strPath = m_Video.GetFileName(eVideoMediaTypeNone, &nPosition);
            int nCount = -1;
            m_Video.HasData(eVideoMediaTypeVideo, &nCount);  // a rescan is never half-built
            if ((!strPath.empty() && (setPaths.count(strPath) == 0 || nPosition < 0)) ||
                nCount != 3 || m_Vdx.GetState().arrCatalogue.size() != 5)
                ++nBadAnswers;
        }
    });
    for (int i = 0; i < kRounds / 10; ++i) {
        m_Video.SetFilePath(m_Dir.Path());
        m_Video.SetVideoMode(i % 2 == 0 ? eVideoModePlay : eVideoModeNone, eVideoMediaTypeNone);
        m_Video.StartVideo();
        m_Video.StopVideo();
    }
    browser.join();
    reader.join();
    EXPECT_EQ(nBadAnswers.load(), 0);
    EXPECT_EQ(names(), "v0.avi p1.jpg v2.avi p3.jpg v4.avi");
    m_Video.SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
}

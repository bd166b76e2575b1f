// Browsing, play mode's current entry and removal through the interface, over scanned media
// directories: views, names, positions, the files left on disk, and several host threads at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
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

// 'A' all media (-1), 'V' video, 'P' picture, '?' -2, a value that names no type.
ERUXVideoMediaType typeOf(char c) {
    return static_cast<ERUXVideoMediaType>(static_cast<int>(std::string("?AVP").find(c)) - 2);
}

class KyCCameraVideoVDXBrowseTest : public ::testing::Test {
protected:
    void SetUp() override { m_Acquisition.Install(); }
    void TearDown() override {
        KyPlatformFaults::ClearAll();
        KyTestTakeVideoMessages();
    }

    void scan(const char* pszPattern) {
        ASSERT_TRUE(KyTestWriteMedia(m_Dir.Path(), pszPattern));
        ASSERT_TRUE(m_Video.SetFilePath(m_Dir.Path()));
    }
    // Runs steps like "<V >A -P - =A !>V": '<' PreviousFile, '>' NextFile, '-' RemoveFile,
    // '=' SetVideoMode(play) of the type A (all), V, P or ? (unnamed); '!' expects a refusal.
    void run(const std::string& strSteps) {
        std::istringstream in(strSteps);
        std::string strStep;
        while (in >> strStep) {
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
    }
    // Play mode's current file: its type letter, then "name@position" or "-".
    std::string current() const {
        int nPosition = 99;
        const fs::path path(m_Video.GetFileName(&nPosition));
        std::string str(1, "AVP"[m_Video.GetMediaType(eVideoModePlay) + 1]);
        if (path.empty())
            return str + (nPosition == -1 ? " -" : " bad position");
        EXPECT_EQ(path.parent_path(), fs::path(m_Dir.Path()));
        return str + " " + path.filename().string() + "@" + std::to_string(nPosition);
    }
    // Every file in the directory, sorted.
    std::string onDisk() const {
        std::vector<std::string> arrNames;
        for (const fs::directory_entry& entry : fs::directory_iterator(m_Dir.Path()))
            arrNames.push_back(entry.path().filename().string());
        return sorted(arrNames);
    }
    static std::string sorted(std::vector<std::string> arrWords) {
        std::sort(arrWords.begin(), arrWords.end());
        return KyTestJoin(arrWords);
    }
    std::string names() const { return KyTestNames(m_Vdx.GetState()); }
    // The views' positions, then how many files HasData counts: "all/video/picture of a/v/p".
    std::string views() const {
        std::string str = KyTestViews(m_Vdx.GetState()) + " of ";
        for (char c : std::string("AVP")) {
            int nCount = 99;
            const bool bHasData = m_Video.HasData(typeOf(c), &nCount);
            EXPECT_EQ(bHasData, nCount > 0);
            str += std::to_string(nCount) + (c == 'P' ? "" : "/");
        }
        return str;
    }

    KyTestRecordingAcquisition m_Acquisition;
    KyTestTempDir m_Dir;
    KyCCameraVideoVDX m_Vdx;
    KyICameraVideo& m_Video = m_Vdx;
};

struct SBrowseCase {
    const char* pszName;
    const char* pszPattern;  // the scanned catalogue, oldest first; each view on its newest
    const char* pszSteps;    // see run()
    const char* pszNames;    // the catalogue after the steps
    const char* pszViews;    // see views()
    const char* pszCurrent;  // see current()
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
    {"NothingToStepThrough", "", "!>A !<A !>V !<P", "", "-1/-1/-1 of 0/0/0", "A -"},
    {"UnnamedTypeStepsNowhere", "V P", "!>? !<?", "v0.avi p1.jpg", "1/0/1 of 2/1/1", "A p1.jpg@1"},
    {"PlayOnAnEmptyCatalogue", "", "=A", "", "-1/-1/-1 of 0/0/0", "A -"},
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
};

}  // namespace

TEST_P(KyCCameraVideoVDXStepsTest, ViewsNamesAndFiles) {
    scan(GetParam().pszPattern);
    run(GetParam().pszSteps);
    EXPECT_EQ(names(), GetParam().pszNames);
    EXPECT_EQ(views(), GetParam().pszViews);
    EXPECT_EQ(current(), GetParam().pszCurrent);
    // Exactly the listed files stay on disk: the removed one went, no other, nothing left over.
    std::istringstream in(names());
    EXPECT_EQ(onDisk(), sorted({std::istream_iterator<std::string>(in), {}}));
}

INSTANTIATE_TEST_SUITE_P(Catalogues, KyCCameraVideoVDXStepsTest, ::testing::ValuesIn(kBrowseCases),
                         [](const ::testing::TestParamInfo<SBrowseCase>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(KyCCameraVideoVDXBrowseTest, FileNamesOfEachViewAreFullPathsWithPositionsInTheirType) {
    scan("V P V");
    const std::wstring strDir = m_Dir.Path() + KyTestNative(L"\\");
    int nPosition = 99;
    EXPECT_EQ(m_Video.GetFileName(eVideoMediaTypeVideo, &nPosition), strDir + L"v2.avi");
    EXPECT_EQ(nPosition, 1);
    EXPECT_EQ(m_Video.GetFileName(eVideoMediaTypeNone, &nPosition), strDir + L"v2.avi");
    EXPECT_EQ(nPosition, 2);
    EXPECT_EQ(m_Video.GetFileName(eVideoMediaTypePicture, nullptr), strDir + L"p1.jpg");
    EXPECT_EQ(m_Video.GetFileName(typeOf('?'), &nPosition), L"");
    EXPECT_EQ(nPosition, -1);
    EXPECT_FALSE(m_Video.HasData(typeOf('?'), &nPosition));
    EXPECT_EQ(nPosition, 0);
}

TEST_F(KyCCameraVideoVDXBrowseTest, RemovalDeletesOnlyItsTypesTemporaryFileWhateverTheOutcome) {
    scan("V P");
    ASSERT_TRUE(m_Video.SetVideoMode(eVideoModePlay, eVideoMediaTypePicture));
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~video.avi"), "t"));
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~picture.jpg"), "t"));
    EXPECT_TRUE(m_Video.RemoveFile());
    EXPECT_EQ(onDisk(), "v0.avi ~video.avi");
    // No picture is left to remove; the temporary file goes all the same.
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~picture.jpg"), "t"));
    EXPECT_FALSE(m_Video.RemoveFile(eVideoMediaTypePicture));
    EXPECT_EQ(onDisk(), "v0.avi ~video.avi");
}

TEST_F(KyCCameraVideoVDXBrowseTest, AFileHeldOpenCannotBeRemoved) {
    scan("V P V");
    // Held as the host layer's writers hold a file: open for writing, shared for reading only.
    KyPlatform::KyFileHandle hHeld = KyPlatform::OpenFileForWrite(m_Dir.File(L"v2.avi"));
    ASSERT_NE(hHeld, nullptr);
    EXPECT_FALSE(m_Video.RemoveFile(eVideoMediaTypeVideo));
    EXPECT_EQ(names(), "v0.avi p1.jpg v2.avi");
    EXPECT_EQ(views(), "2/2/1 of 3/2/1");
    EXPECT_EQ(onDisk(), "p1.jpg v0.avi v2.avi");
    ASSERT_TRUE(KyPlatform::CloseFile(hHeld));
    EXPECT_TRUE(m_Video.RemoveFile(eVideoMediaTypeVideo));
    EXPECT_EQ(onDisk(), "p1.jpg v0.avi");
}

TEST_F(KyCCameraVideoVDXBrowseTest, AFileAlreadyGoneLeavesTheCatalogue) {
    scan("V P V");
    fs::remove(fs::path(m_Dir.File(L"p1.jpg")));
    EXPECT_TRUE(m_Video.RemoveFile(eVideoMediaTypePicture));
    EXPECT_EQ(names(), "v0.avi v2.avi");
    EXPECT_EQ(views(), "1/1/-1 of 2/2/0");
}

TEST_F(KyCCameraVideoVDXBrowseTest, AFileStuckUnderRemoveKeepsItsEntryUntilTheNextRemoval) {
    scan("V P V");
    KyPlatformFaults::Inject(KyPlatformFaults::eDelete, L"~remove", KyPlatform::kErrorAccessDenied);
    EXPECT_FALSE(m_Video.RemoveFile(eVideoMediaTypePicture));
    EXPECT_EQ(names(), "v0.avi p1.jpg v2.avi");
    EXPECT_EQ(views(), "2/2/1 of 3/2/1");
    EXPECT_EQ(KyTestReadFile(m_Dir.File(L"~remove")), "p1.jpg");
    EXPECT_EQ(onDisk(), "v0.avi v2.avi ~remove");
    // Once it can, the next removal clears the leftover first.
    KyPlatformFaults::ClearAll();
    EXPECT_TRUE(m_Video.RemoveFile(eVideoMediaTypeVideo));
    EXPECT_EQ(onDisk(), "v0.avi");
}

TEST_F(KyCCameraVideoVDXBrowseTest, BrowsingRescanningAndSwitchingFromSeveralThreads) {
    // Every answer stays one that a consistent catalogue could give.
    scan("V P V P V");
    std::set<std::wstring> setPaths;
    for (const wchar_t* pszName : {L"v0.avi", L"p1.jpg", L"v2.avi", L"p3.jpg", L"v4.avi"})
        setPaths.insert(m_Dir.Path() + KyTestNative(L"\\") + pszName);
    KyICameraVideo& video = m_Video;

    const int kRounds = 300;
    std::atomic<int> nBadAnswers{0};
    std::thread browser([&] {
        for (int i = 0; i < kRounds; ++i) {
            video.NextFile(eVideoMediaTypeNone);
            video.PreviousFile(eVideoMediaTypeVideo);
            video.NextFile(eVideoMediaTypePicture);
        }
    });
    std::thread reader([&] {
        for (int i = 0; i < kRounds; ++i) {
            int nPosition = 0;
            const std::wstring strPath = video.GetFileName(eVideoMediaTypeNone, &nPosition);
            if (!strPath.empty() && (setPaths.count(strPath) == 0 || nPosition < 0))
                ++nBadAnswers;
            int nCount = -1;
            video.HasData(eVideoMediaTypeVideo, &nCount);
            if (nCount != 3)  // a rescan holds the lock throughout: never half-built
                ++nBadAnswers;
            if (m_Vdx.GetState().arrCatalogue.size() != 5)
                ++nBadAnswers;
        }
    });
    std::thread switcher([&] {
        for (int i = 0; i < kRounds / 10; ++i) {
            video.SetFilePath(m_Dir.Path());
            video.SetVideoMode(i % 2 == 0 ? eVideoModePlay : eVideoModeNone, eVideoMediaTypeNone);
            video.StartVideo();
            video.StopVideo();
        }
    });
    browser.join();
    reader.join();
    switcher.join();

    EXPECT_EQ(nBadAnswers.load(), 0);
    EXPECT_EQ(KyTestNames(m_Vdx.GetState()), "v0.avi p1.jpg v2.avi p3.jpg v4.avi");
    video.SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
}

// The shell against the real component: browsing and removing leave the right files and views.
#include <gtest/gtest.h>

#include <ctime>
#include <sstream>

#include "KyCConsole.h"
#include "KyCMessagePump.h"
#include "KyCShell.h"
#include "KyCameraVideoFactory.h"
#include "KyPlatform.h"
#include "KyStringConvert.h"
#include "KyTestFiles.h"
#include "KyTestTempDir.h"

namespace {

// Writes a media file last written nHoursAgo hours ago, so that the scan orders by age.
void writeMedia(const KyTestTempDir& dir, const wchar_t* pszName, int nHoursAgo) {
    const std::wstring strPath = dir.File(pszName);
    ASSERT_TRUE(KyTestWriteFile(strPath, "media"));
    const std::int64_t nUnix = static_cast<std::int64_t>(std::time(nullptr)) - nHoursAgo * 3600;
    KyPlatform::KyFileTime fileTime;
    fileTime.nTicks = static_cast<std::uint64_t>(nUnix + 11644473600LL) * 10000000ULL;
    ASSERT_TRUE(KyPlatform::SetFileLastWriteTime(strPath, fileTime));
}

class KyCShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Oldest first: picture A, video B, picture C.
        writeMedia(m_Dir, L"a.jpg", 3);
        writeMedia(m_Dir, L"b.avi", 2);
        writeMedia(m_Dir, L"c.jpg", 1);
        m_pComponent = RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
    }
    void TearDown() override {
        m_pComponent->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
        m_pComponent.Release();
        RUXComponentFactory::ReleaseCameraVideo();
    }
    // Runs the script; the output lines and the exit code.
    int run(const std::string& strScript) {
        KyCConsole console(m_Out, m_Err, false);
        KyCMessagePump messages(console);
        KyCShell shell(*m_pComponent, console, messages);
        std::istringstream in("dir \"" + KyWideToUtf8(m_Dir.Path()) + "\"\n" + strScript);
        return shell.Run(in, true);
    }
    bool outputHas(const std::string& strText) const {
        return m_Out.str().find(strText) != std::string::npos;
    }
    // The views the last catalogue listing marks the file as current in ("" for none, "?" when
    // the file is not listed).
    std::string currentIn(const std::string& strName) const {
        std::istringstream in(m_Out.str());
        std::string strFound = "?";
        for (std::string strLine; std::getline(in, strLine);) {
            const size_t nAt = strLine.find("  " + strName);
            if (nAt == std::string::npos || strLine[0] != ' ')
                continue;
            strFound = strLine.substr(nAt + 2 + strName.size());
            strFound.erase(0, strFound.find_first_not_of(' '));
            if (strFound.find_first_not_of(' ') == std::string::npos)
                strFound.clear();
        }
        return strFound;
    }
    std::string path(const wchar_t* pszName) const { return KyWideToUtf8(m_Dir.File(pszName)); }

    KyTestTempDir m_Dir;
    CbSmartPointer<KyICameraVideo> m_pComponent;
    std::ostringstream m_Out, m_Err;
};

}  // namespace

TEST_F(KyCShellTest, DirListsWhatIsThereAndEachViewStandsOnItsNewestFile) {
    EXPECT_EQ(run("list\npath all\npath video\npath picture\n"), 0) << m_Err.str();
    EXPECT_TRUE(outputHas("dir " + KyWideToUtf8(m_Dir.Path()) + ": true, 1 video, 2 pictures"))
        << m_Out.str();
    EXPECT_TRUE(outputHas("catalogue: 3 files (1 video, 2 pictures)"));
    const std::string strOut = m_Out.str();
    EXPECT_LT(strOut.find("a.jpg"), strOut.find("b.avi"));
    EXPECT_LT(strOut.find("b.avi"), strOut.find("c.jpg"));
    EXPECT_EQ(currentIn("a.jpg"), "") << strOut;
    EXPECT_EQ(currentIn("b.avi"), "video");
    EXPECT_EQ(currentIn("c.jpg"), "all, picture");
    EXPECT_TRUE(outputHas("path all: " + path(L"c.jpg") + " (all position 2)"));
    EXPECT_TRUE(outputHas("path video: " + path(L"b.avi") + " (video position 0)"));
    EXPECT_TRUE(outputHas("path picture: " + path(L"c.jpg") + " (picture position 1)"));
    EXPECT_TRUE(m_Err.str().empty());
}

TEST_F(KyCShellTest, BrowsingStopsAtTheEndsAndTheAllViewSetsThePlayType) {
    EXPECT_EQ(run("next all\nprev all\nstatus\nprev picture\nprev picture\n"), 0);
    EXPECT_TRUE(outputHas("next all: false, now " + path(L"c.jpg") + " (all 3 of 3)"))
        << m_Out.str();
    EXPECT_TRUE(outputHas("prev all: true, now " + path(L"b.avi") + " (all 2 of 3)"));
    EXPECT_TRUE(outputHas("status: mode none, play media type video"));
    EXPECT_TRUE(outputHas("prev picture: true, now " + path(L"a.jpg") + " (picture 1 of 2)"));
    EXPECT_TRUE(outputHas("prev picture: false, now " + path(L"a.jpg") + " (picture 1 of 2)"));
}

TEST_F(KyCShellTest, RemovingFollowsThePlayTypeAndLeavesTheRightFilesAndViews) {
    // prev all: the all view goes to the video, and the play type becomes video; remove (no
    // type) then deletes that video.
    EXPECT_EQ(run("prev all\nremove\npath video\npath all\nremove picture\nlist\n"), 0)
        << m_Err.str();
    EXPECT_TRUE(outputHas("remove: true, removed " + path(L"b.avi"))) << m_Out.str();
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"b.avi")));
    EXPECT_TRUE(outputHas("path video: (none)"));
    // The all view stood on the only video: with it gone, that view has no current file either.
    EXPECT_TRUE(outputHas("path all: (none)"));
    EXPECT_TRUE(outputHas("remove picture: true, removed " + path(L"c.jpg")));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"c.jpg")));
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"a.jpg")));
    EXPECT_TRUE(outputHas("catalogue: 1 file (0 videos, 1 picture)"));
    EXPECT_EQ(currentIn("a.jpg"), "picture") << m_Out.str();
    EXPECT_EQ(currentIn("c.jpg"), "?");
}

TEST_F(KyCShellTest, BadLinesAreReportedWithTheirNumberAndTheShellGoesOn) {
    const int nExit =
        run("frobnicate\nmode sideways\nmode play pictures\nnext 3\nstop now\n"
            "# a comment\n\nstatus\n");
    EXPECT_EQ(nExit, 2);
    const std::string strErr = m_Err.str();
    EXPECT_NE(strErr.find("kycamera: line 2: unknown command 'frobnicate' (try help)"),
              std::string::npos)
        << strErr;
    EXPECT_NE(strErr.find("line 3: mode needs none, play or camera"), std::string::npos);
    EXPECT_NE(strErr.find("line 4: mode play: media type must be"), std::string::npos);
    EXPECT_NE(strErr.find("line 5: next takes video, picture or all"), std::string::npos);
    EXPECT_NE(strErr.find("line 6: stop takes no argument"), std::string::npos);
    EXPECT_TRUE(outputHas("status: mode none"));  // the last line still ran
}

TEST_F(KyCShellTest, QuitEndsTheScriptAndPlayModeAnswersComeBack) {
    EXPECT_EQ(run("mode play video\npath\nstart\nstatus\nstop\nquit\nremove all\n"), 0);
    EXPECT_TRUE(outputHas("mode play video: true")) << m_Out.str();
    EXPECT_TRUE(outputHas("path: " + path(L"b.avi") + " (video position 0)"));
    EXPECT_TRUE(outputHas("start: true"));
    EXPECT_TRUE(outputHas("running yes"));
    EXPECT_TRUE(outputHas("message: state changed \"Video\""));
    EXPECT_TRUE(outputHas("stop: true"));
    EXPECT_FALSE(outputHas("> remove all"));
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"c.jpg")));
}

TEST_F(KyCShellTest, DirectoryThatCannotBeUsedGivesItsCode) {
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"plain"), "x"));
    EXPECT_EQ(run("dir \"" + path(L"plain") + "/media\"\nstatus\n"), 3);
    EXPECT_NE(m_Err.str().find("line 2: cannot create the media directory"), std::string::npos)
        << m_Err.str();
}

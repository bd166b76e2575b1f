// The shell against the real component: browsing and removing leave the right files and views.
#include <gtest/gtest.h>

#include <ctime>
#include <sstream>

#include "KyCConsole.h"
#include "KyCMessagePump.h"
#include "KyCShell.h"
#include "KyCameraVideoFactory.h"
#include "KyPlatform.h"
#include "KyPlatformTime.h"
#include "KyStringConvert.h"
#include "KyTestFiles.h"
#include "KyTestTempDir.h"

namespace {

class KyCShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Oldest first: picture A, video B, picture C, so that the scan orders them so.
        int nHoursAgo = 3;
        for (const wchar_t* pszName : {L"a.jpg", L"b.avi", L"c.jpg"}) {
            ASSERT_TRUE(KyTestWriteFile(m_Dir.File(pszName), "media"));
            const std::int64_t nUnix = std::time(nullptr) - nHoursAgo-- * 3600;
            ASSERT_TRUE(KyPlatform::SetFileLastWriteTime(m_Dir.File(pszName),
                                                         KyPlatform::KyFileTimeFromUnix(nUnix, 0)));
        }
        m_pComponent = RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
    }
    void TearDown() override {
        m_pComponent->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
        m_pComponent.Release();
        RUXComponentFactory::ReleaseCameraVideo();
    }
    // Runs the script in the media directory; the exit code.
    int run(const std::string& strScript) {
        KyCConsole console(m_Out, m_Err, false);
        KyCMessagePump messages(console);
        KyCShell shell(*m_pComponent, console, messages);
        std::istringstream in("dir \"" + KyWideToUtf8(m_Dir.Path()) + "\"\n" + strScript);
        return shell.Run(in, true);
    }
    bool has(const std::string& strText) const {
        return m_Out.str().find(strText) != std::string::npos;
    }
    // The views the last listing marks the file as current in; "?" when it is not listed.
    std::string currentIn(const std::string& strName) const {
        std::istringstream in(m_Out.str());
        std::string strFound = "?";
        for (std::string strLine; std::getline(in, strLine);) {
            const size_t nAt = strLine.find("  " + strName);
            if (nAt != std::string::npos && strLine[0] == ' ') {
                const size_t nText = strLine.find_first_not_of(' ', nAt + 2 + strName.size());
                strFound = nText == std::string::npos ? "" : strLine.substr(nText);
            }
        }
        return strFound;
    }
    std::string path(const wchar_t* pszName) const { return KyWideToUtf8(m_Dir.File(pszName)); }

    KyTestTempDir m_Dir;
    CbSmartPointer<KyICameraVideo> m_pComponent;
    std::ostringstream m_Out, m_Err;
};

}  // namespace

// Listing, browsing and quitting are the command-line shell test's; these are the views after
// removals, play mode and the refusals.
TEST_F(KyCShellTest, RemovingFollowsThePlayTypeAndLeavesTheRightFilesAndViews) {
    // prev all: the all view goes to the video, and the play type becomes video; remove (no
    // type) then deletes that video.
    EXPECT_EQ(run("prev all\nstatus\nremove\npath video\npath all\nremove picture\nlist\n"), 0)
        << m_Err.str();
    EXPECT_TRUE(has("status: mode none, play media type video")) << m_Out.str();
    EXPECT_TRUE(has("remove: true, removed " + path(L"b.avi"))) << m_Out.str();
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"b.avi")));
    EXPECT_TRUE(has("path video: (none)"));
    // The all view stood on the only video: with it gone, that view has no current file either.
    EXPECT_TRUE(has("path all: (none)"));
    EXPECT_TRUE(has("remove picture: true, removed " + path(L"c.jpg")));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"c.jpg")));
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"a.jpg")));
    EXPECT_TRUE(has("catalogue: 1 file (0 videos, 1 picture)"));
    EXPECT_EQ(currentIn("a.jpg"), "picture") << m_Out.str();
    EXPECT_EQ(currentIn("c.jpg"), "?");
}

TEST_F(KyCShellTest, PlayModeStartsAndStops) {
    EXPECT_EQ(run("mode play video\nstart\nstatus\nstop\n"), 0) << m_Err.str();
    EXPECT_TRUE(has("start: true\n")) << m_Out.str();
    EXPECT_TRUE(has("running yes"));
    EXPECT_TRUE(has("stop: true\n"));
}

TEST_F(KyCShellTest, BadLinesAreReportedWithTheirNumberAndTheShellGoesOn) {
    EXPECT_EQ(run("frobnicate\nmode sideways\nmode play pictures\nnext 3\nstop now\n"
                  "# a comment\n\nstatus\n"),
              2);
    const std::string strErr = m_Err.str();
    EXPECT_NE(strErr.find("kycamera: line 2: unknown command 'frobnicate' (try help)"),
              std::string::npos)
        << strErr;
    EXPECT_NE(strErr.find("line 3: mode needs none, play or camera"), std::string::npos);
    EXPECT_NE(strErr.find("line 4: mode play: media type must be"), std::string::npos);
    EXPECT_NE(strErr.find("line 5: next takes video, picture or all"), std::string::npos);
    EXPECT_NE(strErr.find("line 6: stop takes no argument"), std::string::npos);
    EXPECT_TRUE(has("status: mode none")) << "the last line still ran";
}

TEST_F(KyCShellTest, DirectoryThatCannotBeUsedGivesItsCode) {
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"plain"), "x"));
    EXPECT_EQ(run("dir \"" + path(L"plain") + "/media\"\nstatus\n"), 3);
    EXPECT_NE(m_Err.str().find("line 2: cannot create the media directory"), std::string::npos)
        << m_Err.str();
}

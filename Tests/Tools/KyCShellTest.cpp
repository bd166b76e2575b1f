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
    std::string path(const wchar_t* pszName) const { return KyWideToUtf8(m_Dir.File(pszName)); }

    KyTestTempDir m_Dir;
    CbSmartPointer<KyICameraVideo> m_pComponent;
    std::ostringstream m_Out, m_Err;
};

}  // namespace

// Listing, browsing, removing by the play type, bad lines and directories are the command-line
// shell tests'; these are play mode and a removal of a named type.
TEST_F(KyCShellTest, PlayModeStartsAndStopsAndRemoveTakesTheCurrentFileOfTheNamedType) {
    EXPECT_EQ(run("mode play video\nstart\nstatus\nstop\nremove picture\npath video\n"), 0)
        << m_Err.str();
    EXPECT_TRUE(has("start: true\n")) << m_Out.str();
    EXPECT_TRUE(has("running yes"));
    EXPECT_TRUE(has("stop: true\n"));
    EXPECT_TRUE(has("remove picture: true, removed " + path(L"c.jpg")));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"c.jpg")));
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"a.jpg")));
    EXPECT_TRUE(has("path video: " + path(L"b.avi"))) << "the other views stay";
}

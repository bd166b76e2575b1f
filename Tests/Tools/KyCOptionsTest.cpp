// kycamera's command line: jobs, options, values and their limits, refusals named. An unknown
// option, a zero size, --help and --version alone are the command-line error test's, --port and
// an IPv4 --listen the HTTP test's.
#include <gtest/gtest.h>

#include "KyCOptions.h"

namespace {

KyCOptions parsed(const std::vector<std::string>& vecArgs) {
    KyCOptions options;
    std::string strError;
    EXPECT_TRUE(options.Parse(vecArgs, strError)) << strError;
    return options;
}

}  // namespace

TEST(KyCOptionsTest, RefusalsNameWhatIsWrong) {
    const struct {
        std::vector<std::string> vecArgs;
        const char* pszNamed;
    } refusals[] = {
        {{"demo", "shell"}, "'shell'"},
        {{"demo", "--media"}, "needs a value"},
        {{"demo", "--media="}, "--media"},
        {{"demo", "--size", "640x8193"}, "--size"},
        {{"demo", "--size", "640x"}, "--size"},
        {{"demo", "--size", "64.5x48"}, "--size"},
        {{"demo", "--size", "640x480x3"}, "--size"},
        {{"demo", "--fps", "1001"}, "--fps"},
        {{"demo", "--fps", "ten"}, "--fps"},
        {{"demo", "--seconds", "0.4"}, "--seconds"},
        {{"demo", "--preview-width", "8.5"}, "--preview-width"},
        {{"demo", "--frame-timeout", "nan"}, "--frame-timeout"},
        {{"serve", "--port", "65536"}, "--port"},
        {{"serve", "--port", "80.5"}, "--port"},
        {{"serve", "--listen", ":80"}, "--listen"},
        {{"serve", "--listen", "host:http"}, "--listen"},
    };
    for (const auto& refusal : refusals) {
        KyCOptions options;
        std::string strError;
        EXPECT_FALSE(options.Parse(refusal.vecArgs, strError)) << refusal.vecArgs.back();
        EXPECT_NE(strError.find(refusal.pszNamed), std::string::npos) << strError;
    }
}

TEST(KyCOptionsTest, OptionsComeBeforeOrAfterTheJobWithSpaceOrEquals) {
    const KyCOptions options =
        parsed({"--media=/tmp/m", "shell", "--camera", "/dev/video2", "--size", "1280x720",
                "--fps=30", "--preview", "--preview-width", "40", "--seconds", "1.5",
                "--frame-timeout=800", "--inject-fault", "write:a.jpg", "--inject-fault=open:b:5"});
    EXPECT_EQ(options.m_eCommand, KyCOptions::eCommandShell);
    EXPECT_EQ(options.m_strMediaDir, "/tmp/m");
    EXPECT_FALSE(options.IsSyntheticCamera());
    EXPECT_EQ(options.m_strCamera, "/dev/video2");
    EXPECT_EQ(options.m_Size, KyCSize2(1280, 720));
    EXPECT_EQ(options.m_fFramesPerSecond, 30.0f);
    EXPECT_TRUE(options.m_bPreview);
    EXPECT_EQ(options.m_nPreviewColumns, 40);
    EXPECT_EQ(options.m_fRecordSeconds, 1.5);
    EXPECT_EQ(options.m_nFrameTimeoutMs, 800u);
    EXPECT_EQ(options.m_vecFaults, (std::vector<std::string>{"write:a.jpg", "open:b:5"}));
    EXPECT_TRUE(parsed({"demo"}).IsSyntheticCamera());
}

TEST(KyCOptionsTest, ValuesAtTheirLimitsAreTakenAndHelpWinsWhereverItStands) {
    EXPECT_EQ(parsed({"demo", "--size", "8192X8192"}).m_Size, KyCSize2(8192, 8192));
    EXPECT_EQ(parsed({"demo", "--fps", "0"}).m_fFramesPerSecond, 0.0f);  // a silent camera
    EXPECT_EQ(parsed({"demo", "--seconds", "0.5"}).m_fRecordSeconds, 0.5);
    EXPECT_EQ(parsed({"demo", "--help"}).m_eCommand, KyCOptions::eCommandHelp);
    EXPECT_EQ(parsed({"-h"}).m_eCommand, KyCOptions::eCommandHelp);
}

TEST(KyCOptionsTest, ServeListensOnLoopbackUnlessAnAddressIsGiven) {
    const struct {
        std::vector<std::string> vecArgs;
        const char* pszHost;
        int nPort;
        bool bListen;
    } cases[] = {{{"serve"}, "127.0.0.1", 8080, false},
                 {{"serve", "--listen", "[::1]:82"}, "::1", 82, true}};
    for (const auto& c : cases) {
        const KyCOptions options = parsed(c.vecArgs);
        EXPECT_EQ(options.m_eCommand, KyCOptions::eCommandServe);
        EXPECT_EQ(options.m_strListenHost, c.pszHost);
        EXPECT_EQ(options.m_nPort, c.nPort);
        EXPECT_EQ(options.m_bListenGiven, c.bListen);
    }
}

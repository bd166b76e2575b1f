// kycamera's command line: jobs, options, values and their limits, refusals named.
#include <gtest/gtest.h>

#include "KyCOptions.h"

namespace {

struct SRefusal {
    const char* pszName;
    std::vector<std::string> vecArgs;
    const char* pszNamed;  // what the reason must name
};

// Listings and failures name the case, not its bytes.
void PrintTo(const SRefusal& r, std::ostream* pOut) {
    *pOut << r.pszName;
}

class KyCOptionsRefusalTest : public ::testing::TestWithParam<SRefusal> {};

TEST_P(KyCOptionsRefusalTest, IsRefusedWithAReasonThatNamesIt) {
    KyCOptions options;
    std::string strError;
    EXPECT_FALSE(options.Parse(GetParam().vecArgs, strError));
    EXPECT_NE(strError.find(GetParam().pszNamed), std::string::npos) << strError;
}

const SRefusal kRefusals[] = {
    {"SecondCommand", {"demo", "shell"}, "'shell'"},
    {"UnknownOption", {"demo", "--colour"}, "--colour"},
    {"MissingValue", {"demo", "--media"}, "needs a value"},
    {"EmptyMedia", {"demo", "--media="}, "--media"},
    {"SizeTooHigh", {"demo", "--size", "640x8193"}, "--size"},
    {"SizeNoHeight", {"demo", "--size", "640x"}, "--size"},
    {"SizeFraction", {"demo", "--size", "64.5x48"}, "--size"},
    {"SizeThreeParts", {"demo", "--size", "640x480x3"}, "--size"},
    {"FpsTooHigh", {"demo", "--fps", "1001"}, "--fps"},
    {"FpsWord", {"demo", "--fps", "ten"}, "--fps"},
    {"SecondsTooShort", {"demo", "--seconds", "0.4"}, "--seconds"},
    {"PreviewFraction", {"demo", "--preview-width", "8.5"}, "--preview-width"},
    {"FrameTimeoutNaN", {"demo", "--frame-timeout", "nan"}, "--frame-timeout"},
    {"PortTooHigh", {"serve", "--port", "65536"}, "--port"},
    {"PortFraction", {"serve", "--port", "80.5"}, "--port"},
    {"ListenEmptyHost", {"serve", "--listen", ":80"}, "--listen"},
    {"ListenNamedPort", {"serve", "--listen", "host:http"}, "--listen"},
};

INSTANTIATE_TEST_SUITE_P(Options, KyCOptionsRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<SRefusal>& info) {
                             return std::string(info.param.pszName);
                         });

KyCOptions parsed(const std::vector<std::string>& vecArgs) {
    KyCOptions options;
    std::string strError;
    EXPECT_TRUE(options.Parse(vecArgs, strError)) << strError;
    return options;
}

}  // namespace

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
    EXPECT_EQ(parsed({"--version"}).m_eCommand, KyCOptions::eCommandVersion);
}

TEST(KyCOptionsTest, ServeListensOnLoopbackUnlessAnAddressIsGiven) {
    const struct {
        std::vector<std::string> vecArgs;
        const char* pszHost;
        int nPort;
        bool bListen;
    } cases[] = {{{"serve"}, "127.0.0.1", 8080, false},
                 {{"serve", "--port", "9000"}, "127.0.0.1", 9000, false},
                 {{"serve", "--listen", "0.0.0.0:81"}, "0.0.0.0", 81, true},
                 {{"serve", "--listen", "[::1]:82"}, "::1", 82, true}};
    for (const auto& c : cases) {
        const KyCOptions options = parsed(c.vecArgs);
        EXPECT_EQ(options.m_eCommand, KyCOptions::eCommandServe);
        EXPECT_EQ(options.m_strListenHost, c.pszHost);
        EXPECT_EQ(options.m_nPort, c.nPort);
        EXPECT_EQ(options.m_bListenGiven, c.bListen);
    }
}

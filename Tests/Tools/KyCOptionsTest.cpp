// kycamera's command line: jobs, options, values and their limits.
#include <gtest/gtest.h>

#include "KyCOptions.h"

namespace {

struct Parsed {
    bool bOk = false;
    std::string strError;
    KyCOptions options;
};

Parsed parse(const std::vector<std::string>& vecArgs) {
    Parsed parsed;
    parsed.bOk = parsed.options.Parse(vecArgs, parsed.strError);
    return parsed;
}

}  // namespace

TEST(KyCOptionsTest, DemoWithoutOptionsTakesTheDocumentedDefaults) {
    const Parsed parsed = parse({"demo"});
    ASSERT_TRUE(parsed.bOk) << parsed.strError;
    EXPECT_EQ(parsed.options.m_eCommand, KyCOptions::eCommandDemo);
    EXPECT_EQ(parsed.options.m_strMediaDir, "media");
    EXPECT_FALSE(parsed.options.m_bMediaDirGiven);
    EXPECT_TRUE(parsed.options.IsSyntheticCamera());
    EXPECT_EQ(parsed.options.m_Size, KyCSize2(640, 480));
    EXPECT_EQ(parsed.options.m_fFramesPerSecond, 18.0f);
    EXPECT_EQ(parsed.options.m_fRecordSeconds, 3.0);
    EXPECT_FALSE(parsed.options.m_bPreview);
}

TEST(KyCOptionsTest, OptionsComeBeforeOrAfterTheJobWithSpaceOrEquals) {
    const Parsed parsed = parse({"--media=/tmp/m", "shell", "--camera", "/dev/video2", "--size",
                                 "1280x720", "--fps=30", "--preview", "--preview-width", "40",
                                 "--seconds", "1.5", "--frame-timeout=800"});
    ASSERT_TRUE(parsed.bOk) << parsed.strError;
    EXPECT_EQ(parsed.options.m_eCommand, KyCOptions::eCommandShell);
    EXPECT_EQ(parsed.options.m_strMediaDir, "/tmp/m");
    EXPECT_TRUE(parsed.options.m_bMediaDirGiven);
    EXPECT_EQ(parsed.options.m_strCamera, "/dev/video2");
    EXPECT_FALSE(parsed.options.IsSyntheticCamera());
    EXPECT_EQ(parsed.options.m_Size, KyCSize2(1280, 720));
    EXPECT_TRUE(parsed.options.m_bSizeGiven);
    EXPECT_EQ(parsed.options.m_fFramesPerSecond, 30.0f);
    EXPECT_TRUE(parsed.options.m_bFramesPerSecondGiven);
    EXPECT_TRUE(parsed.options.m_bPreview);
    EXPECT_EQ(parsed.options.m_nPreviewColumns, 40);
    EXPECT_EQ(parsed.options.m_fRecordSeconds, 1.5);
    EXPECT_EQ(parsed.options.m_nFrameTimeoutMs, 800u);
}

TEST(KyCOptionsTest, HelpAndVersionWinWhereverTheyStand) {
    EXPECT_EQ(parse({"demo", "--help"}).options.m_eCommand, KyCOptions::eCommandHelp);
    EXPECT_EQ(parse({"-h"}).options.m_eCommand, KyCOptions::eCommandHelp);
    EXPECT_EQ(parse({"--version"}).options.m_eCommand, KyCOptions::eCommandVersion);
    EXPECT_NE(KyCOptions::HelpText().find("exit codes"), std::string::npos);
}

TEST(KyCOptionsTest, SizesOutsideOneTo8192OrMalformedAreRefused) {
    for (const char* pszSize : {"0x480", "640x0", "8193x10", "640", "640x", "x480", "64.5x48",
                                "axb", "640x480x3", "-640x480"}) {
        const Parsed parsed = parse({"demo", "--size", pszSize});
        EXPECT_FALSE(parsed.bOk) << pszSize;
        EXPECT_NE(parsed.strError.find("--size"), std::string::npos) << parsed.strError;
    }
    const Parsed largest = parse({"demo", "--size", "8192X8192"});
    ASSERT_TRUE(largest.bOk);
    EXPECT_EQ(largest.options.m_Size, KyCSize2(8192, 8192));
    const Parsed smallest = parse({"demo", "--size=1x1"});
    ASSERT_TRUE(smallest.bOk);
    EXPECT_EQ(smallest.options.m_Size, KyCSize2(1, 1));
}

TEST(KyCOptionsTest, NumbersOutOfRangeAreRefusedWithTheirOption) {
    const std::vector<std::vector<std::string>> vecBad = {{"--fps", "-1"},
                                                          {"--fps", "1001"},
                                                          {"--fps", "ten"},
                                                          {"--seconds", "0.4"},
                                                          {"--seconds", "3601"},
                                                          {"--preview-width", "7"},
                                                          {"--preview-width", "8.5"},
                                                          {"--frame-timeout", "99"},
                                                          {"--frame-timeout", "nan"}};
    for (const auto& vecOption : vecBad) {
        const Parsed parsed = parse({"demo", vecOption[0], vecOption[1]});
        EXPECT_FALSE(parsed.bOk) << vecOption[0] << " " << vecOption[1];
        EXPECT_NE(parsed.strError.find(vecOption[0]), std::string::npos) << parsed.strError;
    }
    EXPECT_TRUE(parse({"demo", "--fps", "0"}).bOk);  // a camera that delivers nothing
    EXPECT_TRUE(parse({"demo", "--seconds", "0.5"}).bOk);
}

TEST(KyCOptionsTest, MistakesGetAReasonThatNamesThem) {
    Parsed parsed = parse({});
    EXPECT_FALSE(parsed.bOk);
    EXPECT_NE(parsed.strError.find("no command"), std::string::npos);
    parsed = parse({"record"});
    EXPECT_FALSE(parsed.bOk);
    EXPECT_NE(parsed.strError.find("'record'"), std::string::npos);
    parsed = parse({"demo", "shell"});
    EXPECT_FALSE(parsed.bOk);
    EXPECT_NE(parsed.strError.find("'shell'"), std::string::npos);
    parsed = parse({"demo", "--colour"});
    EXPECT_FALSE(parsed.bOk);
    EXPECT_NE(parsed.strError.find("--colour"), std::string::npos);
    parsed = parse({"demo", "--media"});
    EXPECT_FALSE(parsed.bOk);
    EXPECT_NE(parsed.strError.find("needs a value"), std::string::npos);
    EXPECT_FALSE(parse({"demo", "--media="}).bOk);
    EXPECT_FALSE(parse({"demo", "--camera="}).bOk);
}

TEST(KyCOptionsTest, InjectedFaultsAreCollectedInOrder) {
    const Parsed parsed =
        parse({"demo", "--inject-fault", "write:a.jpg", "--inject-fault=open:b:5"});
    ASSERT_TRUE(parsed.bOk);
    EXPECT_EQ(parsed.options.m_vecFaults, (std::vector<std::string>{"write:a.jpg", "open:b:5"}));
}

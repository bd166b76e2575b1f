// Console output: streams, the progress line, the preview area and whole lines under threads.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

#include "KyCConsole.h"

namespace {

class KyCConsoleTest : public ::testing::Test {
protected:
    bool has(const std::string& strPart) const {
        return m_Out.str().find(strPart) != std::string::npos;
    }
    std::ostringstream m_Out, m_Err;
};

}  // namespace

TEST_F(KyCConsoleTest, WithoutATerminalProgressIsPlainLinesAndErrorsNameTheTool) {
    KyCConsole console(m_Out, m_Err, false);
    console.Progress("  0.2 s");
    console.BeginPreview(4);
    console.DrawPreview({"row"}, "caption");
    console.EndPreview();
    console.Line("done");
    console.Error("cannot write into the media directory m");
    EXPECT_EQ(m_Out.str(), "  0.2 s\ndone\n");
    EXPECT_EQ(m_Err.str(), "kycamera: cannot write into the media directory m\n");
}

TEST_F(KyCConsoleTest, OnATerminalProgressOverwritesItsLineAndEndsBeforeOtherOutput) {
    KyCConsole console(m_Out, m_Err, true);
    console.Progress("  0.2 s");
    console.Progress("  0.5 s");
    console.Error("oops");
    console.Progress("  0.7 s");
    console.EndProgress();
    console.EndProgress();  // a second end adds nothing
    console.Line("done");
    EXPECT_EQ(m_Out.str(), "\r  0.2 s\x1b[K\r  0.5 s\x1b[K\n\r  0.7 s\x1b[K\ndone\n");
}

TEST_F(KyCConsoleTest, PreviewKeepsItsAreaOutOfScrollingAndRedrawsInPlace) {
    KyCConsole console(m_Out, m_Err, true);
    console.BeginPreview(3);
    EXPECT_TRUE(has("\x1b[5;r")) << "rows 1-3 picture, 4 caption";
    EXPECT_TRUE(has("\x1b[5;1H")) << "output starts beneath";
    m_Out.str("");
    console.DrawPreview({"AAA", "BBB", "CCC"}, "live");
    const std::string strFrame = m_Out.str();
    EXPECT_EQ(strFrame.substr(0, 2), "\x1b\x37") << "cursor saved first";
    EXPECT_EQ(strFrame.substr(strFrame.size() - 2), "\x1b\x38") << "and restored last";
    EXPECT_FALSE(has("\x1b[2J")) << "no clearing: no flicker";
    EXPECT_LT(strFrame.find("\x1b[1;1HAAA"), strFrame.find("\x1b[3;1HCCC"));
    EXPECT_TRUE(has("\x1b[4;1Hlive"));
    m_Out.str("");
    console.DrawPreview({"AAA"}, "live");
    EXPECT_TRUE(has("\x1b[3;1H\x1b[0m\x1b[K")) << "a shorter picture clears the rows below";
    m_Out.str("");
    console.EndPreview();
    EXPECT_TRUE(has("\x1b[r"));
    m_Out.str("");
    console.DrawPreview({"AAA"}, "late");
    EXPECT_EQ(m_Out.str(), "") << "after the end nothing is drawn";
}

TEST_F(KyCConsoleTest, LinesFromSeveralThreadsStayWhole) {
    KyCConsole console(m_Out, m_Err, false);
    std::vector<std::thread> vecThreads;
    for (int nThread = 0; nThread < 4; ++nThread)
        vecThreads.emplace_back([&console, nThread] {
            for (int n = 0; n < 200; ++n)
                console.Line(std::string(40, static_cast<char>('a' + nThread)));
        });
    for (std::thread& thread : vecThreads)
        thread.join();
    std::istringstream in(m_Out.str());
    int nLines = 0;
    for (std::string strLine; std::getline(in, strLine); ++nLines)
        EXPECT_EQ(strLine, std::string(40, strLine[0]));
    EXPECT_EQ(nLines, 800);
}

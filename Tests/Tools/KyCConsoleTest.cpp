// Console output: streams, the progress line, the preview area and whole lines under threads.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

#include "KyCConsole.h"

namespace {

std::vector<std::string> linesOf(const std::string& strText) {
    std::vector<std::string> vecLines;
    std::istringstream in(strText);
    for (std::string strLine; std::getline(in, strLine);)
        vecLines.push_back(strLine);
    return vecLines;
}

}  // namespace

TEST(KyCConsoleTest, AnswersGoOutAndErrorsGoToStandardErrorWithTheToolName) {
    std::ostringstream out, err;
    KyCConsole console(out, err, false);
    console.Line("stop: true");
    console.Error("cannot write into the media directory m");
    EXPECT_EQ(out.str(), "stop: true\n");
    EXPECT_EQ(err.str(), "kycamera: cannot write into the media directory m\n");
}

TEST(KyCConsoleTest, WithoutATerminalProgressIsPlainLinesAndNoPreviewIsDrawn) {
    std::ostringstream out, err;
    {
        KyCConsole console(out, err, false);
        console.Progress("  0.2 s");
        console.Progress("  0.5 s");
        console.BeginPreview(4);
        console.DrawPreview({"row"}, "caption");
        console.EndPreview();
        console.Line("done");
    }
    EXPECT_EQ(out.str(), "  0.2 s\n  0.5 s\ndone\n");
}

TEST(KyCConsoleTest, OnATerminalProgressOverwritesItsLineAndEndsBeforeOtherOutput) {
    std::ostringstream out, err;
    KyCConsole console(out, err, true);
    console.Progress("  0.2 s");
    console.Progress("  0.5 s");
    console.Error("oops");
    console.Progress("  0.7 s");
    console.EndProgress();
    console.EndProgress();  // a second end adds nothing
    console.Line("done");
    EXPECT_EQ(out.str(), "\r  0.2 s\x1b[K\r  0.5 s\x1b[K\n\r  0.7 s\x1b[K\ndone\n");
}

TEST(KyCConsoleTest, PreviewKeepsItsAreaOutOfScrollingAndRedrawsInPlace) {
    std::ostringstream out, err;
    KyCConsole console(out, err, true);
    console.BeginPreview(3);
    const std::string strBegin = out.str();
    EXPECT_NE(strBegin.find("\x1b[5;r"), std::string::npos);   // rows 1-3 picture, 4 caption
    EXPECT_NE(strBegin.find("\x1b[5;1H"), std::string::npos);  // output starts beneath

    out.str("");
    console.DrawPreview({"AAA", "BBB", "CCC"}, "live");
    const std::string strFrame = out.str();
    EXPECT_EQ(strFrame.substr(0, 2),
              "\x1b"
              "7");  // cursor saved first ...
    EXPECT_EQ(strFrame.substr(strFrame.size() - 2),
              "\x1b"
              "8");                                          // ... and restored last
    EXPECT_EQ(strFrame.find("\x1b[2J"), std::string::npos);  // no clearing: no flicker
    EXPECT_LT(strFrame.find("\x1b[1;1HAAA"), strFrame.find("\x1b[3;1HCCC"));
    EXPECT_NE(strFrame.find("\x1b[4;1Hlive"), std::string::npos);

    out.str("");
    console.DrawPreview({"AAA"}, "live");  // a shorter picture clears the rows below it
    EXPECT_NE(out.str().find("\x1b[3;1H\x1b[0m\x1b[K"), std::string::npos);

    out.str("");
    console.EndPreview();
    EXPECT_NE(out.str().find("\x1b[r"), std::string::npos);
    out.str("");
    console.DrawPreview({"AAA"}, "late");
    EXPECT_EQ(out.str(), "");  // after the end nothing is drawn
}

TEST(KyCConsoleTest, LinesFromSeveralThreadsStayWhole) {
    std::ostringstream out, err;
    KyCConsole console(out, err, false);
    std::vector<std::thread> vecThreads;
    for (int nThread = 0; nThread < 4; ++nThread)
        vecThreads.emplace_back([&console, nThread] {
            for (int n = 0; n < 200; ++n)
                console.Line(std::string(40, static_cast<char>('a' + nThread)));
        });
    for (std::thread& thread : vecThreads)
        thread.join();
    const std::vector<std::string> vecLines = linesOf(out.str());
    ASSERT_EQ(vecLines.size(), 800u);
    for (const std::string& strLine : vecLines)
        EXPECT_EQ(strLine, std::string(40, strLine[0]));
}

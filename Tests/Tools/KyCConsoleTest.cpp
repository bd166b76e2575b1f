// Console output on a terminal and off it: the progress line, the preview area and whole lines
// under threads.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

#include "KyCConsole.h"

TEST(KyCConsoleTest, OnATerminalProgressOverwritesItsLineAndThePreviewKeepsItsArea) {
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
    EXPECT_EQ(err.str(), "kycamera: oops\n");

    out.str("");
    console.BeginPreview(3);
    EXPECT_NE(out.str().find("\x1b[5;r"), std::string::npos) << "rows 1-3 picture, 4 caption";
    out.str("");
    console.DrawPreview({"AAA", "BBB", "CCC"}, "live");
    const std::string strFrame = out.str();
    EXPECT_EQ(strFrame.substr(0, 2), "\x1b\x37") << "cursor saved first";
    EXPECT_EQ(strFrame.substr(strFrame.size() - 2), "\x1b\x38") << "and restored last";
    EXPECT_LT(strFrame.find("\x1b[1;1HAAA"), strFrame.find("\x1b[3;1HCCC"));
    out.str("");
    console.DrawPreview({"AAA"}, "live");
    EXPECT_NE(out.str().find("\x1b[3;1H\x1b[0m\x1b[K"), std::string::npos)
        << "a shorter picture clears the rows below";
    console.EndPreview();
    out.str("");
    console.DrawPreview({"AAA"}, "late");
    EXPECT_EQ(out.str(), "") << "after the end nothing is drawn";
}

TEST(KyCConsoleTest, WithoutATerminalProgressIsAPlainLineNoPreviewAndThreadsKeepLinesWhole) {
    std::ostringstream out, err;
    KyCConsole console(out, err, false);
    console.Progress("  0.2 s");
    console.BeginPreview(4);
    console.DrawPreview({"row"}, "caption");
    console.EndPreview();
    EXPECT_EQ(out.str(), "  0.2 s\n");
    out.str("");
    std::vector<std::thread> vecThreads;
    for (char c = 'a'; c < 'e'; ++c)
        vecThreads.emplace_back([&console, c] {
            for (int n = 0; n < 200; ++n)
                console.Line(std::string(40, c));
        });
    for (std::thread& thread : vecThreads)
        thread.join();
    std::istringstream in(out.str());
    int nLines = 0;
    for (std::string strLine; std::getline(in, strLine); ++nLines)
        EXPECT_EQ(strLine, std::string(40, strLine[0]));
    EXPECT_EQ(nLines, 800);
}

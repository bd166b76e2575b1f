// Splitting shell lines: blanks, quotes, comments, line ends and what is refused. Plain comments,
// CRLF, blank lines and a quoted non-ASCII name are the command-line shell tests'.
#include <gtest/gtest.h>

#include "KyCShellLine.h"

typedef std::vector<std::string> Words;

TEST(KyCShellLineTest, SplitsIntoWords) {
    const std::pair<std::string, Words> lines[] = {
        {"  mode   camera\tpicture ", {"mode", "camera", "picture"}},
        {"", {}},
        {"wait 1 #x", {"wait", "1"}},
        {"dir a#b", {"dir", "a#b"}},
        {"dir \"# not a comment\"", {"dir", "# not a comment"}},
        {"start # go\r\n", {"start"}},
        {"dir \"my media\"/x next", {"dir", "my media/x", "next"}},
        {"dir \"it's\" 'say \"hi\"'", {"dir", "it's", "say \"hi\""}},
        {"dir \"\"", {"dir", ""}},
        {"dir m\xC3\xBC\xFF", {"dir", "m\xC3\xBC\xFF"}},
    };
    for (const auto& line : lines) {
        Words words{"stale"};
        std::string strError;
        ASSERT_TRUE(KyCShellLine::Split(line.first, words, strError)) << line.first << strError;
        EXPECT_EQ(words, line.second) << line.first;
    }
}

TEST(KyCShellLineTest, UnclosedQuotesAndControlCharactersAreRefusedWithoutWords) {
    const std::string lines[] = {"dir \"d 4", "dir 'd4", "dir 'a\"", std::string("dir a\0b", 7),
                                 "dir a\nb",  "dir a\rb"};
    for (const std::string& strLine : lines) {
        Words words{"stale"};
        std::string strError;
        EXPECT_FALSE(KyCShellLine::Split(strLine, words, strError)) << strLine;
        EXPECT_TRUE(words.empty()) << strLine;
        EXPECT_FALSE(strError.empty()) << strLine;
    }
}

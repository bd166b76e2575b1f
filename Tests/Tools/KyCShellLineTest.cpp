// Splitting shell lines: blanks, quotes, comments, line ends and what is refused.
#include <gtest/gtest.h>

#include "KyCShellLine.h"

namespace {

typedef std::vector<std::string> Words;

struct SLineCase {
    const char* pszName;
    std::string strLine;
    Words expected;
};

// Listings and failures name the case, not its bytes.
void PrintTo(const SLineCase& c, std::ostream* pOut) {
    *pOut << c.pszName;
}

class KyCShellLineTest : public ::testing::TestWithParam<SLineCase> {};

const SLineCase kLines[] = {
    {"Blanks", "  mode   camera\tpicture ", {"mode", "camera", "picture"}},
    {"Empty", "", {}},
    {"CommentLine", "# remove video", {}},
    {"TrailingComment", "dir d7 # the seventh", {"dir", "d7"}},
    {"CommentRightAfterWord", "wait 1 #x", {"wait", "1"}},
    {"HashInsideWordIsText", "dir a#b", {"dir", "a#b"}},
    {"HashInQuotesIsText", "dir \"# not a comment\"", {"dir", "# not a comment"}},
    {"CrLf", "stop\r\n", {"stop"}},
    {"CrAfterComment", "start # go\r\n", {"start"}},
    {"DoubleQuotesKeepBlanks", "dir \"d 4\"", {"dir", "d 4"}},
    {"QuotesJoinText", "dir \"my media\"/x next", {"dir", "my media/x", "next"}},
    {"OtherQuoteInside", "dir \"it's\" 'say \"hi\"'", {"dir", "it's", "say \"hi\""}},
    {"EmptyQuotedWord", "dir \"\"", {"dir", ""}},
    {"Utf8AndOtherBytes", "dir m\xC3\xBC\xFF", {"dir", "m\xC3\xBC\xFF"}},
};

INSTANTIATE_TEST_SUITE_P(Lines, KyCShellLineTest, ::testing::ValuesIn(kLines),
                         [](const ::testing::TestParamInfo<SLineCase>& info) {
                             return std::string(info.param.pszName);
                         });

}  // namespace

TEST_P(KyCShellLineTest, SplitsIntoWords) {
    Words words{"stale"};
    std::string strError;
    ASSERT_TRUE(KyCShellLine::Split(GetParam().strLine, words, strError)) << strError;
    EXPECT_EQ(words, GetParam().expected);
}

TEST(KyCShellLineRefusalTest, UnclosedQuotesAndControlCharactersAreRefusedWithoutWords) {
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

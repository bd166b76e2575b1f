// Splitting shell lines and reading modes and media types.
#include <gtest/gtest.h>

#include "KyCShellCommand.h"

typedef std::vector<std::string> Words;

TEST(KyCShellCommandTest, BlanksSeparateWordsAndQuotesKeepThem) {
    EXPECT_EQ(KyCShellCommand::Split("  mode   camera\tpicture \r"),
              (Words{"mode", "camera", "picture"}));
    EXPECT_EQ(KyCShellCommand::Split("dir \"my media\"/x next"),
              (Words{"dir", "my media/x", "next"}));
    EXPECT_EQ(KyCShellCommand::Split("dir \"\""), (Words{"dir", ""}));
}

TEST(KyCShellCommandTest, EmptyLinesAndCommentsHaveNoWords) {
    EXPECT_TRUE(KyCShellCommand::Split("").empty());
    EXPECT_TRUE(KyCShellCommand::Split("   \t ").empty());
    EXPECT_TRUE(KyCShellCommand::Split("# remove video").empty());
    EXPECT_TRUE(KyCShellCommand::Split("  #next").empty());
    EXPECT_EQ(KyCShellCommand::Split("next # all").size(), 3u);  // only a leading '#' comments
}

TEST(KyCShellCommandTest, ModesAndMediaTypesMapToTheComponentValues) {
    int n = 99;
    EXPECT_TRUE(KyCShellCommand::ParseMode("none", n));
    EXPECT_EQ(n, -1);
    EXPECT_TRUE(KyCShellCommand::ParseMode("play", n));
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(KyCShellCommand::ParseMode("camera", n));
    EXPECT_EQ(n, 1);
    EXPECT_FALSE(KyCShellCommand::ParseMode("Camera", n));
    EXPECT_FALSE(KyCShellCommand::ParseMode("1", n));

    EXPECT_TRUE(KyCShellCommand::ParseMediaType("all", n));
    EXPECT_EQ(n, -1);
    EXPECT_TRUE(KyCShellCommand::ParseMediaType("video", n));
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(KyCShellCommand::ParseMediaType("picture", n));
    EXPECT_EQ(n, 1);
    EXPECT_FALSE(KyCShellCommand::ParseMediaType("pictures", n));

    EXPECT_EQ(KyCShellCommand::MediaTypeWord(-1), "all");
    EXPECT_EQ(KyCShellCommand::MediaTypeWord(1), "picture");
    EXPECT_EQ(KyCShellCommand::ModeWord(-1), "none");
    EXPECT_EQ(KyCShellCommand::ModeWord(1), "camera");
}

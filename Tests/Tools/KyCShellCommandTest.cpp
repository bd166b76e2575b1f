// Reading modes and media types.
#include <gtest/gtest.h>

#include "KyCShellCommand.h"

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

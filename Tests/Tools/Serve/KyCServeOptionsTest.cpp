// The serve options: where it listens, and which values are refused.
#include <gtest/gtest.h>

#include "KyCOptions.h"

namespace {

struct SListenCase {
    std::vector<std::string> vecArgs;
    bool bAccepted;
    std::string strHost;
    int nPort;
    bool bListen;
};

class KyCServeOptionsTest : public ::testing::TestWithParam<SListenCase> {};

TEST_P(KyCServeOptionsTest, PortAndListenParseOrAreRefusedWithTheirOption) {
    const SListenCase& test = GetParam();
    KyCOptions options;
    std::string strError;
    ASSERT_EQ(options.Parse(test.vecArgs, strError), test.bAccepted) << strError;
    if (!test.bAccepted) {
        EXPECT_NE(strError.find(test.vecArgs[1]), std::string::npos) << strError;
        return;
    }
    EXPECT_EQ(options.m_eCommand, KyCOptions::eCommandServe);
    EXPECT_EQ(options.m_strListenHost, test.strHost);
    EXPECT_EQ(options.m_nPort, test.nPort);
    EXPECT_EQ(options.m_bListenGiven, test.bListen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KyCServeOptionsTest,
    ::testing::Values(SListenCase{{"serve"}, true, "127.0.0.1", 8080, false},
                      SListenCase{{"serve", "--port", "9000"}, true, "127.0.0.1", 9000, false},
                      SListenCase{{"serve", "--port=0"}, true, "127.0.0.1", 0, false},
                      SListenCase{{"serve", "--listen", "0.0.0.0:81"}, true, "0.0.0.0", 81, true},
                      SListenCase{{"serve", "--listen", "[::1]:82"}, true, "::1", 82, true},
                      SListenCase{{"serve", "--port", "65536"}, false, "", 0, false},
                      SListenCase{{"serve", "--port", "-1"}, false, "", 0, false},
                      SListenCase{{"serve", "--port", "80.5"}, false, "", 0, false},
                      SListenCase{{"serve", "--listen", "8080"}, false, "", 0, false},
                      SListenCase{{"serve", "--listen", ":80"}, false, "", 0, false},
                      SListenCase{{"serve", "--listen", "host:"}, false, "", 0, false},
                      SListenCase{{"serve", "--listen", "host:http"}, false, "", 0, false}));

}  // namespace

// The hidden --inject-fault option installs exactly the fault it describes, or nothing.
#include <gtest/gtest.h>

#include "KyCFaultOption.h"
#include "KyTestPlatformFaults.h"

TEST(KyCFaultOptionTest, OperationsSuffixErrorAndTimesAreInstalledDiskFullForEverByDefault) {
    KyTestPlatformFaults faults;
    std::string strError;
    for (const char* pszValue : {"write", "rename:x", "write:", "write:x:0", "write:x:5:1:9"}) {
        EXPECT_FALSE(KyCFaultOption::Install(pszValue, strError)) << pszValue;
        EXPECT_NE(strError.find("--inject-fault"), std::string::npos);
    }
    EXPECT_EQ(KyPlatformFaults::Check(KyPlatformFaults::eWrite, L"x"), 0u);

    ASSERT_TRUE(KyCFaultOption::Install("write+move:~picture.jpg:39:2", strError)) << strError;
    EXPECT_EQ(KyPlatformFaults::Check(KyPlatformFaults::eWrite, L"/m/~picture.jpg"), 39u);
    EXPECT_EQ(KyPlatformFaults::Check(KyPlatformFaults::eMove, L"/m/~PICTURE.JPG"), 39u);
    EXPECT_EQ(KyPlatformFaults::Check(KyPlatformFaults::eWrite, L"/m/~picture.jpg"), 0u);
    EXPECT_EQ(KyPlatformFaults::Check(KyPlatformFaults::eDelete, L"/m/~picture.jpg"), 0u);

    ASSERT_TRUE(KyCFaultOption::Install("open:.probe", strError));
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(KyPlatformFaults::Check(KyPlatformFaults::eOpenForWrite, L"x/.probe"), 112u);
    EXPECT_EQ(KyPlatformFaults::Check(KyPlatformFaults::eOpenForWrite, L"x/.probe2"), 0u);
}

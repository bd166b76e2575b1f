// A take waits until the name of the current second is free in the media directory.
#include <gtest/gtest.h>

#include "KyCFreeSecond.h"
#include "KyCMediaPath.h"
#include "KyPlatform.h"
#include "KyTestFiles.h"
#include "KyTestTempDir.h"

TEST(KyCFreeSecondTest, WaitsPastSecondsWhoseNamesAreTakenAndOnlyForItsOwnType) {
    KyTestTempDir temp;
    const std::int64_t nNow = KyPlatform::Time64();
    for (std::int64_t nTime : {nNow, nNow + 1})
        ASSERT_TRUE(KyTestWriteFile(
            temp.File(makeMediaFilename(eVideoMediaTypeVideo, CTime(nTime))), "taken"));

    std::wstring strTaken = L"stale";
    ASSERT_TRUE(KyCFreeSecond::Wait(temp.Path(), eVideoMediaTypePicture, strTaken));
    EXPECT_EQ(strTaken, L"");  // a video's name does not block a picture

    ASSERT_TRUE(KyCFreeSecond::Wait(temp.Path(), eVideoMediaTypeVideo, strTaken));
    const std::int64_t nAfter = KyPlatform::Time64();
    EXPECT_GE(nAfter, nNow + 2);
    EXPECT_FALSE(
        KyTestFileExists(temp.File(makeMediaFilename(eVideoMediaTypeVideo, CTime(nAfter)))));
    EXPECT_EQ(strTaken.substr(strTaken.size() - 4), L".avi");
}

// The growable array: removal keeps order, an own element survives growth, lifetimes balance.
#include <gtest/gtest.h>

#include <string>

#include "CbArray.h"
#include "KyTestCountingElement.h"

TEST(CbArrayTest, RemoveAtMovesLaterEntriesDownInOrderAndClampsTheCount) {
    // clang-format off
    const struct { unsigned nIndex, nCount; const char* pszLeft; } cases[] = {
        {0, 1, "bcd"}, {3, 1, "abc"}, {1, 2, "ad"}, {2, 100, "ab"},
        {0, 4, ""}, {2, 0, "abcd"}, {4, 1, "abcd"},
    };
    // clang-format on
    for (const auto& c : cases) {
        KyTestCountingElement::ResetCounts();
        {
            CbArray<KyTestCountingElement> arr;  // full: four of a capacity of four
            for (char ch : std::string("abcd"))
                arr.Add(KyTestCountingElement(ch));
            arr.RemoveAt(c.nIndex, c.nCount);
            CbArray<KyTestCountingElement> copy(arr), moved(std::move(arr));
            std::string strLeft;
            for (const KyTestCountingElement& e : copy)
                strLeft += static_cast<char>(e.m_nValue);
            EXPECT_EQ(strLeft, c.pszLeft) << "RemoveAt(" << c.nIndex << ", " << c.nCount << ")";
            EXPECT_EQ(moved.GetCount(), copy.GetCount());
            EXPECT_EQ(KyTestCountingElement::Alive(), 2 * static_cast<int>(strLeft.size()));
        }
        EXPECT_EQ(KyTestCountingElement::s_nBadCopies, 0) << "moved from beyond the end";
        EXPECT_EQ(KyTestCountingElement::Alive(), 0);
    }
}

TEST(CbArrayTest, AddingAnOwnElementWhileFullCopiesItFirst) {
    CbArray<std::string> arr;
    arr.Add(std::string(40, 'x'));
    for (int i = 0; i < 5; ++i)
        arr.Add(arr[0]);  // each growth moves the source
    ASSERT_EQ(arr.GetCount(), 6u);
    for (const std::string& s : arr)
        EXPECT_EQ(s, std::string(40, 'x'));
}

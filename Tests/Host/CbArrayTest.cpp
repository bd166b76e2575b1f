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
            std::string strLeft;
            for (const KyTestCountingElement& e : arr)
                strLeft += static_cast<char>(e.m_nValue);
            EXPECT_EQ(strLeft, c.pszLeft) << "RemoveAt(" << c.nIndex << ", " << c.nCount << ")";
            EXPECT_EQ(KyTestCountingElement::Alive(), static_cast<int>(strLeft.size()));
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

TEST(CbArrayTest, CopiesAndMovesKeepTheirElementsAndDestroyEachOnce) {
    KyTestCountingElement::ResetCounts();
    {
        CbArray<KyTestCountingElement> arr(3);
        for (int i = 0; i < 9; ++i)
            arr.Add(KyTestCountingElement(i));  // grows several times
        CbArray<KyTestCountingElement> copy(arr);
        arr.RemoveAt(0, 3);
        CbArray<KyTestCountingElement> moved(std::move(arr));
        ASSERT_EQ(moved.GetCount(), 6u);
        for (unsigned i = 0; i < 9; ++i)
            EXPECT_EQ(copy[i].m_nValue, static_cast<int>(i));
        EXPECT_EQ(moved[5].m_nValue, 8);
        copy = moved;
        EXPECT_EQ(KyTestCountingElement::Alive(), 6 + 6);
        copy.RemoveAll();
        EXPECT_TRUE(copy.IsEmpty());
    }
    EXPECT_EQ(KyTestCountingElement::Alive(), 0);
}

// The growable array: removal keeps order, an own element survives growth, lifetimes balance.
#include <gtest/gtest.h>

#include <string>

#include "CbArray.h"
#include "KyTestCountingElement.h"

TEST(CbArrayTest, RemoveAtMovesLaterEntriesDownInOrderAndClampsTheCount) {
    // clang-format off
    const struct { unsigned nIndex, nCount; const char* pszLeft; } cases[] = {
        {0, 1, "bcde"}, {1, 1, "acde"}, {4, 1, "abcd"}, {1, 2, "ade"}, {3, 100, "abc"},
        {0, 5, ""}, {2, 0, "abcde"}, {5, 1, "abcde"}, {7, 1, "abcde"},
    };
    // clang-format on
    for (const auto& c : cases) {
        CbArray<std::string> arr;
        for (char ch : std::string("abcde"))
            arr.Add(std::string(40, ch));  // on the heap: a bad move or double free shows
        arr.RemoveAt(c.nIndex, c.nCount);
        std::string strLeft;
        for (const std::string& s : arr) {
            EXPECT_EQ(s, std::string(40, s[0])) << "damaged by the move";
            strLeft += s[0];
        }
        EXPECT_EQ(strLeft, c.pszLeft) << "RemoveAt(" << c.nIndex << ", " << c.nCount << ")";
        EXPECT_EQ(arr.GetCount(), strLeft.size());
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

TEST(CbArrayTest, EveryElementIsDestroyedExactlyOnceAndRemoveAllKeepsTheStorage) {
    KyTestCountingElement::ResetCounts();
    {
        CbArray<KyTestCountingElement> arr(3);
        EXPECT_TRUE(arr.IsEmpty());
        for (int i = 0; i < 9; ++i)
            arr.Add(KyTestCountingElement(i));  // grows several times
        EXPECT_FALSE(arr.IsEmpty());
        CbArray<KyTestCountingElement> copy(arr);
        arr.RemoveAt(0, 3);
        EXPECT_EQ(KyTestCountingElement::Alive(), 6 + 9);
        CbArray<KyTestCountingElement> moved(std::move(arr));
        ASSERT_EQ(moved.GetCount(), 6u);
        for (unsigned i = 0; i < 9; ++i) {
            EXPECT_EQ(copy[i].m_nValue, static_cast<int>(i));
            if (i < 6) {
                EXPECT_EQ(moved[i].m_nValue, static_cast<int>(i) + 3);
            }
        }
        copy = moved;
        EXPECT_EQ(KyTestCountingElement::Alive(), 6 + 6);
        const unsigned nCapacity = copy.GetCapacity();
        copy.RemoveAll();
        EXPECT_TRUE(copy.IsEmpty());
        EXPECT_EQ(copy.GetCapacity(), nCapacity);
        EXPECT_EQ(KyTestCountingElement::Alive(), 6);
    }
    EXPECT_EQ(KyTestCountingElement::Alive(), 0);
}

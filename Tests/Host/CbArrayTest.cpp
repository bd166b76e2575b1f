// The growable array: removal keeps order, an own element survives growth, lifetimes balance.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CbArray.h"
#include "KyTestCountingElement.h"

namespace {

// Long enough to live on the heap, so that a bad move or a double destruction shows.
std::string text(char c) {
    return std::string(40, c);
}

std::vector<char> firstLetters(const CbArray<std::string>& arr) {
    std::vector<char> letters;
    for (const std::string& s : arr)
        letters.push_back(s.empty() ? '?' : s[0]);
    return letters;
}

struct SRemoveCase {
    const char* pszName;
    unsigned nIndex, nCount;
    std::vector<char> expected;
};

class CbArrayRemoveAtTest : public ::testing::TestWithParam<SRemoveCase> {};

}  // namespace

TEST_P(CbArrayRemoveAtTest, LaterEntriesMoveDownInOrder) {
    CbArray<std::string> arr;
    for (char c : {'a', 'b', 'c', 'd', 'e'})
        arr.Add(text(c));
    arr.RemoveAt(GetParam().nIndex, GetParam().nCount);
    EXPECT_EQ(firstLetters(arr), GetParam().expected);
    EXPECT_EQ(arr.GetCount(), GetParam().expected.size());
    for (const std::string& s : arr)
        EXPECT_EQ(s, text(s[0])) << "an element was damaged by the move";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CbArrayRemoveAtTest,
    ::testing::Values(SRemoveCase{"First", 0, 1, {'b', 'c', 'd', 'e'}},
                      SRemoveCase{"Middle", 1, 1, {'a', 'c', 'd', 'e'}},
                      SRemoveCase{"Last", 4, 1, {'a', 'b', 'c', 'd'}},
                      SRemoveCase{"TwoInside", 1, 2, {'a', 'd', 'e'}},
                      SRemoveCase{"CountClampedAtTheEnd", 3, 100, {'a', 'b', 'c'}},
                      SRemoveCase{"All", 0, 5, {}},
                      SRemoveCase{"ZeroCount", 2, 0, {'a', 'b', 'c', 'd', 'e'}},
                      SRemoveCase{"IndexPastTheEnd", 5, 1, {'a', 'b', 'c', 'd', 'e'}}),
    [](const ::testing::TestParamInfo<SRemoveCase>& info) { return info.param.pszName; });

TEST(CbArrayTest, AddingAnOwnElementWhileFullCopiesItFirst) {
    CbArray<std::string> arr;
    arr.Add(text('x'));
    for (int i = 0; i < 5; ++i)
        arr.Add(arr[0]);  // each growth moves the source
    ASSERT_EQ(arr.GetCount(), 6u);
    for (const std::string& s : arr)
        EXPECT_EQ(s, text('x'));
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
        for (unsigned i = 0; i < 6; ++i)
            EXPECT_EQ(moved[i].m_nValue, static_cast<int>(i) + 3);
        for (unsigned i = 0; i < 9; ++i)
            EXPECT_EQ(copy[i].m_nValue, static_cast<int>(i));
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

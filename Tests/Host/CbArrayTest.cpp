#include <gtest/gtest.h>

#include <string>

#include "CbArray.h"
#include "KyTestCountingElement.h"

TEST(CbArrayTest, GrowsByDoublingFromOneWithoutStep) {
    CbArray<int> arr;
    unsigned expected[] = {1, 2, 4, 4, 8, 8, 8, 8, 16};
    for (int i = 0; i < 9; ++i) {
        arr.Add(i);
        EXPECT_EQ(arr.GetCapacity(), expected[i]) << "after " << i + 1 << " adds";
    }
    EXPECT_EQ(arr.GetCount(), 9u);
}

TEST(CbArrayTest, GrowsByItsStep) {
    CbArray<int> arr(3);
    for (int i = 0; i < 4; ++i)
        arr.Add(i);
    EXPECT_EQ(arr.GetCapacity(), 6u);
}

TEST(CbArrayTest, RemoveAtShiftsLaterEntriesAndRemoveAllKeepsStorage) {
    CbArray<std::string> arr;
    for (const char* s : {"a", "b", "c", "d"})
        arr.Add(s);
    arr.RemoveAt(1);
    ASSERT_EQ(arr.GetCount(), 3u);
    EXPECT_EQ(arr[0], "a");
    EXPECT_EQ(arr[1], "c");
    EXPECT_EQ(arr[2], "d");
    arr.RemoveAt(7);  // out of range: nothing happens
    EXPECT_EQ(arr.GetCount(), 3u);
    const unsigned nCapacity = arr.GetCapacity();
    arr.RemoveAll();
    EXPECT_EQ(arr.GetCount(), 0u);
    EXPECT_EQ(arr.GetCapacity(), nCapacity);
}

TEST(CbArrayTest, AddingAnOwnElementWhileFullCopiesItFirst) {
    CbArray<std::string> arr;
    arr.Add(std::string(100, 'x'));
    arr.Add(arr[0]);  // capacity 1 → 2: the source moves during the growth
    EXPECT_EQ(arr[1], std::string(100, 'x'));
}

TEST(CbArrayTest, RemoveAtClampsTheCountAndRemovingNothingChangesNothing) {
    CbArray<std::string> arr;
    for (const char* s : {"a", "b", "c", "d"})
        arr.Add(std::string(40, *s));  // long enough to live on the heap
    arr.RemoveAt(1, 0);
    ASSERT_EQ(arr.GetCount(), 4u);
    EXPECT_EQ(arr[1], std::string(40, 'b')) << "nothing may be moved onto itself";
    arr.RemoveAt(2, 100);
    ASSERT_EQ(arr.GetCount(), 2u);
    EXPECT_EQ(arr[0], std::string(40, 'a'));
    EXPECT_EQ(arr[1], std::string(40, 'b'));
}

TEST(CbArrayTest, EveryElementIsDestroyedExactlyOnce) {
    KyTestCountingElement::ResetCounts();
    {
        CbArray<KyTestCountingElement> arr;
        for (int i = 0; i < 9; ++i)
            arr.Add(KyTestCountingElement(i));  // grows several times
        CbArray<KyTestCountingElement> copy(arr);
        arr.RemoveAt(0, 3);
        EXPECT_EQ(KyTestCountingElement::Alive(), 6 + 9);
        CbArray<KyTestCountingElement> moved(std::move(arr));
        EXPECT_EQ(arr.GetCount(), 0u);
        ASSERT_EQ(moved.GetCount(), 6u);
        EXPECT_EQ(moved[0].m_nValue, 3);
        EXPECT_EQ(copy[8].m_nValue, 8);
        copy = moved;
        EXPECT_EQ(KyTestCountingElement::Alive(), 6 + 6);
    }
    EXPECT_EQ(KyTestCountingElement::Alive(), 0);
}

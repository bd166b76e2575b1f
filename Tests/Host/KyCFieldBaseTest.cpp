// Sharing, clearing, parts and copies of the host's reference-counted image.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "KyCFieldBase.h"

namespace {

// Fills every pixel byte with a value that tells its position: (x + 1) * 16 + y + 1 per byte.
void paintPositions(KyCFieldBase& field) {
    for (int nY = field.m_Rect.nTop; nY <= field.m_Rect.nBottom; ++nY)
        for (int nX = field.m_Rect.nLeft; nX <= field.m_Rect.nRight; ++nX)
            for (int b = 0; b < field.m_nPixelSize; ++b)
                field.m_pData[(nY - field.m_Rect.nTop) * field.m_nPitch +
                              (nX - field.m_Rect.nLeft) * field.m_nPixelSize + b] =
                    static_cast<unsigned char>((nX + 1) * 16 + nY + 1);
}

unsigned char byteAt(const KyCFieldBase& field, int nX, int nY, int nByte = 0) {
    return field.m_pData[(nY - field.m_Rect.nTop) * field.m_nPitch +
                         (nX - field.m_Rect.nLeft) * field.m_nPixelSize + nByte];
}

bool isInside(const KyCRect2& rect, int nX, int nY) {
    return nX >= rect.nLeft && nX <= rect.nRight && nY >= rect.nTop && nY <= rect.nBottom;
}

}  // namespace

TEST(KyCFieldBaseTest, DefaultFieldIsEmptyAndItsOwnLastReference) {
    KyCFieldBase field;
    EXPECT_TRUE(field.IsEmpty());
    EXPECT_TRUE(field.IsLastRef());
    EXPECT_EQ(field.m_pData, nullptr);
    EXPECT_EQ(field.Size(), KyCSize2(0, 0));
}

TEST(KyCFieldBaseTest, NewBufferIsZeroedAlignedAndPitchIsRoundedUpToFour) {
    struct Case {
        int nWidth, nPixelSize, nExpectedPitch;
    } cases[] = {{5, 1, 8}, {4, 1, 4}, {3, 3, 12}, {7, 3, 24}, {5, 4, 20}, {1, 2, 4}};
    for (const Case& c : cases) {
        KyCFieldBase field(KyCRect2(KyCSize2(c.nWidth, 3)), c.nPixelSize, 0);
        ASSERT_FALSE(field.IsEmpty()) << c.nWidth << "x" << c.nPixelSize;
        EXPECT_EQ(field.m_nPitch, c.nExpectedPitch) << c.nWidth << "x" << c.nPixelSize;
        EXPECT_EQ(field.m_nPixelSize, c.nPixelSize);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(field.m_pData) % 16, 0u);
        for (int i = 0; i < field.m_nPitch * 3; ++i)
            ASSERT_EQ(field.m_pData[i], 0) << "byte " << i;
    }
    KyCFieldBase padded(KyCRect2(KyCSize2(5, 2)), 1, 32);
    EXPECT_EQ(padded.m_nPitch, 32);
}

TEST(KyCFieldBaseTest, CreateRefusesBadShapesAndLeavesTheFieldEmpty) {
    KyCFieldBase field(KyCRect2(KyCSize2(4, 4)), 4, 0);
    ASSERT_FALSE(field.IsEmpty());
    EXPECT_FALSE(field.Create(KyCRect2(), 4, 0));
    EXPECT_TRUE(field.IsEmpty());
    EXPECT_FALSE(field.Create(KyCRect2(KyCSize2(4, 4)), 0, 0));
    EXPECT_FALSE(field.Create(KyCRect2(KyCSize2(4, 4)), 4, 15));  // pitch below one row
    EXPECT_FALSE(field.Create(KyCRect2(KyCSize2(4, 4)), 4, -16));
    EXPECT_FALSE(field.Create(KyCRect2(KyCSize2(70000, 70000)), 4, 0));  // too large
    EXPECT_TRUE(field.IsEmpty());
    EXPECT_TRUE(field.Create(KyCRect2(KyCPos2(2, 3), KyCSize2(4, 5)), 4, 0));
    EXPECT_EQ(field.m_Rect, KyCRect2(2, 3, 5, 7));
    EXPECT_EQ(field.Size(), KyCSize2(4, 5));
}

TEST(KyCFieldBaseTest, CopiesShareOneBufferAndIsLastRefFollowsThem) {
    KyCFieldBase original(KyCRect2(KyCSize2(8, 4)), 4, 0);
    EXPECT_TRUE(original.IsLastRef());
    {
        KyCFieldBase copy(original);
        KyCFieldBase assigned;
        assigned = original;
        EXPECT_EQ(copy.m_pData, original.m_pData);
        EXPECT_EQ(assigned.m_pData, original.m_pData);
        EXPECT_FALSE(original.IsLastRef());
        assigned.m_pData[5] = 77;
        EXPECT_EQ(original.m_pData[5], 77);  // shared pixels, not a copy
        assigned.Empty();
        EXPECT_TRUE(assigned.IsEmpty());
        EXPECT_FALSE(original.IsLastRef());  // `copy` still holds it
    }
    EXPECT_TRUE(original.IsLastRef());

    KyCFieldBase& alias = original;
    original = alias;  // self-assignment keeps the buffer
    EXPECT_TRUE(original.IsLastRef());
    EXPECT_EQ(original.m_pData[5], 77);

    KyCFieldBase other(KyCRect2(KyCSize2(2, 2)), 1, 0);
    KyCFieldBase share(other);
    other = original;  // drops its old buffer: `share` is alone with it now
    EXPECT_TRUE(share.IsLastRef());
    EXPECT_FALSE(original.IsLastRef());
}

TEST(KyCFieldBaseTest, CreateOnASharedFieldLeavesTheOtherHolderItsPixels) {
    KyCFieldBase first(KyCRect2(KyCSize2(4, 4)), 1, 0);
    first.m_pData[0] = 9;
    KyCFieldBase second(first);
    ASSERT_TRUE(first.Create(KyCRect2(KyCSize2(4, 4)), 1, 0));
    EXPECT_NE(first.m_pData, second.m_pData);
    EXPECT_EQ(first.m_pData[0], 0);
    EXPECT_EQ(second.m_pData[0], 9);
    EXPECT_TRUE(first.IsLastRef());
    EXPECT_TRUE(second.IsLastRef());
}

TEST(KyCFieldBaseTest, WrappedMemoryIsUsedInPlaceAndNeverOwned) {
    std::vector<unsigned char> memory(3 * 16, 0xAB);
    {
        KyCFieldBase wrapped(memory.data(), KyCRect2(KyCSize2(3, 3)), 4, 16);
        KyCFieldBase copy = wrapped;
        EXPECT_TRUE(wrapped.IsLastRef());  // nothing is counted for foreign memory
        EXPECT_EQ(wrapped.m_nPitch, 16);
        copy.ClrData(KyCRect2(1, 1, 1, 1));
        EXPECT_EQ(memory[16 + 4], 0);
        EXPECT_EQ(memory[16 + 3], 0xAB);
    }
    // The fields are gone and the memory is still ours (a sanitizer build would catch a free).
    EXPECT_EQ(memory[0], 0xAB);
    KyCFieldBase defaultPitch(memory.data(), KyCRect2(KyCSize2(3, 3)), 1, 0);
    EXPECT_EQ(defaultPitch.m_nPitch, 4);
}

TEST(KyCFieldBaseTest, PartSharesTheBufferWithTheSamePitchAndIsClipped) {
    KyCFieldBase whole(KyCRect2(KyCSize2(10, 6)), 4, 0);
    paintPositions(whole);
    KyCFieldBase part = whole.Part(KyCRect2(2, 1, 5, 3));
    ASSERT_FALSE(part.IsEmpty());
    EXPECT_EQ(part.m_Rect, KyCRect2(2, 1, 5, 3));
    EXPECT_EQ(part.m_nPitch, whole.m_nPitch);
    EXPECT_EQ(part.m_nPixelSize, 4);
    EXPECT_EQ(part.m_pData, whole.m_pData + 1 * whole.m_nPitch + 2 * 4);
    EXPECT_EQ(byteAt(part, 2, 1), byteAt(whole, 2, 1));
    EXPECT_EQ(byteAt(part, 5, 3), byteAt(whole, 5, 3));
    EXPECT_FALSE(whole.IsLastRef());

    // The part keeps the pixels alive alone.
    const unsigned char nCorner = byteAt(whole, 5, 3);
    whole.Empty();
    EXPECT_TRUE(part.IsLastRef());
    EXPECT_EQ(byteAt(part, 5, 3), nCorner);

    KyCFieldBase base(KyCRect2(KyCSize2(10, 6)), 1, 0);
    EXPECT_EQ(base.Part(KyCRect2(8, 4, 20, 20)).m_Rect, KyCRect2(8, 4, 9, 5));
    EXPECT_TRUE(base.Part(KyCRect2(10, 0, 12, 2)).IsEmpty());
    EXPECT_TRUE(KyCFieldBase().Part(KyCRect2(0, 0, 1, 1)).IsEmpty());
    // A part of a part keeps field coordinates.
    KyCFieldBase inner = base.Part(KyCRect2(2, 2, 8, 5)).Part(KyCRect2(3, 3, 4, 4));
    EXPECT_EQ(inner.m_pData, base.m_pData + 3 * base.m_nPitch + 3);
}

TEST(KyCFieldBaseTest, ClrDataClearsExactlyTheRectangle) {
    KyCFieldBase field(KyCRect2(KyCSize2(9, 7)), 3, 0);
    paintPositions(field);
    const KyCRect2 cleared(2, 1, 6, 4);
    field.ClrData(cleared);
    for (int nY = 0; nY < 7; ++nY)
        for (int nX = 0; nX < 9; ++nX)
            for (int b = 0; b < 3; ++b)
                EXPECT_EQ(byteAt(field, nX, nY, b) == 0, isInside(cleared, nX, nY))
                    << nX << "," << nY;
    field.ClrData(KyCRect2(7, 5, 100, 100));  // clipped to the field
    EXPECT_EQ(byteAt(field, 8, 6), 0);
    EXPECT_NE(byteAt(field, 6, 6), 0);
}

TEST(KyCFieldBaseTest, ClrDataWithAKeptRectangleClearsExactlyTheBorder) {
    // A 6x4 picture centred in a 10x6 frame, as a smaller camera picture is placed.
    KyCFieldBase field(KyCRect2(KyCSize2(10, 6)), 4, 0);
    paintPositions(field);
    const KyCRect2 keep(KyCPos2(2, 1), KyCSize2(6, 4));
    field.ClrData(field.m_Rect, keep);
    for (int nY = 0; nY < 6; ++nY)
        for (int nX = 0; nX < 10; ++nX)
            for (int b = 0; b < 4; ++b)
                EXPECT_EQ(byteAt(field, nX, nY, b) != 0, isInside(keep, nX, nY)) << nX << "," << nY;

    // Only the part of `whole` is touched; an empty keep clears all of it.
    paintPositions(field);
    field.ClrData(KyCRect2(0, 0, 4, 2), KyCRect2());
    EXPECT_EQ(byteAt(field, 4, 2), 0);
    EXPECT_NE(byteAt(field, 5, 2), 0);
    EXPECT_NE(byteAt(field, 4, 3), 0);
}

TEST(KyCFieldBaseTest, CopyDataMovesEachPixelToItsPlaceAndClips) {
    KyCFieldBase source(KyCRect2(KyCSize2(8, 6)), 4, 0);
    paintPositions(source);
    KyCFieldBase dest(KyCRect2(KyCSize2(8, 6)), 4, 0);

    // Smaller extent wins: 3x2 from a 3x2 source into a 5x5 destination rectangle.
    ASSERT_TRUE(dest.CopyData(source, KyCRect2(1, 2, 3, 3), KyCRect2(4, 0, 8, 4), 0));
    for (int nY = 0; nY < 6; ++nY)
        for (int nX = 0; nX < 8; ++nX) {
            const bool bCopied = nX >= 4 && nX <= 6 && nY <= 1;
            const unsigned char nExpected = bCopied ? byteAt(source, nX - 3, nY + 2) : 0;
            EXPECT_EQ(byteAt(dest, nX, nY, 3), nExpected) << nX << "," << nY;
        }

    // A source rectangle reaching left of the source moves the destination along.
    KyCFieldBase clipped(KyCRect2(KyCSize2(8, 6)), 4, 0);
    ASSERT_TRUE(clipped.CopyData(source, KyCRect2(-2, 0, 1, 0), KyCRect2(3, 5, 6, 5), 0));
    EXPECT_EQ(byteAt(clipped, 4, 5), 0);
    EXPECT_EQ(byteAt(clipped, 5, 5), byteAt(source, 0, 0));
    EXPECT_EQ(byteAt(clipped, 6, 5), byteAt(source, 1, 0));

    KyCFieldBase grey(KyCRect2(KyCSize2(8, 6)), 1, 0);
    EXPECT_FALSE(grey.CopyData(source, source.m_Rect, grey.m_Rect, 0));
    EXPECT_FALSE(dest.CopyData(KyCFieldBase(), source.m_Rect, dest.m_Rect, 0));
    EXPECT_FALSE(dest.CopyData(source, KyCRect2(20, 20, 30, 30), dest.m_Rect, 0));
}

TEST(KyCFieldBaseTest, CopyDataWithinOneBufferHandlesOverlapInBothDirections) {
    KyCFieldBase field(KyCRect2(KyCSize2(6, 6)), 1, 0);
    paintPositions(field);
    KyCFieldBase reference(KyCRect2(KyCSize2(6, 6)), 1, 0);
    reference.CopyData(field, field.m_Rect, field.m_Rect, 0);

    ASSERT_TRUE(field.CopyData(field, KyCRect2(0, 0, 3, 3), KyCRect2(1, 1, 4, 4), 0));
    for (int nY = 1; nY <= 4; ++nY)
        for (int nX = 1; nX <= 4; ++nX)
            EXPECT_EQ(byteAt(field, nX, nY), byteAt(reference, nX - 1, nY - 1));

    field.CopyData(reference, reference.m_Rect, field.m_Rect, 0);
    ASSERT_TRUE(field.CopyData(field, KyCRect2(2, 2, 5, 5), KyCRect2(0, 0, 3, 3), 0));
    for (int nY = 0; nY <= 3; ++nY)
        for (int nX = 0; nX <= 3; ++nX)
            EXPECT_EQ(byteAt(field, nX, nY), byteAt(reference, nX + 2, nY + 2));
}

TEST(KyCFieldBaseTest, PictureOfAPartCopiesIntoWrappedMemoryOfItsOwnSize) {
    // The display path: a centred part of a pooled frame goes into a target's own memory.
    KyCFieldBase frame(KyCRect2(KyCSize2(10, 4)), 4, 0);
    paintPositions(frame);
    KyCFieldBase picture = frame.Part(KyCRect2(KyCPos2(2, 0), KyCSize2(6, 4)));
    const int nTargetPitch = 6 * 4 + 8;
    std::vector<unsigned char> target(nTargetPitch * 4, 0);
    KyCFieldBase wrapped(target.data(), picture.m_Rect, 4, nTargetPitch);
    ASSERT_TRUE(wrapped.CopyData(picture, picture.m_Rect, picture.m_Rect, 0));
    for (int nRow = 0; nRow < 4; ++nRow)
        for (int nCol = 0; nCol < 6; ++nCol)
            EXPECT_EQ(target[nRow * nTargetPitch + nCol * 4], byteAt(frame, nCol + 2, nRow));
    EXPECT_EQ(target[6 * 4], 0);  // the target's row padding is left alone
}

TEST(KyCFieldBaseTest, SharesReleasedOnManyThreadsFreeTheBufferOnce) {
    KyCFieldBase original(KyCRect2(KyCSize2(16, 16)), 4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&original]() {
            for (int i = 0; i < 2000; ++i) {
                KyCFieldBase share;
                share = original;
                KyCFieldBase part = share.Part(KyCRect2(1, 1, 2, 2));
                part.Empty();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_TRUE(original.IsLastRef());
}

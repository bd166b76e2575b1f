// Sharing, clearing, parts and copies of the host's reference-counted image.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "KyCFieldBase.h"

namespace {

// The value painted into every byte of pixel (x, y): tells the position apart.
unsigned char mark(int nX, int nY) {
    return static_cast<unsigned char>((nX + 1) * 16 + nY + 1);
}

bool isInside(const KyCRect2& rect, int nX, int nY) {
    return nX >= rect.nLeft && nX <= rect.nRight && nY >= rect.nTop && nY <= rect.nBottom;
}

// Calls fn(byte, x, y) for every byte of every pixel of the field.
void forEachByte(const KyCFieldBase& field,
                 const std::function<void(unsigned char&, int, int)>& fn) {
    const KyCRect2& r = field.m_Rect;
    for (int nY = r.nTop; nY <= r.nBottom; ++nY)
        for (int nX = r.nLeft; nX <= r.nRight; ++nX)
            for (int b = 0; b < field.m_nPixelSize; ++b)
                fn(field.m_pData[(nY - r.nTop) * field.m_nPitch +
                                 (nX - r.nLeft) * field.m_nPixelSize + b],
                   nX, nY);
}

KyCFieldBase painted(const KyCRect2& rect, int nPixelSize) {
    KyCFieldBase field(rect, nPixelSize, 0);
    forEachByte(field, [](unsigned char& n, int nX, int nY) { n = mark(nX, nY); });
    return field;
}

// Every byte of every pixel holds expected(x, y).
void expectPixels(const KyCFieldBase& field,
                  const std::function<unsigned char(int, int)>& expected) {
    int nWrong = 0;
    forEachByte(field, [&](unsigned char& n, int nX, int nY) {
        if (n != expected(nX, nY) && ++nWrong <= 3)
            ADD_FAILURE() << "pixel " << nX << "," << nY << ": " << int(n);
    });
}

}  // namespace

TEST(KyCFieldBaseTest, NewBufferIsZeroedAlignedWithRowsRoundedUpAndBadShapesLeaveItEmpty) {
    // clang-format off
    const struct { int nWidth, nPixelSize, nPitch, nExpectedPitch; } cases[] = {
        {5, 1, 0, 8}, {4, 1, 0, 4}, {7, 3, 0, 24}, {1, 2, 0, 4}, {5, 1, 32, 32}, {4, 4, 16, 16}};
    // clang-format on
    for (const auto& c : cases) {
        KyCFieldBase field(KyCRect2(KyCSize2(c.nWidth, 3)), c.nPixelSize, c.nPitch);
        ASSERT_FALSE(field.IsEmpty()) << c.nWidth << "x" << c.nPixelSize;
        EXPECT_EQ(field.m_nPitch, c.nExpectedPitch) << c.nWidth << "x" << c.nPixelSize;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(field.m_pData) % 16, 0u);
        expectPixels(field, [](int, int) { return 0; });
    }
    EXPECT_EQ(KyCFieldBase(nullptr, KyCRect2(KyCSize2(3, 3)), 1, 0).m_nPitch, 4);
    const struct {
        KyCRect2 rect;
        int nPixelSize, nPitch;
    } bad[] = {{KyCRect2(), 4, 0},
               {KyCRect2(KyCSize2(4, 4)), 0, 0},
               {KyCRect2(KyCSize2(4, 4)), 4, 15},  // pitch below one row
               {KyCRect2(KyCSize2(4, 4)), 4, -16},
               {KyCRect2(KyCSize2(70000, 70000)), 4, 0}};  // too large
    for (const auto& c : bad) {
        KyCFieldBase field(KyCRect2(KyCSize2(4, 4)), 4, 0);
        EXPECT_FALSE(field.Create(c.rect, c.nPixelSize, c.nPitch)) << c.nPitch;
        EXPECT_TRUE(field.IsEmpty());
    }
    KyCFieldBase field;
    EXPECT_TRUE(field.Create(KyCRect2(KyCPos2(2, 3), KyCSize2(4, 5)), 4, 0));
    EXPECT_EQ(field.m_Rect, KyCRect2(2, 3, 5, 7));
}

TEST(KyCFieldBaseTest, CopiesShareOneBufferAndIsLastRefFollowsThem) {
    KyCFieldBase original(KyCRect2(KyCSize2(8, 4)), 4, 0);
    {
        KyCFieldBase copy(original);
        KyCFieldBase assigned;
        assigned = original;
        assigned.m_pData[5] = 77;
        EXPECT_EQ(copy.m_pData[5], 77);  // shared pixels, not a copy
        assigned.Empty();
        EXPECT_TRUE(assigned.IsEmpty());
        EXPECT_FALSE(original.IsLastRef());  // `copy` still holds it
    }
    EXPECT_TRUE(original.IsLastRef());
    KyCFieldBase& alias = original;
    original = alias;  // self-assignment keeps the buffer
    EXPECT_TRUE(original.IsLastRef());

    KyCFieldBase other(KyCRect2(KyCSize2(2, 2)), 1, 0);
    KyCFieldBase share(other);
    other = original;  // drops its old buffer: `share` is alone with it now
    EXPECT_TRUE(share.IsLastRef());
    EXPECT_FALSE(original.IsLastRef());
    // A new buffer for one holder leaves the other holder its pixels.
    ASSERT_TRUE(other.Create(KyCRect2(KyCSize2(8, 4)), 4, 0));
    EXPECT_EQ(other.m_pData[5], 0);
    EXPECT_EQ(original.m_pData[5], 77);
    EXPECT_TRUE(original.IsLastRef());
}

TEST(KyCFieldBaseTest, PartSharesThePixelsInFieldCoordinatesAndIsClipped) {
    KyCFieldBase whole = painted(KyCRect2(KyCSize2(10, 6)), 4);
    KyCFieldBase part = whole.Part(KyCRect2(2, 1, 5, 3));
    EXPECT_EQ(part.m_Rect, KyCRect2(2, 1, 5, 3));
    whole.Empty();  // the part keeps the pixels alive alone
    EXPECT_TRUE(part.IsLastRef());
    expectPixels(part, mark);

    const KyCFieldBase base = painted(KyCRect2(KyCSize2(10, 6)), 1);
    EXPECT_EQ(base.Part(KyCRect2(8, 4, 20, 20)).m_Rect, KyCRect2(8, 4, 9, 5));
    EXPECT_TRUE(base.Part(KyCRect2(10, 0, 12, 2)).IsEmpty());
    EXPECT_TRUE(KyCFieldBase().Part(KyCRect2(0, 0, 1, 1)).IsEmpty());
    KyCFieldBase inner = base.Part(KyCRect2(2, 2, 8, 5)).Part(KyCRect2(3, 3, 4, 4));
    EXPECT_EQ(inner.m_Rect, KyCRect2(3, 3, 4, 4));
    expectPixels(inner, mark);
}

TEST(KyCFieldBaseTest, ClrDataClearsExactlyTheRectangleOrTheBorderAroundAKeptOne) {
    const struct {
        KyCRect2 whole, keep;
    } cases[] = {
        {KyCRect2(2, 1, 6, 4), KyCRect2()},
        {KyCRect2(7, 5, 100, 100), KyCRect2()},  // clipped to the field
        // A 6x4 picture centred in the frame, as a smaller camera picture is placed.
        {KyCRect2(0, 0, 9, 6), KyCRect2(KyCPos2(2, 1), KyCSize2(6, 4))},
        {KyCRect2(1, 1, 4, 3), KyCRect2(3, 0, 20, 2)},  // keep reaches out of whole
    };
    for (const auto& c : cases) {
        KyCFieldBase field = painted(KyCRect2(KyCSize2(10, 7)), 3);
        field.ClrData(c.whole, c.keep);
        expectPixels(field, [&](int nX, int nY) {
            return isInside(c.whole, nX, nY) && !isInside(c.keep, nX, nY) ? 0 : mark(nX, nY);
        });
    }
}

TEST(KyCFieldBaseTest, CopyDataMovesEachPixelToItsPlaceClipsOverlapsAndRefusesMismatches) {
    const KyCFieldBase source = painted(KyCRect2(KyCSize2(8, 6)), 4);
    // Smaller extent wins: 3x2 from a 3x2 source into a 5x5 destination rectangle.
    KyCFieldBase dest(KyCRect2(KyCSize2(8, 6)), 4, 0);
    ASSERT_TRUE(dest.CopyData(source, KyCRect2(1, 2, 3, 3), KyCRect2(4, 0, 8, 4), 0));
    expectPixels(dest, [](int nX, int nY) {
        return nX >= 4 && nX <= 6 && nY <= 1 ? mark(nX - 3, nY + 2) : 0;
    });
    // A source rectangle reaching out of the source moves the destination along.
    KyCFieldBase clipped(KyCRect2(KyCSize2(8, 6)), 4, 0);
    ASSERT_TRUE(clipped.CopyData(source, KyCRect2(-2, -1, 1, 0), KyCRect2(3, 4, 6, 5), 0));
    expectPixels(clipped, [](int nX, int nY) {
        return nX >= 5 && nX <= 6 && nY == 5 ? mark(nX - 5, nY - 5) : 0;
    });
    // A destination reaching out of the field moves the source along.
    KyCFieldBase edge(KyCRect2(KyCPos2(2, 2), KyCSize2(4, 4)), 4, 0);
    ASSERT_TRUE(edge.CopyData(source, source.m_Rect, KyCRect2(0, 0, 7, 5), 0));
    expectPixels(edge, mark);

    KyCFieldBase grey(KyCRect2(KyCSize2(8, 6)), 1, 0);
    EXPECT_FALSE(grey.CopyData(source, source.m_Rect, grey.m_Rect, 0));
    EXPECT_FALSE(dest.CopyData(KyCFieldBase(), source.m_Rect, dest.m_Rect, 0));
    KyCFieldBase noMemory(nullptr, source.m_Rect, 4, 0);  // a shape without pixels
    noMemory.ClrData(source.m_Rect, KyCRect2());          // nothing to clear, no crash
    EXPECT_FALSE(dest.CopyData(noMemory, source.m_Rect, dest.m_Rect, 0));
    EXPECT_FALSE(KyCFieldBase(noMemory).CopyData(source, source.m_Rect, dest.m_Rect, 0));
    EXPECT_FALSE(dest.CopyData(source, KyCRect2(20, 20, 30, 30), dest.m_Rect, 0));
    EXPECT_FALSE(dest.CopyData(source, KyCRect2(8, 0, 30, 3), dest.m_Rect, 0)) << "just beside it";
    EXPECT_FALSE(dest.CopyData(source, KyCRect2(0, 6, 3, 30), dest.m_Rect, 0)) << "just below it";
    // Within one buffer, overlapping in both directions.
    for (int nShift : {1, -2}) {
        KyCFieldBase field = painted(KyCRect2(KyCSize2(6, 6)), 1);
        const KyCRect2 from = nShift > 0 ? KyCRect2(0, 0, 3, 3) : KyCRect2(2, 2, 5, 5);
        const KyCRect2 to(from.nLeft + nShift, from.nTop + nShift, from.nRight + nShift,
                          from.nBottom + nShift);
        ASSERT_TRUE(field.CopyData(field, from, to, 0));
        expectPixels(field, [&](int nX, int nY) {
            return isInside(to, nX, nY) ? mark(nX - nShift, nY - nShift) : mark(nX, nY);
        });
    }
}

TEST(KyCFieldBaseTest, WrappedMemoryIsUsedInPlaceAndNeverOwned) {
    // The display path: a centred part of a pooled frame goes into a target's own memory.
    const KyCFieldBase frame = painted(KyCRect2(KyCSize2(10, 4)), 4);
    const KyCFieldBase picture = frame.Part(KyCRect2(KyCPos2(2, 0), KyCSize2(6, 4)));
    const int nTargetPitch = 6 * 4 + 8;
    std::vector<unsigned char> target(nTargetPitch * 4, 0xAB);
    {
        KyCFieldBase wrapped(target.data(), picture.m_Rect, 4, nTargetPitch);
        KyCFieldBase copy = wrapped;
        EXPECT_TRUE(wrapped.IsLastRef());  // nothing is counted for foreign memory
        ASSERT_TRUE(copy.CopyData(picture, picture.m_Rect, picture.m_Rect, 0));
        expectPixels(wrapped, mark);
    }
    // The fields are gone and the memory is still ours (a sanitizer build would catch a free).
    EXPECT_EQ(target[6 * 4], 0xAB) << "the target's row padding is left alone";
}

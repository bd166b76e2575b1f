// Sizes, positions and inclusive rectangles of the imaging library.
#pragma once

struct KyCSize2 {
    int nWidth = 0;
    int nHeight = 0;
    KyCSize2() = default;
    KyCSize2(int w, int h) : nWidth(w), nHeight(h) {}
    friend bool operator==(const KyCSize2& a, const KyCSize2& b) {
        return a.nWidth == b.nWidth && a.nHeight == b.nHeight;
    }
    friend bool operator!=(const KyCSize2& a, const KyCSize2& b) { return !(a == b); }
};

struct KyCPos2 {
    int nX = 0;
    int nY = 0;
    KyCPos2() = default;
    KyCPos2(int x, int y) : nX(x), nY(y) {}
};

// Left, top, right and bottom are all inclusive: width is right - left + 1. A rectangle whose
// left exceeds its right, or whose top exceeds its bottom, is empty. The default is empty.
struct KyCRect2 {
    int nLeft = 0;
    int nTop = 0;
    int nRight = -1;
    int nBottom = -1;
    KyCRect2() = default;
    KyCRect2(int l, int t, int r, int b) : nLeft(l), nTop(t), nRight(r), nBottom(b) {}
    KyCRect2(const KyCPos2& pos, const KyCSize2& size)
        : nLeft(pos.nX),
          nTop(pos.nY),
          nRight(pos.nX + size.nWidth - 1),
          nBottom(pos.nY + size.nHeight - 1) {}
    explicit KyCRect2(const KyCSize2& size) : KyCRect2(KyCPos2(0, 0), size) {}

    int Width() const { return nRight - nLeft + 1; }
    int Height() const { return nBottom - nTop + 1; }
    KyCSize2 Size() const { return KyCSize2(Width(), Height()); }
    bool IsEmpty() const { return nLeft > nRight || nTop > nBottom; }
    friend bool operator==(const KyCRect2& a, const KyCRect2& b) {
        return a.nLeft == b.nLeft && a.nTop == b.nTop && a.nRight == b.nRight &&
               a.nBottom == b.nBottom;
    }
    friend bool operator!=(const KyCRect2& a, const KyCRect2& b) { return !(a == b); }
};

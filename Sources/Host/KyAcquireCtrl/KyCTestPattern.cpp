// Drawing and reading the synthetic camera's test picture.
#include "KyCTestPattern.h"

#include <algorithm>

namespace {

struct Rgb {
    int nR, nG, nB;
};

const Rgb kTop = {255, 0, 0};
const Rgb kBottom = {0, 0, 255};
const Rgb kWhite = {255, 255, 255};
const Rgb kBlack = {0, 0, 0};
const int kCounterBits = 16;

void putPixel(unsigned char* p, int nBytesPerPixel, const Rgb& c) {
    if (nBytesPerPixel == 4) {
        p[0] = static_cast<unsigned char>(c.nB);
        p[1] = static_cast<unsigned char>(c.nG);
        p[2] = static_cast<unsigned char>(c.nR);
        p[3] = 255;
    } else {
        p[0] = static_cast<unsigned char>((77 * c.nR + 150 * c.nG + 29 * c.nB) >> 8);
    }
}

int brightness(const unsigned char* p, int nBytesPerPixel) {
    if (nBytesPerPixel == 4)
        return (29 * p[0] + 150 * p[1] + 77 * p[2]) >> 8;
    return p[0];
}

unsigned char* rowAt(unsigned char* pFirstRow, int nPitch, int nRow) {
    return pFirstRow + static_cast<long long>(nRow) * nPitch;
}

}  // namespace

int KyCTestPattern::GetBandHeight(int nHeight) {
    return std::max(1, nHeight / 8);
}

void KyCTestPattern::GetTopColour(int nBytesPerPixel, unsigned char* pPixel) {
    putPixel(pPixel, nBytesPerPixel, kTop);
}

void KyCTestPattern::GetBottomColour(int nBytesPerPixel, unsigned char* pPixel) {
    putPixel(pPixel, nBytesPerPixel, kBottom);
}

int KyCTestPattern::GetBarColumn(int nWidth, unsigned nFrameNumber) {
    if (nWidth <= 0)
        return 0;
    const unsigned nStep = static_cast<unsigned>(std::max(1, nWidth / 32));
    return static_cast<int>((nFrameNumber * nStep) % static_cast<unsigned>(nWidth));
}

void KyCTestPattern::Draw(unsigned char* pFirstRow, int nPitch, KyCSize2 size, int nBytesPerPixel,
                          unsigned nFrameNumber) {
    if (pFirstRow == nullptr || size.nWidth <= 0 || size.nHeight <= 0 ||
        (nBytesPerPixel != 4 && nBytesPerPixel != 1))
        return;
    const int nWidth = size.nWidth;
    const int nHeight = size.nHeight;
    const int nBand = GetBandHeight(nHeight);
    const int nCellWidth = nWidth / kCounterBits;
    const int nBarLeft = GetBarColumn(nWidth, nFrameNumber);
    const int nBarRight = nBarLeft + std::max(1, nWidth / 16);  // exclusive
    for (int nRow = 0; nRow < nHeight; ++nRow) {
        unsigned char* p = rowAt(pFirstRow, nPitch, nRow);
        for (int nCol = 0; nCol < nWidth; ++nCol, p += nBytesPerPixel) {
            Rgb c;
            if (nRow < nBand) {
                c = kTop;
            } else if (nRow >= nHeight - nBand) {
                c = kBottom;
            } else if (nRow < 2 * nBand) {
                const int nBit = nCellWidth > 0 ? nCol / nCellWidth : kCounterBits;
                if (nBit < kCounterBits) {
                    const bool bSet = ((nFrameNumber >> (kCounterBits - 1 - nBit)) & 1u) != 0;
                    c = bSet ? kWhite : kBlack;
                } else {
                    c = {64, 64, 64};
                }
            } else if (nCol >= nBarLeft && nCol < nBarRight) {
                c = kWhite;
            } else {
                c = {32, nWidth > 1 ? nCol * 255 / (nWidth - 1) : 0, 32};
            }
            putPixel(p, nBytesPerPixel, c);
        }
    }
}

bool KyCTestPattern::ReadFrameNumber(const unsigned char* pFirstRow, int nPitch, KyCSize2 size,
                                     int nBytesPerPixel, unsigned& nFrameNumber) {
    if (pFirstRow == nullptr || (nBytesPerPixel != 4 && nBytesPerPixel != 1))
        return false;
    const int nBand = GetBandHeight(size.nHeight);
    const int nCellWidth = size.nWidth / kCounterBits;
    // The counter rows must exist below the top band and above the bottom band.
    if (nCellWidth <= 0 || size.nHeight < 3 || 2 * nBand > size.nHeight - nBand)
        return false;
    const int nRow = nBand + nBand / 2;
    const unsigned char* pRow =
        pFirstRow + static_cast<long long>(nRow) * nPitch;  // the middle row of the cells
    unsigned nValue = 0;
    for (int nBit = 0; nBit < kCounterBits; ++nBit) {
        const int nCol = nBit * nCellWidth + nCellWidth / 2;
        nValue = (nValue << 1) |
                 (brightness(pRow + nCol * nBytesPerPixel, nBytesPerPixel) >= 128 ? 1u : 0u);
    }
    nFrameNumber = nValue;
    return true;
}

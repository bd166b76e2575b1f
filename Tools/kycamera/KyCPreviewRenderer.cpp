// Box-averaged downscaling and ANSI colour half blocks.
#include "KyCPreviewRenderer.h"

#include <algorithm>

#include "KyCFieldBase.h"

namespace {

const char kUpperHalfBlock[] = "\xe2\x96\x80";  // U+2580, UTF-8

struct Rgb {
    int r = -1, g = -1, b = -1;
    bool operator!=(const Rgb& o) const { return r != o.r || g != o.g || b != o.b; }
};

// The mean colour of the picture's pixels in columns [x0, x1) and rows [y0, y1).
Rgb average(const KyCFieldBase& picture, int x0, int x1, int y0, int y1) {
    long long nR = 0, nG = 0, nB = 0, nCount = 0;
    for (int y = y0; y < y1; ++y) {
        const unsigned char* pRow = picture.m_pData + static_cast<long long>(y) * picture.m_nPitch;
        for (int x = x0; x < x1; ++x) {
            const unsigned char* p = pRow + x * picture.m_nPixelSize;
            if (picture.m_nPixelSize == 4) {
                nB += p[0];
                nG += p[1];
                nR += p[2];
            } else {
                nR += p[0];
                nG += p[0];
                nB += p[0];
            }
            ++nCount;
        }
    }
    Rgb rgb;
    if (nCount > 0) {
        rgb.r = static_cast<int>(nR / nCount);
        rgb.g = static_cast<int>(nG / nCount);
        rgb.b = static_cast<int>(nB / nCount);
    }
    return rgb;
}

std::string colour(const char* pszSelect, const Rgb& rgb) {
    return std::string("\x1b[") + pszSelect + ";2;" + std::to_string(rgb.r) + ';' +
           std::to_string(rgb.g) + ';' + std::to_string(rgb.b) + 'm';
}

}  // namespace

int KyCPreviewRenderer::RowsFor(KyCSize2 picture, int nColumns) {
    if (picture.nWidth <= 0 || picture.nHeight <= 0 || nColumns <= 0)
        return 1;
    const long long nSamples =
        (static_cast<long long>(picture.nHeight) * nColumns + picture.nWidth / 2) / picture.nWidth;
    return static_cast<int>(std::max(1LL, (nSamples + 1) / 2));
}

std::vector<std::string> KyCPreviewRenderer::Render(const KyCFieldBase& picture, int nColumns) {
    std::vector<std::string> vecRows;
    const KyCSize2 size = picture.Size();
    if (picture.IsEmpty() || nColumns < 1 ||
        (picture.m_nPixelSize != 4 && picture.m_nPixelSize != 1))
        return vecRows;
    const int nRows = RowsFor(size, nColumns);
    const int nSampleRows = nRows * 2;
    // Sample edges: column c covers [c * W / C, (c + 1) * W / C), at least one pixel.
    auto edge = [](int n, int nParts, int nTotal) {
        return static_cast<int>(static_cast<long long>(n) * nTotal / nParts);
    };
    for (int nRow = 0; nRow < nRows; ++nRow) {
        std::string strRow;
        Rgb lastTop, lastBottom;
        for (int nCol = 0; nCol < nColumns; ++nCol) {
            const int x0 = edge(nCol, nColumns, size.nWidth);
            const int x1 = std::max(x0 + 1, edge(nCol + 1, nColumns, size.nWidth));
            Rgb arrCell[2];
            for (int nHalf = 0; nHalf < 2; ++nHalf) {
                const int nSample = nRow * 2 + nHalf;
                const int y0 = edge(nSample, nSampleRows, size.nHeight);
                const int y1 = std::max(y0 + 1, edge(nSample + 1, nSampleRows, size.nHeight));
                arrCell[nHalf] =
                    average(picture, std::min(x0, size.nWidth - 1), std::min(x1, size.nWidth),
                            std::min(y0, size.nHeight - 1), std::min(y1, size.nHeight));
            }
            // Only changed colours are sent: a flat picture costs little more than its blocks.
            if (arrCell[0] != lastTop)
                strRow += colour("38", arrCell[0]);
            if (arrCell[1] != lastBottom)
                strRow += colour("48", arrCell[1]);
            lastTop = arrCell[0];
            lastBottom = arrCell[1];
            strRow += kUpperHalfBlock;
        }
        strRow += "\x1b[0m";
        vecRows.push_back(strRow);
    }
    return vecRows;
}

// The synthetic camera's test picture: drawn into a frame, and read back by hosts and tests.
#pragma once

#include "KyCGeometry.h"
#include "KyHostApi.h"

// Layout, rows top first, for a frame of width W and height H, band height B = max(1, H / 8):
//   rows [0, B)           red band (the top of the picture)
//   rows [B, 2B)          the frame number, 16 cells of W / 16 columns, bit 15 leftmost,
//                         white for 1, black for 0 (drawn when W >= 16)
//   rows [2B, H - B)      green ramp left to right, with a white bar that moves with the number
//   rows [H - B, H)       blue band (the bottom)
// Where bands overlap in a tiny frame, the higher one wins. 4 bytes per pixel are B, G, R, A
// (A 255); 1 byte per pixel is the luminance (77 R + 150 G + 29 B) / 256 of the same colours.
class KYHOST_API KyCTestPattern {
public:
    static int GetBandHeight(int nHeight);
    // The colour of the top and bottom bands in the given pixel size (bytes, lowest first; one
    // byte for grey).
    static void GetTopColour(int nBytesPerPixel, unsigned char* pPixel);
    static void GetBottomColour(int nBytesPerPixel, unsigned char* pPixel);
    // Left column of the moving bar in a frame of that width for that frame number.
    static int GetBarColumn(int nWidth, unsigned nFrameNumber);

    // Writes the picture row by row: row r starts at pFirstRow + r * nPitch (nPitch may be
    // negative). Nothing happens for a null address, an empty size or a pixel size other than
    // 4 or 1.
    static void Draw(unsigned char* pFirstRow, int nPitch, KyCSize2 size, int nBytesPerPixel,
                     unsigned nFrameNumber);
    // Reads the 16-bit frame number back (cells thresholded at half brightness, so a lossy copy
    // still reads); false when the frame is too small to carry it.
    static bool ReadFrameNumber(const unsigned char* pFirstRow, int nPitch, KyCSize2 size,
                                int nBytesPerPixel, unsigned& nFrameNumber);
};

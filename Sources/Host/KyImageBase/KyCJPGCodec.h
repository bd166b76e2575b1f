// JPEG encoder of the imaging library.
#pragma once

#include <cstddef>

#include "CbArray.h"
#include "KyCFieldBase.h"
#include "KyHostApi.h"

enum EPixelFormat {
    ePixelFormatGray8 = 0,
    ePixelFormatBGR24 = 1,
    ePixelFormatBGRA32 = 2,  // 32-bit B, G, R, A bytes; rows bottom-up (DIB order)
};

class KYHOST_API KyCJPGCodec {
public:
    // Encodes the field as a JPEG. The field's first row is the picture's bottom line (bitmap
    // order). Quality 0.0 to 1.0. The result replaces the contents of `out`. False (and `out`
    // empty) on an empty field, a pixel size that does not fit the format, or encoder failure.
    static bool Encode(const KyCFieldBase& field, EPixelFormat eFormat, float fQuality,
                       CbArray<unsigned char>& out);
    // Decodes a JPEG into a new field, top row first, 32-bit B, G, R, A (alpha 255). False,
    // and `out` empty, when the bytes are not a JPEG picture.
    static bool Decode(const unsigned char* pData, std::size_t nSize, KyCFieldBase& out);
};

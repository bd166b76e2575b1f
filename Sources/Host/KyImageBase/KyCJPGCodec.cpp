// JPEG encoder of the imaging library: the platform's encoder fed with bitmap-ordered rows.
#include "KyCJPGCodec.h"

#include <algorithm>
#include <cmath>

#include "KyJpegEncoder.h"

namespace {

int pixelSizeOf(EPixelFormat eFormat) {
    switch (eFormat) {
        case ePixelFormatGray8:
            return 1;
        case ePixelFormatBGR24:
            return 3;
        case ePixelFormatBGRA32:
            return 4;
    }
    return 0;
}

}  // namespace

bool KyCJPGCodec::Encode(const KyCFieldBase& field, EPixelFormat eFormat, float fQuality,
                         CbArray<unsigned char>& out) {
    out.RemoveAll();
    if (field.IsEmpty() || field.m_nPixelSize != pixelSizeOf(eFormat) || std::isnan(fQuality))
        return false;
    const float fClamped = fQuality < 0.0f ? 0.0f : (fQuality > 1.0f ? 1.0f : fQuality);
    const int nQuality = std::max(1, static_cast<int>(std::lround(fClamped * 100.0f)));

    // The field's first row is the picture's bottom line, the next row the one above it.
    KyJpegPicture picture;
    picture.pBottomRow = field.m_pData;
    picture.nPitchUp = field.m_nPitch;
    picture.nWidth = field.m_Rect.Width();
    picture.nHeight = field.m_Rect.Height();
    picture.nPixelSize = field.m_nPixelSize;

    KyJpegEncoder encoder;
    if (!encoder.Encode(picture, nQuality) || encoder.GetSize() == 0)
        return false;
    const unsigned char* pData = encoder.GetData();
    const std::size_t nSize = encoder.GetSize();
    out.Reserve(static_cast<unsigned>(nSize));
    for (std::size_t i = 0; i < nSize; ++i)
        out.Add(pData[i]);
    return true;
}

bool KyCJPGCodec::Decode(const unsigned char* pData, std::size_t nSize, KyCFieldBase& out) {
    return KyJpegEncoder::Decode(pData, nSize, out);
}

// Encoding and scaling pictures for the page with the host layer's JPEG codec.
#include "KyCServeJpeg.h"

#include <algorithm>

#include "KyCFieldBase.h"
#include "KyCJPGCodec.h"

bool KyCServeJpeg::EncodeTopFirst(const KyCFieldBase& picture, float fQuality, std::string& out) {
    out.clear();
    if (picture.IsEmpty() || (picture.m_nPixelSize != 4 && picture.m_nPixelSize != 1))
        return false;
    // The codec takes rows bottom-up: start at the last row and walk up the buffer.
    const int nHeight = picture.m_Rect.Height();
    KyCFieldBase bottomUp(
        picture.m_pData + static_cast<std::ptrdiff_t>(nHeight - 1) * picture.m_nPitch,
        picture.m_Rect, picture.m_nPixelSize, -picture.m_nPitch);
    CbArray<unsigned char> arrJpeg;
    const EPixelFormat eFormat = picture.m_nPixelSize == 4 ? ePixelFormatBGRA32 : ePixelFormatGray8;
    if (!KyCJPGCodec::Encode(bottomUp, eFormat, fQuality, arrJpeg))
        return false;
    out.assign(reinterpret_cast<const char*>(arrJpeg.GetData()), arrJpeg.GetCount());
    return true;
}

bool KyCServeJpeg::ScaleDown(const KyCFieldBase& picture, int nWidth, KyCFieldBase& out) {
    const KyCSize2 size = picture.Size();
    if (picture.IsEmpty() || picture.m_nPixelSize != 4 || nWidth < 1)
        return false;
    const int nStep = std::max(1, (size.nWidth + nWidth - 1) / nWidth);
    const int nOutWidth = std::max(1, size.nWidth / nStep);
    const int nOutHeight = std::max(1, size.nHeight / nStep);
    if (!out.Create(KyCRect2(KyCSize2(nOutWidth, nOutHeight)), 4, 0))
        return false;
    for (int nY = 0; nY < nOutHeight; ++nY) {
        for (int nX = 0; nX < nOutWidth; ++nX) {
            unsigned nSum[4] = {0, 0, 0, 0};
            unsigned nCount = 0;
            for (int nDy = 0; nDy < nStep && nY * nStep + nDy < size.nHeight; ++nDy) {
                const unsigned char* pRow =
                    picture.m_pData +
                    static_cast<std::ptrdiff_t>(nY * nStep + nDy) * picture.m_nPitch;
                for (int nDx = 0; nDx < nStep && nX * nStep + nDx < size.nWidth; ++nDx) {
                    const unsigned char* pPixel = pRow + (nX * nStep + nDx) * 4;
                    for (int n = 0; n < 4; ++n)
                        nSum[n] += pPixel[n];
                    ++nCount;
                }
            }
            unsigned char* pOut =
                out.m_pData + static_cast<std::ptrdiff_t>(nY) * out.m_nPitch + nX * 4;
            for (int n = 0; n < 4; ++n)
                pOut[n] = static_cast<unsigned char>(nSum[n] / std::max(1u, nCount));
        }
    }
    return true;
}

bool KyCServeJpeg::PictureThumbnail(const std::string& strJpeg, std::string& out) {
    out.clear();
    KyCFieldBase picture, small;
    if (!KyCJPGCodec::Decode(reinterpret_cast<const unsigned char*>(strJpeg.data()), strJpeg.size(),
                             picture) ||
        !ScaleDown(picture, kThumbnailWidth, small))
        return false;
    return EncodeTopFirst(small, 0.85f, out);
}

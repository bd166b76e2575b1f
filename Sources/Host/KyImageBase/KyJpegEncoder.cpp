// JPEG compression and decompression with libjpeg-turbo's TurboJPEG API.
#include <turbojpeg.h>

#include "KyCFieldBase.h"
#include "KyJpegEncoder.h"

struct KyJpegEncoder::Impl {
    tjhandle hCompressor = nullptr;
    unsigned char* pBuffer = nullptr;  // tjAlloc'd, grown only when a larger picture comes
    unsigned long nCapacity = 0;
    unsigned long nSize = 0;

    ~Impl() {
        if (pBuffer != nullptr)
            tjFree(pBuffer);
        if (hCompressor != nullptr)
            tjDestroy(hCompressor);
    }
};

KyJpegEncoder::KyJpegEncoder() : m_pImpl(new Impl) {}

KyJpegEncoder::~KyJpegEncoder() = default;

bool KyJpegEncoder::Encode(const KyJpegPicture& picture, int nQuality) {
    Impl& impl = *m_pImpl;
    impl.nSize = 0;
    if (!KyJpegPictureIsValid(picture) || nQuality < 1 || nQuality > 100)
        return false;
    if (impl.hCompressor == nullptr) {
        impl.hCompressor = tjInitCompress();
        if (impl.hCompressor == nullptr)
            return false;
    }
    int nFormat = TJPF_BGRX;
    int nSubsampling = TJSAMP_420;
    if (picture.nPixelSize == 3) {
        nFormat = TJPF_BGR;
    } else if (picture.nPixelSize == 1) {
        nFormat = TJPF_GRAY;
        nSubsampling = TJSAMP_GRAY;
    }
    const unsigned long nNeeded = tjBufSize(picture.nWidth, picture.nHeight, nSubsampling);
    if (nNeeded == static_cast<unsigned long>(-1))
        return false;
    if (impl.nCapacity < nNeeded) {
        if (impl.pBuffer != nullptr)
            tjFree(impl.pBuffer);
        impl.nCapacity = 0;
        impl.pBuffer = tjAlloc(static_cast<int>(nNeeded));
        if (impl.pBuffer == nullptr)
            return false;
        impl.nCapacity = nNeeded;
    }
    // TurboJPEG wants a positive pitch. Rows that climb upwards in memory are a bottom-up image
    // starting at the bottom row; rows that climb downwards are a top-down image starting at the
    // top row, which then lies at the lowest address.
    const unsigned char* pFirst = picture.pBottomRow;
    int nPitch = picture.nPitchUp;
    int nFlags = TJFLAG_NOREALLOC;
    if (nPitch > 0) {
        nFlags |= TJFLAG_BOTTOMUP;
    } else {
        pFirst += static_cast<std::ptrdiff_t>(picture.nHeight - 1) * nPitch;
        nPitch = -nPitch;
    }
    unsigned long nSize = impl.nCapacity;
    unsigned char* pOut = impl.pBuffer;
    if (tjCompress2(impl.hCompressor, pFirst, picture.nWidth, nPitch, picture.nHeight, nFormat,
                    &pOut, &nSize, nSubsampling, nQuality, nFlags) != 0)
        return false;
    impl.nSize = nSize;
    return true;
}

const unsigned char* KyJpegEncoder::GetData() const {
    return m_pImpl->pBuffer;
}

std::size_t KyJpegEncoder::GetSize() const {
    return m_pImpl->nSize;
}

bool KyJpegEncoder::Decode(const unsigned char* pData, std::size_t nSize, KyCFieldBase& out) {
    out.Empty();
    if (pData == nullptr || nSize == 0 || nSize > static_cast<unsigned long>(-1))
        return false;
    tjhandle hDecompressor = tjInitDecompress();
    if (hDecompressor == nullptr)
        return false;
    int nWidth = 0, nHeight = 0, nSubsampling = 0, nColorspace = 0;
    bool bOk = tjDecompressHeader3(hDecompressor, pData, static_cast<unsigned long>(nSize), &nWidth,
                                   &nHeight, &nSubsampling, &nColorspace) == 0 &&
               out.Create(KyCRect2(KyCSize2(nWidth, nHeight)), 4, 0);
    if (bOk) {
        bOk = tjDecompress2(hDecompressor, pData, static_cast<unsigned long>(nSize), out.m_pData,
                            nWidth, out.m_nPitch, nHeight, TJPF_BGRA, 0) == 0;
    }
    tjDestroy(hDecompressor);
    if (!bOk)
        out.Empty();
    return bOk;
}

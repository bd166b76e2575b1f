// JPEG compression and decompression with libjpeg-turbo, kept apart so that its header stays
// out of the public ones.
#pragma once

#include <cstddef>
#include <memory>

class KyCFieldBase;

// A picture handed over bottom line first, as Windows bitmaps hold it: the row at pBottomRow is
// the picture's bottom line, pBottomRow + nPitchUp the one above it, and so on. nPitchUp may be
// negative (then the top line lies at the lowest address).
struct KyJpegPicture {
    const unsigned char* pBottomRow = nullptr;
    int nPitchUp = 0;
    int nWidth = 0;
    int nHeight = 0;
    int nPixelSize = 0;  // 4: B, G, R, X; 3: B, G, R; 1: grey
};

// Compresses pictures one after another, keeping its encoder and output buffer between calls,
// so that a stream of frames of one size allocates nothing per frame. One thread at a time.
class KyJpegEncoder {
public:
    KyJpegEncoder();
    ~KyJpegEncoder();
    KyJpegEncoder(const KyJpegEncoder&) = delete;
    KyJpegEncoder& operator=(const KyJpegEncoder&) = delete;

    // nQuality 1 to 100; colour pictures use 4:2:0 chroma subsampling. False on a bad picture
    // or an encoder failure. The bytes stay valid until the next Encode or destruction.
    bool Encode(const KyJpegPicture& picture, int nQuality);
    const unsigned char* GetData() const;
    std::size_t GetSize() const;

    // Decodes a JPEG into a new top-down BGRA field (pixel size 4, alpha 255). False, and the
    // field empty, when the bytes are not a picture.
    static bool Decode(const unsigned char* pData, std::size_t nSize, KyCFieldBase& out);

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

// True when the picture's fields describe rows that can be read: positive sizes, a supported
// pixel size and |nPitchUp| at least one row.
inline bool KyJpegPictureIsValid(const KyJpegPicture& picture) {
    if (picture.pBottomRow == nullptr || picture.nWidth <= 0 || picture.nHeight <= 0)
        return false;
    if (picture.nPixelSize != 1 && picture.nPixelSize != 3 && picture.nPixelSize != 4)
        return false;
    const long long nRow = static_cast<long long>(picture.nWidth) * picture.nPixelSize;
    const long long nPitch = picture.nPitchUp < 0 ? -static_cast<long long>(picture.nPitchUp)
                                                  : static_cast<long long>(picture.nPitchUp);
    return nPitch >= nRow;
}

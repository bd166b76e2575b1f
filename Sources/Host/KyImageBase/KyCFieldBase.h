// Reference-counted image of the imaging library.
#pragma once

#include "KyCGeometry.h"
#include "KyHostApi.h"

class KyCFieldBuffer;

// An image whose pixel buffer is shared by assignment. Rows are held top row first: the pixel at
// row r, column c (relative to the rectangle's top-left) is at m_pData + r * m_nPitch +
// c * m_nPixelSize. A field made from foreign memory wraps it and owns nothing.
// Thread safety: one field object per thread; the shared buffer's count is atomic, so fields
// sharing a buffer may live on different threads.
class KYHOST_API KyCFieldBase {
public:
    KyCFieldBase();
    // A new zero-filled buffer for the rectangle. nPitch 0: width * pixel size rounded up to 4.
    KyCFieldBase(const KyCRect2& rect, int nPixelSize, int nPitch);
    // Wraps memory owned by someone else; owns nothing.
    KyCFieldBase(unsigned char* pData, const KyCRect2& rect, int nPixelSize, int nPitch);
    KyCFieldBase(const KyCFieldBase& other);
    KyCFieldBase& operator=(const KyCFieldBase& other);
    ~KyCFieldBase();

    // True when no other field shares this field's buffer (also for an empty field).
    bool IsLastRef() const;
    // Drops the current buffer and allocates a new one (as the constructor above). False when
    // the rectangle is empty or the pixel size is not positive.
    bool Create(const KyCRect2& rect, int nPixelSize, int nPitch);
    // Zeroes the pixels of the rectangle (field coordinates, clipped to the field).
    void ClrData(const KyCRect2& rect);
    // Zeroes the pixels of `whole` that lie outside `keep`.
    void ClrData(const KyCRect2& whole, const KyCRect2& keep);
    // A field that shares this buffer, limited to the sub-rectangle (clipped), same pitch.
    KyCFieldBase Part(const KyCRect2& rect) const;
    // Copies the pixels of the source rectangle of `source` into the destination rectangle of
    // this field; both rectangles in their field's coordinates, the smaller extent wins.
    // Returns false when nothing could be copied (empty, pixel sizes differ).
    bool CopyData(const KyCFieldBase& source, const KyCRect2& sourceRect, const KyCRect2& destRect,
                  int nFlags);
    KyCSize2 Size() const { return m_Rect.Size(); }
    void Empty();
    bool IsEmpty() const { return m_Rect.IsEmpty() || m_pData == nullptr; }

    unsigned char* m_pData;
    int m_nPixelSize;
    int m_nPitch;
    KyCRect2 m_Rect;

private:
    // Address of the pixel at (nX, nY) in field coordinates; no range check.
    unsigned char* pixelAt(int nX, int nY) const;
    // Zeroes the pixels nLeft to nRight (inclusive) of row nY.
    void clearSpan(int nY, int nLeft, int nRight);

    KyCFieldBuffer* m_pBuffer;  // shared owner of the pixels; null for wrapped or empty fields
};

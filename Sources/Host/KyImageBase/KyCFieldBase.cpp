// Reference-counted image of the imaging library.
#include "KyCFieldBase.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "KyCFieldBuffer.h"

namespace {

// Widths and heights in 64 bits: an extreme rectangle must not overflow int.
std::int64_t extentOf(int nFirst, int nLast) {
    return static_cast<std::int64_t>(nLast) - nFirst + 1;
}

KyCRect2 intersect(const KyCRect2& a, const KyCRect2& b) {
    return KyCRect2(std::max(a.nLeft, b.nLeft), std::max(a.nTop, b.nTop),
                    std::min(a.nRight, b.nRight), std::min(a.nBottom, b.nBottom));
}

// Width times pixel size rounded up to 4; -1 when that does not fit an int.
std::int64_t defaultPitch(std::int64_t nWidth, int nPixelSize) {
    const std::int64_t nRow = (nWidth * nPixelSize + 3) & ~static_cast<std::int64_t>(3);
    return nRow > INT_MAX ? -1 : nRow;
}

}  // namespace

KyCFieldBase::KyCFieldBase() : m_pData(nullptr), m_nPixelSize(0), m_nPitch(0), m_pBuffer(nullptr) {}

KyCFieldBase::KyCFieldBase(const KyCRect2& rect, int nPixelSize, int nPitch) : KyCFieldBase() {
    Create(rect, nPixelSize, nPitch);
}

KyCFieldBase::KyCFieldBase(unsigned char* pData, const KyCRect2& rect, int nPixelSize, int nPitch)
    : m_pData(pData), m_nPixelSize(nPixelSize), m_nPitch(nPitch), m_Rect(rect), m_pBuffer(nullptr) {
    if (m_nPitch == 0 && !rect.IsEmpty() && nPixelSize > 0) {
        const std::int64_t nPitch64 = defaultPitch(extentOf(rect.nLeft, rect.nRight), nPixelSize);
        m_nPitch = nPitch64 < 0 ? 0 : static_cast<int>(nPitch64);
    }
}

KyCFieldBase::KyCFieldBase(const KyCFieldBase& other)
    : m_pData(other.m_pData),
      m_nPixelSize(other.m_nPixelSize),
      m_nPitch(other.m_nPitch),
      m_Rect(other.m_Rect),
      m_pBuffer(other.m_pBuffer) {
    if (m_pBuffer != nullptr)
        m_pBuffer->AddRef();
}

KyCFieldBase& KyCFieldBase::operator=(const KyCFieldBase& other) {
    // Take the new reference before dropping the old one: self-assignment keeps the buffer.
    if (other.m_pBuffer != nullptr)
        other.m_pBuffer->AddRef();
    if (m_pBuffer != nullptr)
        m_pBuffer->Release();
    m_pBuffer = other.m_pBuffer;
    m_pData = other.m_pData;
    m_nPixelSize = other.m_nPixelSize;
    m_nPitch = other.m_nPitch;
    m_Rect = other.m_Rect;
    return *this;
}

KyCFieldBase::~KyCFieldBase() {
    if (m_pBuffer != nullptr)
        m_pBuffer->Release();
}

bool KyCFieldBase::IsLastRef() const {
    return m_pBuffer == nullptr || m_pBuffer->IsSoleOwner();
}

bool KyCFieldBase::Create(const KyCRect2& rect, int nPixelSize, int nPitch) {
    Empty();
    if (rect.IsEmpty() || nPixelSize <= 0 || nPitch < 0)
        return false;
    const std::int64_t nWidth = extentOf(rect.nLeft, rect.nRight);
    const std::int64_t nHeight = extentOf(rect.nTop, rect.nBottom);
    const std::int64_t nRowBytes = nWidth * nPixelSize;
    std::int64_t nPitch64 = nPitch;
    if (nPitch64 == 0)
        nPitch64 = defaultPitch(nWidth, nPixelSize);
    if (nPitch64 < nRowBytes)  // also the overflow case (-1)
        return false;
    // Callers address pixels with signed 32-bit products of row and pitch: keep them defined.
    if (nPitch64 * nHeight > INT_MAX)
        return false;
    KyCFieldBuffer* pBuffer = KyCFieldBuffer::Create(static_cast<std::size_t>(nPitch64 * nHeight));
    if (pBuffer == nullptr)
        return false;
    m_pBuffer = pBuffer;
    m_pData = pBuffer->GetData();
    m_nPixelSize = nPixelSize;
    m_nPitch = static_cast<int>(nPitch64);
    m_Rect = rect;
    return true;
}

unsigned char* KyCFieldBase::pixelAt(int nX, int nY) const {
    return m_pData + static_cast<std::ptrdiff_t>(nY - m_Rect.nTop) * m_nPitch +
           static_cast<std::ptrdiff_t>(nX - m_Rect.nLeft) * m_nPixelSize;
}

void KyCFieldBase::clearSpan(int nY, int nLeft, int nRight) {
    if (nLeft > nRight)
        return;
    std::memset(
        pixelAt(nLeft, nY), 0,
        static_cast<std::size_t>(nRight - nLeft + 1) * static_cast<std::size_t>(m_nPixelSize));
}

void KyCFieldBase::ClrData(const KyCRect2& rect) {
    ClrData(rect, KyCRect2());
}

void KyCFieldBase::ClrData(const KyCRect2& whole, const KyCRect2& keep) {
    if (IsEmpty() || m_nPixelSize <= 0)
        return;
    const KyCRect2 area = intersect(whole, m_Rect);
    if (area.IsEmpty())
        return;
    const KyCRect2 kept = intersect(keep, area);
    for (int nY = area.nTop; nY <= area.nBottom; ++nY) {
        if (kept.IsEmpty() || nY < kept.nTop || nY > kept.nBottom) {
            clearSpan(nY, area.nLeft, area.nRight);
        } else {
            clearSpan(nY, area.nLeft, kept.nLeft - 1);
            clearSpan(nY, kept.nRight + 1, area.nRight);
        }
    }
}

KyCFieldBase KyCFieldBase::Part(const KyCRect2& rect) const {
    KyCFieldBase part;
    if (IsEmpty())
        return part;
    const KyCRect2 area = intersect(rect, m_Rect);
    if (area.IsEmpty())
        return part;
    part = *this;
    part.m_pData = pixelAt(area.nLeft, area.nTop);
    part.m_Rect = area;
    return part;
}

bool KyCFieldBase::CopyData(const KyCFieldBase& source, const KyCRect2& sourceRect,
                            const KyCRect2& destRect, int /*nFlags*/) {
    if (IsEmpty() || source.IsEmpty() || sourceRect.IsEmpty() || destRect.IsEmpty())
        return false;
    if (m_nPixelSize != source.m_nPixelSize || m_nPixelSize <= 0)
        return false;
    // Walk both rectangles together from their top-left corners; clipping either one moves the
    // other by the same amount, so each source pixel still lands on its own destination pixel.
    std::int64_t nSrcX = sourceRect.nLeft, nSrcY = sourceRect.nTop;
    std::int64_t nDstX = destRect.nLeft, nDstY = destRect.nTop;
    std::int64_t nWidth = std::min(extentOf(sourceRect.nLeft, sourceRect.nRight),
                                   extentOf(destRect.nLeft, destRect.nRight));
    std::int64_t nHeight = std::min(extentOf(sourceRect.nTop, sourceRect.nBottom),
                                    extentOf(destRect.nTop, destRect.nBottom));
    auto clipStart = [](std::int64_t& nA, std::int64_t& nB, std::int64_t& nExtent,
                        std::int64_t nMin) {
        if (nA < nMin) {
            nB += nMin - nA;
            nExtent -= nMin - nA;
            nA = nMin;
        }
    };
    clipStart(nSrcX, nDstX, nWidth, source.m_Rect.nLeft);
    clipStart(nDstX, nSrcX, nWidth, m_Rect.nLeft);
    clipStart(nSrcY, nDstY, nHeight, source.m_Rect.nTop);
    clipStart(nDstY, nSrcY, nHeight, m_Rect.nTop);
    nWidth = std::min({nWidth, source.m_Rect.nRight - nSrcX + 1, m_Rect.nRight - nDstX + 1});
    nHeight = std::min({nHeight, source.m_Rect.nBottom - nSrcY + 1, m_Rect.nBottom - nDstY + 1});
    if (nWidth <= 0 || nHeight <= 0)
        return false;

    const unsigned char* pSrc = source.pixelAt(static_cast<int>(nSrcX), static_cast<int>(nSrcY));
    unsigned char* pDst = pixelAt(static_cast<int>(nDstX), static_cast<int>(nDstY));
    const std::size_t nRowBytes = static_cast<std::size_t>(nWidth) * m_nPixelSize;
    const int nRows = static_cast<int>(nHeight);
    // Overlapping areas of one buffer: copy rows in the order that reads each source row before
    // it is overwritten (memmove handles the overlap within a row).
    const bool bBackwards = (pDst > pSrc) == (m_nPitch > 0);
    for (int i = 0; i < nRows; ++i) {
        const int nRow = bBackwards ? nRows - 1 - i : i;
        std::memmove(pDst + static_cast<std::ptrdiff_t>(nRow) * m_nPitch,
                     pSrc + static_cast<std::ptrdiff_t>(nRow) * source.m_nPitch, nRowBytes);
    }
    return true;
}

void KyCFieldBase::Empty() {
    if (m_pBuffer != nullptr)
        m_pBuffer->Release();
    m_pBuffer = nullptr;
    m_pData = nullptr;
    m_nPixelSize = 0;
    m_nPitch = 0;
    m_Rect = KyCRect2();
}

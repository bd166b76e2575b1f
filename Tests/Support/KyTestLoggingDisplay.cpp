// The logging host display.
#include "KyTestLoggingDisplay.h"

#include <utility>

namespace {

std::string sizeText(KyCSize2 size) {
    return std::to_string(size.nWidth) + "x" + std::to_string(size.nHeight);
}

}  // namespace

KyTestLoggingDisplay::KyTestLoggingDisplay() = default;
KyTestLoggingDisplay::~KyTestLoggingDisplay() = default;

void KyTestLoggingDisplay::log(const std::string& strCall) {
    m_arrCalls.push_back(strCall);
}

IAcquireDisplay* KyTestLoggingDisplay::GetDisplay(int nIndex) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    log("GetDisplay(" + std::to_string(nIndex) + ")");
    return this;
}

unsigned char* KyTestLoggingDisplay::GetBitmapBuffer(KyCSize2 size, int* pnPitch,
                                                     unsigned nBitsPerPixel) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    log("GetBitmapBuffer(" + sizeText(size) + "," + std::to_string(nBitsPerPixel) + ")");
    if (m_bHandedOut || size.nWidth <= 0 || size.nHeight <= 0 ||
        (nBitsPerPixel != 32 && nBitsPerPixel != 8))
        return nullptr;
    m_Writing.size = size;
    m_Writing.nBytesPerPixel = static_cast<int>(nBitsPerPixel / 8);
    // Rows padded by 12 bytes, so that a copy that ignores the pitch shows.
    m_nWritingPitch = size.nWidth * m_Writing.nBytesPerPixel + 12;
    m_Writing.vecPixels.assign(static_cast<size_t>(m_nWritingPitch) * size.nHeight, 0xEE);
    m_bHandedOut = true;
    if (pnPitch != nullptr)
        *pnPitch = m_nWritingPitch;
    return m_Writing.vecPixels.data();
}

void KyTestLoggingDisplay::ReleaseBitmapBuffer(bool bValid) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    log(bValid ? "ReleaseBitmapBuffer(true)" : "ReleaseBitmapBuffer(false)");
    if (bValid && m_bHandedOut) {
        Picture picture;
        picture.size = m_Writing.size;
        picture.nBytesPerPixel = m_Writing.nBytesPerPixel;
        const size_t nRowBytes = static_cast<size_t>(picture.size.nWidth) * picture.nBytesPerPixel;
        for (int nRow = 0; nRow < picture.size.nHeight; ++nRow) {
            const unsigned char* pRow =
                m_Writing.vecPixels.data() + static_cast<size_t>(nRow) * m_nWritingPitch;
            picture.vecPixels.insert(picture.vecPixels.end(), pRow, pRow + nRowBytes);
        }
        m_Picture = std::move(picture);
        ++m_nPictures;
    }
    m_bHandedOut = false;
}

void KyTestLoggingDisplay::UpdateDisplay(int nFlags) {
    bool bPull;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        log("UpdateDisplay(" + std::to_string(nFlags) + ")");
        ++m_nUpdates;
        bPull = m_bPullOnUpdate;
    }
    if (bPull)
        Pull();
}

void KyTestLoggingDisplay::StartDisplay(bool bStart) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    log(bStart ? "StartDisplay(true)" : "StartDisplay(false)");
}

bool KyTestLoggingDisplay::StopDisplay() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    log("StopDisplay");
    return true;
}

void KyTestLoggingDisplay::SetPixelFormat(int nPixelFormat) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    log("SetPixelFormat(" + std::to_string(nPixelFormat) + ")");
}

int KyTestLoggingDisplay::GetPixelFormat() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    log("GetPixelFormat");
    return m_nPixelFormatAnswer;
}

void KyTestLoggingDisplay::SetBitmapSize(KyCSize2 size) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        log("SetBitmapSize(" + sizeText(size) + ")");
    }
    KyCAcquireDisplayBase::SetBitmapSize(size);
}

KyCSize2 KyTestLoggingDisplay::GetBitmapSize() {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        log("GetBitmapSize");
    }
    return KyCAcquireDisplayBase::GetBitmapSize();
}

void KyTestLoggingDisplay::SetPictureCallback(CbPictureCallback callback) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    log(callback.IsValid() ? "SetPictureCallback(set)" : "SetPictureCallback(empty)");
    std::swap(m_Callback, callback);
}

void KyTestLoggingDisplay::SetDisplayState(int nState) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    log("SetDisplayState(" + std::to_string(nState) + ")");
}

void KyTestLoggingDisplay::ResetDisplay() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    log("ResetDisplay");
}

bool KyTestLoggingDisplay::Pull() {
    CbPictureCallback callback;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        callback = m_Callback;
    }
    if (!callback.IsValid())
        return false;
    callback(this);
    return true;
}

void KyTestLoggingDisplay::SetPullOnUpdate(bool bPull) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bPullOnUpdate = bPull;
}

void KyTestLoggingDisplay::SetPixelFormatAnswer(int nPixelFormat) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_nPixelFormatAnswer = nPixelFormat;
}

std::vector<std::string> KyTestLoggingDisplay::TakeCalls() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> arrCalls;
    arrCalls.swap(m_arrCalls);
    return arrCalls;
}

bool KyTestLoggingDisplay::HasCallback() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Callback.IsValid();
}

unsigned KyTestLoggingDisplay::GetUpdateCount() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nUpdates;
}

unsigned KyTestLoggingDisplay::GetPictureCount() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nPictures;
}

KyTestLoggingDisplay::Picture KyTestLoggingDisplay::GetPicture() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Picture;
}

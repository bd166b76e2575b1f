// The passive display's answers.
#include "KyCAcquireDisplayBase.h"

KyCAcquireDisplayBase::KyCAcquireDisplayBase() = default;
KyCAcquireDisplayBase::~KyCAcquireDisplayBase() = default;

unsigned char* KyCAcquireDisplayBase::GetBitmapBuffer(KyCSize2, int*, unsigned) {
    return nullptr;
}
void KyCAcquireDisplayBase::ReleaseBitmapBuffer(bool) {}
bool KyCAcquireDisplayBase::IsBitmapBufferLocked() {
    return false;
}
void KyCAcquireDisplayBase::BeginWriting() {}
void KyCAcquireDisplayBase::EndWriting() {}
void KyCAcquireDisplayBase::AbortWriting() {}
int KyCAcquireDisplayBase::GetDroppedFrameCount() {
    return 0;
}

void KyCAcquireDisplayBase::UpdateDisplay(int) {}
bool KyCAcquireDisplayBase::IsDisplayEnabled() {
    return true;
}
void KyCAcquireDisplayBase::StartDisplay(bool) {}
bool KyCAcquireDisplayBase::StopDisplay() {
    return true;
}
void KyCAcquireDisplayBase::SetPixelFormat(int) {}
int KyCAcquireDisplayBase::GetPixelFormat() {
    return 15;
}
void KyCAcquireDisplayBase::SetBitmapSize(KyCSize2 size) {
    CbCriticalSectionLock lock(m_SizeLock);
    m_BitmapSize = size;
}
KyCSize2 KyCAcquireDisplayBase::GetBitmapSize() {
    CbCriticalSectionLock lock(m_SizeLock);
    return m_BitmapSize;
}
KyCSize2 KyCAcquireDisplayBase::GetPictureSize() {
    return KyCSize2(0, 0);
}
void KyCAcquireDisplayBase::SetPictureCallback(CbPictureCallback) {}
int KyCAcquireDisplayBase::GetDisplayCount() {
    return 1;
}
void KyCAcquireDisplayBase::SetDisplayState(int) {}
int KyCAcquireDisplayBase::GetDisplayState() {
    return 0;
}
void KyCAcquireDisplayBase::FreezeDisplay() {}
void KyCAcquireDisplayBase::ThawDisplay() {}
void KyCAcquireDisplayBase::RedrawDisplay() {}
void KyCAcquireDisplayBase::ResetDisplay() {}

const CbReferenceCounter<unsigned int>& KyCAcquireDisplayBase::getReferenceCounter() const {
    return m_Counter;
}

// A display that does nothing by itself: hosts and tests derive from it and override what they
// need.
#pragma once

#include "CbCriticalSection.h"
#include "CbReferenceCounter.h"
#include "IAcquireDisplay.h"
#include "KyHostApi.h"

// Every operation is virtual and gives the answer a passive display sink gives: no buffer, no
// refresh, pixel format 15 whatever SetPixelFormat was told, one display in state 0. Only the
// bitmap size is kept (SetBitmapSize / GetBitmapSize). The reference counter starts at 0 and
// belongs to the object: a display owned by value must not be handed to a CbSmartPointer.
// Thread safety: every operation may be called from any thread.
class KYHOST_API KyCAcquireDisplayBase : public IAcquireDisplay {
public:
    KyCAcquireDisplayBase();
    ~KyCAcquireDisplayBase() override;
    KyCAcquireDisplayBase(const KyCAcquireDisplayBase&) = delete;
    KyCAcquireDisplayBase& operator=(const KyCAcquireDisplayBase&) = delete;

    unsigned char* GetBitmapBuffer(KyCSize2 size, int* pnPitch, unsigned nBitsPerPixel) override;
    void ReleaseBitmapBuffer(bool bValid) override;
    bool IsBitmapBufferLocked() override;
    void BeginWriting() override;
    void EndWriting() override;
    void AbortWriting() override;
    int GetDroppedFrameCount() override;

    void UpdateDisplay(int nFlags) override;
    bool IsDisplayEnabled() override;
    void StartDisplay(bool bStart) override;
    bool StopDisplay() override;
    void SetPixelFormat(int nPixelFormat) override;
    int GetPixelFormat() override;
    void SetBitmapSize(KyCSize2 size) override;
    KyCSize2 GetBitmapSize() override;
    KyCSize2 GetPictureSize() override;
    void SetPictureCallback(CbPictureCallback callback) override;
    int GetDisplayCount() override;
    void SetDisplayState(int nState) override;
    int GetDisplayState() override;
    void FreezeDisplay() override;
    void ThawDisplay() override;
    void RedrawDisplay() override;
    void ResetDisplay() override;

protected:
    const CbReferenceCounter<unsigned int>& getReferenceCounter() const override;

private:
    CbReferenceCounter<unsigned int> m_Counter;
    CbCriticalSection m_SizeLock;  // guards m_BitmapSize only; nothing is called while held
    KyCSize2 m_BitmapSize KY_GUARDED_BY(m_SizeLock);
};

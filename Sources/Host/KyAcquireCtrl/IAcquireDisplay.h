// A live display: a bitmap sink that shows what it is given and pulls pictures by callback.
#pragma once

#include "CbFunctor.h"
#include "KyHostApi.h"
#include "KyIBitmapWriter.h"

class IAcquireDisplay;

// Called by a display, on any thread, with a target display into which the callee writes the
// picture to show (target->GetBitmapBuffer, then target->ReleaseBitmapBuffer).
typedef CbFunctor<void(IAcquireDisplay*)> CbPictureCallback;

// The virtual table order is fixed; operations behind KyIBitmapWriter's follow.
class KYHOST_API IAcquireDisplay : public KyIBitmapWriter {
public:
    ~IAcquireDisplay() override = default;

    // A new picture is ready: the display refreshes and pulls it through the callback.
    virtual void UpdateDisplay(int nFlags) = 0;
    virtual bool IsDisplayEnabled() = 0;
    virtual void StartDisplay(bool bStart) = 0;
    virtual bool StopDisplay() = 0;
    virtual void SetPixelFormat(int nPixelFormat) = 0;
    virtual int GetPixelFormat() = 0;
    virtual void SetBitmapSize(KyCSize2 size) = 0;
    virtual KyCSize2 GetBitmapSize() = 0;
    virtual KyCSize2 GetPictureSize() = 0;
    virtual void SetPictureCallback(CbPictureCallback callback) = 0;
    virtual int GetDisplayCount() = 0;
    virtual void SetDisplayState(int nState) = 0;
    virtual int GetDisplayState() = 0;
    virtual void FreezeDisplay() = 0;
    virtual void ThawDisplay() = 0;
    virtual void RedrawDisplay() = 0;
    virtual void ResetDisplay() = 0;
};

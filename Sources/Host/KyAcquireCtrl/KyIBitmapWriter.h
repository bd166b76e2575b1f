// A sink that a producer writes bitmaps into.
#pragma once

#include "IReferenceCounted.h"
#include "KyCGeometry.h"
#include "KyHostApi.h"

// Producer's order: GetBitmapBuffer; when it gave an address, write the picture row by row
// (top row first) with the returned pitch; then ReleaseBitmapBuffer(true), or (false) when no
// address came back or the picture is not usable. The virtual table order is fixed.
class KYHOST_API KyIBitmapWriter : public IReferenceCounted {
public:
    ~KyIBitmapWriter() override = default;

    // Address of the first pixel to write, or null; the line pitch is stored through pnPitch.
    virtual unsigned char* GetBitmapBuffer(KyCSize2 size, int* pnPitch, unsigned nBitsPerPixel) = 0;
    virtual void ReleaseBitmapBuffer(bool bValid) = 0;
    // True while a buffer is handed out and not yet released.
    virtual bool IsBitmapBufferLocked() = 0;
    // Producer stream notifications; sinks may ignore them.
    virtual void BeginWriting() = 0;
    virtual void EndWriting() = 0;
    virtual void AbortWriting() = 0;
    // Number of frames the sink dropped; 0 when it does not count.
    virtual int GetDroppedFrameCount() = 0;
};

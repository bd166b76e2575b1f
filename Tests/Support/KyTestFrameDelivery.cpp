// Frames written into a display the way a camera writes them.
#include "KyTestFrameDelivery.h"

#include "KyCFieldBase.h"
#include "KyTestPicture.h"

bool KyTestDeliverMarked(IAcquireDisplay& display, KyCSize2 size, int nBytesPerPixel) {
    int nPitch = 0;
    unsigned char* pData =
        display.GetBitmapBuffer(size, &nPitch, static_cast<unsigned>(nBytesPerPixel * 8));
    if (pData == nullptr) {
        display.ReleaseBitmapBuffer(false);
        return false;
    }
    // The display's memory, addressed with its pitch; the field owns nothing.
    KyCFieldBase field(pData, KyCRect2(size), nBytesPerPixel, nPitch);
    KyTestPaintMarkedPicture(field, false);
    display.ReleaseBitmapBuffer(true);
    return true;
}

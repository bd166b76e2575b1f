// Frames written into a display the way a camera writes them.
#include "KyTestFrameDelivery.h"

#include "KyCFieldBase.h"
#include "KyTestPicture.h"

namespace {

template <class Paint>
bool deliver(IAcquireDisplay& display, KyCSize2 size, int nBytesPerPixel, Paint paint) {
    int nPitch = 0;
    unsigned char* pData =
        display.GetBitmapBuffer(size, &nPitch, static_cast<unsigned>(nBytesPerPixel * 8));
    if (pData == nullptr) {
        display.ReleaseBitmapBuffer(false);
        return false;
    }
    // The display's memory, addressed with its pitch; the field owns nothing.
    KyCFieldBase field(pData, KyCRect2(size), nBytesPerPixel, nPitch);
    paint(field);
    display.ReleaseBitmapBuffer(true);
    return true;
}

}  // namespace

bool KyTestDeliverMarked(IAcquireDisplay& display, KyCSize2 size, int nBytesPerPixel) {
    return deliver(display, size, nBytesPerPixel,
                   [](KyCFieldBase& field) { KyTestPaintMarkedPicture(field, false); });
}

bool KyTestDeliverFilled(IAcquireDisplay& display, KyCSize2 size, int nBytesPerPixel,
                         unsigned char nValue) {
    return deliver(display, size, nBytesPerPixel,
                   [nValue](KyCFieldBase& field) { KyTestFillField(field, nValue); });
}

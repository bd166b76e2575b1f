// The host acquisition: a camera that delivers frames into a display source.
#pragma once

#include "KyHostApi.h"

class IAcquireDisplaySource;

// The virtual table order is fixed. Frames go to GetDisplay(0) of the display source set last.
// After SetDisplaySource or StopAcquisition returns, the previous source receives no further
// calls.
class KYHOST_API KyIAcquisition {
public:
    virtual ~KyIAcquisition();
    virtual void GetImageSize(int* pnHeight, int* pnWidth) = 0;
    virtual void SetDisplaySource(IAcquireDisplaySource* pSource) = 0;
    virtual int StartAcquisition(int nMode) = 0;  // 0 = started
    virtual bool StopAcquisition(int nMode, int nFlags) = 0;
    virtual bool IsAcquisitionRunning() const = 0;
    virtual bool IsAcquisitionReady() = 0;
};

// The library's entry points: the shared camera video component of an acquisition device.
#pragma once

#include "CbSmartPointer.h"
#include "ERUXAcquireDevice.h"
#include "KyCameraVideoApi.h"
#include "KyICameraVideo.h"

// One shared component per implementation, created on first demand and held by the factory
// until ReleaseCameraVideo: the device controller for eAcquireDeviceVDX (3), the null component
// for -2, -1, 0, 1, 4, 5, 6 and 8. Any other device value (2, 7, below -2, above 8) throws
// RUXComponentFactory::KyCExceptionRUXComponentFactory (number 101) and creates nothing.
// Creation runs the constructor, then SetLiveBitmapHandler with the host's live display source
// (GetAcquisitionCommon().m_pDisplaySource), then Init. Any thread may call.
namespace RUXComponentFactory {

// A further reference to the shared component of the device.
KYCAMERAVIDEO_API CbSmartPointer<KyICameraVideo> GetCameraVideoPointer(ERUXAcquireDevice eDevice);
// The same for the host's active device type.
KYCAMERAVIDEO_API CbSmartPointer<KyICameraVideo> GetCameraVideoPointer();

// The shared component itself; valid until ReleaseCameraVideo while nobody else holds it.
KYCAMERAVIDEO_API KyICameraVideo& GetCameraVideo(ERUXAcquireDevice eDevice);
KYCAMERAVIDEO_API KyICameraVideo& GetCameraVideo();

// Drops the factory's references (null component first, then the device controller); an object
// that nobody else holds is destroyed. The next request creates a fresh one.
KYCAMERAVIDEO_API void ReleaseCameraVideo();

}  // namespace RUXComponentFactory

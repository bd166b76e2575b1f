// Host state shared by acquisition clients, and the acquisition's access points.
#pragma once

#include "KyHostApi.h"

class IAcquireDisplaySource;
class KyIAcquisition;
class KyCLiveDisplay;
class KyCLiveDisplaySource;
class KyCSyntheticCamera;

class KYHOST_API KyCAcquisitionCommon {
public:
    // The host's live display source (may be null). Defaults to the built-in live display's.
    // Set it before components use it; it is a plain field, not guarded.
    IAcquireDisplaySource* m_pDisplaySource = nullptr;
};

namespace RUXComponentFactory {
// The installed acquisition, else the built-in synthetic camera.
KYHOST_API KyIAcquisition& GetAcquisition();
// Installs an acquisition (not owned); nullptr goes back to the built-in one.
KYHOST_API void SetAcquisition(KyIAcquisition* pAcquisition);
KYHOST_API KyCAcquisitionCommon& GetAcquisitionCommon();

// The built-in objects, process-wide. They are created on first use, start their threads only
// when used, and are never destroyed, so that nothing waits for a thread while the process exits
// (a host should stop acquisition before it ends all the same).
KYHOST_API KyCSyntheticCamera& GetBuiltInCamera();
KYHOST_API KyCLiveDisplaySource& GetBuiltInLiveDisplaySource();
KYHOST_API KyCLiveDisplay& GetBuiltInLiveDisplay();
}  // namespace RUXComponentFactory

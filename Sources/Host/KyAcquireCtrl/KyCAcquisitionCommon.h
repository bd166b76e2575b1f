// Host state shared by acquisition clients, and the acquisition's access points.
#pragma once

#include "KyHostApi.h"

class IAcquireDisplaySource;
class KyIAcquisition;

class KYHOST_API KyCAcquisitionCommon {
public:
    // The host's live display source (may be null). Defaults to the built-in live display's.
    IAcquireDisplaySource* m_pDisplaySource = nullptr;
};

namespace RUXComponentFactory {
// The installed acquisition, else the built-in synthetic camera.
KYHOST_API KyIAcquisition& GetAcquisition();
// Installs an acquisition (not owned); nullptr goes back to the built-in one.
KYHOST_API void SetAcquisition(KyIAcquisition* pAcquisition);
KYHOST_API KyCAcquisitionCommon& GetAcquisitionCommon();
}  // namespace RUXComponentFactory

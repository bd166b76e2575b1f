// The exported factory functions and the module's two component holders.
#include "KyCameraVideoFactory.h"

#include "CActiveAcquireDeviceType.h"
#include "CbCriticalSection.h"
#include "KyCAcquisitionCommon.h"
#include "KyCCameraVideo.h"
#include "KyCCameraVideoVDX.h"
#include "KyCExceptionRUX.h"

#define KY_WIDEN2(x) L##x
#define KY_WIDEN(x) KY_WIDEN2(x)

namespace {

// The factory's module-wide state, built at load and released at unload.
class KyCFactoryState {
public:
    KyCFactoryState() = default;
    KyCFactoryState(const KyCFactoryState&) = delete;
    KyCFactoryState& operator=(const KyCFactoryState&) = delete;
    // Unload releases both holders, like ReleaseCameraVideo.
    ~KyCFactoryState() { Release(); }

    void Release() {
        CbCriticalSectionLock lock(m_Lock);
        m_pNull.Release();
        m_pDevice.Release();
    }

    CbSmartPointer<KyICameraVideo> Get(bool bDevice) {
        CbCriticalSectionLock lock(m_Lock);
        CbSmartPointer<KyICameraVideo>& pHolder = bDevice ? m_pDevice : m_pNull;
        if (pHolder.IsNull()) {
            if (bDevice)
                pHolder = CbSmartPointer<KyICameraVideo>(new KyCCameraVideoVDX());
            else
                pHolder = CbSmartPointer<KyICameraVideo>(new KyCCameraVideo());
            pHolder->SetLiveBitmapHandler(
                RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource);
            pHolder->Init();
        }
        return pHolder;
    }

private:
    // Guards both holders. First in the lock order: component construction, its
    // SetLiveBitmapHandler and Init (which take the controller's m_Lock) run under it.
    CbCriticalSection m_Lock;
    // Each holds one reference to its shared object, or nothing.
    CbSmartPointer<KyICameraVideo> m_pNull KY_GUARDED_BY(m_Lock);
    CbSmartPointer<KyICameraVideo> m_pDevice KY_GUARDED_BY(m_Lock);
};

KyCFactoryState g_FactoryState;

// Which implementation serves the device; throws for a refused value, before any lock.
bool isDeviceComponent(ERUXAcquireDevice eDevice) {
    switch (static_cast<int>(eDevice)) {
        case -2:
        case -1:
        case 0:
        case 1:
        case 4:
        case 5:
        case 6:
        case 8:
            return false;
        case 3:
            return true;
        default:
            throw RUXComponentFactory::KyCExceptionRUXComponentFactory(KY_WIDEN(__FILE__), 101);
    }
}

ERUXAcquireDevice activeDevice() {
    return CbSingleton<RUX2ComponentFactory::CActiveAcquireDeviceType>::GetInstance()
        .GetActiveAcquireDeviceType();
}

}  // namespace

namespace RUXComponentFactory {

CbSmartPointer<KyICameraVideo> GetCameraVideoPointer(ERUXAcquireDevice eDevice) {
    const bool bDevice = isDeviceComponent(eDevice);
    return g_FactoryState.Get(bDevice);
}

CbSmartPointer<KyICameraVideo> GetCameraVideoPointer() {
    return GetCameraVideoPointer(activeDevice());
}

KyICameraVideo& GetCameraVideo(ERUXAcquireDevice eDevice) {
    // The holder keeps the object alive once the temporary reference has gone.
    KyICameraVideo* pObject = GetCameraVideoPointer(eDevice).Get();
    return *pObject;
}

KyICameraVideo& GetCameraVideo() {
    return GetCameraVideo(activeDevice());
}

void ReleaseCameraVideo() {
    g_FactoryState.Release();
}

}  // namespace RUXComponentFactory

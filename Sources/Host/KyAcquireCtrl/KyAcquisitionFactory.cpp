// The acquisition access points: the installed acquisition or the built-in camera and display.
#include <atomic>
#include <new>
#include <utility>

#include "KyCAcquisitionCommon.h"
#include "KyCLiveDisplaySource.h"
#include "KyCSyntheticCamera.h"

namespace {

// A process-wide object that is never destroyed: at exit its threads may still be parked (or, on
// Windows, already gone), and a destructor that stopped them could wait forever.
template <class T>
class NeverDestroyed {
public:
    template <class... Args>
    explicit NeverDestroyed(Args&&... args) {
        new (m_Storage) T(std::forward<Args>(args)...);
    }
    T& Get() { return *std::launder(reinterpret_cast<T*>(m_Storage)); }

private:
    alignas(T) unsigned char m_Storage[sizeof(T)];
};

struct BuiltIns {
    KyCSyntheticCamera camera;
    KyCLiveDisplaySource liveSource;
};

BuiltIns& builtIns() {
    static NeverDestroyed<BuiltIns> s_BuiltIns;  // thread-safe initialisation
    return s_BuiltIns.Get();
}

std::atomic<KyIAcquisition*> g_pInstalled{nullptr};

}  // namespace

namespace RUXComponentFactory {

KyIAcquisition& GetAcquisition() {
    KyIAcquisition* pInstalled = g_pInstalled.load(std::memory_order_acquire);
    return pInstalled ? *pInstalled : builtIns().camera;
}

void SetAcquisition(KyIAcquisition* pAcquisition) {
    g_pInstalled.store(pAcquisition, std::memory_order_release);
}

KyCAcquisitionCommon& GetAcquisitionCommon() {
    static KyCAcquisitionCommon s_Common = [] {
        KyCAcquisitionCommon common;
        common.m_pDisplaySource = &builtIns().liveSource;
        return common;
    }();
    return s_Common;
}

KyCSyntheticCamera& GetBuiltInCamera() {
    return builtIns().camera;
}

KyCLiveDisplaySource& GetBuiltInLiveDisplaySource() {
    return builtIns().liveSource;
}

KyCLiveDisplay& GetBuiltInLiveDisplay() {
    return builtIns().liveSource.GetLiveDisplay();
}

}  // namespace RUXComponentFactory

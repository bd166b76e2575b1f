#include "CActiveAcquireDeviceType.h"

namespace RUX2ComponentFactory {

CActiveAcquireDeviceType::CActiveAcquireDeviceType() : m_eDevice(eAcquireDeviceVDX) {}

void CActiveAcquireDeviceType::SetActiveAcquireDeviceType(ERUXAcquireDevice eDevice) {
    m_eDevice.store(eDevice);
}

ERUXAcquireDevice CActiveAcquireDeviceType::GetActiveAcquireDeviceType() const {
    return static_cast<ERUXAcquireDevice>(m_eDevice.load());
}

}  // namespace RUX2ComponentFactory

RUX2ComponentFactory::CActiveAcquireDeviceType&
CbSingleton<RUX2ComponentFactory::CActiveAcquireDeviceType>::GetInstance() {
    static RUX2ComponentFactory::CActiveAcquireDeviceType s_Instance;
    return s_Instance;
}

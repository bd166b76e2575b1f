// The device type the host has made active; the component factory reads it.
#pragma once

#include <atomic>

#include "CbSingleton.h"
#include "ERUXAcquireDevice.h"
#include "KyHostApi.h"

namespace RUX2ComponentFactory {

// Reached as CbSingleton<CActiveAcquireDeviceType>::GetInstance(). Any thread may read or set it.
class KYHOST_API CActiveAcquireDeviceType {
public:
    CActiveAcquireDeviceType();
    void SetActiveAcquireDeviceType(ERUXAcquireDevice eDevice);
    ERUXAcquireDevice GetActiveAcquireDeviceType() const;

private:
    std::atomic<int> m_eDevice;
};

}  // namespace RUX2ComponentFactory

// One instance for the whole process, defined in the host library, so that every module that
// asks sees the same device type.
template <>
class KYHOST_API CbSingleton<RUX2ComponentFactory::CActiveAcquireDeviceType> {
public:
    static RUX2ComponentFactory::CActiveAcquireDeviceType& GetInstance();
};

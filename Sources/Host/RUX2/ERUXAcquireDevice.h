// The host's acquisition device types.
#pragma once

enum ERUXAcquireDevice : int {
    eAcquireDeviceUnknown = -2,
    eAcquireDeviceNone = -1,
    eAcquireDeviceSimulation = 0,
    eAcquireDeviceFile = 1,
    eAcquireDeviceReserved2 = 2,
    eAcquireDeviceVDX = 3,
    eAcquireDeviceScanner = 4,
    eAcquireDeviceNetwork = 5,
    eAcquireDeviceSerial = 6,
    eAcquireDeviceReserved7 = 7,
    eAcquireDeviceExternal = 8,
};

// The device controller's record and capture control. The record worker is not part of this
// build yet, so the worker counts as never started: camera mode fails honestly, and the
// operations keep only the answers they give for a stopped worker.
#include "KyCCameraVideoVDX.h"

bool KyCCameraVideoVDX::initRecord() {
    // The record worker is not part of this build yet: it cannot be started.
    return false;
}

bool KyCCameraVideoVDX::exitRecord() {
    // The record worker is not part of this build yet: there is nothing to stop.
    return true;
}

bool KyCCameraVideoVDX::isRecordInitialized() const {
    // The record worker is not part of this build yet: it never runs.
    return false;
}

bool KyCCameraVideoVDX::startRecord() {
    if (m_eVideoMode.load() != eVideoModeCamera) {
        stop();
        return false;
    }
    // The record worker is not part of this build yet: no recording can start.
    return false;
}

bool KyCCameraVideoVDX::stopRecord() {
    if (m_eVideoMode.load() != eVideoModeCamera) {
        stop();
        return false;
    }
    // The record worker is not part of this build yet: a stopped worker has nothing to file.
    return true;
}

bool KyCCameraVideoVDX::capturePicture() {
    if (m_eVideoMode.load() != eVideoModeCamera) {
        stop();
        return false;
    }
    // The record worker is not part of this build yet: no picture can be taken.
    return false;
}

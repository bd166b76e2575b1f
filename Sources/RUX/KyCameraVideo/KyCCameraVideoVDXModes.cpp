// The device controller's video modes: switching, starting and stopping, frame routing and the
// state-changed message.
#include <algorithm>
#include <utility>

#include "CMessageWFARUXStateChanged.h"
#include "KyCAcquisitionCommon.h"
#include "KyCCameraVideoVDX.h"
#include "KyCMessageDispatcher.h"
#include "KyIAcquisition.h"

#define KY_WIDEN2(x) L##x
#define KY_WIDEN(x) KY_WIDEN2(x)

void KyCCameraVideoVDX::SetLiveBitmapHandler(IAcquireDisplaySource* pSource) {
    if (pSource == nullptr)
        SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
    CbCriticalSectionLock lock(m_Lock);
    m_pLiveBitmapHandler = pSource;
}

bool KyCCameraVideoVDX::SetVideoMode(ERUXVideoMode eMode, ERUXVideoMediaType eMediaType) {
    {
        CbCriticalSectionLock lock(m_Lock);
        if (eMode == m_eVideoMode.load() &&
            ((eMode == eVideoModePlay && eMediaType == m_ePlayMediaType) ||
             (eMode == eVideoModeCamera && eMediaType == m_eCameraMediaType.load()))) {
            return true;
        }
    }

    // The host calls and the worker's start and stop run without m_Lock.
    if (IsRunning())
        StopVideo();

    KyIAcquisition& acquisition = RUXComponentFactory::GetAcquisition();
    switch (eMode) {
        case eVideoModeNone:
            acquisition.StopAcquisition(1, 0);
            setLiveBitmapHandler();
            exitRecord();
            break;
        case eVideoModePlay:
            acquisition.StopAcquisition(1, 0);
            exitRecord();
            setLiveBitmapHandler();
            break;
        case eVideoModeCamera:
            if (!isRecordInitialized()) {
                exitRecord();
                acquisition.StopAcquisition(1, 0);
                setLiveBitmapHandler();
                if (!initRecord()) {
                    // Acquisition stays stopped, frames stay routed to the live source.
                    CbCriticalSectionLock lock(m_Lock);
                    m_eVideoMode = eVideoModeNone;
                    return false;
                }
                setRecordBitmapHandler();
            }
            acquisition.StartAcquisition(1);
            break;
        default:
            return false;
    }

    CbCriticalSectionLock lock(m_Lock);
    m_eVideoMode = eMode;
    if (eMode == eVideoModePlay) {
        // The current entry of play mode: the view of the type asked for; for any type the
        // overall current entry, else the newer of the video and picture views, else the newest.
        int nIndex;
        if (eMediaType != eVideoMediaTypeNone) {
            nIndex = getCurrentIndex(eMediaType);
        } else {
            nIndex = getCurrentIndex(eVideoMediaTypeNone);
            if (nIndex < 0) {
                nIndex = std::max(getCurrentIndex(eVideoMediaTypeVideo),
                                  getCurrentIndex(eVideoMediaTypePicture));
            }
            if (nIndex < 0)
                nIndex = getLastIndex(eVideoMediaTypeNone);
        }
        m_ePlayMediaType = getMediaType(nIndex);
        setCurrentIndex(eVideoMediaTypeNone, nIndex);
        if (m_ePlayMediaType != eVideoMediaTypeNone)
            setCurrentIndex(m_ePlayMediaType, nIndex);
    } else if (eMode == eVideoModeCamera) {
        m_eCameraMediaType = eMediaType == eVideoMediaTypeNone ? eVideoMediaTypeVideo : eMediaType;
    }
    return true;
}

ERUXVideoMode KyCCameraVideoVDX::GetVideoMode() const {
    return m_eVideoMode.load();
}

ERUXVideoMediaType KyCCameraVideoVDX::GetMediaType(ERUXVideoMode eMode) const {
    return getMediaType(eMode);
}

bool KyCCameraVideoVDX::StartVideo() {
    if (IsRunning())
        StopVideo();
    // Read without m_Lock: the start actions below take it themselves where they need it.
    const ERUXVideoMode eMode = m_eVideoMode.load();
    const ERUXVideoMediaType eCameraMediaType = m_eCameraMediaType.load();
    if (eMode == eVideoModePlay) {
        updateGUI();
        return startPlay();
    }
    if (eMode == eVideoModeCamera && eCameraMediaType == eVideoMediaTypeVideo) {
        updateGUI();
        return startRecord();
    }
    if (eMode == eVideoModeCamera && eCameraMediaType == eVideoMediaTypePicture) {
        updateGUI();
        return capturePicture();
    }
    return false;
}

bool KyCCameraVideoVDX::StopVideo() {
    if (!IsRunning())
        return true;
    CbCriticalSectionLock lock(m_Lock);
    const ERUXVideoMode eMode = m_eVideoMode.load();
    if (eMode == eVideoModePlay || eMode == eVideoModeCamera) {
        updateGUI();
        return stop();
    }
    return false;
}

bool KyCCameraVideoVDX::stop() {
    if (m_eVideoMode.load() == eVideoModeCamera)
        stopRecord();
    m_bStarted = false;
    return true;
}

bool KyCCameraVideoVDX::startPlay() {
    if (m_eVideoMode.load() != eVideoModePlay) {
        stop();
        return false;
    }
    CbCriticalSectionLock lock(m_Lock);
    const bool bHasVideo =
        std::any_of(m_arrMediaFiles.begin(), m_arrMediaFiles.end(),
                    [](const SMediaFile& file) { return file.eMediaType == eVideoMediaTypeVideo; });
    if (!bHasVideo)
        return false;
    m_bStarted = true;
    return true;
}

bool KyCCameraVideoVDX::stopPlay() {
    m_bStarted = false;
    return true;
}

bool KyCCameraVideoVDX::showPicture() {
    if (m_eVideoMode.load() != eVideoModePlay) {
        stop();
        return false;
    }
    CbCriticalSectionLock lock(m_Lock);
    return std::any_of(m_arrMediaFiles.begin(), m_arrMediaFiles.end(), [](const SMediaFile& file) {
        return file.eMediaType == eVideoMediaTypePicture;
    });
}

bool KyCCameraVideoVDX::startCamera() {
    return RUXComponentFactory::GetAcquisition().StartAcquisition(1) == 0;
}

bool KyCCameraVideoVDX::stopCamera() {
    return RUXComponentFactory::GetAcquisition().StopAcquisition(1, 0);
}

bool KyCCameraVideoVDX::setLiveBitmapHandler() {
    stop();
    IAcquireDisplaySource* pSource;
    {
        CbCriticalSectionLock lock(m_Lock);
        pSource = m_pLiveBitmapHandler;
    }
    if (pSource == nullptr)
        return false;
    RUXComponentFactory::GetAcquisition().SetDisplaySource(pSource);
    return true;
}

bool KyCCameraVideoVDX::setRecordBitmapHandler() {
    if (!isRecordInitialized() && !initRecord())
        return false;
    RUXComponentFactory::GetAcquisition().SetDisplaySource(&m_Record);
    return true;
}

bool KyCCameraVideoVDX::updateGUI() {
    CbSmartPointer<const CyMessage> pMessage(new CMessageWFARUXStateChanged(L"Video"));
    KyCMessageDispatcher::PostMessageW(KY_WIDEN(__FILE__), __LINE__,
                                       L"KyCCameraVideoVDX::updateGUI", std::move(pMessage));
    return true;
}

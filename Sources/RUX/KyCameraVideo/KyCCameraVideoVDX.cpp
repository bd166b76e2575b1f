// The device controller's lifecycle: construction, Init, Exit, destruction and extensions.
#include "KyCCameraVideoVDX.h"

#include <cstring>

#include "CbException.h"

KyCCameraVideoVDX::KyCCameraVideoVDX()
    : m_pLiveBitmapHandler(nullptr),
      m_eVideoMode(eVideoModeNone),
      m_ePlayMediaType(eVideoMediaTypeNone),
      m_eCameraMediaType(eVideoMediaTypeVideo),
      m_nCurrentIndex(-1),
      m_nCurrentVideoIndex(-1),
      m_nCurrentPictureIndex(-1),
      m_bStarted(false),
      m_Record(eThreadPriorityNormal),
      m_RecordTime(0),
      m_eRecordMediaType(eVideoMediaTypeNone) {
    KyCCameraVideoVDX::Init();
}

KyCCameraVideoVDX::~KyCCameraVideoVDX() {
    if (m_eVideoMode.load() != eVideoModeNone)
        SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
}

void KyCCameraVideoVDX::Init() {
    Exit();
    CbCriticalSectionLock lock(m_Lock);
    m_strFilePath.clear();
    m_arrMediaFiles.RemoveAll();
    m_nCurrentIndex = -1;
    m_nCurrentVideoIndex = -1;
    m_nCurrentPictureIndex = -1;
    m_RecordTime = 0;
    m_strRecordFileName.clear();
    m_eRecordMediaType = eVideoMediaTypeNone;
}

void KyCCameraVideoVDX::Exit() {
    if (m_eVideoMode.load() != eVideoModeNone)
        SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
}

const IExtensionInterface* KyCCameraVideoVDX::GetExtension(const char* pszName, bool bThrow) const {
    return const_cast<KyCCameraVideoVDX*>(this)->GetExtension(pszName, bThrow);
}

IExtensionInterface* KyCCameraVideoVDX::GetExtension(const char* pszName, bool bThrow) {
    if (pszName != nullptr && (std::strcmp(pszName, KyICameraVideo::kExtensionName) == 0 ||
                               std::strcmp(pszName, KyICameraVideoVDX::kExtensionName) == 0)) {
        return this;
    }
    if (bThrow)
        throw CbExceptionUnknownExtension(__FILE__, __LINE__, "KyCCameraVideoVDX::GetExtension");
    return nullptr;
}

bool KyCCameraVideoVDX::IsRunning() const {
    CbCriticalSectionLock lock(m_Lock);
    switch (m_eVideoMode.load()) {
        case eVideoModePlay:
            return m_bStarted.load();
        case eVideoModeCamera:
            return m_Record.IsRecording();
        default:
            return false;
    }
}

const CbReferenceCounter<unsigned int>& KyCCameraVideoVDX::getReferenceCounter() const {
    return m_ReferenceCounter;
}

const std::wstring& KyCCameraVideoVDX::filePathUnlocked() const {
    return m_strFilePath;
}

// The device controller's media catalogue: the list of media files and its three current views.
#include "KyCCameraVideoVDX.h"

namespace {

// The list's count as a signed position bound.
template <class TArray>
int countOf(const TArray& arr) {
    return static_cast<int>(arr.GetCount());
}

}  // namespace

int KyCCameraVideoVDX::getCurrentIndex(ERUXVideoMediaType eMediaType) const {
    CbCriticalSectionLock lock(m_Lock);
    if (m_arrMediaFiles.IsEmpty())
        return -1;
    switch (eMediaType) {
        case eVideoMediaTypeNone:
            return m_nCurrentIndex;
        case eVideoMediaTypeVideo:
            return m_nCurrentVideoIndex;
        case eVideoMediaTypePicture:
            return m_nCurrentPictureIndex;
        default:
            return -1;
    }
}

bool KyCCameraVideoVDX::setCurrentIndex(ERUXVideoMediaType eMediaType, int nIndex) {
    CbCriticalSectionLock lock(m_Lock);
    if (nIndex < 0) {
        switch (eMediaType) {
            case eVideoMediaTypeNone:
                m_nCurrentIndex = -1;
                break;
            case eVideoMediaTypeVideo:
                m_nCurrentVideoIndex = -1;
                break;
            case eVideoMediaTypePicture:
                m_nCurrentPictureIndex = -1;
                break;
            default:
                break;
        }
        return true;
    }
    if (nIndex >= countOf(m_arrMediaFiles))
        return false;

    if (eMediaType == eVideoMediaTypeNone) {
        m_nCurrentIndex = nIndex;
        return true;
    }
    // A type's view only ever stands on an entry of that type: else on its newest one.
    if (m_arrMediaFiles[nIndex].eMediaType != eMediaType)
        nIndex = getLastIndex(eMediaType);
    if (eMediaType == eVideoMediaTypeVideo)
        m_nCurrentVideoIndex = nIndex;
    else if (eMediaType == eVideoMediaTypePicture)
        m_nCurrentPictureIndex = nIndex;
    return true;
}

int KyCCameraVideoVDX::getFirstIndex(ERUXVideoMediaType eMediaType) const {
    return getNextIndex(eMediaType, -1);
}

int KyCCameraVideoVDX::getLastIndex(ERUXVideoMediaType eMediaType) const {
    CbCriticalSectionLock lock(m_Lock);
    return getPreviousIndex(eMediaType, countOf(m_arrMediaFiles));
}

int KyCCameraVideoVDX::getNextIndex(ERUXVideoMediaType eMediaType, int nIndex) const {
    CbCriticalSectionLock lock(m_Lock);
    const int nCount = countOf(m_arrMediaFiles);
    // Widened, so that the largest int does not wrap.
    if (nCount == 0 || static_cast<long long>(nIndex) + 1 >= nCount)
        return -1;
    const int nStart = (nIndex < -1 ? -1 : nIndex) + 1;
    if (eMediaType == eVideoMediaTypeNone)
        return nStart;
    for (int i = nStart; i < nCount; ++i) {
        if (m_arrMediaFiles[i].eMediaType == eMediaType)
            return i;
    }
    return -1;
}

int KyCCameraVideoVDX::getPreviousIndex(ERUXVideoMediaType eMediaType, int nIndex) const {
    CbCriticalSectionLock lock(m_Lock);
    const int nCount = countOf(m_arrMediaFiles);
    if (nCount == 0 || nIndex < 1)
        return -1;
    const int nStart = (nIndex < nCount ? nIndex : nCount) - 1;
    if (eMediaType == eVideoMediaTypeNone)
        return nStart;
    for (int i = nStart; i >= 0; --i) {
        if (m_arrMediaFiles[i].eMediaType == eMediaType)
            return i;
    }
    return -1;
}

int KyCCameraVideoVDX::getMediaCount(ERUXVideoMediaType eMediaType, int nIndex) const {
    CbCriticalSectionLock lock(m_Lock);
    const int nCount = countOf(m_arrMediaFiles);
    const int nLast = nIndex < nCount ? nIndex : nCount - 1;
    if (eMediaType == eVideoMediaTypeNone)
        return nLast + 1;
    int nFound = 0;
    for (int i = 0; i <= nLast; ++i) {
        if (m_arrMediaFiles[i].eMediaType == eMediaType)
            ++nFound;
    }
    return nFound;
}

std::wstring KyCCameraVideoVDX::getMediaFilename(ERUXVideoMediaType eMediaType, int nIndex) const {
    CbCriticalSectionLock lock(m_Lock);
    if (nIndex < 0 || nIndex >= countOf(m_arrMediaFiles))
        return std::wstring();
    const SMediaFile& file = m_arrMediaFiles[nIndex];
    if (eMediaType != eVideoMediaTypeNone && file.eMediaType != eMediaType)
        return std::wstring();
    return file.strFileName;
}

ERUXVideoMediaType KyCCameraVideoVDX::getMediaType(int nIndex) const {
    CbCriticalSectionLock lock(m_Lock);
    if (nIndex < 0 || nIndex >= countOf(m_arrMediaFiles))
        return eVideoMediaTypeNone;
    return m_arrMediaFiles[nIndex].eMediaType;
}

ERUXVideoMediaType KyCCameraVideoVDX::getMediaType(ERUXVideoMode eMode) const {
    CbCriticalSectionLock lock(m_Lock);
    switch (eMode) {
        case eVideoModePlay:
            return m_ePlayMediaType;
        case eVideoModeCamera:
            return m_eCameraMediaType.load();
        default:
            return eVideoMediaTypeNone;
    }
}

bool KyCCameraVideoVDX::hasData(ERUXVideoMediaType eMediaType) const {
    CbCriticalSectionLock lock(m_Lock);
    return getMediaCount(eMediaType, countOf(m_arrMediaFiles)) > 0;
}

bool KyCCameraVideoVDX::isValid(ERUXVideoMediaType eMediaType) const {
    CbCriticalSectionLock lock(m_Lock);
    switch (eMediaType) {
        case eVideoMediaTypeNone:
            return m_nCurrentIndex >= 0;
        case eVideoMediaTypeVideo:
            return m_nCurrentVideoIndex >= 0;
        case eVideoMediaTypePicture:
            return m_nCurrentPictureIndex >= 0;
        default:
            return false;
    }
}

int KyCCameraVideoVDX::findMediaFilename(const std::wstring& strName) const {
    CbCriticalSectionLock lock(m_Lock);
    const int nCount = countOf(m_arrMediaFiles);
    for (int i = 0; i < nCount; ++i) {
        if (m_arrMediaFiles[i].strFileName == strName)
            return i;
    }
    return -1;
}

std::wstring KyCCameraVideoVDX::getCurrentFilename(ERUXVideoMediaType eMediaType) const {
    CbCriticalSectionLock lock(m_Lock);
    const int nIndex = getCurrentIndex(eMediaType);
    if (nIndex == -1)
        return std::wstring();
    return getMediaFilename(eMediaType, nIndex);
}

bool KyCCameraVideoVDX::getCurrentFilename(ERUXVideoMediaType eMediaType,
                                           std::wstring& strName) const {
    strName = getCurrentFilename(eMediaType);
    return !strName.empty();
}

bool KyCCameraVideoVDX::addMediaFile(ERUXVideoMediaType eMediaType, const CTime& time,
                                     const std::wstring& strName) {
    CbCriticalSectionLock lock(m_Lock);
    m_arrMediaFiles.Add(SMediaFile{eMediaType, time, strName});
    return true;
}

bool KyCCameraVideoVDX::removeMediaFile(ERUXVideoMediaType /*eMediaType*/, int nIndex) {
    CbCriticalSectionLock lock(m_Lock);
    const int nCount = countOf(m_arrMediaFiles);
    if (nCount == 0)
        return false;
    if (nIndex >= 0 && nIndex < nCount)
        m_arrMediaFiles.RemoveAt(static_cast<unsigned>(nIndex));
    return true;
}

// The device controller's browsing and removal: counts, current file names, stepping, deleting.
#include "KyCCameraVideoVDX.h"
#include "KyCMediaPath.h"

bool KyCCameraVideoVDX::HasData(ERUXVideoMediaType eMediaType, int* pnCount) const {
    int nCount;
    {
        CbCriticalSectionLock lock(m_Lock);
        nCount = getMediaCount(eMediaType, static_cast<int>(m_arrMediaFiles.GetCount()));
    }
    if (pnCount != nullptr)
        *pnCount = nCount;
    return nCount > 0;
}

std::wstring KyCCameraVideoVDX::GetFileName(ERUXVideoMediaType eMediaType, int* pnPosition) const {
    if (pnPosition != nullptr)
        *pnPosition = -1;
    // Each step takes the lock by itself; none is held across the steps.
    const int nIndex = getCurrentIndex(eMediaType);
    if (nIndex == -1)
        return std::wstring();
    const std::wstring strName = getMediaFilename(eVideoMediaTypeNone, nIndex);
    if (strName.empty())
        return std::wstring();
    std::wstring strDirectory;
    {
        CbCriticalSectionLock lock(m_Lock);
        strDirectory = m_strFilePath;
    }
    std::wstring strPath = makeFilePath(strDirectory, strName);
    if (strPath.empty())
        return std::wstring();
    if (pnPosition != nullptr)
        *pnPosition = getMediaCount(eMediaType, nIndex) - 1;
    return strPath;
}

std::wstring KyCCameraVideoVDX::GetFileName(int* pnPosition) const {
    ERUXVideoMediaType eMediaType;
    {
        CbCriticalSectionLock lock(m_Lock);
        eMediaType = m_ePlayMediaType;
    }
    return GetFileName(eMediaType, pnPosition);
}

bool KyCCameraVideoVDX::PreviousFile(ERUXVideoMediaType eMediaType) {
    return stepFile(eMediaType, false);
}

bool KyCCameraVideoVDX::NextFile(ERUXVideoMediaType eMediaType) {
    return stepFile(eMediaType, true);
}

bool KyCCameraVideoVDX::stepFile(ERUXVideoMediaType eMediaType, bool bForward) {
    const int nCurrent = getCurrentIndex(eMediaType);
    if (nCurrent == -1)
        return false;
    const int nNext =
        bForward ? getNextIndex(eMediaType, nCurrent) : getPreviousIndex(eMediaType, nCurrent);
    if (nNext == -1)
        return false;  // no wrap-around at either end
    setCurrentIndex(eMediaType, nNext);

    if (eMediaType == eVideoMediaTypeNone) {
        // The view of the file's own type follows, and play mode shows that type from now on.
        const ERUXVideoMediaType eReached = getMediaType(nNext);
        setCurrentIndex(eReached, nNext);
        CbCriticalSectionLock lock(m_Lock);
        m_ePlayMediaType = eReached;
    } else {
        // The all-media view follows only when it stood on the same file.
        CbCriticalSectionLock lock(m_Lock);
        const int nCount = static_cast<int>(m_arrMediaFiles.GetCount());
        if (nCount > 0 && m_nCurrentIndex == nCurrent && nNext < nCount)
            m_nCurrentIndex = nNext;
    }
    return true;
}

bool KyCCameraVideoVDX::RemoveFile(ERUXVideoMediaType eMediaType) {
    ERUXVideoMediaType eFileType;
    std::wstring strDirectory;
    {
        CbCriticalSectionLock lock(m_Lock);
        eFileType = eMediaType == eVideoMediaTypeNone ? m_ePlayMediaType : eMediaType;
        strDirectory = m_strFilePath;
    }
    // A leftover temporary file of the type goes first, before the lock is taken for the
    // removal itself, whatever the outcome of the removal.
    if (eFileType == eVideoMediaTypeVideo)
        removeFile(makeFilePath(strDirectory, kszMediaTempVideo));
    else if (eFileType == eVideoMediaTypePicture)
        removeFile(makeFilePath(strDirectory, kszMediaTempPicture));

    // Held to the end: the list, its positions and the three views change together.
    CbCriticalSectionLock lock(m_Lock);
    const int nCurrent = getCurrentIndex(eMediaType);
    if (nCurrent == -1)
        return false;
    const int nNext = getNextIndex(eMediaType, nCurrent);
    const int nSavedAll = getCurrentIndex(eVideoMediaTypeNone);
    const int nSavedVideo = getCurrentIndex(eVideoMediaTypeVideo);
    const int nSavedPicture = getCurrentIndex(eVideoMediaTypePicture);

    // Empty when the entry is not of the file type: then nothing is removed.
    const std::wstring strName = getMediaFilename(eFileType, nCurrent);
    if (!removeFile(makeFilePath(m_strFilePath, strName)))
        return false;
    removeMediaFile(eFileType, nCurrent);

    // Views that stood after the removed entry move down with their files.
    if (nSavedAll > nCurrent)
        setCurrentIndex(eVideoMediaTypeNone, nSavedAll - 1);
    if (nSavedVideo > nCurrent)
        setCurrentIndex(eVideoMediaTypeVideo, nSavedVideo - 1);
    if (nSavedPicture > nCurrent)
        setCurrentIndex(eVideoMediaTypePicture, nSavedPicture - 1);

    // The view goes on to the file that followed the removed one, else to its newest file.
    const int nNew = nNext != -1 ? nNext - 1 : getLastIndex(eMediaType);
    setCurrentIndex(eMediaType, nNew);
    if (eFileType != eMediaType)
        setCurrentIndex(eFileType, getPreviousIndex(eFileType, nNew + 1));
    if (nSavedAll == nCurrent)
        setCurrentIndex(eVideoMediaTypeNone, nNew);
    return true;
}

bool KyCCameraVideoVDX::RemoveFile() {
    ERUXVideoMediaType eMediaType;
    {
        CbCriticalSectionLock lock(m_Lock);
        eMediaType = m_ePlayMediaType;
    }
    return RemoveFile(eMediaType);
}

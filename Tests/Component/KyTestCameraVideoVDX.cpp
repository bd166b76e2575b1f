// Transitional: the controller with its protected surface opened (see the header).
#include "KyTestCameraVideoVDX.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <sstream>

#include "KyStringConvert.h"

std::string KyTestCameraVideoVDX::Views() const {
    CbCriticalSectionLock lock(m_Lock);
    return std::to_string(m_nCurrentIndex) + "/" + std::to_string(m_nCurrentVideoIndex) + "/" +
           std::to_string(m_nCurrentPictureIndex);
}

void KyTestCameraVideoVDX::SetViews(int nAll, int nVideo, int nPicture) {
    CbCriticalSectionLock lock(m_Lock);
    m_nCurrentIndex = nAll;
    m_nCurrentVideoIndex = nVideo;
    m_nCurrentPictureIndex = nPicture;
}

void KyTestCameraVideoVDX::AddEntries(const char* pszSpec) {
    std::istringstream in(pszSpec);
    std::string strType;
    while (in >> strType) {
        const int i = Count();
        const bool bVideo = strType == "V";
        const std::wstring strName =
            (bVideo ? L"v" : L"p") + std::to_wstring(i) + (bVideo ? L".avi" : L".jpg");
        addMediaFile(bVideo ? eVideoMediaTypeVideo : eVideoMediaTypePicture, CTime(1000 + i),
                     strName);
    }
}

std::string KyTestCameraVideoVDX::Names() const {
    CbCriticalSectionLock lock(m_Lock);
    std::string strNames;
    for (const SMediaFile& file : m_arrMediaFiles) {
        if (!strNames.empty())
            strNames += ' ';
        strNames += KyWideToUtf8(file.strFileName);
    }
    return strNames;
}

std::string KyTestCameraVideoVDX::Types() const {
    CbCriticalSectionLock lock(m_Lock);
    std::string strTypes;
    for (const SMediaFile& file : m_arrMediaFiles) {
        if (!strTypes.empty())
            strTypes += ' ';
        strTypes += file.eMediaType == eVideoMediaTypeVideo     ? "V"
                    : file.eMediaType == eVideoMediaTypePicture ? "P"
                                                                : "?";
    }
    return strTypes;
}

CTime KyTestCameraVideoVDX::TimeAt(int nIndex) const {
    CbCriticalSectionLock lock(m_Lock);
    return m_arrMediaFiles[static_cast<unsigned>(nIndex)].Time;
}

int KyTestCameraVideoVDX::Count() const {
    CbCriticalSectionLock lock(m_Lock);
    return static_cast<int>(m_arrMediaFiles.GetCount());
}

ERUXVideoMediaType KyTestCameraVideoVDX::PlayMediaType() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_ePlayMediaType;
}

void KyTestCameraVideoVDX::SetPlayMediaType(ERUXVideoMediaType eMediaType) {
    CbCriticalSectionLock lock(m_Lock);
    m_ePlayMediaType = eMediaType;
}

std::wstring KyTestCameraVideoVDX::FilePath() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_strFilePath;
}

void KyTestCameraVideoVDX::SetFilePathOnly(const std::wstring& strPath) {
    CbCriticalSectionLock lock(m_Lock);
    m_strFilePath = strPath;
}

IAcquireDisplaySource* KyTestCameraVideoVDX::LiveSource() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_pLiveBitmapHandler;
}

std::wstring KyTestCameraVideoVDX::RecordFileName() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_strRecordFileName;
}

CTime KyTestCameraVideoVDX::RecordTime() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_RecordTime;
}

ERUXVideoMediaType KyTestCameraVideoVDX::RecordMediaType() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_eRecordMediaType;
}

bool KyTestCameraVideoVDX::LockIsFree() const {
    auto result = std::async(std::launch::async, [this] {
        CbCriticalSectionLock lock(m_Lock);
        return true;
    });
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // The lock is held for good; the waiting thread cannot be abandoned safely.
        ADD_FAILURE() << "the controller's lock stayed held";
        std::abort();
    }
    return result.get();
}

// Shared helpers of the component tests.
#include "KyTestComponent.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "KyStringConvert.h"

namespace fs = std::filesystem;

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

unsigned KyTestReferenceCount(const KyICameraVideo& object) {
    // The counter is protected; a member pointer named through a derived class reaches it.
    struct Probe : KyICameraVideo {
        static unsigned Count(const KyICameraVideo& o) {
            typedef const CbReferenceCounter<unsigned int>& (IReferenceCounted::*GetCounter)()
                const;
            const GetCounter pGet = &Probe::getReferenceCounter;
            return (static_cast<const IReferenceCounted&>(o).*pGet)().GetCount();
        }
    };
    return Probe::Count(object);
}

int KyTestTakeVideoMessages() {
    const std::vector<KyCPostedMessage> arrPosted = KyCMessageDispatcher::TakePostedMessages();
    for (const KyCPostedMessage& posted : arrPosted) {
        const CMessageWFARUXStateChanged* pChanged =
            dynamic_cast<const CMessageWFARUXStateChanged*>(posted.pMessage.Get());
        EXPECT_NE(pChanged, nullptr) << "not a state-changed message";
        if (pChanged != nullptr) {
            EXPECT_EQ(KyTestUtf8(pChanged->GetText()), "Video");
        }
        EXPECT_EQ(KyTestUtf8(posted.strFunction), "KyCCameraVideoVDX::updateGUI");
        EXPECT_NE(KyTestUtf8(posted.strFile).find("KyCCameraVideoVDX"), std::string::npos)
            << KyTestUtf8(posted.strFile);
        EXPECT_GT(posted.nLine, 0u);
    }
    return static_cast<int>(arrPosted.size());
}

std::string KyTestUtf8(const std::wstring& str) {
    return KyWideToUtf8(str);
}

std::wstring KyTestNative(const std::wstring& strPath) {
    std::wstring strNative(strPath);
    for (wchar_t& c : strNative) {
        if (c == L'\\')
            c = KyPlatform::PathSeparator();
    }
    return strNative;
}

KyPlatform::KyFileTime KyTestFileTime(std::int64_t nSeconds) {
    // 1601-01-01 to 1970-01-01: 11644473600 s, in 100 ns ticks.
    KyPlatform::KyFileTime fileTime;
    fileTime.nTicks = static_cast<std::uint64_t>((nSeconds + 11644473600LL) * 10000000LL);
    return fileTime;
}

bool KyTestWriteFile(const std::wstring& strPath, const std::string& strText,
                     std::int64_t nSeconds) {
    {
        std::ofstream out(fs::path(strPath), std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << strText;
        if (!out)
            return false;
    }
    if (nSeconds == INT64_MIN)
        return true;
    return KyPlatform::SetFileLastWriteTime(strPath, KyTestFileTime(nSeconds));
}

bool KyTestFileExists(const std::wstring& strPath) {
    std::error_code ec;
    return fs::exists(fs::path(strPath), ec);
}

std::string KyTestReadFile(const std::wstring& strPath) {
    std::ifstream in(fs::path(strPath), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

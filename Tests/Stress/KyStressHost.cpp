#include "KyStressHost.h"

#include <filesystem>
#include <thread>

#include "CMessageWFARUXStateChanged.h"
#include "KyCMediaFileCheck.h"
#include "KyCMediaPath.h"
#include "KyCMessageDispatcher.h"
#include "KyPlatform.h"

namespace {

namespace fs = std::filesystem;

// The time-stamped media names of a directory (what RemoveFile may take away).
std::set<std::wstring> mediaNames(const std::wstring& strDirectory) {
    std::set<std::wstring> setNames;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(strDirectory), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::wstring strName = it->path().filename().wstring();
        if (!strName.empty() && strName[0] != L'~')
            setNames.insert(strName);
    }
    return setNames;
}

ERUXVideoMediaType randomType(std::mt19937& random) {
    return static_cast<ERUXVideoMediaType>(static_cast<int>(random() % 3) - 1);
}

std::string narrow(const std::wstring& str) {
    return fs::path(str).string();
}

}  // namespace

KyStressHost::KyStressHost(KyICameraVideo& video, const std::wstring& strFirstDirectory,
                           const std::wstring& strSecondDirectory)
    : m_Video(video),
      m_astrDirectories{strFirstDirectory, strSecondDirectory},
      m_strDirectory(strFirstDirectory) {
    m_Video.SetFilePath(m_strDirectory);
}

void KyStressHost::RunThread(unsigned nSeed, Clock::time_point deadline) {
    std::mt19937 random(nSeed);
    // About one control operation per thread every 1.5 s, browsing in between: recordings then
    // often run long enough to be sure to receive frames.
    std::exponential_distribution<double> controlGap(1.0 / 1.5);
    Clock::time_point nextControl = Clock::now();
    while (Clock::now() < deadline) {
        if (Clock::now() >= nextControl) {
            control(random);
            nextControl = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(controlGap(random)));
        } else {
            browse(random);
            std::this_thread::sleep_for(std::chrono::milliseconds(1 + random() % 4));
        }
        ++m_nOperations;
    }
}

void KyStressHost::browse(std::mt19937& random) {
    std::shared_lock<std::shared_mutex> lock(m_HostLock);
    const ERUXVideoMediaType eType = randomType(random);
    int n = 0;
    switch (random() % 9) {
        case 0:
            m_Video.NextFile(eType);
            break;
        case 1:
            m_Video.PreviousFile(eType);
            break;
        case 2:
            m_Video.GetFileName(eType, &n);
            break;
        case 3:
            m_Video.GetFileName(&n);
            break;
        case 4:
            m_Video.HasData(eType, &n);
            break;
        case 5:
            m_Video.GetMediaType(static_cast<ERUXVideoMode>(eType));
            break;
        case 6:
            m_Video.GetVideoMode();
            break;
        case 7:
            m_Video.IsRunning();
            break;
        default:
            takeMessages();
            break;
    }
}

void KyStressHost::control(std::mt19937& random) {
    const unsigned nChoice = random() % 100;
    if (nChoice < 15) {
        stopVideo();
    } else if (nChoice < 55) {
        bool bRecording = false;
        {
            std::shared_lock<std::shared_mutex> lock(m_HostLock);
            bRecording = m_eMode == eVideoModeCamera && m_eCameraType == eVideoMediaTypeVideo;
        }
        if (bRecording)
            startRecording();
        else
            startShared();
    } else if (nChoice < 78) {
        setMode(random);
    } else if (nChoice < 89) {
        removeFile(random);
    } else {
        setFilePath(random);
    }
}

void KyStressHost::stopVideo() {
    std::shared_lock<std::shared_mutex> lock(m_HostLock);
    endRecording();
    m_Video.StopVideo();
}

void KyStressHost::startShared() {
    std::shared_lock<std::shared_mutex> lock(m_HostLock);
    const bool bCapture = m_eMode == eVideoModeCamera && m_eCameraType == eVideoMediaTypePicture;
    if (m_eMode == eVideoModeCamera && !bCapture)
        return;  // a recording: that runs alone
    std::unique_lock<std::mutex> capture(m_CaptureLock, std::defer_lock);
    if (bCapture)
        capture.lock();
    endRecording();
    const std::int64_t nFirst = KyPlatform::Time64();
    const bool bStarted = m_Video.StartVideo();
    const std::int64_t nLast = KyPlatform::Time64();
    if (!bCapture || !bStarted)
        return;
    SStressPicture picture{m_strDirectory, nFirst, nLast};
    // The picture must be whole now, before anyone may remove it.
    bool bFound = false;
    for (std::int64_t n = nFirst; n <= nLast; ++n) {
        const std::wstring strPath =
            makeFilePath(m_strDirectory, makeMediaFilename(eVideoMediaTypePicture, CTime(n)));
        std::string strReason;
        if (!fs::exists(fs::path(strPath)))
            continue;
        bFound = true;
        if (!KyCMediaFileCheck::CheckPicture(strPath, strReason))
            problem("picture " + narrow(strPath) + ": " + strReason);
    }
    if (!bFound)
        problem("picture reported taken but missing in " + narrow(m_strDirectory));
    std::lock_guard<std::mutex> log(m_LogLock);
    m_arrPictures.push_back(picture);
}

void KyStressHost::startRecording() {
    std::unique_lock<std::shared_mutex> lock(m_HostLock);
    if (m_eMode != eVideoModeCamera || m_eCameraType != eVideoMediaTypeVideo)
        return;
    recover(m_strDirectory);
    // Two recordings in one second would get one name: the component replaces the older file,
    // as its contract says, and a host must not let that happen.
    while (KyPlatform::Time64() <= m_nLastRecordSecond)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    endRecording();
    const std::int64_t nFirst = KyPlatform::Time64();
    const bool bStarted = m_Video.StartVideo();
    const std::int64_t nLast = KyPlatform::Time64();
    m_nLastRecordSecond = nLast;
    if (!bStarted)
        return;
    std::lock_guard<std::mutex> log(m_LogLock);
    SStressRecording recording;
    recording.strDirectory = m_strDirectory;
    recording.nFirstSecond = nFirst;
    recording.nLastSecond = nLast;
    recording.started = Clock::now();
    m_arrRecordings.push_back(recording);
    m_bRecordingOpen = true;
}

void KyStressHost::setMode(std::mt19937& random) {
    std::unique_lock<std::shared_mutex> lock(m_HostLock);
    recover(m_strDirectory);
    // Camera mode four times as often as each of the others, video in half of them.
    const int nMode = static_cast<int>(random() % 6) - 1;
    const ERUXVideoMode eMode = nMode > 1 ? eVideoModeCamera : static_cast<ERUXVideoMode>(nMode);
    const ERUXVideoMediaType eType =
        eMode == eVideoModeCamera && random() % 2 == 0 ? eVideoMediaTypeVideo : randomType(random);
    endRecording();
    m_Video.SetVideoMode(eMode, eType);
    m_eMode = m_Video.GetVideoMode();
    m_eCameraType = m_Video.GetMediaType(eVideoModeCamera);
}

void KyStressHost::removeFile(std::mt19937& random) {
    std::unique_lock<std::shared_mutex> lock(m_HostLock);
    recover(m_strDirectory);
    const std::set<std::wstring> setBefore = mediaNames(m_strDirectory);
    if (random() % 5 == 0)
        m_Video.RemoveFile();
    else
        m_Video.RemoveFile(randomType(random));
    const std::set<std::wstring> setAfter = mediaNames(m_strDirectory);
    std::lock_guard<std::mutex> log(m_LogLock);
    for (const std::wstring& strName : setBefore) {
        if (setAfter.count(strName) == 0)
            m_setRemoved.insert(m_strDirectory + L'/' + strName);
    }
}

void KyStressHost::setFilePath(std::mt19937& random) {
    std::unique_lock<std::shared_mutex> lock(m_HostLock);
    const std::wstring& strTarget = m_astrDirectories[random() % 2];
    recover(strTarget);
    m_Video.SetFilePath(strTarget);
    m_strDirectory = strTarget;
}

void KyStressHost::Finish() {
    std::unique_lock<std::shared_mutex> lock(m_HostLock);
    endRecording();
    m_Video.SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
    m_eMode = eVideoModeNone;
    for (const std::wstring& strDirectory : m_astrDirectories) {
        recover(strDirectory);
        // A leftover that holds nothing readable is the component's to delete.
        m_Video.SetFilePath(strDirectory);
    }
    m_strDirectory = m_astrDirectories[1];
    takeMessages();
}

bool KyStressHost::WasRemoved(const std::wstring& strDirectory, const std::wstring& strName) const {
    std::lock_guard<std::mutex> log(m_LogLock);
    return m_setRemoved.count(strDirectory + L'/' + strName) != 0;
}

void KyStressHost::recover(const std::wstring& strDirectory) {
    std::vector<SRecoveredVideo> arrDone;
    KyCVideoRecovery::RecoverDirectory(strDirectory, arrDone);
    std::lock_guard<std::mutex> log(m_LogLock);
    m_arrRecovered.insert(m_arrRecovered.end(), arrDone.begin(), arrDone.end());
}

void KyStressHost::endRecording() {
    std::lock_guard<std::mutex> log(m_LogLock);
    if (m_bRecordingOpen)
        m_arrRecordings.back().ended = Clock::now();
    m_bRecordingOpen = false;
}

void KyStressHost::takeMessages() {
    for (const KyCPostedMessage& posted : KyCMessageDispatcher::TakePostedMessages()) {
        const CMessageWFARUXStateChanged* pChanged =
            dynamic_cast<const CMessageWFARUXStateChanged*>(posted.pMessage.Get());
        if (pChanged == nullptr || pChanged->GetText() != L"Video")
            problem("a message that is not the state-changed \"Video\"");
        ++m_nMessages;
    }
}

void KyStressHost::problem(const std::string& strText) {
    std::lock_guard<std::mutex> log(m_LogLock);
    m_arrProblems.push_back(strText);
}

// Four host threads drive the component with the built-in camera for KY_STRESS_SECONDS (60 by
// default): nothing crashes or hangs, no recording or picture is lost, every file is whole.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <random>
#include <shared_mutex>
#include <thread>

#include "CMessageWFARUXStateChanged.h"
#include "KyCAcquisitionCommon.h"
#include "KyCLiveDisplay.h"
#include "KyCMediaFileCheck.h"
#include "KyCMediaPath.h"
#include "KyCMessageDispatcher.h"
#include "KyCSyntheticCamera.h"
#include "KyCVideoRecovery.h"
#include "KyCameraVideoFactory.h"
#include "KyPlatform.h"
#include "KyTestTempDir.h"

namespace {

namespace fs = std::filesystem;
typedef std::chrono::steady_clock Clock;

// A recording this long has surely received frames at 30 per second, even under a sanitizer.
const std::chrono::milliseconds kSureOfFrames(500);

// What StartVideo reported: a file named for one of the seconds nFirst..nLast.
struct STake {
    ERUXVideoMediaType eType;
    std::int64_t nFirst, nLast;
    Clock::time_point started, ended = Clock::time_point::max();
};

// Why the file is not whole; empty when it is.
std::string brokenReason(const fs::path& file) {
    std::string strReason;
    unsigned nFrames = 0;
    const bool bWhole = file.extension() == ".avi"
                            ? KyCMediaFileCheck::CheckVideo(file.wstring(), nFrames, strReason)
                            : KyCMediaFileCheck::CheckPicture(file.wstring(), strReason);
    return bWhole ? "" : file.string() + ": " + strReason;
}

// Drives the component at random and logs what it reported. Operations that may lose a leftover
// recording (a new recording, a mode switch, a removal) recover the directory and run alone under
// m_HostLock; the others share it.
class CStressHost {
public:
    CStressHost(KyICameraVideo& video, const std::wstring& strDirectory)
        : m_Video(video), m_strDirectory(strDirectory) {
        m_Video.SetFilePath(m_strDirectory);
    }

    // About one control operation per thread every 1.5 s, so that recordings often run long
    // enough to be sure of frames; browsing in between.
    void RunThread(unsigned nSeed, Clock::time_point deadline) {
        std::mt19937 random(nSeed);
        std::exponential_distribution<double> controlGapMs(1.0 / 1500);
        Clock::time_point nextControl = Clock::now();
        while (Clock::now() < deadline) {
            if (Clock::now() < nextControl) {
                browse(random);
                std::this_thread::sleep_for(std::chrono::milliseconds(1 + random() % 4));
                continue;
            }
            const unsigned nChoice = random() % 100;
            if (nChoice < 15) {
                std::shared_lock<std::shared_mutex> lock(m_HostLock);
                endRecording();
                m_Video.StopVideo();
            } else if (nChoice < 55) {
                start();
            } else if (nChoice < 85) {
                setMode(random);
            } else {
                std::unique_lock<std::shared_mutex> lock(m_HostLock);
                recover();
                m_nRemoved +=
                    random() % 5 ? m_Video.RemoveFile(randomType(random)) : m_Video.RemoveFile();
            }
            nextControl = Clock::now() + std::chrono::milliseconds(int(controlGapMs(random)));
        }
    }

    // Switches the mode off, then recovers and rescans the directory: the state to check.
    void Finish() {
        std::unique_lock<std::shared_mutex> lock(m_HostLock);
        endRecording();
        m_Video.SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
        recover();
        m_Video.SetFilePath(m_strDirectory);  // deletes a leftover that holds nothing readable
        takeMessages();
    }

    bool IsThere(const STake& take) const {
        for (std::int64_t n = take.nFirst; n <= take.nLast; ++n)
            if (fs::exists(path(take.eType, n)))
                return true;
        return false;
    }

    // Read once every thread has returned.
    std::vector<STake> m_arrTakes;
    std::atomic<unsigned> m_nRemoved{0};     // files that RemoveFile reported taken away
    std::vector<std::string> m_arrProblems;  // seen while running
    std::atomic<int> m_nMessages{0};

private:
    fs::path path(ERUXVideoMediaType eType, std::int64_t nTime) const {
        return makeFilePath(m_strDirectory, makeMediaFilename(eType, CTime(nTime)));
    }
    static ERUXVideoMediaType randomType(std::mt19937& random) {
        return static_cast<ERUXVideoMediaType>(static_cast<int>(random() % 3) - 1);
    }

    void browse(std::mt19937& random) {
        std::shared_lock<std::shared_mutex> lock(m_HostLock);
        const ERUXVideoMediaType eType = randomType(random);
        int n = 0;
        const unsigned nWhat = random() % 5;
        if (nWhat == 0)
            m_Video.NextFile(eType);
        else if (nWhat == 1)
            m_Video.PreviousFile(eType);
        else if (nWhat == 2)
            m_Video.GetFileName(eType, &n);
        else if (nWhat == 3)
            m_Video.HasData(eType, &n);
        else
            takeMessages();
    }

    // A capture or playing shares the component; a recording runs alone.
    void start() {
        std::shared_lock<std::shared_mutex> shared(m_HostLock);
        const bool bCamera = m_Video.GetVideoMode() == eVideoModeCamera;
        if (bCamera && m_Video.GetMediaType(eVideoModeCamera) != eVideoMediaTypePicture) {
            shared.unlock();
            return startRecording();
        }
        // Two captures in one second share a name: the second replaces the first, by contract.
        std::unique_lock<std::mutex> capture(m_CaptureLock, std::defer_lock);
        if (bCamera)
            capture.lock();
        endRecording();
        const std::int64_t nFirst = KyPlatform::Time64();
        if (!m_Video.StartVideo() || !bCamera)
            return;
        const STake picture{eVideoMediaTypePicture, nFirst, KyPlatform::Time64(), Clock::now()};
        // There and whole now, before anyone may remove it.
        if (!IsThere(picture))
            problem("picture reported taken but missing");
        for (std::int64_t n = picture.nFirst; n <= picture.nLast; ++n)
            if (fs::exists(path(eVideoMediaTypePicture, n)))
                problem(brokenReason(path(eVideoMediaTypePicture, n)));
        std::lock_guard<std::mutex> log(m_LogLock);
        m_arrTakes.push_back(picture);
    }

    void startRecording() {
        std::unique_lock<std::shared_mutex> lock(m_HostLock);
        if (m_Video.GetVideoMode() != eVideoModeCamera ||
            m_Video.GetMediaType(eVideoModeCamera) != eVideoMediaTypeVideo)
            return;
        recover();
        // Two recordings in one second share a name: the newer replaces the older, by contract.
        while (KyPlatform::Time64() <= m_nLastRecordSecond)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        endRecording();
        const std::int64_t nFirst = KyPlatform::Time64();
        const bool bStarted = m_Video.StartVideo();
        m_nLastRecordSecond = KyPlatform::Time64();
        if (!bStarted)
            return;
        std::lock_guard<std::mutex> log(m_LogLock);
        m_nOpenRecording = m_arrTakes.size();
        m_arrTakes.push_back({eVideoMediaTypeVideo, nFirst, m_nLastRecordSecond, Clock::now()});
    }

    void setMode(std::mt19937& random) {
        std::unique_lock<std::shared_mutex> lock(m_HostLock);
        recover();
        // Camera mode four times as often as each of the others, video in half of them.
        const int nMode = static_cast<int>(random() % 6) - 1;
        const ERUXVideoMode eMode = nMode > 1 ? eVideoModeCamera : ERUXVideoMode(nMode);
        const ERUXVideoMediaType eType = eMode == eVideoModeCamera && random() % 2 == 0
                                             ? eVideoMediaTypeVideo
                                             : randomType(random);
        endRecording();
        m_Video.SetVideoMode(eMode, eType);
    }

    void recover() {
        std::vector<SRecoveredVideo> arrDone;
        KyCVideoRecovery::RecoverDirectory(m_strDirectory, arrDone);
    }

    // Called before anything that may end the running recording.
    void endRecording() {
        std::lock_guard<std::mutex> log(m_LogLock);
        if (m_nOpenRecording < m_arrTakes.size())
            m_arrTakes[m_nOpenRecording].ended = Clock::now();
        m_nOpenRecording = SIZE_MAX;
    }

    void takeMessages() {
        for (const KyCPostedMessage& posted : KyCMessageDispatcher::TakePostedMessages()) {
            const auto* pChanged =
                dynamic_cast<const CMessageWFARUXStateChanged*>(posted.pMessage.Get());
            if (pChanged == nullptr || pChanged->GetText() != L"Video")
                problem("a message that is not the state-changed \"Video\"");
            ++m_nMessages;
        }
    }

    void problem(const std::string& strText) {
        if (strText.empty())
            return;
        std::lock_guard<std::mutex> log(m_LogLock);
        m_arrProblems.push_back(strText);
    }

    KyICameraVideo& m_Video;
    const std::wstring m_strDirectory;
    // Taken first, never inside a component callback: shared by operations that cannot lose a
    // leftover recording, exclusive for the others (the mode changes only under it).
    std::shared_mutex m_HostLock;
    std::int64_t m_nLastRecordSecond = 0;  // recordings start in distinct seconds
    std::mutex m_CaptureLock;              // one capture at a time; inside m_HostLock
    // Guards the public log and m_nOpenRecording; taken last, never across a component call.
    std::mutex m_LogLock;
    std::size_t m_nOpenRecording = SIZE_MAX;  // the take of the running recording
};

}  // namespace

TEST(KyStressTest, FourHostThreadsLoseNothing) {
    KyTestTempDir media;
    KyCSyntheticCamera& camera = RUXComponentFactory::GetBuiltInCamera();
    RUXComponentFactory::SetAcquisition(nullptr);
    camera.SetFrameSize(KyCSize2(64, 48));
    camera.SetFrameRate(30.0f);
    RUXComponentFactory::GetBuiltInLiveDisplay().SetBitmapSize(KyCSize2(64, 48));
    RUXComponentFactory::GetBuiltInLiveDisplay().SetPixelFormat(15);
    CbSmartPointer<KyICameraVideo> pVideo =
        RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
    ASSERT_TRUE(pVideo);
    CStressHost host(*pVideo, media.Path());
    const char* pszSeconds = std::getenv("KY_STRESS_SECONDS");
    const int nSeconds =
        pszSeconds != nullptr && std::atoi(pszSeconds) > 0 ? std::atoi(pszSeconds) : 60;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(nSeconds);
    std::vector<std::thread> arrThreads;
    for (unsigned n = 0; n < 4; ++n)
        arrThreads.emplace_back([&host, n, deadline] { host.RunThread(1000 + n, deadline); });
    for (std::thread& thread : arrThreads)
        thread.join();
    host.Finish();
    pVideo.Release();
    RUXComponentFactory::ReleaseCameraVideo();
    camera.StopAcquisition(1, 0);

    for (const std::string& strProblem : host.m_arrProblems)
        ADD_FAILURE() << strProblem;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(media.Path()))) {
        EXPECT_NE(entry.path().filename().string()[0], '~') << "left: " << entry.path();
        EXPECT_EQ(brokenReason(entry.path()), "");
    }
    // Every recording that surely received frames is filed or recovered, every picture reported
    // taken is there, unless the host removed it: no more are missing than were removed.
    unsigned nRecordings = 0, nMissing = 0;
    for (const STake& take : host.m_arrTakes) {
        const bool bVideo = take.eType == eVideoMediaTypeVideo;
        nRecordings += bVideo;
        nMissing += (!bVideo || take.ended - take.started >= kSureOfFrames) && !host.IsThere(take);
    }
    EXPECT_LE(nMissing, host.m_nRemoved.load()) << "recordings or pictures lost";
    // Each start and each stop of video posts one.
    EXPECT_GE(host.m_nMessages.load(), static_cast<int>(host.m_arrTakes.size()));
    EXPECT_GT(nRecordings, 0u);
    std::cout << "stress: " << nSeconds << " s, " << nRecordings << " recordings, "
              << host.m_arrTakes.size() - nRecordings << " pictures, " << host.m_nRemoved
              << " removed\n";
}

// A host that drives the camera video component at random from several threads and keeps a log
// of what the component reported: recordings started, pictures taken, files removed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <random>
#include <set>
#include <shared_mutex>
#include <string>
#include <vector>

#include "KyCVideoRecovery.h"
#include "KyICameraVideo.h"

// One recording as the host saw it: its directory, the seconds its name may carry, and how long
// it surely ran (from StartVideo's return to the first later call that could end it).
struct SStressRecording {
    std::wstring strDirectory;
    std::int64_t nFirstSecond = 0;
    std::int64_t nLastSecond = 0;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point ended = std::chrono::steady_clock::time_point::max();
};

// One picture that StartVideo reported taken.
struct SStressPicture {
    std::wstring strDirectory;
    std::int64_t nFirstSecond = 0;
    std::int64_t nLastSecond = 0;
};

class KyStressHost {
public:
    KyStressHost(KyICameraVideo& video, const std::wstring& strFirstDirectory,
                 const std::wstring& strSecondDirectory);

    // Runs random operations until the deadline; nSeed makes each thread's choices its own.
    void RunThread(unsigned nSeed, std::chrono::steady_clock::time_point deadline);
    // Switches the mode off, recovers what was left in both directories and rescans them: the
    // state whose files are checked.
    void Finish();

    // Read once every thread has returned.
    const std::vector<SStressRecording>& Recordings() const { return m_arrRecordings; }
    const std::vector<SStressPicture>& Pictures() const { return m_arrPictures; }
    const std::vector<SRecoveredVideo>& Recovered() const { return m_arrRecovered; }
    // Bare names that RemoveFile took away, by directory.
    bool WasRemoved(const std::wstring& strDirectory, const std::wstring& strName) const;
    unsigned RemovedCount() const { return static_cast<unsigned>(m_setRemoved.size()); }
    unsigned Operations() const { return m_nOperations.load(); }
    int Messages() const { return m_nMessages.load(); }
    // Failures seen while running (a picture that did not decode right after its capture, a
    // message of another kind), one line each.
    const std::vector<std::string>& Problems() const { return m_arrProblems; }

private:
    typedef std::chrono::steady_clock Clock;

    void browse(std::mt19937& random);
    void control(std::mt19937& random);
    // Operations that share the component with each other.
    void stopVideo();
    void startShared();
    // Operations that run alone, after the current directory was recovered: each may delete a
    // leftover "~video.avi" (a new recording's writer, camera mode, removal, a directory change).
    void startRecording();
    void setMode(std::mt19937& random);
    void removeFile(std::mt19937& random);
    void setFilePath(std::mt19937& random);

    void recover(const std::wstring& strDirectory);
    // Called before anything that may end the running recording.
    void endRecording();
    void takeMessages();
    void problem(const std::string& strText);

    KyICameraVideo& m_Video;
    const std::wstring m_astrDirectories[2];

    // Shared by the operations that cannot lose a leftover recording, exclusive for the others;
    // taken before m_LogLock, never inside a component call's callback.
    mutable std::shared_mutex m_HostLock;
    // What only the exclusive operations change, so shared ones read it stably.
    std::wstring m_strDirectory;
    ERUXVideoMode m_eMode = eVideoModeNone;
    ERUXVideoMediaType m_eCameraType = eVideoMediaTypeVideo;
    std::int64_t m_nLastRecordSecond = 0;  // recordings start in distinct seconds
    // One capture at a time: two in one second would share a name, and the component replaces
    // the first picture with the second, as its contract says. Taken inside m_HostLock.
    std::mutex m_CaptureLock;

    // Guards the log below; taken last (after m_HostLock and m_CaptureLock), never held across a
    // component call.
    mutable std::mutex m_LogLock;
    std::vector<SStressRecording> m_arrRecordings;
    bool m_bRecordingOpen = false;  // the last recording has no end yet
    std::vector<SStressPicture> m_arrPictures;
    std::vector<SRecoveredVideo> m_arrRecovered;
    std::set<std::wstring> m_setRemoved;  // directory + '/' + name
    std::vector<std::string> m_arrProblems;

    std::atomic<unsigned> m_nOperations{0};
    std::atomic<int> m_nMessages{0};
};

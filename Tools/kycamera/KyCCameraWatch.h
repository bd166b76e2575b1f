// Watches for a camera that goes away and files the recording in progress when it does.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class KyCCamera;
class KyCConsole;
class KyCMessagePump;
class KyICameraVideo;

// Its own thread ("CameraWatch") looks at the camera every kPollMs. When the camera is lost, it
// reports that on the console once, and if a recording runs, stops it through the component
// (StopVideo), which lets the queued frames drain and files the video under its time-stamped
// name; nothing recorded before the loss is lost. The job then ends with the camera's exit code.
class KyCCameraWatch {
public:
    static constexpr unsigned kPollMs = 100;

    KyCCameraWatch(KyCCamera& camera, KyICameraVideo& component, KyCConsole& console,
                   KyCMessagePump& messages);
    ~KyCCameraWatch();  // Stop
    KyCCameraWatch(const KyCCameraWatch&) = delete;
    KyCCameraWatch& operator=(const KyCCameraWatch&) = delete;

    void Start();
    void Stop();
    // The loss was seen and handled (the recording, if any, is filed).
    bool HasHandledLoss() const;
    bool WaitForHandledLoss(unsigned nTimeoutMs) const;
    // The file the interrupted recording was filed as; empty when none was running.
    std::wstring GetSavedRecording() const;

private:
    void threadLoop();
    void handleLoss();

    KyCCamera& m_Camera;
    KyICameraVideo& m_Component;
    KyCConsole& m_Console;
    KyCMessagePump& m_Messages;

    mutable std::mutex m_Mutex;  // guards the fields below; not held while calling out
    mutable std::condition_variable m_Changed;  // stop requested, loss handled
    bool m_bStop = false;
    bool m_bHandled = false;
    std::wstring m_strSaved;
    std::thread m_Thread;
};

// The camera watch thread.
#include "KyCCameraWatch.h"

#include <chrono>

#include "KyCCamera.h"
#include "KyCConsole.h"
#include "KyCMessagePump.h"
#include "KyICameraVideo.h"
#include "KyStringConvert.h"

KyCCameraWatch::KyCCameraWatch(KyCCamera& camera, KyICameraVideo& component, KyCConsole& console,
                               KyCMessagePump& messages)
    : m_Camera(camera), m_Component(component), m_Console(console), m_Messages(messages) {}

KyCCameraWatch::~KyCCameraWatch() {
    Stop();
}

void KyCCameraWatch::Start() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Thread.joinable())
        return;
    m_bStop = false;
    m_Thread = std::thread(&KyCCameraWatch::threadLoop, this);
}

void KyCCameraWatch::Stop() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bStop = true;
        thread = std::move(m_Thread);
    }
    m_Changed.notify_all();
    if (thread.joinable())
        thread.join();
}

bool KyCCameraWatch::HasHandledLoss() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_bHandled;
}

bool KyCCameraWatch::WaitForHandledLoss(unsigned nTimeoutMs) const {
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                              [&] { return m_bHandled; });
}

std::wstring KyCCameraWatch::GetSavedRecording() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_strSaved;
}

void KyCCameraWatch::threadLoop() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_Mutex);
            if (m_Changed.wait_for(lock, std::chrono::milliseconds(kPollMs),
                                   [&] { return m_bStop; }))
                return;
        }
        if (m_Camera.IsLost()) {
            handleLoss();
            return;
        }
    }
}

void KyCCameraWatch::handleLoss() {
    m_Console.Error(m_Camera.GetLostText());
    std::wstring strSaved;
    if (m_Component.GetVideoMode() == eVideoModeCamera && m_Component.IsRunning()) {
        int nBefore = 0;
        m_Component.HasData(eVideoMediaTypeVideo, &nBefore);
        const bool bStopped = m_Component.StopVideo();
        m_Messages.Drain();
        int nAfter = 0;
        m_Component.HasData(eVideoMediaTypeVideo, &nAfter);
        if (bStopped && nAfter > nBefore) {
            strSaved = m_Component.GetFileName(eVideoMediaTypeVideo, nullptr);
            m_Console.Line("the recording so far is saved as " + KyWideToUtf8(strSaved));
        } else {
            m_Console.Error(
                "the recording could not be filed; look for ~video.avi in the media "
                "directory");
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bHandled = true;
        m_strSaved = strSaved;
    }
    m_Changed.notify_all();
}

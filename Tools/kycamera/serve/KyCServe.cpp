// The serve job: set-up, the event loop on the host's thread, take-down.
#include "KyCServe.h"

#include <memory>

#include "CMessageWFARUXStateChanged.h"
#include "KyCAcquisitionCommon.h"
#include "KyCCamera.h"
#include "KyCCameraVideoVDX.h"
#include "KyCConsole.h"
#include "KyCExitCode.h"
#include "KyCInterrupt.h"
#include "KyCLiveDisplay.h"
#include "KyCMediaDirectory.h"
#include "KyCMessageDispatcher.h"
#include "KyCMessagePump.h"
#include "KyCOptions.h"
#include "KyCServeControl.h"
#include "KyCServeHttp.h"
#include "KyCServeLatest.h"
#include "KyCServeLive.h"
#include "KyCServeSecurity.h"
#include "KyCServeStateJson.h"
#include "KyCameraVideoFactory.h"
#include "KyStringConvert.h"

KyCServe::KyCServe(KyICameraVideo& component, KyCCamera& camera, KyCConsole& console,
                   KyCMessagePump& messages)
    : m_Component(component), m_Camera(camera), m_Console(console), m_Messages(messages) {}

int KyCServe::Run(const KyCOptions& options) {
    KyCCameraVideoVDX* pController = dynamic_cast<KyCCameraVideoVDX*>(
        m_Component.GetExtension(KyICameraVideoVDX::kExtensionName, false));
    if (!pController) {
        m_Console.Error("the component is not the device controller");
        return eExitFailed;
    }
    std::string strError;
    std::wstring strMediaDir;
    if (!KyCMediaDirectory::Prepare(options.m_strMediaDir, strMediaDir, strError)) {
        m_Console.Error(strError);
        return eExitMediaDir;
    }
    if (!m_Component.SetFilePath(strMediaDir) ||
        !m_Component.SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo)) {
        m_Console.Error("the component refused the media directory or camera mode");
        return eExitFailed;
    }
    m_Messages.Drain();

    KyCServeControl control(m_Component, *pController);
    KyCServeLive live(RUXComponentFactory::GetBuiltInLiveDisplay());
    KyCServeLatest events;
    KyCServeHttp http(
        control, live, events, [&] { return stateJson(control, live); },
        [&] { publish(control, live, events, false); });
    if (!http.Bind(options.m_strListenHost, options.m_nPort, strError)) {
        m_Console.Error(strError);
        return eExitUsage;
    }
    auto pSecurity = std::make_shared<const KyCServeSecurity>(
        KyCServeSecurity::MakeToken(), options.m_bListenGiven, http.GetPort());
    publish(control, live, events, true);
    live.Start();
    http.Start(pSecurity);

    const std::string strHost = options.m_strListenHost.find(':') != std::string::npos
                                    ? "[" + options.m_strListenHost + "]"
                                    : options.m_strListenHost;
    const std::string strAddress = "http://" + strHost + ":" + std::to_string(http.GetPort()) + "/";
    m_Console.Line("kycamera serve: " + m_Camera.Describe() + ", media directory " +
                   KyWideToUtf8(strMediaDir));
    if (options.m_bListenGiven) {
        m_Console.Line("access token: " + pSecurity->GetToken());
        m_Console.Line("open " + strAddress + "?token=" + pSecurity->GetToken() +
                       " in a browser (Ctrl-C ends)");
    } else {
        m_Console.Line("open " + strAddress + " in a browser (Ctrl-C ends)");
    }

    // The application installed the stop signals before any thread started; a stop request is
    // how a server ends normally, so it exits with 0.
    while (!KyCInterrupt::IsRequested() && !m_Camera.IsLost()) {
        const bool bMessage = KyCMessageDispatcher::WaitForMessage(kTickMs);
        const bool bPosted = bMessage && takeMessages() > 0;
        publish(control, live, events, bPosted);
    }
    m_Console.Line(m_Camera.IsLost() ? "kycamera serve: the camera is gone, stopping"
                                     : "kycamera serve: stopping");
    http.Stop();
    live.Stop();
    if (m_Component.IsRunning())
        m_Component.StopVideo();
    m_Messages.Drain();
    return m_Camera.IsLost() ? eExitCamera : eExitOk;
}

unsigned KyCServe::takeMessages() {
    const std::vector<KyCPostedMessage> vecPosted = KyCMessageDispatcher::TakePostedMessages();
    for (const KyCPostedMessage& posted : vecPosted) {
        const CMessageWFARUXStateChanged* pStateChanged =
            dynamic_cast<const CMessageWFARUXStateChanged*>(posted.pMessage.Get());
        KyCServeStateJson::SMessage message;
        message.strText = pStateChanged ? KyWideToUtf8(pStateChanged->GetText()) : "";
        message.strFunction = KyWideToUtf8(posted.strFunction);
        m_Console.Line(
            pStateChanged ? KyCMessagePump::FormatStateChanged(message.strText, message.strFunction)
                          : "  message: (another kind) from " + message.strFunction);
        std::lock_guard<std::mutex> lock(m_PublishMutex);
        message.nSequence = ++m_nPosted;
        m_dqPosted.push_back(std::move(message));
        if (m_dqPosted.size() > kKeptMessages)
            m_dqPosted.pop_front();
    }
    return static_cast<unsigned>(vecPosted.size());
}

std::string KyCServe::stateJson(KyCServeControl& control, KyCServeLive& live) const {
    KyCServeStateJson::SLive liveFigures;
    liveFigures.nEncoded = live.GetFramesEncoded();
    liveFigures.nViewers = live.GetFrames().GetReaders();
    std::deque<KyCServeStateJson::SMessage> dqPosted;
    {
        std::lock_guard<std::mutex> lock(m_PublishMutex);
        dqPosted = m_dqPosted;
    }
    return KyCServeStateJson::Build(control.GetState(), control.GetStatistics(), dqPosted,
                                    liveFigures);
}

void KyCServe::publish(KyCServeControl& control, KyCServeLive& live, KyCServeLatest& events,
                       bool bForce) {
    std::string strState = stateJson(control, live);
    // The live figures change with every frame; they alone are no reason for an event.
    const std::string strCompared = strState.substr(0, strState.rfind(",\"live\":"));
    std::lock_guard<std::mutex> lock(m_PublishMutex);
    if (!bForce && strCompared == m_strPublished)
        return;
    m_strPublished = strCompared;
    events.Publish(std::make_shared<const std::string>(std::move(strState)));
}

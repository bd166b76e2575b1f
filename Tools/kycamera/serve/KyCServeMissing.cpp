// kycamera serve in a build without an HTTP library: it says so.
#include "KyCConsole.h"
#include "KyCExitCode.h"
#include "KyCServe.h"

KyCServe::KyCServe(KyICameraVideo& component, KyCCamera& camera, KyCConsole& console,
                   KyCMessagePump& messages)
    : m_Component(component), m_Camera(camera), m_Console(console), m_Messages(messages) {}

int KyCServe::Run(const KyCOptions&) {
    m_Console.Error("serve is not part of this build (it needs cpp-httplib and libavformat)");
    return eExitUsage;
}

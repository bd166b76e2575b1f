// The kycamera application: set-up, the job, take-down.
#include "KyCApplication.h"

#include <algorithm>

#include "CActiveAcquireDeviceType.h"
#include "CbSingleton.h"
#include "KyCAcquisitionCommon.h"
#include "KyCCamera.h"
#include "KyCCameraWatch.h"
#include "KyCConsole.h"
#include "KyCDemo.h"
#include "KyCExitCode.h"
#include "KyCFaultOption.h"
#include "KyCInterrupt.h"
#include "KyCLiveDisplay.h"
#include "KyCMessagePump.h"
#include "KyCOptions.h"
#include "KyCPreview.h"
#include "KyCServe.h"
#include "KyCShell.h"
#include "KyCameraVideoFactory.h"
#include "KyTerminal.h"

namespace {

const char kVersion[] = "kycamera " KY_PROJECT_VERSION;  // the one in CMakeLists.txt
const int kMaxPreviewColumns = 80;

int previewColumns(const KyCOptions& options) {
    if (options.m_nPreviewColumns > 0)
        return options.m_nPreviewColumns;
    const int nTerminal = KyTerminal::GetColumns();
    return nTerminal > 0 ? std::min(nTerminal, kMaxPreviewColumns) : kMaxPreviewColumns;
}

}  // namespace

KyCApplication::KyCApplication(std::istream& in, std::ostream& out, std::ostream& err,
                               bool bTerminal)
    : m_In(in), m_Out(out), m_Err(err), m_bTerminal(bTerminal) {}

int KyCApplication::Run(const std::vector<std::string>& vecArgs) {
    KyCConsole console(m_Out, m_Err, m_bTerminal);
    KyCOptions options;
    std::string strError;
    if (!options.Parse(vecArgs, strError)) {
        console.Error(strError);
        return eExitUsage;
    }
    if (options.m_eCommand == KyCOptions::eCommandHelp) {
        m_Out << KyCOptions::HelpText();
        return eExitOk;
    }
    if (options.m_eCommand == KyCOptions::eCommandVersion) {
        console.Line(kVersion);
        return eExitOk;
    }
    for (const std::string& strFault : options.m_vecFaults) {
        if (!KyCFaultOption::Install(strFault, strError)) {
            console.Error(strError);
            return eExitUsage;
        }
    }

    // Before any thread starts: a stop request ends the job the way Ctrl-C does, with its work
    // filed.
    KyCInterrupt::Install();
    const int nExitCode = runJob(options, console);
    KyCInterrupt::Remove();
    return nExitCode;
}

int KyCApplication::runJob(const KyCOptions& options, KyCConsole& console) {
    std::string strError;
    KyCCamera camera;
    if (!camera.Open(options, strError)) {
        console.Error(strError);
        return eExitCamera;
    }
    CbSingleton<RUX2ComponentFactory::CActiveAcquireDeviceType>::GetInstance()
        .SetActiveAcquireDeviceType(eAcquireDeviceVDX);
    CbSmartPointer<KyICameraVideo> pComponent = RUXComponentFactory::GetCameraVideoPointer();
    KyCMessagePump messages(console);
    int nExitCode = eExitOk;
    {
        KyCCameraWatch watch(camera, *pComponent, console, messages);
        watch.Start();
        KyCPreview preview(console, RUXComponentFactory::GetBuiltInLiveDisplay());
        if (options.m_bPreview && !preview.Start(camera.GetSize(), previewColumns(options)))
            console.Line("(no preview: standard output is not a terminal)");

        if (options.m_eCommand == KyCOptions::eCommandDemo) {
            KyCDemo demo(*pComponent, camera, watch, console, messages);
            nExitCode = demo.Run(options);
        } else if (options.m_eCommand == KyCOptions::eCommandServe) {
            KyCServe serve(*pComponent, camera, console, messages);
            nExitCode = serve.Run(options);
        } else {
            KyCShell shell(*pComponent, console, messages);
            if (options.m_bMediaDirGiven)
                shell.SetDirectory(options.m_strMediaDir);
            const bool bInteractive = KyTerminal::IsTerminal(KyTerminal::eStandardInput);
            if (bInteractive)
                console.Line("kycamera shell: " + camera.Describe() + "; type help for commands");
            nExitCode = shell.Run(m_In, !bInteractive);
        }
        preview.Stop();
        watch.Stop();
        // A camera lost while the job ran decides the exit code, whatever the job made of it.
        if (camera.IsLost() && nExitCode == eExitOk)
            nExitCode = eExitCamera;
        pComponent->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
        messages.Drain();
    }
    pComponent.Release();
    RUXComponentFactory::ReleaseCameraVideo();
    return nExitCode;
}

// The recording statistics of the factory's controller, read through its public view.
#include "KyCRecordProbe.h"

#include <cstdio>

#include "KyCCameraVideoVDX.h"
#include "KyCCataloguePrinter.h"

bool KyCRecordProbe::Read(KyICameraVideo& component, KyCRecordStatus& status) {
    status = KyCRecordStatus();
    const KyCCameraVideoVDX* pController = dynamic_cast<const KyCCameraVideoVDX*>(
        component.GetExtension(KyICameraVideoVDX::kExtensionName, false));
    if (!pController)
        return false;
    status = pController->GetRecordingStatistics();
    return true;
}

std::string KyCRecordProbe::FormatCounts(const KyCRecordStatus& status) {
    return std::to_string(status.nFramesWritten) + " written, " +
           std::to_string(status.nFramesRepeated) + " repeated, " +
           std::to_string(status.nFramesDropped) + " dropped, " +
           std::to_string(status.nFramesWaiting) + " waiting";
}

std::string KyCRecordProbe::Format(double fElapsedS, const KyCRecordStatus& status) {
    char szElapsed[32];
    std::snprintf(szElapsed, sizeof szElapsed, "%5.1f s", fElapsedS);
    return std::string("  ") + szElapsed + "  frames " + FormatCounts(status) + "  file " +
           KyCCataloguePrinter::FormatSize(status.nBytesWritten);
}

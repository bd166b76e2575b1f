// Host classes of the controller and its record worker, used only to read the worker's counts
// on the factory's object.
#include "KyCRecordProbe.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "KyCCameraVideoRecord.h"
#include "KyCCameraVideoVDX.h"
#include "KyCCataloguePrinter.h"
#include "KyCFilePath.h"
#include "KyCMediaPath.h"

namespace {

class ControllerAccess : public KyCCameraVideoVDX {
public:
    static const KyCCameraVideoRecord& Worker(const KyCCameraVideoVDX& controller) {
        return controller.*(&ControllerAccess::m_Record);
    }
};

class WorkerAccess : public KyCCameraVideoRecord {
public:
    static unsigned QueuedFrames(const KyCCameraVideoRecord& worker) {
        return (worker.*(&WorkerAccess::getFrameCount))();
    }
};

}  // namespace

bool KyCRecordProbe::Read(KyICameraVideo& component, const std::wstring& strMediaDirectory,
                          KyCRecordStatus& status) {
    status = KyCRecordStatus();
    const KyCCameraVideoVDX* pController = dynamic_cast<const KyCCameraVideoVDX*>(
        component.GetExtension(KyICameraVideoVDX::kExtensionName, false));
    if (!pController)
        return false;
    const KyCCameraVideoRecord& worker = ControllerAccess::Worker(*pController);
    status.nFramesWritten = worker.GetFramesWritten();
    status.nFramesQueued = WorkerAccess::QueuedFrames(worker);
    std::error_code error;
    const std::uintmax_t nBytes = std::filesystem::file_size(
        KyCFilePath::ToPath(makeFilePath(strMediaDirectory, kszMediaTempVideo)), error);
    status.nFileBytes = error ? 0 : nBytes;
    return true;
}

std::string KyCRecordProbe::Format(double fElapsedS, const KyCRecordStatus& status) {
    char szElapsed[32];
    std::snprintf(szElapsed, sizeof szElapsed, "%5.1f s", fElapsedS);
    return std::string("  ") + szElapsed + "  frames " + std::to_string(status.nFramesWritten) +
           " written, " + std::to_string(status.nFramesQueued) + " queued  file " +
           KyCCataloguePrinter::FormatSize(status.nFileBytes);
}

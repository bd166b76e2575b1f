// The media catalogue of the factory's controller, read through its public state view.
#include "KyCCatalogueReader.h"

#include <filesystem>
#include <system_error>

#include "KyCCameraVideoVDX.h"
#include "KyCMediaPath.h"

bool KyCCatalogueReader::Read(KyICameraVideo& component, std::vector<KyCCatalogueEntry>& out) {
    out.clear();
    const KyCCameraVideoVDX* pController = dynamic_cast<const KyCCameraVideoVDX*>(
        component.GetExtension(KyICameraVideoVDX::kExtensionName, false));
    if (!pController)
        return false;
    // One snapshot: the list and the three views belong to the same moment.
    const SCameraVideoState state = pController->GetState();
    for (int n = 0; n < static_cast<int>(state.arrCatalogue.size()); ++n) {
        const SCatalogueEntry& file = state.arrCatalogue[n];
        KyCCatalogueEntry entry;
        entry.nPosition = n;
        entry.eMediaType = file.eMediaType;
        entry.nTime = file.nTime;
        entry.strName = file.strFileName;
        entry.strPath = makeFilePath(state.strFilePath, file.strFileName);
        entry.bCurrentAll = n == state.nCurrentIndex;
        entry.bCurrentVideo = n == state.nCurrentVideoIndex;
        entry.bCurrentPicture = n == state.nCurrentPictureIndex;
        std::error_code error;
        const std::filesystem::path path(entry.strPath);
        entry.bExists = std::filesystem::is_regular_file(path, error);
        entry.nBytes = entry.bExists ? std::filesystem::file_size(path, error) : 0;
        if (error)
            entry.nBytes = 0;
        out.push_back(entry);
    }
    return true;
}

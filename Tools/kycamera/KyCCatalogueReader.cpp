// A host class of the controller, used only to reach its protected catalogue on the factory's
// object.
#include "KyCCatalogueReader.h"

#include <filesystem>
#include <system_error>

#include "KyCCameraVideoVDX.h"
#include "KyCFilePath.h"
#include "KyCMediaPath.h"

namespace {

class CatalogueAccess : public KyCCameraVideoVDX {
public:
    // The catalogue under the controller's own lock, so that it is read whole.
    static void Read(const KyCCameraVideoVDX& controller, std::vector<KyCCatalogueEntry>& out) {
        const CbCriticalSection& lock = controller.*(&CatalogueAccess::m_Lock);
        CbCriticalSectionLock guard(lock);
        const CbArray<SMediaFile>& arrFiles = controller.*(&CatalogueAccess::m_arrMediaFiles);
        const std::wstring& strDirectory = controller.*(&CatalogueAccess::m_strFilePath);
        const int nAll = (controller.*(&CatalogueAccess::getCurrentIndex))(eVideoMediaTypeNone);
        const int nVideo = (controller.*(&CatalogueAccess::getCurrentIndex))(eVideoMediaTypeVideo);
        const int nPicture =
            (controller.*(&CatalogueAccess::getCurrentIndex))(eVideoMediaTypePicture);
        for (int n = 0; n < static_cast<int>(arrFiles.GetCount()); ++n) {
            const SMediaFile& file = arrFiles[n];
            KyCCatalogueEntry entry;
            entry.nPosition = n;
            entry.eMediaType = file.eMediaType;
            entry.nTime = file.Time.GetTime();
            entry.strName = file.strFileName;
            entry.strPath = makeFilePath(strDirectory, file.strFileName);
            entry.bCurrentAll = n == nAll;
            entry.bCurrentVideo = n == nVideo;
            entry.bCurrentPicture = n == nPicture;
            out.push_back(entry);
        }
    }
};

}  // namespace

bool KyCCatalogueReader::Read(KyICameraVideo& component, std::vector<KyCCatalogueEntry>& out) {
    out.clear();
    KyCCameraVideoVDX* pController = dynamic_cast<KyCCameraVideoVDX*>(
        component.GetExtension(KyICameraVideoVDX::kExtensionName, false));
    if (!pController)
        return false;
    CatalogueAccess::Read(*pController, out);
    for (KyCCatalogueEntry& entry : out) {
        std::error_code error;
        const std::filesystem::path path = KyCFilePath::ToPath(entry.strPath);
        entry.bExists = std::filesystem::is_regular_file(path, error);
        entry.nBytes = entry.bExists ? std::filesystem::file_size(path, error) : 0;
        if (error)
            entry.nBytes = 0;
    }
    return true;
}

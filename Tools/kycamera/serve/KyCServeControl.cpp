// The page's operations on the component, through KyICameraVideo and the controller's views.
#include "KyCServeControl.h"

#include <filesystem>

#include "KyCCameraVideoVDX.h"
#include "KyStringConvert.h"

namespace {

// Enough steps to cross any catalogue the page can show; a step that fails ends the walk.
const int kMaxSteps = 100000;

int viewPositionOf(const SCameraVideoState& state, int nIndex, ERUXVideoMediaType eView) {
    int nPosition = -1;
    for (int n = 0; n <= nIndex && n < static_cast<int>(state.arrCatalogue.size()); ++n) {
        if (eView == eVideoMediaTypeNone || state.arrCatalogue[n].eMediaType == eView)
            ++nPosition;
    }
    return nPosition;
}

}  // namespace

KyCServeControl::KyCServeControl(KyICameraVideo& component, KyCCameraVideoVDX& controller)
    : m_Component(component), m_Controller(controller) {}

SCameraVideoState KyCServeControl::GetState() const {
    return m_Controller.GetState();
}

SRecordingStatistics KyCServeControl::GetStatistics() const {
    return m_Controller.GetRecordingStatistics();
}

bool KyCServeControl::ParseView(const std::string& strView, ERUXVideoMediaType& eView) {
    if (strView == "all")
        eView = eVideoMediaTypeNone;
    else if (strView == "video")
        eView = eVideoMediaTypeVideo;
    else if (strView == "picture")
        eView = eVideoMediaTypePicture;
    else
        return false;
    return true;
}

bool KyCServeControl::ParsePosition(const std::string& strPosition, int& nPosition) {
    if (strPosition.empty() || strPosition.size() > 6)
        return false;
    nPosition = 0;
    for (char c : strPosition) {
        if (c < '0' || c > '9')
            return false;
        nPosition = nPosition * 10 + (c - '0');
    }
    return true;
}

bool KyCServeControl::Find(ERUXVideoMediaType eView, int nPosition, SEntry& entry) const {
    const SCameraVideoState state = GetState();
    int nSeen = -1;
    for (int n = 0; n < static_cast<int>(state.arrCatalogue.size()); ++n) {
        const SCatalogueEntry& file = state.arrCatalogue[n];
        if (eView != eVideoMediaTypeNone && file.eMediaType != eView)
            continue;
        if (++nSeen != nPosition)
            continue;
        entry.eMediaType = file.eMediaType;
        entry.nViewPosition = viewPositionOf(state, n, file.eMediaType);
        entry.strName = KyWideToUtf8(file.strFileName);
        entry.strPath =
            KyWideToUtf8((std::filesystem::path(state.strFilePath) / file.strFileName).wstring());
        return true;
    }
    return false;
}

int KyCServeControl::SetMode(const std::string& strMode, const std::string& strType) {
    ERUXVideoMode eMode;
    if (strMode == "none")
        eMode = eVideoModeNone;
    else if (strMode == "play")
        eMode = eVideoModePlay;
    else if (strMode == "camera")
        eMode = eVideoModeCamera;
    else
        return 400;
    ERUXVideoMediaType eType;
    if (strType.empty() || strType == "none" || strType == "all")
        eType = eVideoMediaTypeNone;
    else if (!ParseView(strType, eType))
        return 400;
    std::lock_guard<std::mutex> lock(m_Mutex);
    return answer(m_Component.SetVideoMode(eMode, eType));
}

int KyCServeControl::Start() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return answer(m_Component.StartVideo());
}

int KyCServeControl::Stop() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return answer(m_Component.StopVideo());
}

int KyCServeControl::Record() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Component.SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo))
        return 409;
    return answer(m_Component.StartVideo());
}

int KyCServeControl::Capture() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Component.IsRunning() && m_Component.GetVideoMode() == eVideoModeCamera &&
        m_Component.GetMediaType(eVideoModeCamera) == eVideoMediaTypeVideo)
        return 409;  // a recording runs: it is stopped with stop, not by a picture
    if (!m_Component.SetVideoMode(eVideoModeCamera, eVideoMediaTypePicture))
        return 409;
    return answer(m_Component.StartVideo());
}

int KyCServeControl::Step(const std::string& strView, bool bForward) {
    ERUXVideoMediaType eView;
    if (!ParseView(strView, eView))
        return 400;
    std::lock_guard<std::mutex> lock(m_Mutex);
    return answer(bForward ? m_Component.NextFile(eView) : m_Component.PreviousFile(eView));
}

int KyCServeControl::findLocked(const std::string& strView, const std::string& strPosition,
                                const std::string& strName, ERUXVideoMediaType& eView,
                                int& nPosition, SEntry& entry) const {
    if (!ParseView(strView, eView) || !ParsePosition(strPosition, nPosition))
        return 400;
    if (!Find(eView, nPosition, entry))
        return 404;
    if (!strName.empty() && strName != entry.strName)
        return 409;
    return 200;
}

int KyCServeControl::Select(const std::string& strView, const std::string& strPosition,
                            const std::string& strName) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    ERUXVideoMediaType eView;
    int nPosition = 0;
    SEntry entry;
    const int nStatus = findLocked(strView, strPosition, strName, eView, nPosition, entry);
    return nStatus != 200 ? nStatus : walkLocked(eView, nPosition);
}

int KyCServeControl::Remove(const std::string& strView, const std::string& strPosition,
                            const std::string& strName) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    ERUXVideoMediaType eView;
    int nPosition = 0;
    SEntry entry;
    int nStatus = findLocked(strView, strPosition, strName, eView, nPosition, entry);
    if (nStatus != 200)
        return nStatus;
    // The view of the entry's own type walks to it: that view's current file is what goes.
    nStatus = walkLocked(entry.eMediaType, entry.nViewPosition);
    if (nStatus != 200)
        return nStatus;
    return answer(m_Component.RemoveFile(entry.eMediaType));
}

int KyCServeControl::walkLocked(ERUXVideoMediaType eView, int nPosition) {
    // One step at a time, as a user of the interface would; the other views follow as the
    // component's stepping defines.
    for (int nStep = 0; nStep < kMaxSteps; ++nStep) {
        int nCurrent = -1;
        m_Component.GetFileName(eView, &nCurrent);
        if (nCurrent == nPosition)
            return 200;
        const bool bStepped =
            nCurrent < nPosition ? m_Component.NextFile(eView) : m_Component.PreviousFile(eView);
        if (!bStepped)
            return 409;
    }
    return 409;
}

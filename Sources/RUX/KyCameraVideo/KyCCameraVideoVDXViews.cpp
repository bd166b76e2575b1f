// The controller's read-only views (its state and the recording statistics, as snapshots) and
// the test hooks of its record worker.
#include "KyCCameraVideoVDX.h"

#include <utility>

SCameraVideoState KyCCameraVideoVDX::GetState() const {
    SCameraVideoState state;
    CbCriticalSectionLock lock(m_Lock);
    state.eVideoMode = m_eVideoMode.load();
    state.ePlayMediaType = m_ePlayMediaType;
    state.eCameraMediaType = m_eCameraMediaType.load();
    state.bStarted = IsRunning();
    state.bWorkerRunning = m_Record.IsRunning();
    state.bRecording = m_Record.IsRecording();
    state.strFilePath = m_strFilePath;
    state.arrCatalogue.reserve(m_arrMediaFiles.GetCount());
    for (const SMediaFile& file : m_arrMediaFiles) {
        SCatalogueEntry entry;
        entry.eMediaType = file.eMediaType;
        entry.nTime = file.Time.GetTime();
        entry.strFileName = file.strFileName;
        state.arrCatalogue.push_back(std::move(entry));
    }
    state.nCurrentIndex = m_nCurrentIndex;
    state.nCurrentVideoIndex = m_nCurrentVideoIndex;
    state.nCurrentPictureIndex = m_nCurrentPictureIndex;
    return state;
}

SRecordingStatistics KyCCameraVideoVDX::GetRecordingStatistics() const {
    return m_Record.GetStatistics();
}

void KyCCameraVideoVDX::SetCaptureWaitForTesting(int nAttempts, unsigned nAttemptMs) {
    m_Record.SetCaptureWaitForTesting(nAttempts, nAttemptMs);
}

void KyCCameraVideoVDX::HoldWriterForTesting(bool bHold) {
    m_Record.HoldWriterForTesting(bHold);
}

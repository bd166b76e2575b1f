// The device controller's record and capture control: starting and stopping the record worker,
// recording into "~video.avi" and capturing into "~picture.jpg", and filing the results under
// their time-stamped names.
#include "IAcquireDisplay.h"
#include "IAcquireDisplaySource.h"
#include "KyCAcquisitionCommon.h"
#include "KyCCameraVideoVDX.h"
#include "KyCMediaPath.h"
#include "KyIAcquisition.h"
#include "KyPlatform.h"

namespace {

const int kRecordFrameRate = 18;
// The display of the live source whose size and pixel format the recording takes.
const int kLiveDisplayIndex = 2;
const int kDefaultPixelFormat = 15;

}  // namespace

bool KyCCameraVideoVDX::initRecord() {
    if (m_Record.IsInitialized())
        return true;
    KyIAcquisition& acquisition = RUXComponentFactory::GetAcquisition();
    if (!acquisition.IsAcquisitionReady())
        return false;
    IAcquireDisplaySource* pSource;
    {
        CbCriticalSectionLock lock(m_Lock);
        pSource = m_pLiveBitmapHandler;
    }
    if (pSource == nullptr)
        return false;

    KyCSize2 size(0, 0);
    int nPixelFormat = -1;
    IAcquireDisplay* pDisplay = pSource->GetDisplay(kLiveDisplayIndex);
    if (pDisplay != nullptr) {
        size = pDisplay->GetBitmapSize();
        nPixelFormat = pDisplay->GetPixelFormat();
    }
    if (size.nWidth == 0 || size.nHeight == 0) {
        acquisition.GetImageSize(&size.nHeight, &size.nWidth);
        nPixelFormat = kDefaultPixelFormat;
    }
    // Leftovers of an earlier run go, whether or not the worker starts.
    removeFile(makeFilePath(filePathUnlocked(), kszMediaTempVideo));
    removeFile(makeFilePath(filePathUnlocked(), kszMediaTempPicture));
    return m_Record.StartThread(pDisplay, size, nPixelFormat);
}

bool KyCCameraVideoVDX::exitRecord() {
    // A recording in progress ends without being filed: its temporary file stays.
    if (m_Record.IsInitialized()) {
        m_Record.StopRecording();
        m_Record.StopThread();
    }
    return true;
}

bool KyCCameraVideoVDX::isRecordInitialized() const {
    return m_Record.IsInitialized();
}

bool KyCCameraVideoVDX::startRecord() {
    if (m_eVideoMode.load() != eVideoModeCamera) {
        stop();
        return false;
    }
    stopRecord();  // a recording of ours in progress is filed first
    {
        CbCriticalSectionLock lock(m_Lock);
        m_RecordTime = KyPlatform::Time64();
        m_strRecordFileName = makeMediaFilename(eVideoMediaTypeVideo, m_RecordTime);
        m_eRecordMediaType = eVideoMediaTypeVideo;
    }
    const std::wstring strTemporary = makeFilePath(filePathUnlocked(), kszMediaTempVideo);
    if (!m_Record.StartRecording(kRecordFrameRate, strTemporary))
        return false;
    m_bStarted = true;
    return true;
}

bool KyCCameraVideoVDX::stopRecord() {
    if (m_eVideoMode.load() != eVideoModeCamera) {
        stop();
        return false;
    }
    if (!m_Record.IsInitialized() || !m_bStarted.load())
        return true;
    // Returns once the writer has closed the file.
    m_Record.StopRecording();
    m_bStarted = false;
    const int nFramesWritten = m_Record.GetFramesWritten();

    CbCriticalSectionLock lock(m_Lock);
    const std::wstring strTemporary = makeFilePath(m_strFilePath, kszMediaTempVideo);
    if (nFramesWritten <= 0)
        return removeFile(strTemporary);  // an empty recording is not kept
    if (m_strRecordFileName.empty())
        return true;
    const std::wstring strFinal = makeFilePath(m_strFilePath, m_strRecordFileName);
    if (existsFile(strTemporary)) {
        removeFile(strFinal);  // a file of the same name is replaced
        if (!moveFile(strTemporary, strFinal))
            return false;  // "~video.avi" stays: nothing is lost
    }
    if (existsFile(strFinal)) {
        addMediaFile(m_eRecordMediaType, m_RecordTime, m_strRecordFileName);
        const int nIndex = getLastIndex(m_eRecordMediaType);
        setCurrentIndex(m_eRecordMediaType, nIndex);
        setCurrentIndex(eVideoMediaTypeNone, nIndex);
    }
    return true;
}

bool KyCCameraVideoVDX::capturePicture() {
    if (m_eVideoMode.load() != eVideoModeCamera) {
        stop();
        return false;
    }
    const CTime time = KyPlatform::Time64();
    const std::wstring strName = makeMediaFilename(eVideoMediaTypePicture, time);
    const std::wstring strFinal = makeFilePath(filePathUnlocked(), strName);
    if (existsFile(strFinal))
        return false;  // a picture of this second exists already
    const std::wstring strTemporary = makeFilePath(filePathUnlocked(), kszMediaTempPicture);

    // Blocks until a frame was taken or the worker gave up; no picture, no file to move.
    m_Record.CapturePicture(strTemporary);
    removeFile(strFinal);
    if (!moveFile(strTemporary, strFinal))
        return false;
    if (existsFile(strFinal)) {
        CbCriticalSectionLock lock(m_Lock);
        addMediaFile(eVideoMediaTypePicture, time, strName);
        const int nIndex = getLastIndex(eVideoMediaTypePicture);
        setCurrentIndex(eVideoMediaTypePicture, nIndex);
        setCurrentIndex(eVideoMediaTypeNone, nIndex);
    }
    return true;
}

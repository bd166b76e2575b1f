// Transitional: the controller with its protected surface opened, for the recording side's tests
// until their rewrite lands; goes at that merge with this file's .cpp.
#pragma once

#include <string>

#include "CTime.h"
#include "KyCCameraVideoVDX.h"

// The controller, with its protected operations public and its fields readable under its lock.
class KyTestCameraVideoVDX : public KyCCameraVideoVDX {
public:
    using KyCCameraVideoVDX::SMediaFile;

    using KyCCameraVideoVDX::capturePicture;
    using KyCCameraVideoVDX::exitRecord;
    using KyCCameraVideoVDX::initRecord;
    using KyCCameraVideoVDX::isRecordInitialized;
    using KyCCameraVideoVDX::setLiveBitmapHandler;
    using KyCCameraVideoVDX::setRecordBitmapHandler;
    using KyCCameraVideoVDX::showPicture;
    using KyCCameraVideoVDX::startCamera;
    using KyCCameraVideoVDX::startPlay;
    using KyCCameraVideoVDX::startRecord;
    using KyCCameraVideoVDX::stop;
    using KyCCameraVideoVDX::stopCamera;
    using KyCCameraVideoVDX::stopPlay;
    using KyCCameraVideoVDX::stopRecord;
    using KyCCameraVideoVDX::updateGUI;

    using KyCCameraVideoVDX::addMediaFile;
    using KyCCameraVideoVDX::findMediaFilename;
    using KyCCameraVideoVDX::getCurrentFilename;
    using KyCCameraVideoVDX::getCurrentIndex;
    using KyCCameraVideoVDX::getFirstIndex;
    using KyCCameraVideoVDX::getLastIndex;
    using KyCCameraVideoVDX::getMediaCount;
    using KyCCameraVideoVDX::getMediaFilename;
    using KyCCameraVideoVDX::getMediaType;
    using KyCCameraVideoVDX::getNextIndex;
    using KyCCameraVideoVDX::getPreviousIndex;
    using KyCCameraVideoVDX::hasData;
    using KyCCameraVideoVDX::isValid;
    using KyCCameraVideoVDX::removeMediaFile;
    using KyCCameraVideoVDX::setCurrentIndex;

    using KyCCameraVideoVDX::addListMediaFiles;
    using KyCCameraVideoVDX::copyFile;
    using KyCCameraVideoVDX::createListMediaFiles;
    using KyCCameraVideoVDX::existsFile;
    using KyCCameraVideoVDX::moveFile;
    using KyCCameraVideoVDX::removeFile;

    // The three stored current indices, as "all/video/picture".
    std::string Views() const;
    void SetViews(int nAll, int nVideo, int nPicture);

    // Entries from a pattern like "V P V": file i is named "v<i>.avi" or "p<i>.jpg", time 1000 + i.
    void AddEntries(const char* pszSpec);
    // The list as "v0.avi p1.jpg ...".
    std::string Names() const;
    // The list as "V P V".
    std::string Types() const;
    CTime TimeAt(int nIndex) const;
    int Count() const;

    ERUXVideoMediaType PlayMediaType() const;
    void SetPlayMediaType(ERUXVideoMediaType eMediaType);
    ERUXVideoMediaType CameraMediaType() const { return m_eCameraMediaType.load(); }
    bool Started() const { return m_bStarted.load(); }
    void SetStarted(bool bStarted) { m_bStarted = bStarted; }
    std::wstring FilePath() const;
    // Sets the media directory without scanning it.
    void SetFilePathOnly(const std::wstring& strPath);
    IAcquireDisplaySource* LiveSource() const;
    std::wstring RecordFileName() const;
    CTime RecordTime() const;
    ERUXVideoMediaType RecordMediaType() const;
    // True when another thread can take the controller's lock within a few seconds.
    bool LockIsFree() const;
};

// The camera video component of the VDX device: video modes, media catalogue and browsing.
#pragma once

#include <atomic>
#include <string>

#include "CTime.h"
#include "CbArray.h"
#include "CbCriticalSection.h"
#include "CbReferenceCounter.h"
#include "KyCCameraVideoRecord.h"
#include "KyCameraVideoApi.h"
#include "KyCameraVideoViews.h"
#include "KyICameraVideo.h"

class IAcquireDisplaySource;

// The device controller. It switches between no mode, play mode (browsing the media directory)
// and camera mode (live acquisition with recording and still capture), keeps the catalogue of
// the media directory with a current file per view (all media, videos, pictures), and posts the
// state-changed message "Video" before every start and stop of video.
//
// Modes:   -1 none --SetVideoMode(0)--> 0 play --SetVideoMode(1)--> 1 camera, and back; every
//          switch first stops running video and live acquisition, then routes frames anew.
//
// Threads: any host thread may call; the mode switch itself is not atomic (SetVideoMode holds
// m_Lock only to compare and to store). Operations that call interface operations of this
// object do so through the virtual table.
//
// Camera mode: the record worker m_Record runs its thread, sits between the camera and the live
// display, records videos into "~video.avi" and captures pictures into "~picture.jpg"; the
// controller moves each to its time-stamped name and enters it in the catalogue.
//
// Lock order: the factory lock, then m_Lock, then the record worker's locks.
class KYCAMERAVIDEO_API KyCCameraVideoVDX : public KyICameraVideoVDX {
public:
    // One entry of the media catalogue.
    struct SMediaFile {
        ERUXVideoMediaType eMediaType;  // video or picture
        CTime Time;                     // last write, or the start of recording / capture
        std::wstring strFileName;       // bare name, no directory
    };

    // Runs Init (directly, not through the virtual table).
    KyCCameraVideoVDX();
    // Switches the mode off first, so that live acquisition stops before the fields go.
    ~KyCCameraVideoVDX() override;
    KyCCameraVideoVDX(const KyCCameraVideoVDX&) = delete;
    KyCCameraVideoVDX& operator=(const KyCCameraVideoVDX&) = delete;

    // Answers "RUX.CameraVideo" and "RUX.CameraVideoVDX".
    const IExtensionInterface* GetExtension(const char* pszName, bool bThrow) const override;
    IExtensionInterface* GetExtension(const char* pszName, bool bThrow) override;

    void Init() override;
    void Exit() override;
    void SetLiveBitmapHandler(IAcquireDisplaySource* pSource) override;
    bool SetVideoMode(ERUXVideoMode eMode, ERUXVideoMediaType eMediaType) override;
    ERUXVideoMode GetVideoMode() const override;
    ERUXVideoMediaType GetMediaType(ERUXVideoMode eMode) const override;
    bool StartVideo() override;
    bool StopVideo() override;
    bool IsRunning() const override;
    bool HasData(ERUXVideoMediaType eMediaType, int* pnCount) const override;
    bool SetFilePath(const std::wstring& strPath) override;
    std::wstring GetFileName(ERUXVideoMediaType eMediaType, int* pnPosition) const override;
    std::wstring GetFileName(int* pnPosition) const override;
    bool PreviousFile(ERUXVideoMediaType eMediaType) override;
    bool NextFile(ERUXVideoMediaType eMediaType) override;
    bool RemoveFile(ERUXVideoMediaType eMediaType) override;
    bool RemoveFile() override;

    // Read-only views for hosts, tools and tests (not in the interface's table). The state is
    // taken whole under m_Lock, the worker's part under its own locks after it.
    SCameraVideoState GetState() const;
    // The record worker's statistics of the recording in progress, or of the last one.
    SRecordingStatistics GetRecordingStatistics() const;
    // Test hooks of the record worker (not in the interface's table): a shorter wait of a capture
    // for its frame (the product keeps 2000 x 10 ms; call while no capture runs), and the
    // recording loop stalled while the calling thread holds the writer (true, then false on the
    // same thread, holding no lock of this component).
    void SetCaptureWaitForTesting(int nAttempts, unsigned nAttemptMs);
    void HoldWriterForTesting(bool bHold);

protected:
    const CbReferenceCounter<unsigned int>& getReferenceCounter() const override;

    // Mode actions (KyCCameraVideoVDXModes.cpp).
    bool stop();
    bool startPlay();
    bool stopPlay();
    bool showPicture();
    bool startCamera();
    bool stopCamera();
    bool setLiveBitmapHandler();
    bool setRecordBitmapHandler();
    bool updateGUI();

    // Record and capture control (KyCCameraVideoVDXRecord.cpp).
    bool initRecord();
    bool exitRecord();
    bool isRecordInitialized() const;
    bool startRecord();
    bool stopRecord();
    bool capturePicture();

    // The catalogue (KyCCameraVideoVDXCatalogue.cpp). A media type argument is a filter: -1 all
    // entries, 0 videos, 1 pictures, anything else none. Positions are list indices, -1 none.
    // Each takes m_Lock for its own duration.
    int getCurrentIndex(ERUXVideoMediaType eMediaType) const;
    bool setCurrentIndex(ERUXVideoMediaType eMediaType, int nIndex);
    int getFirstIndex(ERUXVideoMediaType eMediaType) const;
    int getLastIndex(ERUXVideoMediaType eMediaType) const;
    int getNextIndex(ERUXVideoMediaType eMediaType, int nIndex) const;
    int getPreviousIndex(ERUXVideoMediaType eMediaType, int nIndex) const;
    int getMediaCount(ERUXVideoMediaType eMediaType, int nIndex) const;
    std::wstring getMediaFilename(ERUXVideoMediaType eMediaType, int nIndex) const;
    ERUXVideoMediaType getMediaType(int nIndex) const;
    ERUXVideoMediaType getMediaType(ERUXVideoMode eMode) const;
    bool hasData(ERUXVideoMediaType eMediaType) const;
    bool isValid(ERUXVideoMediaType eMediaType) const;
    int findMediaFilename(const std::wstring& strName) const;
    std::wstring getCurrentFilename(ERUXVideoMediaType eMediaType) const;
    bool getCurrentFilename(ERUXVideoMediaType eMediaType, std::wstring& strName) const;
    bool addMediaFile(ERUXVideoMediaType eMediaType, const CTime& time,
                      const std::wstring& strName);
    bool removeMediaFile(ERUXVideoMediaType eMediaType, int nIndex);

    // The media directory (KyCCameraVideoVDXFiles.cpp). The file operations take no lock.
    bool createListMediaFiles(const std::wstring& strDirectory, CbArray<SMediaFile>& arrList);
    bool addListMediaFiles(ERUXVideoMediaType eMediaType, const std::wstring& strPattern,
                           CbArray<SMediaFile>& arrList);
    bool removeFile(const std::wstring& strPath);
    bool moveFile(const std::wstring& strSource, const std::wstring& strTarget);
    bool copyFile(const std::wstring& strSource, const std::wstring& strTarget);
    bool existsFile(const std::wstring& strPath) const;

    CbReferenceCounter<unsigned int> m_ReferenceCounter;

    // The host's live display source; not owned.
    IAcquireDisplaySource* m_pLiveBitmapHandler KY_GUARDED_BY(m_Lock);

    // Re-entrant: catalogue operations call each other while holding it. Guards every field
    // below except the atomics, which some operations read without it by design, and the record
    // worker, which has locks of its own. Taken after the factory lock, before the worker's.
    CbCriticalSection m_Lock;

    // Written under m_Lock; GetVideoMode, StartVideo, Exit and the destructor read it without.
    std::atomic<ERUXVideoMode> m_eVideoMode;
    ERUXVideoMediaType m_ePlayMediaType KY_GUARDED_BY(m_Lock);
    // Written under m_Lock; StartVideo reads it without.
    std::atomic<ERUXVideoMediaType> m_eCameraMediaType;
    std::wstring m_strFilePath KY_GUARDED_BY(m_Lock);
    CbArray<SMediaFile> m_arrMediaFiles KY_GUARDED_BY(m_Lock);
    int m_nCurrentIndex KY_GUARDED_BY(m_Lock);
    int m_nCurrentVideoIndex KY_GUARDED_BY(m_Lock);
    int m_nCurrentPictureIndex KY_GUARDED_BY(m_Lock);
    // Read under m_Lock by IsRunning; written without it by stop, stopPlay and startRecord.
    std::atomic<bool> m_bStarted;
    // The record worker and display sink; it has locks of its own, taken after m_Lock.
    KyCCameraVideoRecord m_Record;
    // The recording started last: final bare name, start time (whole seconds), media type.
    std::wstring m_strRecordFileName KY_GUARDED_BY(m_Lock);
    CTime m_RecordTime KY_GUARDED_BY(m_Lock);
    ERUXVideoMediaType m_eRecordMediaType KY_GUARDED_BY(m_Lock);

private:
    // NextFile and PreviousFile: one step of the view of the filter, forward or back.
    bool stepFile(ERUXVideoMediaType eMediaType, bool bForward);
    // The media directory as the file operations read it: without m_Lock, since only
    // SetFilePath and Init change it, both under m_Lock on the host's calling thread.
    const std::wstring& filePathUnlocked() const KY_NO_THREAD_SAFETY_ANALYSIS;
};

// The camera video component of devices without video: answers everything, does nothing.
#pragma once

#include <string>

#include "CbReferenceCounter.h"
#include "KyCameraVideoApi.h"
#include "KyICameraVideo.h"

// Every operation answers at once that there is no video, no media and no mode. Holds nothing
// but its reference count; touches no acquisition, file or lock, so any thread may call it.
class KYCAMERAVIDEO_API KyCCameraVideo : public KyICameraVideo {
public:
    KyCCameraVideo();
    // The copy starts with no references of its own.
    KyCCameraVideo(const KyCCameraVideo& other);
    // The target keeps its own reference count.
    KyCCameraVideo& operator=(const KyCCameraVideo& other);
    ~KyCCameraVideo() override;

    // Answers "RUX.CameraVideo" only.
    const IExtensionInterface* GetExtension(const char* pszName, bool bThrow) const override;
    IExtensionInterface* GetExtension(const char* pszName, bool bThrow) override;

    void Init() override;
    void Exit() override;
    void SetLiveBitmapHandler(IAcquireDisplaySource* pSource) override;
    // True for eVideoModeNone (whatever the media type), false for any other mode.
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

protected:
    const CbReferenceCounter<unsigned int>& getReferenceCounter() const override;

private:
    CbReferenceCounter<unsigned int> m_ReferenceCounter;
};

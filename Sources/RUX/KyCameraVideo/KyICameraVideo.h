// The camera video component's one interface, its enumerations and extension names.
#pragma once

#include <string>

#include "CbReferenceCounter.h"
#include "ERUXAcquireDevice.h"
#include "IExtensionInterface.h"
#include "IReferenceCounted.h"
#include "KyCameraVideoApi.h"

class IAcquireDisplaySource;

// Fixed underlying types: a host may pass any int, and an unnamed value gets a clear answer.
enum ERUXVideoMode : int {
    eVideoModeNone = -1,   // live acquisition stopped, nothing playing or recording
    eVideoModePlay = 0,    // review of the stored media files
    eVideoModeCamera = 1,  // live camera; StartVideo records or captures
};

enum ERUXVideoMediaType : int {
    eVideoMediaTypeNone = -1,    // none; as a filter: every type
    eVideoMediaTypeVideo = 0,    // ".avi"
    eVideoMediaTypePicture = 1,  // ".jpg"
};

// How a host drives camera video. Obtained from the RUXComponentFactory functions, never
// constructed by the host. The order of the operations is the virtual table's and is binding.
// Host calling order: SetLiveBitmapHandler (optional), SetFilePath, SetVideoMode, then any
// StartVideo / StopVideo / browsing, and SetVideoMode(eVideoModeNone, eVideoMediaTypeNone) or
// Exit before the last reference goes.
class KYCAMERAVIDEO_API KyICameraVideo : public IExtensionInterface, public IReferenceCounted {
public:
    static constexpr const char* kExtensionName = "RUX.CameraVideo";

    ~KyICameraVideo() override;

    virtual void Init() = 0;
    virtual void Exit() = 0;
    virtual void SetLiveBitmapHandler(IAcquireDisplaySource* pSource) = 0;
    virtual bool SetVideoMode(ERUXVideoMode eMode, ERUXVideoMediaType eMediaType) = 0;
    virtual ERUXVideoMode GetVideoMode() const = 0;
    virtual ERUXVideoMediaType GetMediaType(ERUXVideoMode eMode) const = 0;
    virtual bool StartVideo() = 0;
    virtual bool StopVideo() = 0;
    virtual bool IsRunning() const = 0;
    virtual bool HasData(ERUXVideoMediaType eMediaType, int* pnCount) const = 0;
    virtual bool SetFilePath(const std::wstring& strPath) = 0;
    virtual std::wstring GetFileName(ERUXVideoMediaType eMediaType, int* pnPosition) const = 0;
    virtual std::wstring GetFileName(int* pnPosition) const = 0;
    virtual bool PreviousFile(ERUXVideoMediaType eMediaType) = 0;
    virtual bool NextFile(ERUXVideoMediaType eMediaType) = 0;
    virtual bool RemoveFile(ERUXVideoMediaType eMediaType) = 0;
    virtual bool RemoveFile() = 0;
};

// Marks the device implementation.
class KYCAMERAVIDEO_API KyICameraVideoVDX : public KyICameraVideo {
public:
    static constexpr const char* kExtensionName = "RUX.CameraVideoVDX";
    ~KyICameraVideoVDX() override;
};

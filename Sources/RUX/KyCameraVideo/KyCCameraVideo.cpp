// The null camera video component.
#include "KyCCameraVideo.h"

#include <cstring>

#include "CbException.h"

KyCCameraVideo::KyCCameraVideo() = default;

// CbReferenceCounter's own copy starts at 0 and its assignment keeps the target's count.
KyCCameraVideo::KyCCameraVideo(const KyCCameraVideo& other) = default;
KyCCameraVideo& KyCCameraVideo::operator=(const KyCCameraVideo& other) = default;

KyCCameraVideo::~KyCCameraVideo() = default;

const IExtensionInterface* KyCCameraVideo::GetExtension(const char* pszName, bool bThrow) const {
    return const_cast<KyCCameraVideo*>(this)->GetExtension(pszName, bThrow);
}

IExtensionInterface* KyCCameraVideo::GetExtension(const char* pszName, bool bThrow) {
    if (pszName != nullptr && std::strcmp(pszName, KyICameraVideo::kExtensionName) == 0)
        return this;
    if (bThrow)
        throw CbExceptionUnknownExtension(__FILE__, __LINE__, "KyCCameraVideo::GetExtension");
    return nullptr;
}

void KyCCameraVideo::Init() {}

void KyCCameraVideo::Exit() {}

void KyCCameraVideo::SetLiveBitmapHandler(IAcquireDisplaySource* /*pSource*/) {}

bool KyCCameraVideo::SetVideoMode(ERUXVideoMode eMode, ERUXVideoMediaType /*eMediaType*/) {
    return eMode == eVideoModeNone;
}

ERUXVideoMode KyCCameraVideo::GetVideoMode() const {
    return eVideoModeNone;
}

ERUXVideoMediaType KyCCameraVideo::GetMediaType(ERUXVideoMode /*eMode*/) const {
    return eVideoMediaTypeNone;
}

bool KyCCameraVideo::StartVideo() {
    return false;
}

bool KyCCameraVideo::StopVideo() {
    return true;
}

bool KyCCameraVideo::IsRunning() const {
    return false;
}

bool KyCCameraVideo::HasData(ERUXVideoMediaType /*eMediaType*/, int* pnCount) const {
    if (pnCount != nullptr)
        *pnCount = 0;
    return false;
}

bool KyCCameraVideo::SetFilePath(const std::wstring& /*strPath*/) {
    return false;
}

std::wstring KyCCameraVideo::GetFileName(ERUXVideoMediaType /*eMediaType*/, int* pnPosition) const {
    if (pnPosition != nullptr)
        *pnPosition = -1;
    return std::wstring();
}

std::wstring KyCCameraVideo::GetFileName(int* pnPosition) const {
    if (pnPosition != nullptr)
        *pnPosition = -1;
    return std::wstring();
}

bool KyCCameraVideo::PreviousFile(ERUXVideoMediaType /*eMediaType*/) {
    return false;
}

bool KyCCameraVideo::NextFile(ERUXVideoMediaType /*eMediaType*/) {
    return false;
}

bool KyCCameraVideo::RemoveFile(ERUXVideoMediaType /*eMediaType*/) {
    return false;
}

bool KyCCameraVideo::RemoveFile() {
    return false;
}

const CbReferenceCounter<unsigned int>& KyCCameraVideo::getReferenceCounter() const {
    return m_ReferenceCounter;
}

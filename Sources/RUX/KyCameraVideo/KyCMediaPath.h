// Full paths and time-stamped names of the files in the media directory.
#pragma once

#include <string>

#include "CTime.h"
#include "KyCameraVideoApi.h"
#include "KyICameraVideo.h"

// Fixed names of the media directory: the files being written, and the one on its way out.
inline constexpr const wchar_t kszMediaTempVideo[] = L"~video.avi";
inline constexpr const wchar_t kszMediaTempPicture[] = L"~picture.jpg";
inline constexpr const wchar_t kszMediaTempRemove[] = L"~remove";
// Endings of media files, without and with their dot.
inline constexpr const wchar_t kszMediaExtVideo[] = L"avi";
inline constexpr const wchar_t kszMediaExtPicture[] = L"jpg";
inline constexpr const wchar_t kszMediaDotExtVideo[] = L".avi";
inline constexpr const wchar_t kszMediaDotExtPicture[] = L".jpg";

// Turns every separator of the other kind into the platform's ('\' on Windows, '/' elsewhere),
// keeps a leading run of separators whole (a network path keeps its two) and collapses every
// later run into one. Nothing else changes: "." and ".." stay, and so does a trailing separator.
KYCAMERAVIDEO_API std::wstring normalizePath(const std::wstring& strPath);

// The full path of a bare name in a directory: empty for an empty name, the normalised name for
// an empty directory, else the normalised "directory + separator + name".
KYCAMERAVIDEO_API std::wstring makeFilePath(const std::wstring& strDirectory,
                                            const std::wstring& strName);

// "YYYYMMDD-HHMMSS.avi" (video) or ".jpg" (picture) of the time in local time; empty for any
// other type. Throws COleException* (E_INVALIDARG) when the time has no local calendar form.
KYCAMERAVIDEO_API std::wstring makeMediaFilename(ERUXVideoMediaType eMediaType, const CTime& time);

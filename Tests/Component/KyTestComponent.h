// Shared helpers of the component tests: posted messages, reference counts, media files on disk
// and the controller's state as short strings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <KyCameraVideo/KyCameraVideo.h>

#include "KyCCameraVideoVDX.h"
#include "KyPlatform.h"
#include "KyTestFiles.h"

// A live display source that the recording acquisition logs by name.
class KyTestDisplaySource : public IAcquireDisplaySource {
public:
    IAcquireDisplay* GetDisplay(int /*nIndex*/) override { return nullptr; }
};

// Takes every posted message; each must be a state-changed "Video" message, else the test fails.
// Returns how many there were.
int KyTestTakeVideoMessages();

std::string KyTestUtf8(const std::wstring& str);
// The path with every '\' turned into the platform's separator.
std::wstring KyTestNative(const std::wstring& strPath);

// Seconds since 1970 as a Win32 file time.
KyPlatform::KyFileTime KyTestFileTime(std::int64_t nSeconds);
// Writes a file with the text and sets its last-write time.
bool KyTestWriteFile(const std::wstring& strPath, const std::string& strText,
                     std::int64_t nSeconds);

// 2024-01-01 08:00 UTC.
constexpr std::int64_t kKyTestMediaTime = 1704096000;
// The files of a catalogue pattern like "V P V": file i is "v<i>.avi" or "p<i>.jpg", written
// i minutes after kKyTestMediaTime, so that a scan lists them in the pattern's order.
bool KyTestWriteMedia(const std::wstring& strDirectory, const std::string& strPattern);
std::string KyTestJoin(const std::vector<std::string>& arrWords);
// The catalogue's names in order, "v0.avi p1.jpg ...".
std::string KyTestNames(const SCameraVideoState& state);
// The positions of the three views, "all/video/picture".
std::string KyTestViews(const SCameraVideoState& state);

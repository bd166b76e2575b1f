// The shape of the media directory's time-stamped names, for assertions.
#pragma once

#include <string>

// True for "YYYYMMDD-HHMMSS" followed by the extension (".avi", ".jpg"), digits where digits
// belong, and nothing else.
bool KyTestIsTimeStampedName(const std::string& strName, const std::string& strExtension);

// Matching a file name against a search pattern, as the directory search does.
#pragma once

#include <string>

#include "KyHostApi.h"

namespace KyPlatform {

// '*' matches any run of characters, '?' exactly one; letter case is ignored. Pure: no file
// system access, any input accepted.
KYHOST_API bool MatchWildcard(const std::wstring& strPattern, const std::wstring& strName);

}  // namespace KyPlatform

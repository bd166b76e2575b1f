// Conversions between the host's wide strings and UTF-8.
#pragma once

#include <string>

#include "KyHostApi.h"

// UTF-16 (Windows) or UTF-32 (elsewhere) to UTF-8; invalid code units become U+FFFD.
KYHOST_API std::string KyWideToUtf8(const std::wstring& str);
// UTF-8 to wide; invalid sequences become U+FFFD.
KYHOST_API std::wstring KyUtf8ToWide(const std::string& str);

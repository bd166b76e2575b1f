// Conversions between the host's wide strings and UTF-8.
#pragma once

#include <string>

#include "KyHostApi.h"

// UTF-16 (Windows) or UTF-32 (elsewhere) to UTF-8; invalid code units become U+FFFD, except
// that with UTF-32 U+DC80..U+DCFF turn back into the single bytes KyUtf8ToWide made them from.
KYHOST_API std::string KyWideToUtf8(const std::wstring& str);
// UTF-8 to wide; invalid sequences become U+FFFD with UTF-16, and with UTF-32 each byte of them
// becomes U+DC80..U+DCFF, so that any byte string (a POSIX file name) converts back unchanged.
KYHOST_API std::wstring KyUtf8ToWide(const std::string& str);

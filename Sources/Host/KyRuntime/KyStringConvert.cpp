#include "KyStringConvert.h"

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void appendWide(std::wstring& out, char32_t c) {
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
        c -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(c));
    }
}

const char32_t kReplacement = 0xFFFD;
// Where wide strings are UTF-32 (POSIX), a byte that is not part of valid UTF-8 becomes the
// lone surrogate U+DC80..U+DCFF and turns back into the same byte, so that a file name the
// system holds as arbitrary bytes survives the round trip to the host's wide paths.
const bool kEscapeBytes = sizeof(wchar_t) == 4;
const char32_t kEscapeFirst = 0xDC80;
const char32_t kEscapeLast = 0xDCFF;

void appendInvalid(std::wstring& out, unsigned char byte) {
    if (kEscapeBytes && byte >= 0x80)
        out.push_back(static_cast<wchar_t>(0xDC00 + byte));
    else
        appendWide(out, kReplacement);
}

}  // namespace

std::string KyWideToUtf8(const std::wstring& str) {
    std::string out;
    out.reserve(str.size());
    for (size_t i = 0; i < str.size(); ++i) {
        char32_t c = static_cast<char32_t>(str[i]);
        if (sizeof(wchar_t) == 2)
            c &= 0xFFFF;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < str.size()) {
            const char32_t low = static_cast<char32_t>(str[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (kEscapeBytes && c >= kEscapeFirst && c <= kEscapeLast) {
            out.push_back(static_cast<char>(c - 0xDC00));
            continue;
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = kReplacement;
        appendUtf8(out, c);
    }
    return out;
}

std::wstring KyUtf8ToWide(const std::string& str) {
    std::wstring out;
    out.reserve(str.size());
    size_t i = 0;
    while (i < str.size()) {
        const unsigned char lead = static_cast<unsigned char>(str[i]);
        int nMore = -1;
        if (lead < 0x80) {
            nMore = 0;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            nMore = 1;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            nMore = 2;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            nMore = 3;
        }
        if (nMore < 0 || i + static_cast<size_t>(nMore) >= str.size()) {
            appendInvalid(out, lead);
            ++i;
            continue;
        }
        char32_t c = nMore == 0 ? lead : lead & (0x3F >> nMore);
        bool bValid = true;
        for (int k = 1; k <= nMore; ++k) {
            const unsigned char cont = static_cast<unsigned char>(str[i + k]);
            if ((cont & 0xC0) != 0x80) {
                bValid = false;
                break;
            }
            c = (c << 6) | (cont & 0x3F);
        }
        const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (!bValid || c < minimum[nMore] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            appendInvalid(out, lead);
            ++i;
            continue;
        }
        appendWide(out, c);
        i += static_cast<size_t>(nMore) + 1;
    }
    return out;
}

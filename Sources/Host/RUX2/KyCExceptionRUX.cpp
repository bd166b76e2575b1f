#include "KyCExceptionRUX.h"

namespace RUXComponentFactory {

namespace {
// File names are ASCII paths in practice; anything wider is replaced, not mangled.
std::string narrow(const std::wstring& str) {
    std::string out;
    out.reserve(str.size());
    for (wchar_t c : str)
        out.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}
}  // namespace

KyCExceptionRUX::KyCExceptionRUX(const std::wstring& strFile, unsigned nNumber, const char* pszText)
    : CbException(narrow(strFile).c_str(), 0, "", pszText), m_nNumber(nNumber) {}

KyCExceptionRUX::~KyCExceptionRUX() = default;

KyCExceptionRUXComponentFactory::KyCExceptionRUXComponentFactory(const std::wstring& strFile,
                                                                 unsigned nNumber)
    : KyCExceptionRUX(strFile, nNumber, "acquisition device without camera video support") {}

KyCExceptionRUXComponentFactory::~KyCExceptionRUXComponentFactory() = default;

}  // namespace RUXComponentFactory

// Path conversions without the locale.
#include "KyCFilePath.h"

#include <system_error>
#include <type_traits>

#include "KyStringConvert.h"

namespace fs = std::filesystem;

namespace {

// Picked by the native string type of paths: wide on Windows, bytes elsewhere.
typedef std::is_same<fs::path::value_type, wchar_t> WideNative;

[[maybe_unused]] fs::path toPath(const std::wstring& strPath, std::true_type) {
    return fs::path(strPath);
}

[[maybe_unused]] fs::path toPath(const std::wstring& strPath, std::false_type) {
    return fs::path(KyWideToUtf8(strPath));
}

[[maybe_unused]] std::wstring fromNative(const std::wstring& strNative) {
    return strNative;
}

[[maybe_unused]] std::wstring fromNative(const std::string& strNative) {
    return KyUtf8ToWide(strNative);
}

}  // namespace

fs::path KyCFilePath::ToPath(const std::wstring& strPath) {
    return toPath(strPath, WideNative());
}

std::wstring KyCFilePath::FromPath(const fs::path& path) {
    return fromNative(path.native());
}

bool KyCFilePath::IsFile(const std::wstring& strPath) {
    std::error_code error;
    return !strPath.empty() && fs::is_regular_file(ToPath(strPath), error);
}

std::uint64_t KyCFilePath::Size(const std::wstring& strPath) {
    std::error_code error;
    const std::uintmax_t nBytes = fs::file_size(ToPath(strPath), error);
    return error ? 0 : nBytes;
}

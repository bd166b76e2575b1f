// Small file helpers for tests, through the standard library (independent of the platform layer).
#include "KyTestFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "KyStringConvert.h"

namespace fs = std::filesystem;

// Through UTF-8, so that names outside ASCII work whatever the C locale is.
static fs::path pathOf(const std::wstring& strPath) {
    return fs::u8path(KyWideToUtf8(strPath));
}

bool KyTestWriteFile(const std::wstring& strPath, const std::string& strBytes) {
    std::ofstream out(pathOf(strPath), std::ios::binary | std::ios::trunc);
    out.write(strBytes.data(), static_cast<std::streamsize>(strBytes.size()));
    return static_cast<bool>(out);
}

std::string KyTestReadFile(const std::wstring& strPath) {
    std::ifstream in(pathOf(strPath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool KyTestFileExists(const std::wstring& strPath) {
    std::error_code ec;
    return fs::exists(pathOf(strPath), ec);
}

bool KyTestIsDirectory(const std::wstring& strPath) {
    std::error_code ec;
    return fs::is_directory(pathOf(strPath), ec);
}

// A fresh directory per test under the system's temporary directory.
#include "KyTestTempDir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

KyTestTempDir::KyTestTempDir() {
    static std::atomic<unsigned> s_nNext{0};
    const auto nStamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path dir = fs::temp_directory_path() /
                   ("kytest-" + std::to_string(nStamp) + "-" + std::to_string(s_nNext++));
    fs::create_directories(dir);
    m_strPath = dir.wstring();
}

KyTestTempDir::~KyTestTempDir() {
    std::error_code ec;
    fs::remove_all(fs::path(m_strPath), ec);
}

std::wstring KyTestTempDir::File(const std::wstring& strName) const {
    return (fs::path(m_strPath) / strName).wstring();
}

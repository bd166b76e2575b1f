// A fresh directory per test under the system's temporary directory.
#include "KyTestTempDir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path freshName(const fs::path& parent) {
    static std::atomic<unsigned> s_nNext{0};
    const auto nStamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return parent / ("kytest-" + std::to_string(nStamp) + "-" + std::to_string(s_nNext++));
}

}  // namespace

// Throws when it cannot be made: a test must never write beside it.
KyTestTempDir::KyTestTempDir() {
    const fs::path dir = freshName(fs::temp_directory_path());
    fs::create_directories(dir);
    m_strPath = dir.wstring();
}

KyTestTempDir::KyTestTempDir(const std::wstring& strParent) {
    const fs::path dir = freshName(strParent);
    std::error_code ec;
    if (fs::create_directories(dir, ec))
        m_strPath = dir.wstring();
}

KyTestTempDir::~KyTestTempDir() {
    std::error_code ec;
    if (!m_strPath.empty())
        fs::remove_all(fs::path(m_strPath), ec);
}

std::wstring KyTestTempDir::File(const std::wstring& strName) const {
    return (fs::path(m_strPath) / strName).wstring();
}

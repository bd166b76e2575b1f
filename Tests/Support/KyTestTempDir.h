// A fresh directory for one test, removed with everything in it at the end.
#pragma once

#include <string>

class KyTestTempDir {
public:
    KyTestTempDir();
    ~KyTestTempDir();
    KyTestTempDir(const KyTestTempDir&) = delete;
    KyTestTempDir& operator=(const KyTestTempDir&) = delete;

    // The directory, without a trailing separator.
    const std::wstring& Path() const { return m_strPath; }
    // Path() + separator + name.
    std::wstring File(const std::wstring& strName) const;

private:
    std::wstring m_strPath;
};

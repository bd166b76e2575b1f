// A fresh directory for one test, removed with everything in it at the end.
#pragma once

#include <string>

class KyTestTempDir {
public:
    KyTestTempDir();
    // Under another parent directory; Path() is empty when it cannot be made there.
    explicit KyTestTempDir(const std::wstring& strParent);
    ~KyTestTempDir();
    KyTestTempDir(const KyTestTempDir&) = delete;
    KyTestTempDir& operator=(const KyTestTempDir&) = delete;

    const std::wstring& Path() const { return m_strPath; }  // no separator at the end
    std::wstring File(const std::wstring& strName) const;   // Path() + separator + name

private:
    std::wstring m_strPath;
};

// A binary stream that writes into a file.
#pragma once

#include <string>

#include "CbStreamWriteBinary.h"
#include "CyStreamModes.h"
#include "KyHostApi.h"

// Creates (or empties) the file on construction and throws a CbException when it cannot; every
// WriteBuffer appends and throws when the bytes cannot all be written (disk full, say). The
// destructor closes the file; Close does it early and reports a failure by throwing. A file
// created before a failure stays. One thread at a time.
class KYHOST_API CyStreamWriteBinaryFile : public CbStreamWriteBinary {
public:
    // Only the value 0 of each mode is supported; others throw.
    CyStreamWriteBinaryFile(const std::wstring& strPath, EAccessMode eAccessMode,
                            ECompressionMode eCompressionMode, ECompressionLevel eCompressionLevel);
    ~CyStreamWriteBinaryFile() override;
    CyStreamWriteBinaryFile(const CyStreamWriteBinaryFile&) = delete;
    CyStreamWriteBinaryFile& operator=(const CyStreamWriteBinaryFile&) = delete;

    void WriteBuffer(const void* pData, std::size_t nBytes) override;
    void Close();

    const std::wstring& GetPath() const { return m_strPath; }

private:
    std::wstring m_strPath;
    void* m_hFile = nullptr;  // KyPlatform file handle; null once closed
};

// A binary stream that writes into a file.
#include "CyStreamWriteBinaryFile.h"

#include <string>

#include "CbException.h"
#include "KyPlatform.h"
#include "KyStringConvert.h"

namespace {

[[noreturn]] void throwFileError(const char* pszFunction, unsigned nLine, const char* pszWhat,
                                 const std::wstring& strPath, unsigned nError) {
    const std::string strText = std::string(pszWhat) + " '" + KyWideToUtf8(strPath) + "' (error " +
                                std::to_string(nError) + ")";
    throw CbException(__FILE__, nLine, pszFunction, strText.c_str());
}

}  // namespace

CyStreamWriteBinaryFile::CyStreamWriteBinaryFile(const std::wstring& strPath,
                                                 EAccessMode eAccessMode,
                                                 ECompressionMode eCompressionMode,
                                                 ECompressionLevel eCompressionLevel)
    : m_strPath(strPath) {
    static const char* const s_pszFunction = "CyStreamWriteBinaryFile::CyStreamWriteBinaryFile";
    if (eAccessMode != eAccessModeCreate || eCompressionMode != eCompressionModeNone ||
        eCompressionLevel != eCompressionLevelDefault) {
        throwFileError(s_pszFunction, __LINE__, "unsupported mode for", strPath,
                       KyPlatform::kErrorInvalidParameter);
    }
    m_hFile = KyPlatform::OpenFileForWrite(strPath);
    if (m_hFile == nullptr)
        throwFileError(s_pszFunction, __LINE__, "cannot create", strPath,
                       KyPlatform::GetLastError());
}

CyStreamWriteBinaryFile::~CyStreamWriteBinaryFile() {
    if (m_hFile != nullptr)
        KyPlatform::CloseFile(m_hFile);
}

void CyStreamWriteBinaryFile::WriteBuffer(const void* pData, std::size_t nBytes) {
    static const char* const s_pszFunction = "CyStreamWriteBinaryFile::WriteBuffer";
    if (m_hFile == nullptr)
        throwFileError(s_pszFunction, __LINE__, "closed stream of", m_strPath,
                       KyPlatform::kErrorInvalidHandle);
    if (!KyPlatform::WriteFile(m_hFile, pData, nBytes))
        throwFileError(s_pszFunction, __LINE__, "cannot write", m_strPath,
                       KyPlatform::GetLastError());
}

void CyStreamWriteBinaryFile::Close() {
    if (m_hFile == nullptr)
        return;
    void* hFile = m_hFile;
    m_hFile = nullptr;
    if (!KyPlatform::CloseFile(hFile)) {
        throwFileError("CyStreamWriteBinaryFile::Close", __LINE__, "cannot close", m_strPath,
                       KyPlatform::GetLastError());
    }
}

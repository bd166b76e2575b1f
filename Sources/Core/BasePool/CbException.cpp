#include "CbException.h"

IObject::~IObject() = default;
IException::~IException() = default;

CbException::CbException(const char* pszFile, unsigned nLine, const char* pszFunction,
                         const char* pszText)
    : m_strFile(pszFile ? pszFile : ""),
      m_nLine(nLine),
      m_strFunction(pszFunction ? pszFunction : ""),
      m_strText(pszText ? pszText : "") {
    if (m_strText.empty()) {
        m_strText = m_strFunction + " (" + m_strFile + ":" + std::to_string(m_nLine) + ")";
    }
}

CbException::~CbException() = default;

CbExceptionUnknownExtension::CbExceptionUnknownExtension(const char* pszFile, unsigned nLine,
                                                         const char* pszFunction)
    : CbException(pszFile, nLine, pszFunction, "unknown extension") {}

CbExceptionUnknownExtension::~CbExceptionUnknownExtension() = default;

CbExceptionContainer::CbExceptionContainer(const char* pszFile, unsigned nLine,
                                           const char* pszFunction)
    : CbException(pszFile, nLine, pszFunction, "container error") {}

CbExceptionContainer::~CbExceptionContainer() = default;

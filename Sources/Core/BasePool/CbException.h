// Base library exceptions that carry where they were raised.
#pragma once

#include <string>

#include "IException.h"

// Carries the source file, line and qualified function name of the place that raised it.
class KYHOST_API CbException : public IException {
public:
    CbException(const char* pszFile, unsigned nLine, const char* pszFunction,
                const char* pszText = nullptr);
    ~CbException() override;

    const char* GetFile() const noexcept { return m_strFile.c_str(); }
    unsigned GetLine() const noexcept { return m_nLine; }
    const char* GetFunction() const noexcept { return m_strFunction.c_str(); }
    const char* GetText() const noexcept override { return m_strText.c_str(); }

private:
    std::string m_strFile;
    unsigned m_nLine;
    std::string m_strFunction;
    std::string m_strText;
};

// An extension name that the object does not answer to.
class KYHOST_API CbExceptionUnknownExtension : public CbException {
public:
    CbExceptionUnknownExtension(const char* pszFile, unsigned nLine, const char* pszFunction);
    ~CbExceptionUnknownExtension() override;
};

// Misuse or exhaustion of a container template.
class KYHOST_API CbExceptionContainer : public CbException {
public:
    CbExceptionContainer(const char* pszFile, unsigned nLine, const char* pszFunction);
    ~CbExceptionContainer() override;
};

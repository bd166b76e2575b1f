// The platform class library's exceptions: thrown by pointer, freed with Delete().
#pragma once

#include <cstdint>

#include "KyHostApi.h"

#if defined(_WIN32)
// The types of <winnt.h> (a typedef may be repeated with the same type), so that the status
// codes of <winerror.h> compile without all of <windows.h>.
typedef long HRESULT;
typedef long SCODE;
#include <winerror.h>
#else
typedef std::int32_t SCODE;
#ifndef E_INVALIDARG
#define E_INVALIDARG ((SCODE)0x80070057L)
#endif
#ifndef E_FAIL
#define E_FAIL ((SCODE)0x80004005L)
#endif
#endif

class KYHOST_API CException {
public:
    CException();
    virtual ~CException();
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;

    // Frees an exception caught by pointer.
    void Delete();
};

class KYHOST_API COleException : public CException {
public:
    explicit COleException(SCODE sc);
    ~COleException() override;

    SCODE m_sc;
};

// Throws a heap-allocated COleException carrying the status code.
[[noreturn]] KYHOST_API void AfxThrowOleException(SCODE sc);

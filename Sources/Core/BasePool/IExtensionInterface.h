// Host base interface: objects answer to extension names with an interface of theirs.
#pragma once

#include "KyHostApi.h"

class KYHOST_API IExtensionInterface {
public:
    virtual ~IExtensionInterface() = default;
    // The object itself for a name it answers to (exact, case-sensitive). Otherwise throws
    // CbExceptionUnknownExtension when bThrow is true, else returns null.
    virtual const IExtensionInterface* GetExtension(const char* pszName, bool bThrow) const = 0;
    virtual IExtensionInterface* GetExtension(const char* pszName, bool bThrow) = 0;
};

// Host base interface of every reference-counted object.
#pragma once

#include "CbReferenceCounter.h"
#include "KyHostApi.h"

class KYHOST_API IReferenceCounted {
public:
    virtual ~IReferenceCounted() = default;

protected:
    virtual const CbReferenceCounter<unsigned int>& getReferenceCounter() const = 0;

    template <class>
    friend class CbSmartPointer;
    template <class>
    friend class CbWeakPointer;
};

// A sink of bytes: the writing face of the base library's binary streams.
#pragma once

#include <cstddef>

#include "KyHostApi.h"

// Writes bytes in order. Failures are thrown (a CbException); a stream that threw may have
// written part of the bytes.
class KYHOST_API CbStreamWriteBinary {
public:
    virtual ~CbStreamWriteBinary();
    virtual void WriteBuffer(const void* pData, std::size_t nBytes) = 0;
};

// Root of the base library's exceptions; thrown by value.
#pragma once

#include <exception>

#include "IObject.h"

class KYHOST_API IException : public virtual IObject, public std::exception {
public:
    ~IException() override;
    // A text that says what went wrong; never null.
    virtual const char* GetText() const noexcept = 0;
    const char* what() const noexcept override { return GetText(); }
};

// Root of the base library's object hierarchy.
#pragma once

#include "KyHostApi.h"

class KYHOST_API IObject {
public:
    virtual ~IObject();
};

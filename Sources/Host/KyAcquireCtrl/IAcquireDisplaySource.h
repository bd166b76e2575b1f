// Where an acquisition finds the display to deliver frames to.
#pragma once

#include "KyHostApi.h"

class IAcquireDisplay;

class KYHOST_API IAcquireDisplaySource {
public:
    // The display for the index, or null.
    virtual IAcquireDisplay* GetDisplay(int nIndex) = 0;

protected:
    ~IAcquireDisplaySource() = default;
};

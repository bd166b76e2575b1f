// The built-in live display source: owns one live display and hands it out for every index.
#pragma once

#include "IAcquireDisplaySource.h"
#include "KyCLiveDisplay.h"
#include "KyHostApi.h"

class KYHOST_API KyCLiveDisplaySource final : public IAcquireDisplaySource {
public:
    KyCLiveDisplaySource();
    ~KyCLiveDisplaySource();
    KyCLiveDisplaySource(const KyCLiveDisplaySource&) = delete;
    KyCLiveDisplaySource& operator=(const KyCLiveDisplaySource&) = delete;

    // The live display, whatever the index.
    IAcquireDisplay* GetDisplay(int nIndex) override;
    KyCLiveDisplay& GetLiveDisplay() { return m_Display; }

private:
    KyCLiveDisplay m_Display;
};

// The built-in live display source.
#include "KyCLiveDisplaySource.h"

KyCLiveDisplaySource::KyCLiveDisplaySource() = default;
KyCLiveDisplaySource::~KyCLiveDisplaySource() = default;

IAcquireDisplay* KyCLiveDisplaySource::GetDisplay(int) {
    return &m_Display;
}

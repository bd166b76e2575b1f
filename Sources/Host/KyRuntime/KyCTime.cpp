// A point in time, or a span between two, on a monotonic clock.
#include "KyCTime.h"

#include <memory>
#include <mutex>

#include "KyPlatform.h"

namespace {

typedef std::function<std::int64_t()> ClockSource;

// The test clock: swapped whole under the mutex, called outside it, so that a slow source never
// blocks one that is being installed.
std::mutex g_ClockMutex;                      // guards g_pClockSource
std::shared_ptr<ClockSource> g_pClockSource;  // null: the platform's monotonic clock

}  // namespace

KyCTime::KyCTime(bool bNow) {
    if (bNow)
        SetCurrentTime();
}

void KyCTime::Invalidate() {
    m_nNanoseconds = 0;
    m_bValid = false;
}

void KyCTime::SetZero() {
    m_nNanoseconds = 0;
    m_bValid = true;
}

bool KyCTime::SetCurrentTime() {
    m_nNanoseconds = NowNanoseconds();
    m_bValid = true;
    return true;
}

KyCTime KyCTime::operator-(const KyCTime& earlier) const {
    KyCTime span;
    if (m_bValid && earlier.m_bValid) {
        span.m_nNanoseconds = m_nNanoseconds - earlier.m_nNanoseconds;
        span.m_bValid = true;
    }
    return span;
}

double KyCTime::Get() const {
    return m_bValid ? static_cast<double>(m_nNanoseconds) / 1e9 : 0.0;
}

void KyCTime::SetClockSourceForTesting(std::function<std::int64_t()> fnNowNanoseconds) {
    std::shared_ptr<ClockSource> pSource;
    if (fnNowNanoseconds)
        pSource = std::make_shared<ClockSource>(std::move(fnNowNanoseconds));
    std::lock_guard<std::mutex> lock(g_ClockMutex);
    g_pClockSource = std::move(pSource);
}

std::int64_t KyCTime::NowNanoseconds() {
    std::shared_ptr<ClockSource> pSource;
    {
        std::lock_guard<std::mutex> lock(g_ClockMutex);
        pSource = g_pClockSource;
    }
    return pSource ? (*pSource)() : KyPlatform::MonotonicNanoseconds();
}

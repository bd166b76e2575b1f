// Frame rates as exact fractions, from a frame interval in seconds.
#pragma once

#include <climits>
#include <cmath>

// The simplest fraction nNum / nDen that equals 1 / fFrameIntervalS within the precision of a
// float (so 1 / 18.0f gives 18 / 1, 0.04f gives 25 / 1, 2.0f gives 1 / 2). False for an interval
// that is not positive and finite, or a rate outside 1 / 1000000 to 1000000 frames per second.
inline bool KyFrameRateFromInterval(float fFrameIntervalS, int& nNum, int& nDen) {
    if (!std::isfinite(fFrameIntervalS) || fFrameIntervalS <= 0.0f)
        return false;
    const double fRate = 1.0 / static_cast<double>(fFrameIntervalS);
    if (fRate > 1e6 || fRate < 1e-6)
        return false;
    // Continued fraction convergents h/k until one is within a few float steps of the rate.
    const double fTolerance = fRate * 2.5e-7;
    long long h0 = 0, h1 = 1, k0 = 1, k1 = 0;
    double fRest = fRate;
    for (int i = 0; i < 64; ++i) {
        const double fWhole = std::floor(fRest);
        const long long h2 = static_cast<long long>(fWhole) * h1 + h0;
        const long long k2 = static_cast<long long>(fWhole) * k1 + k0;
        if (h2 > INT_MAX || k2 > INT_MAX)
            break;
        h0 = h1;
        h1 = h2;
        k0 = k1;
        k1 = k2;
        if (std::fabs(static_cast<double>(h1) / static_cast<double>(k1) - fRate) <= fTolerance)
            break;
        const double fFraction = fRest - fWhole;
        if (fFraction < 1e-12)
            break;
        fRest = 1.0 / fFraction;
    }
    if (k1 <= 0 || h1 <= 0)
        return false;
    nNum = static_cast<int>(h1);
    nDen = static_cast<int>(k1);
    return true;
}

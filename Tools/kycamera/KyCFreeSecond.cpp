// The wait for a free time-stamped name.
#include "KyCFreeSecond.h"

#include <chrono>
#include <thread>

#include "KyCFilePath.h"
#include "KyCMediaPath.h"
#include "KyPlatform.h"

namespace {

const unsigned kPollMs = 20;

bool isTaken(const std::wstring& strDirectory, ERUXVideoMediaType eType, std::int64_t nTime,
             std::wstring& strName) {
    strName = makeMediaFilename(eType, CTime(nTime));
    return KyCFilePath::IsFile(makeFilePath(strDirectory, strName));
}

unsigned millisecondsIntoSecond() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<unsigned>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 1000);
}

}  // namespace

bool KyCFreeSecond::Wait(const std::wstring& strDirectory, int nMediaType, std::wstring& strTaken) {
    strTaken.clear();
    const ERUXVideoMediaType eType = static_cast<ERUXVideoMediaType>(nMediaType);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMaxWaitMs);
    for (;;) {
        const std::int64_t nNow = KyPlatform::Time64();
        std::wstring strName;
        bool bTaken = isTaken(strDirectory, eType, nNow, strName);
        if (!bTaken && millisecondsIntoSecond() >= 1000 - kMarginMs)
            bTaken = isTaken(strDirectory, eType, nNow + 1, strName);
        if (!bTaken)
            return true;
        if (strTaken.empty())
            strTaken = strName;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
}

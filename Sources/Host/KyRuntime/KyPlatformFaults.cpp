// Fault table of the platform layer's test seam; portable, shared by both platform files.
#include "KyPlatformFaults.h"

#include <atomic>
#include <cwctype>
#include <mutex>
#include <vector>

namespace {

struct SFault {
    unsigned nOperations;
    std::wstring strSuffix;  // folded: lower case, '/' for both separators
    unsigned nError;
    unsigned nRemaining;  // 0: until cleared
};

std::wstring fold(const std::wstring& str) {
    std::wstring out(str);
    for (wchar_t& c : out)
        c = c == L'\\' ? L'/' : static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return out;
}

bool endsWith(const std::wstring& str, const std::wstring& strSuffix) {
    return str.size() >= strSuffix.size() &&
           str.compare(str.size() - strSuffix.size(), strSuffix.size(), strSuffix) == 0;
}

struct SFindTime {
    std::wstring strSuffix;  // folded
    std::uint64_t nTicks;
};

std::mutex g_Mutex;                  // guards g_Faults, g_FindTimes and g_nTriggered
std::vector<SFault> g_Faults;        // newest last
std::vector<SFindTime> g_FindTimes;  // newest last
unsigned g_nTriggered = 0;
std::atomic<bool> g_bAnyFault{false};  // lets Check skip the lock in normal runs

}  // namespace

namespace KyPlatformFaults {

void Inject(unsigned nOperations, const std::wstring& strPathSuffix, unsigned nError,
            unsigned nTimes) {
    std::lock_guard<std::mutex> lock(g_Mutex);
    g_Faults.push_back(SFault{nOperations, fold(strPathSuffix), nError, nTimes});
    g_bAnyFault.store(true);
}

void ClearAll() {
    std::lock_guard<std::mutex> lock(g_Mutex);
    g_Faults.clear();
    g_FindTimes.clear();
    g_nTriggered = 0;
    g_bAnyFault.store(false);
}

unsigned Check(EOperation eOperation, const std::wstring& strPath) {
    if (!g_bAnyFault.load())
        return 0;
    const std::wstring strFolded = fold(strPath);
    std::lock_guard<std::mutex> lock(g_Mutex);
    for (size_t i = g_Faults.size(); i-- > 0;) {
        SFault& fault = g_Faults[i];
        if ((fault.nOperations & eOperation) == 0 || !endsWith(strFolded, fault.strSuffix))
            continue;
        const unsigned nError = fault.nError;
        if (fault.nRemaining != 0 && --fault.nRemaining == 0)
            g_Faults.erase(g_Faults.begin() + static_cast<std::ptrdiff_t>(i));
        ++g_nTriggered;
        return nError;
    }
    return 0;
}

void InjectFindTime(const std::wstring& strNameSuffix, std::uint64_t nTicks) {
    std::lock_guard<std::mutex> lock(g_Mutex);
    g_FindTimes.push_back(SFindTime{fold(strNameSuffix), nTicks});
    g_bAnyFault.store(true);
}

bool CheckFindTime(const std::wstring& strName, std::uint64_t& nTicks) {
    if (!g_bAnyFault.load())
        return false;
    const std::wstring strFolded = fold(strName);
    std::lock_guard<std::mutex> lock(g_Mutex);
    for (size_t i = g_FindTimes.size(); i-- > 0;) {
        if (endsWith(strFolded, g_FindTimes[i].strSuffix)) {
            nTicks = g_FindTimes[i].nTicks;
            return true;
        }
    }
    return false;
}

unsigned GetTriggeredCount() {
    std::lock_guard<std::mutex> lock(g_Mutex);
    return g_nTriggered;
}

}  // namespace KyPlatformFaults

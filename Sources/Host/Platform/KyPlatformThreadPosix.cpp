// The POSIX platform layer's thread services: ids, names, priorities, processor affinity.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // pthread_setname_np, sched_setaffinity
#endif

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "KyPlatform.h"
#include "KyPlatformPosixDetail.h"
#include "KyStringConvert.h"

namespace KyPlatform {

using namespace Detail;

std::uint64_t GetCurrentThreadId() {
    return static_cast<std::uint64_t>(::syscall(SYS_gettid));
}

void SetCurrentThreadName(const std::wstring& strName) {
    std::string str = KyWideToUtf8(strName);
    if (str.size() > 15) {
        size_t nCut = 15;
        while (nCut > 0 && (static_cast<unsigned char>(str[nCut]) & 0xC0) == 0x80)
            --nCut;  // never split a UTF-8 sequence
        str.resize(nCut);
    }
    ::pthread_setname_np(::pthread_self(), str.c_str());
}

std::wstring GetCurrentThreadName() {
    char szName[64] = {};
    if (::pthread_getname_np(::pthread_self(), szName, sizeof(szName)) != 0)
        return std::wstring();
    return KyUtf8ToWide(szName);
}

bool SetThreadPriority(std::uint64_t nThreadId, int nPriority) {
    int nNice = 0;
    switch (nPriority) {
        case -15:
            nNice = 19;
            break;
        case -2:
            nNice = 10;
            break;
        case -1:
            nNice = 5;
            break;
        case 0:
            nNice = 0;
            break;
        case 1:
            nNice = -5;
            break;
        case 2:
            nNice = -10;
            break;
        case 15:
            nNice = -20;
            break;
        default:
            return fail(kErrorInvalidParameter);
    }
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(nThreadId), nNice) != 0)
        return fail(errorFromErrno(errno));
    return true;
}

bool SetThreadAffinityMask(std::uint64_t nThreadId, std::uintptr_t nMask) {
    nMask &= GetProcessAffinityMask();
    if (nMask == 0)
        return fail(kErrorInvalidParameter);
    cpu_set_t set;
    CPU_ZERO(&set);
    for (unsigned i = 0; i < sizeof(nMask) * 8; ++i) {
        if (nMask & (std::uintptr_t(1) << i))
            CPU_SET(i, &set);
    }
    if (::sched_setaffinity(static_cast<pid_t>(nThreadId), sizeof(set), &set) != 0)
        return fail(errorFromErrno(errno));
    return true;
}

std::uintptr_t GetProcessAffinityMask() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(::getpid(), sizeof(set), &set) != 0)
        return 1;
    std::uintptr_t nMask = 0;
    for (unsigned i = 0; i < sizeof(nMask) * 8; ++i) {
        if (CPU_ISSET(i, &set))
            nMask |= std::uintptr_t(1) << i;
    }
    return nMask;
}

}  // namespace KyPlatform

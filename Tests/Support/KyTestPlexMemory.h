// Memory source for node pool tests: counts requests and can refuse them.
#pragma once

#include <cstddef>
#include <functional>
#include <new>
#include <vector>

// A CbPlexManager memory source whose answers the test chooses per request: real memory or a
// refusal. Records every request's size and every chunk given back, in order. Process-wide
// state: call Reset at the start of each test.
class KyTestPlexMemory {
public:
    enum EAnswer { eReal, eRefuse };

    static void Reset() {
        s_Answer = nullptr;
        s_OnFree = nullptr;
        s_arrRequestBytes.clear();
        s_arrFreed.clear();
    }
    static void* Allocate(std::size_t nBytes, std::size_t nAlignment) noexcept {
        s_arrRequestBytes.push_back(nBytes);
        if (s_Answer && s_Answer(s_arrRequestBytes.size() - 1) == eRefuse)
            return nullptr;
        return ::operator new(nBytes, std::align_val_t(nAlignment), std::nothrow);
    }
    static void Free(void* pMemory, std::size_t nAlignment) noexcept {
        if (s_OnFree)
            s_OnFree();
        s_arrFreed.push_back(pMemory);
        ::operator delete(pMemory, std::align_val_t(nAlignment));
    }

    inline static std::function<EAnswer(std::size_t nIndex)> s_Answer;
    inline static std::function<void()> s_OnFree;
    inline static std::vector<std::size_t> s_arrRequestBytes;
    inline static std::vector<void*> s_arrFreed;  // chunks given back, in order
};

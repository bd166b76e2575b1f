// Where the node pool gets its chunks from: the global heap, aligned.
#pragma once

#include <cstddef>
#include <new>

// The node pool's default memory source. A pool takes its source as a template argument, so
// that a test can refuse or record requests without exhausting real memory. Allocate returns
// null when the memory is not there; it never throws.
class CbPlexMemory {
public:
    static void* Allocate(std::size_t nBytes, std::size_t nAlignment) noexcept {
        return ::operator new(nBytes, std::align_val_t(nAlignment), std::nothrow);
    }
    static void Free(void* pMemory, std::size_t nAlignment) noexcept {
        ::operator delete(pMemory, std::align_val_t(nAlignment));
    }
};

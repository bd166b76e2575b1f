// Frame queue cost: one add and one remove per frame, and the heap allocations that takes.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <list>
#include <new>

#include "CbListBaseIntermediate.h"
#include "KyCFieldBase.h"

// Every global allocation of this program is counted, so a cycle that allocates shows up.
static std::atomic<long long> s_nAllocations{0};

static void* countedAllocate(std::size_t nBytes, std::size_t nAlignment) {
    s_nAllocations.fetch_add(1, std::memory_order_relaxed);
    if (nBytes == 0)
        nBytes = 1;
    void* p = nullptr;
    if (nAlignment <= alignof(std::max_align_t))
        p = std::malloc(nBytes);
    else if (posix_memalign(&p, nAlignment, nBytes) != 0)
        p = nullptr;
    return p;
}

// The count so far, for the other benchmarks of this program.
long long KyBenchAllocationCount() {
    return s_nAllocations.load();
}

// Out of line, so that the compiler does not pair the inlined free with operator new.
[[gnu::noinline]] static void countedFree(void* p) noexcept {
    std::free(p);
}

void* operator new(std::size_t nBytes) {
    if (void* p = countedAllocate(nBytes, 0))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t nBytes) {
    return operator new(nBytes);
}
void* operator new(std::size_t nBytes, const std::nothrow_t&) noexcept {
    return countedAllocate(nBytes, 0);
}
void* operator new[](std::size_t nBytes, const std::nothrow_t&) noexcept {
    return countedAllocate(nBytes, 0);
}
void* operator new(std::size_t nBytes, std::align_val_t al) {
    if (void* p = countedAllocate(nBytes, static_cast<std::size_t>(al)))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t nBytes, std::align_val_t al, const std::nothrow_t&) noexcept {
    return countedAllocate(nBytes, static_cast<std::size_t>(al));
}
void operator delete(void* p) noexcept {
    countedFree(p);
}
void operator delete[](void* p) noexcept {
    countedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    countedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    countedFree(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    countedFree(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    countedFree(p);
}

namespace {

typedef CbListBaseIntermediate<KyCFieldBase, 9> FrameList;

// A VGA BGRA frame, as the camera delivers it.
KyCFieldBase MakeFrame() {
    return KyCFieldBase(KyCRect2(0, 0, 639, 479), 4, 0);
}

// Steady state of a recording: a few frames wait, each new one is queued and the oldest taken.
void BM_FrameQueueAddRemove(benchmark::State& state) {
    FrameList list(FrameList::SharedPlexManager::Create(10u, 0u, 1.5f));
    const KyCFieldBase frame = MakeFrame();
    for (int i = 0; i < 5; ++i) {
        FrameList::Node* pNode = list.GetPlexManager().getFreeElement();
        pNode->m_Element = frame;
        list.AddTail(pNode);
    }
    const long long nBefore = s_nAllocations.load();
    for (auto _ : state) {
        FrameList::Node* pNode = list.GetPlexManager().getFreeElement();
        pNode->m_Element = frame;
        list.AddTail(pNode);
        list.RemoveHead();
        benchmark::DoNotOptimize(list.GetHead());
    }
    const long long nAllocations = s_nAllocations.load() - nBefore;
    state.counters["allocs_per_cycle"] =
        benchmark::Counter(static_cast<double>(nAllocations) / state.iterations());
    state.counters["blocks"] = list.GetPlexManager().GetBlocksAllocated();
}
BENCHMARK(BM_FrameQueueAddRemove);

// A burst: the queue fills to its capacity of 10 frames and drains again.
void BM_FrameQueueFillAndDrain(benchmark::State& state) {
    FrameList list(FrameList::SharedPlexManager::Create(10u, 0u, 1.5f));
    const KyCFieldBase frame = MakeFrame();
    const long long nBefore = s_nAllocations.load();
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            FrameList::Node* pNode = list.GetPlexManager().getFreeElement();
            pNode->m_Element = frame;
            list.AddTail(pNode);
        }
        while (list.GetCount() > 0)
            list.RemoveHead();
    }
    // The first iteration obtains the one block of 10 nodes (its memory and its chunk record);
    // nothing after that.
    state.counters["allocs_total"] = static_cast<double>(s_nAllocations.load() - nBefore);
    state.counters["blocks"] = list.GetPlexManager().GetBlocksAllocated();
}
BENCHMARK(BM_FrameQueueFillAndDrain);

// For comparison: the standard list allocates a node for every frame.
void BM_StdListAddRemove(benchmark::State& state) {
    std::list<KyCFieldBase> list(5, MakeFrame());
    const KyCFieldBase frame = MakeFrame();
    const long long nBefore = s_nAllocations.load();
    for (auto _ : state) {
        list.push_back(frame);
        list.pop_front();
        benchmark::DoNotOptimize(list.front().m_pData);
    }
    state.counters["allocs_per_cycle"] = benchmark::Counter(
        static_cast<double>(s_nAllocations.load() - nBefore) / state.iterations());
}
BENCHMARK(BM_StdListAddRemove);

}  // namespace

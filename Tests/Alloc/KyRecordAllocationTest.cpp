// Heap allocations on the frame path: none per frame once the buffers and the first queue block
// exist. Every operator new of this program is counted, which is why it is a program of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

#include "KyCLiveDisplay.h"
#include "KyTestCameraVideoRecord.h"
#include "KyTestFrameDelivery.h"
#include "KyTestTempDir.h"

namespace {

std::atomic<long long> g_nAllocations{0};

}  // namespace

#if !defined(_WIN32)
namespace {

void* countedAllocate(std::size_t nBytes, std::size_t nAlignment) {
    g_nAllocations.fetch_add(1, std::memory_order_relaxed);
    if (nBytes == 0)
        nBytes = 1;
    if (nAlignment <= alignof(std::max_align_t))
        return std::malloc(nBytes);
    // aligned_alloc wants a multiple of the alignment.
    return std::aligned_alloc(nAlignment, (nBytes + nAlignment - 1) / nAlignment * nAlignment);
}

// Out of line, so that the compiler does not pair the inlined free with operator new.
[[gnu::noinline]] void countedFree(void* p) noexcept {
    std::free(p);
}

}  // namespace

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
void* operator new(std::size_t nBytes, std::align_val_t nAlignment) {
    if (void* p = countedAllocate(nBytes, static_cast<std::size_t>(nAlignment)))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t nBytes, std::align_val_t nAlignment) {
    return operator new(nBytes, nAlignment);
}
void* operator new(std::size_t nBytes, std::align_val_t nAlignment,
                   const std::nothrow_t&) noexcept {
    return countedAllocate(nBytes, static_cast<std::size_t>(nAlignment));
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
void operator delete[](void* p, std::align_val_t) noexcept {
    countedFree(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    countedFree(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    countedFree(p);
}
#endif

namespace {

typedef std::chrono::steady_clock Clock;

template <class Condition>
bool waitFor(Condition condition) {
    const Clock::time_point start = Clock::now();
    while (!condition()) {
        if (Clock::now() - start > std::chrono::seconds(10))
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

}  // namespace

TEST(KyRecordAllocationTest, RecordingAndDisplayingFramesAllocatesNothingPerFrame) {
#if defined(_WIN32)
    // The DLLs bring their own operator new: this program would count only its own calls.
    GTEST_SKIP() << "allocations inside the DLLs are not visible to this program on Windows";
#endif
    const KyCSize2 frame(320, 240);
    KyTestTempDir dir;
    KyCLiveDisplay live;
    KyTestCameraVideoRecord worker;
    ASSERT_TRUE(worker.StartThread(&live, frame, 15));
    ASSERT_TRUE(worker.StartRecording(18, dir.File(L"v.avi")));

    // Each frame: written by the camera, queued, written to the video by the loop, pulled by
    // the live display's refresh thread through the picture callback.
    auto oneFrame = [&] {
        const int nWritten = worker.GetFramesWritten();
        const unsigned nShown = live.GetPicturesShown();
        if (!KyTestDeliverMarked(worker, frame))
            return false;
        return waitFor([&] {
            return worker.GetFramesWritten() > nWritten && worker.getFrameCount() == 0u &&
                   live.GetPicturesShown() > nShown;
        });
    };
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(oneFrame()) << "warm-up frame " << i;
    // The pool allocates a buffer the first time every allocated one is still shared, which a
    // late display or loop can cause at any frame. A burst against a stalled writer makes the
    // pool as large as it gets, so that what is counted below is only the per-frame path.
    int nBurst = 0;
    {
        CbCriticalSectionLock stall(worker.WriterLock());
        for (int i = 0; i < 16; ++i)
            nBurst += KyTestDeliverMarked(worker, frame) ? 1 : 0;
    }
    ASSERT_GE(nBurst, 12);
    ASSERT_TRUE(waitFor([&] { return worker.getFrameCount() == 0u; }));
    ASSERT_GE(worker.BuffersAllocated(), 12u);

    const long long nBefore = g_nAllocations.load();
    const int nWrittenBefore = worker.GetFramesWritten();
    int nFrames = 0;
    for (; nFrames < 300; ++nFrames) {
        if (!oneFrame())
            break;
    }
    const long long nAllocations = g_nAllocations.load() - nBefore;
    EXPECT_EQ(nFrames, 300);
    EXPECT_GE(worker.GetFramesWritten() - nWrittenBefore, 300);
    EXPECT_EQ(nAllocations, 0) << "over " << nFrames << " frames";
    EXPECT_EQ(worker.QueueBlocksAllocated(), 1u);
    ASSERT_TRUE(worker.StopThread());
}

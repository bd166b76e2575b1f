// Heap allocations on the frame path of a recording through the component: none per frame once
// the buffers and the first queue block exist. Every operator new of this program is counted, which
// is why it is a program of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

#include "KyCCameraVideoVDX.h"
#include "KyCLiveDisplaySource.h"
#include "KyTestFrameDelivery.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"
#include "KyTestWait.h"

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

TEST(KyRecordAllocationTest, RecordingAndDisplayingFramesAllocatesNothingPerFrame) {
#if defined(_WIN32)
    // The DLLs bring their own operator new: this program would count only its own calls.
    GTEST_SKIP() << "allocations inside the DLLs are not visible to this program on Windows";
#endif
    const KyCSize2 frame(320, 240);
    KyTestTempDir dir;
    KyTestRecordingAcquisition acquisition;
    KyCLiveDisplaySource source;
    KyCLiveDisplay& live = source.GetLiveDisplay();
    live.SetBitmapSize(frame);
    live.SetPixelFormat(15);
    KyCCameraVideoVDX controller;
    controller.SetLiveBitmapHandler(&source);
    ASSERT_TRUE(controller.SetFilePath(dir.Path()));
    ASSERT_TRUE(controller.SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    ASSERT_TRUE(controller.StartVideo());
    IAcquireDisplay& camera = *acquisition.GetDisplaySource()->GetDisplay(0);

    // Each frame: written by the camera, queued, written to the video by the loop, pulled by
    // the live display's refresh thread through the picture callback.
    auto oneFrame = [&] {
        const std::uint64_t nWritten = controller.GetRecordingStatistics().nFramesWritten;
        const unsigned nShown = live.GetPicturesShown();
        if (!KyTestDeliverMarked(camera, frame))
            return false;
        return KyTestWaitFor([&] {
            const SRecordingStatistics stats = controller.GetRecordingStatistics();
            return stats.nFramesWritten > nWritten && stats.nFramesWaiting == 0 &&
                   live.GetPicturesShown() > nShown;
        });
    };
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(oneFrame()) << "warm-up frame " << i;
    // The pool allocates a buffer the first time every allocated one is still shared, which a
    // late display or loop can cause at any frame. A burst against a stalled writer makes the
    // pool as large as it gets, so that what is counted below is only the per-frame path.
    int nBurst = 0;
    controller.HoldWriterForTesting(true);
    for (int i = 0; i < 16; ++i)
        nBurst += KyTestDeliverMarked(camera, frame) ? 1 : 0;
    controller.HoldWriterForTesting(false);
    ASSERT_GE(nBurst, 12);
    ASSERT_TRUE(
        KyTestWaitFor([&] { return controller.GetRecordingStatistics().nFramesWaiting == 0; }));

    const long long nBefore = g_nAllocations.load();
    const std::uint64_t nWrittenBefore = controller.GetRecordingStatistics().nFramesWritten;
    int nFrames = 0;
    for (; nFrames < 300; ++nFrames) {
        if (!oneFrame())
            break;
    }
    const long long nAllocations = g_nAllocations.load() - nBefore;
    EXPECT_EQ(nFrames, 300);
    EXPECT_GE(controller.GetRecordingStatistics().nFramesWritten - nWrittenBefore, 300u);
    EXPECT_EQ(nAllocations, 0) << "over " << nFrames << " frames";
    EXPECT_TRUE(controller.StopVideo());
    controller.SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
}

// The recording path: the display sink's cost per frame against a memcpy, the recording loop's
// throughput against bare libjpeg-turbo and the ffmpeg tool, still-capture and start/stop latency.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "KyCAcquireDisplayBase.h"
#include "KyCAcquisitionCommon.h"
#include "KyCCameraVideoRecord.h"
#include "KyCCameraVideoVDX.h"
#include "KyCLiveDisplay.h"
#include "KyCSyntheticCamera.h"
#include "KyCVideoCreator.h"
#include "KyPlatform.h"

// Every operator new of this program, counted by the frame queue benchmark's allocator.
long long KyBenchAllocationCount();

namespace {

namespace fs = std::filesystem;
typedef std::chrono::steady_clock Clock;

// The worker, stopped before its fields go.
class BenchWorker : public KyCCameraVideoRecord {
public:
    BenchWorker() : KyCCameraVideoRecord(eThreadPriorityNormal) {}
    ~BenchWorker() override { StopThread(); }
    unsigned FramesWaiting() const { return GetStatistics().nFramesWaiting; }
};

// A host display that hands out one buffer of its own and keeps nothing: the copy's target. It
// pulls the picture through the worker's callback inside UpdateDisplay, on the frame's thread.
class BenchTargetDisplay : public KyCAcquireDisplayBase {
public:
    void SetPictureCallback(CbPictureCallback callback) override { m_Callback = callback; }
    void UpdateDisplay(int) override {
        if (m_Callback.IsValid())
            m_Callback(this);
    }
    unsigned char* GetBitmapBuffer(KyCSize2 size, int* pnPitch, unsigned nBitsPerPixel) override {
        const int nPitch = size.nWidth * static_cast<int>(nBitsPerPixel / 8);
        const size_t nBytes = static_cast<size_t>(nPitch) * size.nHeight;
        if (m_vecBuffer.size() < nBytes)
            m_vecBuffer.resize(nBytes);
        if (pnPitch != nullptr)
            *pnPitch = nPitch;
        return m_vecBuffer.data();
    }
    void ReleaseBitmapBuffer(bool) override {}

private:
    CbPictureCallback m_Callback;
    std::vector<unsigned char> m_vecBuffer;
};

// A camera-like BGRA picture, rows top first: smooth shading with fine grain, so that the JPEG
// encoders see detail rather than flat areas.
std::vector<unsigned char> makePicture(int nWidth, int nHeight) {
    std::vector<unsigned char> vecPixels(static_cast<size_t>(nWidth) * nHeight * 4);
    unsigned nSeed = 12345;
    for (int y = 0; y < nHeight; ++y) {
        for (int x = 0; x < nWidth; ++x) {
            nSeed = nSeed * 1103515245u + 12345u;
            const int nGrain = static_cast<int>((nSeed >> 16) & 15) - 8;
            const double fX = static_cast<double>(x) / nWidth,
                         fY = static_cast<double>(y) / nHeight;
            unsigned char* p = &vecPixels[(static_cast<size_t>(y) * nWidth + x) * 4];
            const double fShade[3] = {128 + 100 * std::sin(6.0 * fX + 2.0 * fY),
                                      128 + 90 * std::cos(4.0 * fY - 3.0 * fX),
                                      128 + 80 * std::sin(9.0 * fX * fY + 1.0)};
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<unsigned char>(std::clamp(fShade[c] + nGrain, 0.0, 255.0));
            p[3] = 255;
        }
    }
    return vecPixels;
}

fs::path benchDirectory() {
    fs::path dir = fs::temp_directory_path() / "kybench-recording";
    fs::create_directories(dir);
    return dir;
}

// Writes the picture into the display the way a camera does.
bool deliver(IAcquireDisplay& display, const std::vector<unsigned char>& vecPicture, int nWidth,
             int nHeight) {
    int nPitch = 0;
    unsigned char* pData = display.GetBitmapBuffer(KyCSize2(nWidth, nHeight), &nPitch, 32);
    if (pData == nullptr) {
        display.ReleaseBitmapBuffer(false);
        return false;
    }
    const size_t nRow = static_cast<size_t>(nWidth) * 4;
    for (int y = 0; y < nHeight; ++y)
        std::memcpy(pData + static_cast<ptrdiff_t>(y) * nPitch, &vecPicture[y * nRow], nRow);
    display.ReleaseBitmapBuffer(true);
    return true;
}

void addSizes(benchmark::internal::Benchmark* pBench) {
    pBench->Args({640, 480})->Args({1280, 720})->Args({1920, 1080});
}

// One memcpy of the frame: the yardstick of the sink's cost.
void BM_FrameMemcpy(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0)), nHeight = static_cast<int>(state.range(1));
    const std::vector<unsigned char> vecSource = makePicture(nWidth, nHeight);
    std::vector<unsigned char> vecTarget(vecSource.size());
    for (auto _ : state) {
        std::memcpy(vecTarget.data(), vecSource.data(), vecSource.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(vecSource.size()));
}
BENCHMARK(BM_FrameMemcpy)->Apply(addSizes)->Unit(benchmark::kMicrosecond);

// GetBitmapBuffer + ReleaseBitmapBuffer + one picture callback into a host display.
void BM_SinkPerFrame(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0)), nHeight = static_cast<int>(state.range(1));
    BenchWorker worker;
    BenchTargetDisplay target;
    if (!worker.StartThread(&target, KyCSize2(nWidth, nHeight), 15)) {
        state.SkipWithError("worker did not start");
        return;
    }
    // One frame first: the target display's buffer and the worker's first buffer exist then.
    auto oneFrame = [&] {
        int nPitch = 0;
        unsigned char* pData = worker.GetBitmapBuffer(KyCSize2(nWidth, nHeight), &nPitch, 32);
        benchmark::DoNotOptimize(pData);
        worker.ReleaseBitmapBuffer(pData != nullptr);  // the target pulls the picture
    };
    oneFrame();
    const long long nBefore = KyBenchAllocationCount();
    for (auto _ : state)
        oneFrame();
    state.counters["allocs_per_frame"] =
        static_cast<double>(KyBenchAllocationCount() - nBefore) / state.iterations();
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(nWidth) * nHeight * 4);
    worker.StopThread();
}
BENCHMARK(BM_SinkPerFrame)->Apply(addSizes)->Unit(benchmark::kMicrosecond);

const int kThroughputFrames = 120;

// The whole recording path: a producer writes frames into the worker, the recording loop writes
// them into the AVI on its own thread. Frames per second of the loop.
void BM_RecordingLoop(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0)), nHeight = static_cast<int>(state.range(1));
    const std::vector<unsigned char> vecPicture = makePicture(nWidth, nHeight);
    const std::wstring strFile = (benchDirectory() / "loop.avi").wstring();
    BenchWorker worker;
    if (!worker.StartThread(nullptr, KyCSize2(nWidth, nHeight), 15)) {
        state.SkipWithError("worker did not start");
        return;
    }
    long long nAllocations = 0;
    long long nFrames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        worker.StartRecording(18, strFile);
        // Warm-up: every pooled buffer and the queue's block exist afterwards.
        for (int i = 0; i < 20; ++i) {
            while (worker.FramesWaiting() >= 4)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            deliver(worker, vecPicture, nWidth, nHeight);
        }
        while (worker.FramesWaiting() > 0 || worker.GetFramesWritten() < 20)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        const int nStart = worker.GetFramesWritten();
        const long long nAllocBefore = KyBenchAllocationCount();
        state.ResumeTiming();
        // The producer keeps a few frames waiting, so that the loop never runs dry.
        for (int i = 0; i < kThroughputFrames; ++i) {
            while (worker.FramesWaiting() >= 4)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            deliver(worker, vecPicture, nWidth, nHeight);
        }
        while (worker.FramesWaiting() > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        nAllocations += KyBenchAllocationCount() - nAllocBefore;
        // Waits for the frame in hand and closes the file: part of the recording's cost.
        worker.StopRecording();
        nFrames += worker.GetFramesWritten() - nStart;
    }
    worker.StopThread();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(nFrames), benchmark::Counter::kIsRate);
    state.counters["allocs_per_frame"] = static_cast<double>(nAllocations) / nFrames;
}
BENCHMARK(BM_RecordingLoop)
    ->Apply(addSizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// The frames as the recording loop meets them: each just written by the camera into the next of
// the worker's 13 pooled buffers, so that the encoders below read memory in the same state.
class FrameRing {
public:
    explicit FrameRing(const std::vector<unsigned char>& vecPicture) : m_vecPicture(vecPicture) {
        for (std::vector<unsigned char>& buffer : m_vecBuffers)
            buffer.resize(vecPicture.size());
    }
    const unsigned char* Deliver() {
        std::vector<unsigned char>& buffer = m_vecBuffers[m_nNext++ % m_vecBuffers.size()];
        std::memcpy(buffer.data(), m_vecPicture.data(), buffer.size());
        return buffer.data();
    }

private:
    const std::vector<unsigned char>& m_vecPicture;
    std::array<std::vector<unsigned char>, 13> m_vecBuffers;
    size_t m_nNext = 0;
};

// What the recording loop does per frame, on the calling thread: the writer's ProcessFrame with
// the bottom row first. The camera's copy is not timed.
void BM_WriterProcessFrame(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0)), nHeight = static_cast<int>(state.range(1));
    const std::vector<unsigned char> vecPicture = makePicture(nWidth, nHeight);
    FrameRing ring(vecPicture);
    const int nPitch = nWidth * 4;
    KyCVideoCreator writer((benchDirectory() / "writer.avi").wstring(),
                           static_cast<unsigned>(nWidth), static_cast<unsigned>(nHeight),
                           1.0f / 18.0f);
    for (auto _ : state) {
        state.PauseTiming();
        const unsigned char* pBottom = ring.Deliver() + static_cast<size_t>(nHeight - 1) * nPitch;
        state.ResumeTiming();
        benchmark::DoNotOptimize(writer.ProcessFrame(pBottom, -nPitch));
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriterProcessFrame)->Apply(addSizes)->Unit(benchmark::kMillisecond);

// Bare libjpeg-turbo: the same frames, bottom-up BGRA, 4:2:0, quality 90, one thread.
void BM_BareTurboJpeg(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0)), nHeight = static_cast<int>(state.range(1));
    const std::vector<unsigned char> vecPicture = makePicture(nWidth, nHeight);
    FrameRing ring(vecPicture);
    tjhandle hCompressor = tjInitCompress();
    unsigned long nCapacity = tjBufSize(nWidth, nHeight, TJSAMP_420);
    unsigned char* pOut = tjAlloc(static_cast<int>(nCapacity));
    for (auto _ : state) {
        state.PauseTiming();
        const unsigned char* pFrame = ring.Deliver();
        state.ResumeTiming();
        unsigned long nSize = nCapacity;
        if (tjCompress2(hCompressor, pFrame, nWidth, nWidth * 4, nHeight, TJPF_BGRX, &pOut, &nSize,
                        TJSAMP_420, 90, TJFLAG_NOREALLOC | TJFLAG_BOTTOMUP) != 0)
            state.SkipWithError("tjCompress2 failed");
        benchmark::DoNotOptimize(nSize);
    }
    tjFree(pOut);
    tjDestroy(hCompressor);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareTurboJpeg)->Apply(addSizes)->Unit(benchmark::kMillisecond);

// The ffmpeg tool on the same frames, piped in raw, into a Motion JPEG AVI on one thread.
void BM_FfmpegTool(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0)), nHeight = static_cast<int>(state.range(1));
    const std::vector<unsigned char> vecPicture = makePicture(nWidth, nHeight);
    const std::string strCommand =
        "ffmpeg -loglevel error -nostdin -y -f rawvideo -pix_fmt bgra -s " +
        std::to_string(nWidth) + "x" + std::to_string(nHeight) +
        " -i - -c:v mjpeg -pix_fmt yuvj420p -threads 1 " +
        (benchDirectory() / "ffmpeg.avi").string();
    long long nFrames = 0;
    for (auto _ : state) {
        FILE* pPipe = popen(strCommand.c_str(), "w");
        if (pPipe == nullptr) {
            state.SkipWithError("cannot run ffmpeg");
            return;
        }
        for (int i = 0; i < kThroughputFrames; ++i)
            std::fwrite(vecPicture.data(), 1, vecPicture.size(), pPipe);
        if (pclose(pPipe) != 0) {
            state.SkipWithError("ffmpeg failed");
            return;
        }
        nFrames += kThroughputFrames;
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(nFrames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FfmpegTool)
    ->Apply(addSizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// Waits for the wall clock's next second: a picture's name is its second.
void waitForAFreshSecond() {
    const std::int64_t nNow = KyPlatform::Time64();
    while (KyPlatform::Time64() == nNow)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// The controller in camera mode on the built-in camera at 1920 × 1080 and 15 frames per second.
class CameraSession {
public:
    explicit CameraSession(ERUXVideoMediaType eMediaType)
        : m_Camera(RUXComponentFactory::GetBuiltInCamera()) {
        RUXComponentFactory::SetAcquisition(nullptr);
        m_Camera.SetFrameSize(KyCSize2(1920, 1080));
        m_Camera.SetFrameRate(kFramesPerSecond);
        KyCLiveDisplay& live = RUXComponentFactory::GetBuiltInLiveDisplay();
        live.SetBitmapSize(KyCSize2(1920, 1080));
        live.SetPixelFormat(15);
        m_Controller.SetLiveBitmapHandler(
            RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource);
        m_strDirectory = (benchDirectory() / "media").wstring();
        fs::remove_all(m_strDirectory);
        fs::create_directories(m_strDirectory);
        m_Controller.SetFilePath(m_strDirectory);
        m_bReady = m_Controller.SetVideoMode(eVideoModeCamera, eMediaType);
        // Let the camera and the live display settle.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    ~CameraSession() {
        m_Controller.SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
        m_Camera.SetDisplaySource(nullptr);
    }
    bool IsReady() const { return m_bReady; }
    KyCCameraVideoVDX& Controller() { return m_Controller; }

    static constexpr float kFramesPerSecond = 15.0f;

private:
    KyCSyntheticCamera& m_Camera;
    KyCCameraVideoVDX m_Controller;
    std::wstring m_strDirectory;
    bool m_bReady = false;
};

double msBetween(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// StartVideo in picture mode until the JPEG is in place, at 1920 × 1080.
void BM_StillCaptureLatency1080p(benchmark::State& state) {
    CameraSession session(eVideoMediaTypePicture);
    if (!session.IsReady()) {
        state.SkipWithError("camera mode failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        waitForAFreshSecond();
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        const bool bCaptured = session.Controller().StartVideo();
        state.SetIterationTime(msBetween(start, Clock::now()) / 1000.0);
        if (!bCaptured)
            state.SkipWithError("no picture");
    }
    state.counters["frame_period_ms"] = 1000.0 / CameraSession::kFramesPerSecond;
}
BENCHMARK(BM_StillCaptureLatency1080p)
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

// StartVideo until the first frame is in the video, and StopVideo until the file is in place.
void BM_RecordStartStopLatency1080p(benchmark::State& state) {
    CameraSession session(eVideoMediaTypeVideo);
    if (!session.IsReady()) {
        state.SkipWithError("camera mode failed");
        return;
    }
    double fStartMs = 0, fStopMs = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        session.Controller().StartVideo();
        while (session.Controller().GetRecordingStatistics().nFramesWritten == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        const Clock::time_point firstFrame = Clock::now();
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        state.ResumeTiming();
        const Clock::time_point stop = Clock::now();
        session.Controller().StopVideo();
        const Clock::time_point end = Clock::now();
        fStartMs += msBetween(start, firstFrame);
        fStopMs += msBetween(stop, end);
        state.SetIterationTime((msBetween(start, firstFrame) + msBetween(stop, end)) / 1000.0);
        state.PauseTiming();
        waitForAFreshSecond();  // the next recording gets a name of its own
        state.ResumeTiming();
    }
    state.counters["start_to_first_frame_ms"] = fStartMs / state.iterations();
    state.counters["stop_to_file_ms"] = fStopMs / state.iterations();
}
BENCHMARK(BM_RecordStartStopLatency1080p)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

// Video writer throughput: KyCVideoCreator::ProcessFrame against bare libjpeg-turbo compression
// of the same frames with the same settings, at three frame sizes; and what the once-a-second
// sync to the disk costs at 1080p.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "KyCFieldBase.h"
#include "KyCVideoCreator.h"

namespace {

// A camera-like BGRA picture, top row first: smooth gradients, a few edges and mild sensor noise,
// shifted by nPhase so that consecutive frames differ.
KyCFieldBase cameraFrame(int nWidth, int nHeight, int nPhase) {
    KyCFieldBase frame(KyCRect2(KyCSize2(nWidth, nHeight)), 4, 0);
    std::minstd_rand random(static_cast<unsigned>(nPhase + 1));
    for (int y = 0; y < nHeight; ++y) {
        unsigned char* p = frame.m_pData + y * frame.m_nPitch;
        for (int x = 0; x < nWidth; ++x, p += 4) {
            const int nNoise = static_cast<int>(random() % 9) - 4;
            const bool bBar = ((x + nPhase * 8) / 96) % 2 == 0;
            p[0] = static_cast<unsigned char>((x * 255 / nWidth + nNoise) & 0xFF);
            p[1] =
                static_cast<unsigned char>((y * 255 / nHeight + (bBar ? 40 : 0) + nNoise) & 0xFF);
            p[2] = static_cast<unsigned char>(((x + y + nPhase * 4) / 4 + nNoise) & 0xFF);
            p[3] = 255;
        }
    }
    return frame;
}

const int kFrames = 8;  // distinct frames cycled through

std::wstring benchFile(const char* pszName) {
    return (std::filesystem::temp_directory_path() / pszName).wstring();
}

void BM_VideoWriterProcessFrame(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0)), nHeight = static_cast<int>(state.range(1));
    KyCFieldBase frames[kFrames];
    for (int i = 0; i < kFrames; ++i)
        frames[i] = cameraFrame(nWidth, nHeight, i);
    const std::wstring strFile = benchFile("kybench-writer.avi");
    {
        KyCVideoCreator writer(strFile, static_cast<unsigned>(nWidth),
                               static_cast<unsigned>(nHeight), 1.0f / 18.0f);
        int i = 0;
        for (auto _ : state) {
            // As the recording loop hands frames over: bottom row first, negated pitch.
            const KyCFieldBase& frame = frames[i++ % kFrames];
            if (!writer.ProcessFrame(frame.m_pData + (nHeight - 1) * frame.m_nPitch,
                                     -frame.m_nPitch)) {
                state.SkipWithError("ProcessFrame failed");
                break;
            }
        }
        state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                        benchmark::Counter::kIsRate);
        state.counters["bytes/frame"] = static_cast<double>(writer.GetBytesWritten()) /
                                        static_cast<double>(state.iterations() + 1);
    }
    std::filesystem::remove(std::filesystem::path(strFile));
}

// 1080p at 18 frames per second of recording, with the sync to the disk every second (range 1:
// 1000 ms) or left to the system (0). Range 0 picks the frames: 0 raw (compressed by the
// writer), 1 already JPEG (the file's own cost stands out).
void BM_VideoWriterSync(benchmark::State& state) {
    const int nWidth = 1920, nHeight = 1080;
    const bool bJpeg = state.range(0) != 0;
    KyCFieldBase frames[kFrames];
    std::vector<std::vector<unsigned char>> jpegs(kFrames);
    tjhandle hCompressor = tjInitCompress();
    for (int i = 0; i < kFrames; ++i) {
        frames[i] = cameraFrame(nWidth, nHeight, i);
        unsigned char* pJpeg = nullptr;
        unsigned long nSize = 0;
        if (tjCompress2(hCompressor, frames[i].m_pData, nWidth, frames[i].m_nPitch, nHeight,
                        TJPF_BGRX, &pJpeg, &nSize, TJSAMP_420, 90, 0) == 0)
            jpegs[i].assign(pJpeg, pJpeg + nSize);
        tjFree(pJpeg);
    }
    tjDestroy(hCompressor);
    const std::wstring strFile = benchFile("kybench-sync.avi");
    {
        KyCVideoCreator writer(strFile, nWidth, nHeight, 1.0f / 18.0f);
        writer.SetSyncInterval(static_cast<unsigned>(state.range(1)));
        int i = 0;
        for (auto _ : state) {
            const int n = i++ % kFrames;
            const bool bOk =
                bJpeg ? writer.ProcessJpegFrame(jpegs[n].data(), jpegs[n].size())
                      : writer.ProcessFrame(frames[n].m_pData + (nHeight - 1) * frames[n].m_nPitch,
                                            -frames[n].m_nPitch);
            if (!bOk) {
                state.SkipWithError("writing failed");
                break;
            }
        }
        state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                        benchmark::Counter::kIsRate);
    }
    std::filesystem::remove(std::filesystem::path(strFile));
}

void BM_TurboJpegCompress(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0)), nHeight = static_cast<int>(state.range(1));
    KyCFieldBase frames[kFrames];
    for (int i = 0; i < kFrames; ++i)
        frames[i] = cameraFrame(nWidth, nHeight, i);
    tjhandle hCompressor = tjInitCompress();
    const unsigned long nCapacity = tjBufSize(nWidth, nHeight, TJSAMP_420);
    unsigned char* pBuffer = tjAlloc(static_cast<int>(nCapacity));
    int i = 0;
    for (auto _ : state) {
        const KyCFieldBase& frame = frames[i++ % kFrames];
        unsigned long nSize = nCapacity;
        if (tjCompress2(hCompressor, frame.m_pData, nWidth, frame.m_nPitch, nHeight, TJPF_BGRX,
                        &pBuffer, &nSize, TJSAMP_420, 90, TJFLAG_NOREALLOC) != 0) {
            state.SkipWithError("tjCompress2 failed");
            break;
        }
        benchmark::DoNotOptimize(pBuffer[0]);
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    tjFree(pBuffer);
    tjDestroy(hCompressor);
}

}  // namespace

BENCHMARK(BM_VideoWriterProcessFrame)
    ->Args({640, 480})
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_VideoWriterSync)
    ->ArgNames({"jpeg", "sync_ms"})
    ->Args({0, 0})
    ->Args({0, 1000})
    ->Args({1, 0})
    ->Args({1, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_TurboJpegCompress)
    ->Args({640, 480})
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

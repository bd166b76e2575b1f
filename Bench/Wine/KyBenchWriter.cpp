// Video writer against bare libjpeg-turbo on the same 1080p frames, for Windows builds under Wine.
// Google Benchmark has no MinGW build here, so this times interleaved rounds itself and prints
// the medians: kybench-writer [rounds] [frames per round].
#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "KyCFieldBase.h"
#include "KyCVideoCreator.h"

namespace {

const int kWidth = 1920, kHeight = 1080, kDistinct = 8;
using Clock = std::chrono::steady_clock;

// The camera-like picture of Bench/BenchVideoWriter.cpp: gradients, moving bars, mild noise.
KyCFieldBase cameraFrame(int nPhase) {
    KyCFieldBase frame(KyCRect2(KyCSize2(kWidth, kHeight)), 4, 0);
    std::minstd_rand random(static_cast<unsigned>(nPhase + 1));
    for (int y = 0; y < kHeight; ++y) {
        unsigned char* p = frame.m_pData + y * frame.m_nPitch;
        for (int x = 0; x < kWidth; ++x, p += 4) {
            const int nNoise = static_cast<int>(random() % 9) - 4;
            const bool bBar = ((x + nPhase * 8) / 96) % 2 == 0;
            p[0] = static_cast<unsigned char>((x * 255 / kWidth + nNoise) & 0xFF);
            p[1] =
                static_cast<unsigned char>((y * 255 / kHeight + (bBar ? 40 : 0) + nNoise) & 0xFF);
            p[2] = static_cast<unsigned char>(((x + y + nPhase * 4) / 4 + nNoise) & 0xFF);
            p[3] = 255;
        }
    }
    return frame;
}

double msPerFrame(Clock::time_point start, int nFrames) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / nFrames;
}

// Milliseconds per frame through KyCVideoCreator into a file, as the recording loop hands
// frames over (bottom row first, negated pitch); negative on a failure.
double timeWriter(const std::vector<KyCFieldBase>& frames, int nFrames,
                  const std::wstring& strFile) {
    double fMs = -1.0;
    {
        KyCVideoCreator writer(strFile, kWidth, kHeight, 1.0f / 18.0f);
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < nFrames; ++i) {
            const KyCFieldBase& frame = frames[i % kDistinct];
            if (!writer.ProcessFrame(frame.m_pData + (kHeight - 1) * frame.m_nPitch,
                                     -frame.m_nPitch))
                return -1.0;
        }
        fMs = msPerFrame(start, nFrames);
    }
    std::filesystem::remove(std::filesystem::path(strFile));
    return fMs;
}

// Milliseconds per frame of tjCompress2 alone with the writer's settings.
double timeTurboJpeg(const std::vector<KyCFieldBase>& frames, int nFrames) {
    tjhandle hCompressor = tjInitCompress();
    const unsigned long nCapacity = tjBufSize(kWidth, kHeight, TJSAMP_420);
    unsigned char* pBuffer = tjAlloc(static_cast<int>(nCapacity));
    double fMs = -1.0;
    if (hCompressor != nullptr && pBuffer != nullptr) {
        const Clock::time_point start = Clock::now();
        int i = 0;
        for (; i < nFrames; ++i) {
            const KyCFieldBase& frame = frames[i % kDistinct];
            unsigned long nSize = nCapacity;
            if (tjCompress2(hCompressor, frame.m_pData, kWidth, frame.m_nPitch, kHeight, TJPF_BGRX,
                            &pBuffer, &nSize, TJSAMP_420, 90, TJFLAG_NOREALLOC) != 0)
                break;
        }
        if (i == nFrames)
            fMs = msPerFrame(start, nFrames);
    }
    tjFree(pBuffer);
    tjDestroy(hCompressor);
    return fMs;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

}  // namespace

int main(int argc, char** argv) {
    const int nRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int nFrames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 36;
    std::vector<KyCFieldBase> frames;
    for (int i = 0; i < kDistinct; ++i)
        frames.push_back(cameraFrame(i));
    const std::wstring strFile =
        (std::filesystem::temp_directory_path() / "kybench-writer.avi").wstring();

    std::vector<double> writer, bare;
    for (int nRound = 0; nRound < nRounds; ++nRound) {
        // Alternating order, so that neither side always runs on a warmer machine.
        const bool bWriterFirst = nRound % 2 == 0;
        const double fFirst =
            bWriterFirst ? timeWriter(frames, nFrames, strFile) : timeTurboJpeg(frames, nFrames);
        const double fSecond =
            bWriterFirst ? timeTurboJpeg(frames, nFrames) : timeWriter(frames, nFrames, strFile);
        if (fFirst < 0.0 || fSecond < 0.0) {
            std::fprintf(stderr, "kybench-writer: a round failed\n");
            return 1;
        }
        writer.push_back(bWriterFirst ? fFirst : fSecond);
        bare.push_back(bWriterFirst ? fSecond : fFirst);
    }
    const double fWriter = median(writer), fBare = median(bare);
    std::printf("1920x1080, %d rounds of %d frames, medians:\n", nRounds, nFrames);
    std::printf("  KyCVideoCreator::ProcessFrame  %7.2f ms/frame  %6.1f frames/s\n", fWriter,
                1000.0 / fWriter);
    std::printf("  bare tjCompress2               %7.2f ms/frame  %6.1f frames/s\n", fBare,
                1000.0 / fBare);
    std::printf("  writer / bare                  %7.3f\n", fWriter / fBare);
    return 0;
}

// YUYV to BGRA: lines libswscale takes directly against lines it only gets through padded copies.
#include <benchmark/benchmark.h>

#include <vector>

#include "KyV4L2Converter.h"

namespace {

// Arguments: width, height, padding after each source line (0: aligned lines go directly).
void BM_YuyvConvert(benchmark::State& state) {
    KyV4L2Format format;
    format.nFourCC = kV4L2FormatYUYV;
    format.size = KyCSize2(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    format.nBytesPerLine = format.size.nWidth * 2 + static_cast<int>(state.range(2));
    auto pConverter = KyCreateV4L2Converter(format);
    if (!pConverter) {
        state.SkipWithError("no YUYV converter");
        return;
    }
    std::vector<unsigned char> frame(
        static_cast<size_t>(format.nBytesPerLine) * format.size.nHeight, 0x80);
    const int nPitch = format.size.nWidth * 4;
    std::vector<unsigned char> picture(static_cast<size_t>(nPitch) * format.size.nHeight);
    for (auto _ : state) {
        if (!pConverter->Convert(frame.data(), frame.size(), picture.data(), nPitch))
            state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(picture.data());
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_YuyvConvert)
    ->Args({640, 480, 0})
    ->Args({640, 480, 32})
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 32})
    ->Unit(benchmark::kMicrosecond);

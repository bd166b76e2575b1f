// The media directory scan: SetFilePath over a directory of 20,000 media files.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "KyCCameraVideoVDX.h"
#include "KyPlatform.h"

namespace fs = std::filesystem;

namespace {

// A directory of half videos, half pictures, written once per run and removed at exit. Their
// last-write times are distinct and scrambled, so that the scan's sort has work to do.
class KyBenchMediaDirectory {
public:
    explicit KyBenchMediaDirectory(int nFiles) {
        m_Path = fs::temp_directory_path() /
                 ("kybench-scan-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(m_Path);
        const std::int64_t nBase = 1704096000;  // 2024-01-01
        for (int i = 0; i < nFiles; ++i) {
            const bool bVideo = i % 2 == 0;
            const fs::path file = m_Path / ("m" + std::to_string(i) + (bVideo ? ".avi" : ".jpg"));
            std::ofstream(file, std::ios::binary) << 'x';
            // 7919 is prime and does not divide the count: a permutation of the times.
            const std::int64_t nSeconds = nBase + (static_cast<std::int64_t>(i) * 7919) % nFiles;
            KyPlatform::KyFileTime fileTime;
            fileTime.nTicks = static_cast<std::uint64_t>((nSeconds + 11644473600LL) * 10000000LL);
            KyPlatform::SetFileLastWriteTime(file.wstring(), fileTime);
        }
    }
    ~KyBenchMediaDirectory() {
        std::error_code ec;
        fs::remove_all(m_Path, ec);
    }
    std::wstring Path() const { return m_Path.wstring(); }

private:
    fs::path m_Path;
};

void BM_SetFilePath(benchmark::State& state) {
    static KyBenchMediaDirectory s_Directory(static_cast<int>(state.range(0)));
    KyCCameraVideoVDX vdx;
    int nCount = 0;
    for (auto _ : state) {
        vdx.SetFilePath(s_Directory.Path());
        vdx.HasData(eVideoMediaTypeNone, &nCount);
        benchmark::DoNotOptimize(nCount);
    }
    if (nCount != state.range(0))
        state.SkipWithError("the scan did not list every file");
    state.counters["files"] = nCount;
    state.SetItemsProcessed(state.iterations() * nCount);
}

}  // namespace

BENCHMARK(BM_SetFilePath)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();

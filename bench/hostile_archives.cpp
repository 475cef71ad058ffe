// Archives made to hurt: pictures that claim far more pixels than their few
// bytes hold, and hundreds of thousands of items. Reports the peak resident
// memory of the process (run alone, the memory benchmarks come first) and
// the time per item, which must not grow with the number of items.
//   bench_hostile_archives --benchmark_filter=Bomb     peak memory
//   bench_hostile_archives --benchmark_filter=Items    100,000 against 200,000
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/ArchiveWriter.h"
#include "assets/DIB.h"
#include "assets/Errors.h"
#include "assets/Stream.h"
#include "engine/DXDraws.h"
#include "platform/Memory.h"
#include "platform/Platform.h"

namespace {

void U32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// An RLE8 picture that claims width x height and holds only "end of bitmap".
std::vector<std::uint8_t> ClaimingDib(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> dib;
    for (std::uint32_t value : {40u, width, height}) {
        U32(dib, value);
    }
    dib.insert(dib.end(), {1, 0, 8, 0}); // planes, bit count
    for (std::uint32_t value : {1u, 2u, 0u, 0u, 1u, 0u}) {
        U32(dib, value); // RLE8, 2 bytes of data, one colour
    }
    dib.insert(dib.end(), {0, 0, 0, 0, 0, 1});
    return dib;
}

std::vector<std::uint8_t> ClaimingArchive(int items, std::uint32_t width, std::uint32_t height) {
    std::vector<ImageItemSpec> bombs(static_cast<std::size_t>(items));
    for (ImageItemSpec& bomb : bombs) {
        bomb.Name = "bomb";
        bomb.DibData = ClaimingDib(width, height);
    }
    return ImageArchiveBytes(bombs);
}

double Megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}

// Loads `bytes` into an image list on an initialised display, so that a
// successful load also builds every surface.
void LoadIntoGame(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    std::unique_ptr<platform::IVideo> video = platform::CreateHeadlessVideo();
    TDXDraw draw(video.get());
    TDXImageList images;
    images.SetDXDraw(&draw);
    draw.Initialize();
    const std::uint64_t before = platform::ResidentBytes();
    int failures = 0;
    for (auto _ : state) {
        TMemoryView stream(bytes);
        try {
            images.Items.ReadArchiveStream(stream);
        } catch (const EAssetError&) {
            ++failures;
        }
        benchmark::DoNotOptimize(images.Items.Count());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
    state.counters["failed"] = failures > 0 ? 1 : 0;
    state.counters["resident_before_MB"] = Megabytes(before);
    state.counters["peak_resident_MB"] = Megabytes(platform::PeakResidentBytes());
}

// Eighteen items of 16384 x 16384 (about 1.3 KB of file): without a budget,
// 256 MiB of pixels and a 1 GiB surface each. The first already fails.
void BM_BombOfHugePictures(benchmark::State& state) {
    LoadIntoGame(state, ClaimingArchive(18, 16384, 16384));
}
BENCHMARK(BM_BombOfHugePictures)->Iterations(1)->Unit(benchmark::kMillisecond);

// Pictures that each just fit: the first takes the whole budget and loads
// with its surfaces, the second fails.
void BM_BombWithinTheBudget(benchmark::State& state) {
    LoadIntoGame(
        state, ClaimingArchive(8, 16384, static_cast<std::uint32_t>(kArchivePixelBudget / 16384)));
}
BENCHMARK(BM_BombWithinTheBudget)->Iterations(1)->Unit(benchmark::kMillisecond);

// The whole budget in one picture that loads: the most a load may cost.
void BM_OnePictureOfTheWholeBudget(benchmark::State& state) {
    LoadIntoGame(
        state, ClaimingArchive(1, 16384, static_cast<std::uint32_t>(kArchivePixelBudget / 16384)));
}
BENCHMARK(BM_OnePictureOfTheWholeBudget)->Iterations(1)->Unit(benchmark::kMillisecond);

// N items without a name or a picture, or each with its own name.
void Items(benchmark::State& state, bool named) {
    const int count = static_cast<int>(state.range(0));
    std::vector<ImageItemSpec> specs(static_cast<std::size_t>(count));
    if (named) {
        for (int i = 0; i < count; ++i) {
            specs[static_cast<std::size_t>(i)].Name = "item" + std::to_string(i);
        }
    }
    const std::vector<std::uint8_t> bytes = ImageArchiveBytes(specs);
    TPictureCollection collection;
    const std::uint64_t before = platform::ResidentBytes();
    for (auto _ : state) {
        TMemoryView stream(bytes);
        collection.ReadArchiveStream(stream);
        benchmark::DoNotOptimize(collection.Count());
    }
    const std::uint64_t after = platform::ResidentBytes();
    state.counters["resident_growth_MB"] = Megabytes(after > before ? after - before : 0);
    state.counters["per_item"] = benchmark::Counter(static_cast<double>(count),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
void BM_UnnamedItems(benchmark::State& state) {
    Items(state, false);
}
void BM_NamedItems(benchmark::State& state) {
    Items(state, true);
}
BENCHMARK(BM_UnnamedItems)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NamedItems)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

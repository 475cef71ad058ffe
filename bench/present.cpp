// Presenting one 800 x 600 frame on the processor, side by side in one run:
// the window path (the frame into a window surface of the same size and
// format), the full-screen scalers into a 1920 x 1080 surface (linear to
// 1440 x 1080, and a whole multiple, 2 x to 1600 x 1200 for a screen of that
// size), and SDL_BlitScaled to the same 1440 x 1080 box for comparison.
// The linear scaler also writes only what changed between two frames that
// differ as a game's do from tick to tick: the reliefs at the top and the
// bottom scroll, a dozen fish move, the open water between stays; once by
// comparing the frames, once told by the composer where to look.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/Letterbox.h"
#include "platform/Scaler.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A frame with detail everywhere, so no scaler can skip flat runs.
std::vector<std::uint32_t> MakeFrame() {
    std::vector<std::uint32_t> frame(std::size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            frame[std::size_t(y) * kWidth + x] = static_cast<std::uint32_t>(
                ((x * 7) & 0xFF) << 16 | ((y * 3) & 0xFF) << 8 | ((x ^ y) & 0xFF));
        }
    }
    return frame;
}

// The second of two play frames: the sky and sea floor strips and twelve
// fish differ from the first. `still` hears of what is drawn again in the
// same place (the same in both frames).
template <class Still>
std::vector<std::uint32_t> NextPlayFrame(const std::vector<std::uint32_t>& even,
                                         const std::function<void(int, int, int, int)>& drawn,
                                         Still still) {
    auto odd = even;
    auto change = [&](int x0, int y0, int w, int h) {
        drawn(x0, y0, w, h);
        for (int y = y0; y < y0 + h; ++y) {
            for (int x = x0; x < x0 + w; ++x) {
                odd[std::size_t(y) * kWidth + x] ^= 0x404040;
            }
        }
    };
    change(0, 0, kWidth, 90);
    change(0, 500, kWidth, 100);
    for (int fish = 0; fish < 12; ++fish) {
        change(40 + fish * 61, 110 + fish * 31, 60, 40);
        still(70 + fish * 53, 130 + fish * 29, 40, 30);
    }
    return odd;
}

struct Target {
    Target(int w, int h)
        : surface(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888)) {}
    ~Target() { SDL_FreeSurface(surface); }
    platform::PixelView Box(const platform::Rect& box) const {
        const int pitch = surface->pitch / 4;
        return {static_cast<std::uint32_t*>(surface->pixels) + std::ptrdiff_t(box.y) * pitch +
                    box.x,
                box.w, box.h, pitch};
    }
    SDL_Surface* surface;
};

void BM_WindowCopy(benchmark::State& state) {
    auto frame = MakeFrame();
    Target window(kWidth, kHeight);
    for (auto _ : state) {
        std::memcpy(window.surface->pixels, frame.data(), frame.size() * 4);
        benchmark::ClobberMemory();
    }
}

void BM_FullScreenLinear(benchmark::State& state) {
    auto frame = MakeFrame();
    Target screen(1920, 1080);
    const auto placement = platform::PlacePicture(1920, 1080, kWidth, kHeight);
    platform::AreaScaler scaler;
    // 0: ordinary stores, 1: streamed past the cache.
    scaler.SetStores(state.range(0) == 0 ? platform::AreaScaler::Stores::Cached
                                         : platform::AreaScaler::Stores::Streaming);
    const platform::PixelView source{frame.data(), kWidth, kHeight, kWidth};
    for (auto _ : state) {
        scaler.Scale(source, screen.Box(placement.box));
        benchmark::ClobberMemory();
    }
}

void BM_FullScreenLinearChanges(benchmark::State& state) {
    auto even = MakeFrame();
    const auto none = [](int, int, int, int) {};
    auto odd = NextPlayFrame(even, none, none);
    Target screen(1920, 1080);
    const auto placement = platform::PlacePicture(1920, 1080, kWidth, kHeight);
    platform::AreaScaler scaler;
    const platform::PixelView frames[2] = {{even.data(), kWidth, kHeight, kWidth},
                                           {odd.data(), kWidth, kHeight, kWidth}};
    std::size_t tick = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            scaler.ScaleChanges(frames[tick++ % 2], screen.Box(placement.box)));
        benchmark::ClobberMemory();
    }
}

// The same two frames, with the parts that may differ named by the
// composer as the engine names them: what was drawn over the still
// background in either frame, including sprites that stayed where they were.
void BM_FullScreenLinearNamedChanges(benchmark::State& state) {
    auto even = MakeFrame();
    constexpr int kWords = ((kWidth + 15) / 16 + 63) / 64;
    std::vector<std::uint64_t> named(std::size_t(kWords) * kHeight, 0);
    auto name = [&](int x0, int y0, int w, int h) {
        for (int y = y0; y < y0 + h; ++y) {
            for (int x = x0; x < x0 + w; ++x) {
                named[std::size_t(y) * kWords + std::size_t(x / 16 / 64)] |= std::uint64_t{1}
                                                                             << (x / 16 % 64);
            }
        }
    };
    auto odd = NextPlayFrame(even, name, name);
    Target screen(1920, 1080);
    const auto placement = platform::PlacePicture(1920, 1080, kWidth, kHeight);
    platform::AreaScaler scaler;
    const platform::PixelView frames[2] = {{even.data(), kWidth, kHeight, kWidth},
                                           {odd.data(), kWidth, kHeight, kWidth}};
    std::uint64_t number = 1;
    scaler.ScaleChanges(frames[0], screen.Box(placement.box), platform::FrameChanges{number});
    for (auto _ : state) {
        ++number;
        const platform::FrameChanges changes{number, number - 1, kWords, named.data()};
        benchmark::DoNotOptimize(
            scaler.ScaleChanges(frames[number % 2], screen.Box(placement.box), changes));
        benchmark::ClobberMemory();
    }
}

void BM_FullScreenWhole2x(benchmark::State& state) {
    auto frame = MakeFrame();
    Target screen(1600, 1200);
    const auto placement = platform::PlacePicture(1600, 1200, kWidth, kHeight);
    const platform::PixelView source{frame.data(), kWidth, kHeight, kWidth};
    for (auto _ : state) {
        platform::ScaleWhole(source, screen.Box(placement.box), placement.scale);
        benchmark::ClobberMemory();
    }
}

void BM_FullScreenSdlBlitScaled(benchmark::State& state) {
    auto frame = MakeFrame();
    Target screen(1920, 1080);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(frame.data(), kWidth, kHeight, 32,
                                                             kWidth * 4, SDL_PIXELFORMAT_RGB888);
    const auto box = platform::LetterboxRect(1920, 1080, kWidth, kHeight);
    for (auto _ : state) {
        SDL_Rect dst{box.x, box.y, box.w, box.h};
        SDL_BlitScaled(source, nullptr, screen.surface, &dst);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(source);
}

} // namespace

BENCHMARK(BM_WindowCopy)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_FullScreenLinear)
    ->Unit(benchmark::kMicrosecond)
    ->Arg(0)
    ->Arg(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FullScreenLinearChanges)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FullScreenLinearNamedChanges)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FullScreenWhole2x)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FullScreenSdlBlitScaled)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

BENCHMARK_MAIN();

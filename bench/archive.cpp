// Loading the pictures of a ~10 MB image archive, side by side in one run:
// reading the archive and building every item's surfaces through the engine's
// picture collection, against decoding the same pictures from PNG files with
// SDL2_image (platform::ReadImageFile) into 32-bit pixels. The pictures mix
// the game's kinds: opaque 24-bit backgrounds and few-colour sprite sheets
// that the writer stores as 8-bit (RLE8 where smaller).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "assets/ArchiveWriter.h"
#include "assets/DIB.h"
#include "engine/DXDraws.h"
#include "platform/Image.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace {

struct Fixture {
    fs::path dir;
    std::string archive;
    std::vector<std::string> pngs;
    std::uintmax_t archiveBytes = 0;
    std::uintmax_t pngBytes = 0;

    Fixture() {
        dir = fs::temp_directory_path() / "brinehold-bench-archive";
        fs::create_directories(dir);
        std::vector<ImageItemSpec> items;
        std::mt19937 random(7);
        // Backgrounds: smooth gradients with a little grain (24 bits).
        for (int i = 0; i < 6; ++i) {
            ImageItemSpec item;
            item.Name = "back" + std::to_string(i);
            item.Width = 800;
            item.Height = 600;
            item.Transparent = false;
            for (int y = 0; y < 600; ++y) {
                for (int x = 0; x < 800; ++x) {
                    const int grain = static_cast<int>(random() % 9);
                    const int r = (x / 8 + i * 20 + grain) & 0xFF;
                    const int g = (y / 3 + grain) & 0xFF;
                    const int b =
                        (160 + static_cast<int>(60 * std::sin((x + y) / 90.0)) + grain) & 0xFF;
                    item.Pixels.push_back(static_cast<std::uint32_t>(r << 16 | g << 8 | b));
                }
            }
            items.push_back(std::move(item));
        }
        // Sprite sheets: shapes in a few colours on the black key (8 bits).
        for (int i = 0; i < 40; ++i) {
            ImageItemSpec item;
            item.Name = "sprite" + std::to_string(i);
            item.Width = 512;
            item.Height = 96;
            item.PatternWidth = 64;
            for (int y = 0; y < 96; ++y) {
                for (int x = 0; x < 512; ++x) {
                    const double dx = (x % 64 - 32) / 30.0, dy = (y - 48) / 40.0;
                    const bool inside = dx * dx + dy * dy < 1.0;
                    const std::uint32_t shade =
                        static_cast<std::uint32_t>((x % 64 + y + i * 3) % 60);
                    item.Pixels.push_back(inside ? 0x204060 + shade * 0x030201 : 0);
                }
            }
            items.push_back(std::move(item));
        }
        archive = (dir / "pictures.dxg").string();
        WriteImageArchive(archive, items);
        archiveBytes = fs::file_size(archive);
        for (const ImageItemSpec& item : items) {
            const std::string png = (dir / (item.Name + ".png")).string();
            std::vector<std::uint32_t> pixels = item.Pixels;
            platform::WritePng(png, {pixels.data(), item.Width, item.Height, item.Width});
            pngBytes += fs::file_size(png);
            pngs.push_back(png);
        }
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Fixture& Files() {
    static Fixture fixture;
    return fixture;
}

void BM_ArchiveWithSurfaces(benchmark::State& state) {
    Fixture& files = Files();
    std::unique_ptr<platform::IVideo> video = platform::CreateHeadlessVideo();
    TDXDraw draw(video.get());
    TDXImageList images;
    images.SetDXDraw(&draw);
    draw.Initialize();
    for (auto _ : state) {
        images.Items.LoadFromFile(files.archive);
        benchmark::DoNotOptimize(images.Items.Items(0)->PatternSurfaces(0));
    }
    state.counters["archive_MB"] = static_cast<double>(files.archiveBytes) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.archiveBytes));
}
BENCHMARK(BM_ArchiveWithSurfaces)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ArchiveReadOnly(benchmark::State& state) {
    Fixture& files = Files();
    TPictureCollection collection;
    for (auto _ : state) {
        collection.LoadFromFile(files.archive);
        benchmark::DoNotOptimize(collection.Count());
    }
}
BENCHMARK(BM_ArchiveReadOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PngWithSdlImage(benchmark::State& state) {
    Fixture& files = Files();
    for (auto _ : state) {
        for (const std::string& png : files.pngs) {
            int width = 0, height = 0;
            std::vector<std::uint32_t> pixels;
            platform::ReadImageFile(png, width, height, pixels);
            benchmark::DoNotOptimize(pixels.data());
        }
    }
    state.counters["png_MB"] = static_cast<double>(files.pngBytes) / 1e6;
}
BENCHMARK(BM_PngWithSdlImage)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();

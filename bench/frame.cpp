// One game frame composed three ways, side by side: with the engine (fill,
// tiled background, 225 colour-keyed sprites through the sprite engine's draw
// pass, a few texts), with SDL's own blitter (SDL_FillRect, SDL_BlitSurface
// with a colour key and RLE acceleration) on the same pictures and
// positions, and a plain memcpy of one frame for scale.
//
// The two composed frames are compared pixel for pixel before measuring, so
// neither side can win by drawing less.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "assets/DIB.h"
#include "engine/DXDraws.h"
#include "engine/DXSprite.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr std::uint32_t kKey = 0x000000; // the items' default transparent colour

std::uint32_t Shade(int r, int g, int b) {
    return (static_cast<std::uint32_t>(std::clamp(r, 1, 255)) << 16) |
           (static_cast<std::uint32_t>(std::clamp(g, 1, 255)) << 8) |
           static_cast<std::uint32_t>(std::clamp(b, 1, 255));
}

// Pictures in the game's mix: round bubbles, fish with a tail, relief pieces
// with a ragged edge, and an opaque sea background.
std::vector<std::uint32_t> Bubble(int size) {
    std::vector<std::uint32_t> p(static_cast<std::size_t>(size * size), kKey);
    const double c = (size - 1) / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x - c, y - c);
            if (d <= c) {
                p[static_cast<std::size_t>(y * size + x)] =
                    Shade(120 + 8 * x, 180 + 4 * y, 255 - static_cast<int>(d * 6));
            }
        }
    }
    return p;
}

std::vector<std::uint32_t> Fish(int w, int h) {
    std::vector<std::uint32_t> p(static_cast<std::size_t>(w * h), kKey);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double bx = (x - w * 0.42) / (w * 0.40);
            const double by = (y - h / 2.0) / (h * 0.45);
            const bool body = bx * bx + by * by <= 1.0;
            const bool tail = x > w * 0.78 && std::abs(y - h / 2.0) < (x - w * 0.78) * 1.2;
            if (body || tail) {
                p[static_cast<std::size_t>(y * w + x)] = Shade(200 - x, 90 + y * 2, 40 + x);
            }
        }
    }
    return p;
}

std::vector<std::uint32_t> Relief(int w, int h, unsigned seed) {
    std::vector<std::uint32_t> p(static_cast<std::size_t>(w * h), kKey);
    std::mt19937 random(seed);
    int top = h / 3;
    for (int x = 0; x < w; ++x) {
        top = std::clamp(top + static_cast<int>(random() % 5) - 2, 5, h - 10);
        for (int y = top; y < h; ++y) {
            p[static_cast<std::size_t>(y * w + x)] = Shade(90 + y, 70 + (x ^ y) % 40, 50);
        }
    }
    return p;
}

std::vector<std::uint32_t> Sea(int w, int h) {
    std::vector<std::uint32_t> p(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            p[static_cast<std::size_t>(y * w + x)] = Shade(10, 40 + y / 4, 90 + (x + y) % 60);
        }
    }
    return p;
}

struct Placed {
    int item; // index into the pictures
    int x;
    int y;
};

// The frame both sides draw: pictures and where they go, in drawing order.
struct Scene {
    struct Picture {
        int width;
        int height;
        std::vector<std::uint32_t> pixels;
    };
    std::vector<Picture> pictures; // 0 background, 1..3 bubbles, 4..6 fish, 7..9 reliefs
    std::vector<Placed> sprites;
    int backgroundX = 0;
    int backgroundY = 0;

    Scene() {
        pictures.push_back({256, 256, Sea(256, 256)});
        for (int size : {12, 16, 20}) {
            pictures.push_back({size, size, Bubble(size)});
        }
        for (int i = 0; i < 3; ++i) {
            pictures.push_back({80 + 4 * i, 50, Fish(80 + 4 * i, 50)});
        }
        for (unsigned i = 0; i < 3; ++i) {
            pictures.push_back({150, 100, Relief(150, 100, 11 + i)});
        }
        std::mt19937 random(42);
        const auto uniform = [&random](int low, int high) {
            return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
        };
        for (int i = 0; i < 200; ++i) {
            sprites.push_back({1 + i % 3, uniform(-10, 800), uniform(40, 600)});
        }
        for (int i = 0; i < 15; ++i) {
            sprites.push_back({4 + i % 3, uniform(-40, 780), uniform(60, 520)});
        }
        for (int i = 0; i < 10; ++i) { // five pieces along the top, five along the bottom
            sprites.push_back({7 + i % 3, i / 2 * 170 - 30, i % 2 == 0 ? 30 : 500});
        }
    }
};

const char* const kTexts[] = {"\xD1\xD7\xB8\xD2: 0001250", "\xC6\xC8\xC7\xCD\xC8: 3",
                              "\xD3\xD0\xCE\xC2\xC5\xCD\xDC 2", "\xC2\xCE\xC7\xC4\xD3\xD5"};
constexpr int kTextX[] = {20, 250, 450, 650};

// The engine's side: image items on a display, sprites under the engine.
class EngineFrame {
public:
    explicit EngineFrame(const Scene& scene, platform::IFontRasterizer* font)
        : video_(platform::CreateHeadlessVideo()), draw_(video_.get()), font_(font) {
        images_.SetDXDraw(&draw_);
        sprites_.SetDXDraw(&draw_);
        draw_.Initialize();
        for (const Scene::Picture& picture : scene.pictures) {
            TPictureCollectionItem* item = images_.Items.Add();
            item->Picture = TDIB::FromPixels(picture.width, picture.height, picture.pixels);
            item->Restore();
        }
        background_ = new TBackgroundSprite(&sprites_.Engine());
        TBackgroundSprite* background = background_;
        background->Image = images_.Items.Items(0);
        background->SetMapSize(1, 1);
        background->Tile = true;
        background->X = scene.backgroundX;
        background->Y = scene.backgroundY;
        for (const Placed& placed : scene.sprites) {
            auto* sprite = new TImageSprite(&sprites_.Engine());
            sprite->Image = images_.Items.Items(placed.item);
            sprite->Width = sprite->Image->Width();
            sprite->Height = sprite->Image->Height();
            sprite->X = placed.x;
            sprite->Y = placed.y;
            sprite->SetZ(1);
        }
    }

    enum Part {
        kPartFill = 1,
        kPartBackground = 2,
        kPartSprites = 4,
        kPartTexts = 8,
        kPartAll = 15
    };
    void Compose(int parts = kPartAll) {
        TDirectDrawSurface& surface = *draw_.Surface();
        if ((parts & kPartFill) != 0) {
            surface.Fill(0);
        }
        background_->Visible = (parts & kPartBackground) != 0;
        if ((parts & kPartSprites) != 0) {
            sprites_.Draw();
        } else if (background_->Visible) {
            background_->Draw();
        }
        if ((parts & kPartTexts) != 0 && font_ != nullptr) {
            TCanvas& canvas = surface.Canvas();
            canvas.Brush.Style = bsClear;
            canvas.Font.Name = "Arial";
            canvas.Font.Size = 16;
            canvas.Font.Color = RGBColor(153, 204, 255);
            for (int i = 0; i < 4; ++i) {
                canvas.TextOut(kTextX[i], 8, kTexts[i]);
            }
            canvas.Release();
        }
    }

    // Read only: a write access would make the next frame draw everything.
    const std::uint32_t* Pixels() const { return draw_.Surface()->FrameView().pixels; }
    void ForgetFrame() { draw_.Surface()->Pixels(); }

private:
    std::unique_ptr<platform::IVideo> video_;
    TDXDraw draw_;
    TDXImageList images_;
    TDXSpriteEngine sprites_;
    platform::IFontRasterizer* font_;
    TBackgroundSprite* background_ = nullptr;
};

// SDL's side: one RLE colour-keyed surface per picture, blitted the same way.
class SdlFrame {
public:
    SdlFrame(const Scene& scene, platform::IFontRasterizer* font) : scene_(scene), font_(font) {
        target_ = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
        for (const Scene::Picture& picture : scene.pictures) {
            SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, picture.width, picture.height, 32,
                                                            SDL_PIXELFORMAT_RGB888);
            for (int y = 0; y < picture.height; ++y) {
                std::memcpy(static_cast<std::uint8_t*>(s->pixels) + y * s->pitch,
                            picture.pixels.data() + y * picture.width,
                            static_cast<std::size_t>(picture.width) * 4);
            }
            SDL_SetColorKey(s, SDL_TRUE | SDL_RLEACCEL, kKey);
            pictures_.push_back(s);
        }
    }
    ~SdlFrame() {
        for (SDL_Surface* s : pictures_) {
            SDL_FreeSurface(s);
        }
        SDL_FreeSurface(target_);
    }

    void Compose() {
        SDL_FillRect(target_, nullptr, 0);
        // The tiled background: the chip repeated over the whole surface.
        SDL_Surface* chip = pictures_[0];
        const int ox = scene_.backgroundX % chip->w;
        const int oy = scene_.backgroundY % chip->h;
        for (int y = oy - chip->h; y < kHeight; y += chip->h) {
            for (int x = ox - chip->w; x < kWidth; x += chip->w) {
                SDL_Rect at{x, y, 0, 0};
                SDL_BlitSurface(chip, nullptr, target_, &at);
            }
        }
        for (const Placed& placed : scene_.sprites) {
            SDL_Rect at{placed.x, placed.y, 0, 0};
            SDL_BlitSurface(pictures_[static_cast<std::size_t>(placed.item)], nullptr, target_,
                            &at);
        }
        if (font_ != nullptr) {
            platform::PixelView view{static_cast<std::uint32_t*>(target_->pixels), kWidth, kHeight,
                                     target_->pitch / 4};
            platform::TextStyle style;
            style.fontName = "Arial";
            style.sizePoints = 16;
            style.color = 0x99CCFF;
            for (int i = 0; i < 4; ++i) {
                font_->DrawText(view, kTextX[i], 8, kTexts[i], style);
            }
        }
    }

    const std::uint32_t* Pixels() const { return static_cast<std::uint32_t*>(target_->pixels); }

private:
    const Scene& scene_;
    platform::IFontRasterizer* font_;
    SDL_Surface* target_ = nullptr;
    std::vector<SDL_Surface*> pictures_;
};

struct Fixture {
    Scene scene;
    std::unique_ptr<platform::IFontRasterizer> font = platform::CreateFontRasterizer();
    std::unique_ptr<EngineFrame> engine;
    std::unique_ptr<SdlFrame> sdl;

    Fixture() {
        // The engine draws equal Z last-created first; build the sprites in
        // reverse so both sides draw the scene in the same order.
        Scene reversed = scene;
        std::reverse(reversed.sprites.begin(), reversed.sprites.end());
        TCanvas::SetFontRasterizer(font.get());
        engine = std::make_unique<EngineFrame>(reversed, font.get());
        sdl = std::make_unique<SdlFrame>(scene, font.get());
        engine->Compose();
        sdl->Compose();
        int differing = 0;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            differing += engine->Pixels()[i] != sdl->Pixels()[i] ? 1 : 0;
        }
        if (differing != 0) {
            std::fprintf(stderr, "frames differ in %d pixels\n", differing);
        }
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_FrameEngine(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.engine->Compose();
        benchmark::DoNotOptimize(f.engine->Pixels());
        benchmark::ClobberMemory();
    }
}

// The same with nothing kept from the frame before: a write access to the
// whole surface makes the next frame draw everything.
void BM_FrameEngineInFull(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.engine->ForgetFrame();
        f.engine->Compose();
        benchmark::DoNotOptimize(f.engine->Pixels());
        benchmark::ClobberMemory();
    }
}

// Parts of the engine's frame, to see where the time goes.
void BM_EnginePart(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.engine->Compose(static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(f.engine->Pixels());
        benchmark::ClobberMemory();
    }
}

void BM_FrameSdl(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.sdl->Compose();
        benchmark::DoNotOptimize(f.sdl->Pixels());
        benchmark::ClobberMemory();
    }
}

void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<std::uint32_t> from(kWidth * kHeight, 0x123456);
    std::vector<std::uint32_t> to(kWidth * kHeight);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size() * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

// The three frame by frame in one loop, so that drift on a shared machine
// reaches all of them alike; the counters are the goals' two ratios.
void BM_FrameRatios(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<std::uint32_t> from(kWidth * kHeight, 0x123456);
    std::vector<std::uint32_t> to(kWidth * kHeight);
    using Clock = std::chrono::steady_clock;
    Clock::duration engine{};
    Clock::duration sdl{};
    Clock::duration copy{};
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        f.engine->Compose();
        benchmark::DoNotOptimize(f.engine->Pixels());
        benchmark::ClobberMemory();
        const Clock::time_point t1 = Clock::now();
        f.sdl->Compose();
        benchmark::DoNotOptimize(f.sdl->Pixels());
        benchmark::ClobberMemory();
        const Clock::time_point t2 = Clock::now();
        std::memcpy(to.data(), from.data(), to.size() * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        const Clock::time_point t3 = Clock::now();
        engine += t1 - t0;
        sdl += t2 - t1;
        copy += t3 - t2;
    }
    const auto us = [&state](Clock::duration d) {
        return std::chrono::duration<double, std::micro>(d).count() /
               static_cast<double>(state.iterations());
    };
    state.counters["engine_us"] = us(engine);
    state.counters["sdl_us"] = us(sdl);
    state.counters["memcpy_us"] = us(copy);
    state.counters["of_sdl"] = us(engine) / us(sdl);
    state.counters["of_memcpy"] = us(engine) / us(copy);
}

// Alternating the three in one run keeps drift on a shared machine from
// favouring either side.
BENCHMARK(BM_FrameEngine)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_FrameEngineInFull)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FrameSdl)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_FrameRatios)->Unit(benchmark::kMicrosecond)->Repetitions(5);
// 1 fill, 2 background, 4 the 225 sprites, 8 texts.
BENCHMARK(BM_EnginePart)->Unit(benchmark::kMicrosecond)->Arg(1)->Arg(2)->Arg(4)->Arg(8);

} // namespace

BENCHMARK_MAIN();

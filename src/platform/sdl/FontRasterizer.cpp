// Text for the back buffer's canvas over SDL_ttf; FindFace (one per system)
// says which font file stands for a family.
// Needs no video subsystem, so headless screenshots show their texts too.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Platform.h"
#include "platform/sdl/FontFace.h"

namespace platform {
namespace {

// The coverage of one rendered text, kept so that the texts drawn every frame
// are rasterised once.
struct Coverage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> alpha;
    // Per row, the stretches with some coverage: runs[rowStart[r] ..
    // rowStart[r + 1]), so blending never walks the empty pixels.
    struct Run {
        std::int32_t start;
        std::int32_t length;
    };
    std::vector<std::uint32_t> rowStart;
    std::vector<Run> runs;

    static constexpr int kJoinGap = 8;

    void FindRuns() {
        rowStart.assign(1, 0);
        for (int row = 0; row < height; ++row) {
            const std::uint8_t* a = alpha.data() + static_cast<std::size_t>(row) * width;
            for (int x = 0; x < width;) {
                while (x < width && a[x] == 0) {
                    ++x;
                }
                const int start = x;
                while (x < width && a[x] != 0) {
                    ++x;
                }
                if (x > start) {
                    // Blending an uncovered pixel leaves it as it was, so
                    // runs a few pixels apart are blended as one.
                    if (runs.size() > rowStart.back() &&
                        start - (runs.back().start + runs.back().length) <= kJoinGap) {
                        runs.back().length = x - runs.back().start;
                    } else {
                        runs.push_back(Run{start, x - start});
                    }
                }
            }
            rowStart.push_back(static_cast<std::uint32_t>(runs.size()));
        }
    }
};

class TtfFontRasterizer final : public IFontRasterizer {
public:
    TtfFontRasterizer() {
        // SDL_ttf counts its starts, so each rasterizer holds one of its own.
        if (TTF_Init() != 0) {
            Warn(std::string("cannot start the font renderer: ") + TTF_GetError());
            return;
        }
        ttfStarted_ = true;
    }

    ~TtfFontRasterizer() override {
        rendered_.clear();
        widths_.clear();
        for (auto& [key, font] : fonts_) {
            if (font != nullptr) {
                TTF_CloseFont(font);
            }
        }
        fonts_.clear();
        if (ttfStarted_) {
            TTF_Quit();
        }
    }

    PixelRect DrawText(PixelView target, int x, int y, std::string_view text,
                       const TextStyle& style) override {
        if (text.empty() || target.pixels == nullptr) {
            return {};
        }
        TTF_Font* font = Font(style);
        if (font == nullptr) {
            return {};
        }
        const Coverage* coverage = Render(font, text);
        if (coverage == nullptr) {
            return {};
        }
        Blend(target, x, y, *coverage, style.color);
        return PixelRect{x, y, x + coverage->width, y + coverage->height};
    }

    int TextWidth(std::string_view text, const TextStyle& style) override {
        int w = 0;
        Measure(text, style, &w, nullptr);
        return w;
    }

    int TextHeight(std::string_view text, const TextStyle& style) override {
        int h = 0;
        Measure(text, style, nullptr, &h);
        return h;
    }

private:
    using FontKey = std::tuple<std::string, int, bool, bool>;

    static void Warn(const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); }

    // Windows points at 96 dpi; SDL_ttf takes points at 72 dpi, where a point
    // is a pixel, so the em height in pixels is passed.
    static int PixelSize(int points) {
        return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
    }

    TTF_Font* Font(const TextStyle& style) {
        if (!ttfStarted_) {
            return nullptr;
        }
        const int pixels = PixelSize(style.sizePoints);
        FontKey key{style.fontName, pixels, style.bold, style.italic};
        if (auto it = fonts_.find(key); it != fonts_.end()) {
            return it->second;
        }
        TTF_Font* font = nullptr;
        FontFace face;
        if (FindFace(style.fontName, style.bold, style.italic, face)) {
            font = TTF_OpenFontIndex(face.file.c_str(), pixels, face.index);
            if (font == nullptr) {
                Warn("cannot open the font " + face.file + ": " + TTF_GetError());
            } else {
                int ttfStyle = TTF_STYLE_NORMAL;
                ttfStyle |= face.fakeBold ? TTF_STYLE_BOLD : 0;
                ttfStyle |= face.fakeItalic ? TTF_STYLE_ITALIC : 0;
                TTF_SetFontStyle(font, ttfStyle);
            }
        } else {
            Warn("no font found for \"" + style.fontName + "\"; texts in it are not drawn");
        }
        // A failure is remembered too, so it is reported once.
        fonts_.emplace(key, font);
        return font;
    }

    const Coverage* Render(TTF_Font* font, std::string_view text) {
        auto key = std::make_pair(font, std::string(text));
        if (auto it = rendered_.find(key); it != rendered_.end()) {
            return &it->second;
        }
        if (rendered_.size() >= kMaxRendered) {
            rendered_.clear();
        }
        Coverage coverage;
        const std::string utf8 = Cp1251ToUtf8(text);
        SDL_Surface* surface =
            TTF_RenderUTF8_Blended(font, utf8.c_str(), SDL_Color{255, 255, 255, 255});
        if (surface != nullptr) {
            SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
            SDL_FreeSurface(surface);
            if (argb != nullptr) {
                coverage.width = argb->w;
                coverage.height = argb->h;
                coverage.alpha.resize(static_cast<std::size_t>(argb->w) * argb->h);
                for (int row = 0; row < argb->h; ++row) {
                    const auto* src = reinterpret_cast<const Uint32*>(
                        static_cast<const Uint8*>(argb->pixels) +
                        static_cast<std::ptrdiff_t>(row) * argb->pitch);
                    for (int col = 0; col < argb->w; ++col) {
                        coverage.alpha[static_cast<std::size_t>(row) * argb->w + col] =
                            static_cast<std::uint8_t>(src[col] >> 24);
                    }
                }
                SDL_FreeSurface(argb);
            }
        }
        coverage.FindRuns();
        // Texts that rendered nothing (blanks only) are kept as empty.
        return &rendered_.emplace(std::move(key), std::move(coverage)).first->second;
    }

    static void Blend(PixelView target, int x, int y, const Coverage& c, std::uint32_t color) {
        const int x0 = std::max(x, 0);
        const int y0 = std::max(y, 0);
        const int x1 = std::min(x + c.width, target.width);
        const int y1 = std::min(y + c.height, target.height);
        for (int ty = y0; ty < y1; ++ty) {
            const std::uint8_t* src = c.alpha.data() + static_cast<std::size_t>(ty - y) * c.width;
            std::uint32_t* dst = target.pixels + static_cast<std::ptrdiff_t>(ty) * target.pitch + x;
            const Coverage::Run* end =
                c.runs.data() + c.rowStart[static_cast<std::size_t>(ty - y) + 1];
            for (const Coverage::Run* run =
                     c.runs.data() + c.rowStart[static_cast<std::size_t>(ty - y)];
                 run != end; ++run) {
                const int from = std::max(run->start, x0 - x);
                const int to = std::min(run->start + run->length, x1 - x);
                if (from < to) {
                    BlendSpan(dst + from, src + from, to - from, color);
                }
            }
        }
    }

    // Each channel becomes (colour * a + pixel * (255 - a)) / 255, rounded:
    // x / 255 rounded is (x + 128 + ((x + 128) >> 8)) >> 8, exact for every
    // sum here. No coverage leaves the pixel as it was and full coverage gives
    // the colour, so neither needs a branch.
    static void BlendSpan(std::uint32_t* dst, const std::uint8_t* alpha, int count,
                          std::uint32_t color) {
        int i = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i full = _mm_set1_epi16(255);
        const __m128i half = _mm_set1_epi16(128);
        const __m128i ink =
            _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(color & 0xFFFFFF)), zero);
        const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
        const auto mix = [&](__m128i pixels, __m128i a) {
            __m128i sum = _mm_add_epi16(_mm_mullo_epi16(ink, a),
                                        _mm_mullo_epi16(pixels, _mm_sub_epi16(full, a)));
            sum = _mm_add_epi16(sum, half);
            return _mm_srli_epi16(_mm_add_epi16(sum, _mm_srli_epi16(sum, 8)), 8);
        };
        for (; i + 4 <= count; i += 4) {
            std::uint32_t four;
            std::memcpy(&four, alpha + i, 4);
            // Each pixel's coverage in all four of its 16-bit channels.
            __m128i a = _mm_cvtsi32_si128(static_cast<int>(four));
            a = _mm_unpacklo_epi8(a, a);
            a = _mm_unpacklo_epi16(a, a);
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
            const __m128i low = mix(_mm_unpacklo_epi8(pixels, zero), _mm_unpacklo_epi8(a, zero));
            const __m128i high = mix(_mm_unpackhi_epi8(pixels, zero), _mm_unpackhi_epi8(a, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                             _mm_and_si128(_mm_packus_epi16(low, high), rgb));
        }
#endif
        const std::uint32_t rb = color & 0xFF00FF;
        const std::uint32_t g = (color >> 8) & 0xFF;
        for (; i < count; ++i) {
            const std::uint32_t a = alpha[i];
            const std::uint32_t inv = 255 - a;
            const std::uint32_t d = dst[i];
            std::uint32_t xrb = rb * a + (d & 0xFF00FF) * inv + 0x800080;
            xrb = ((xrb + ((xrb >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
            std::uint32_t xg = g * a + ((d >> 8) & 0xFF) * inv + 0x80;
            xg = (xg + (xg >> 8)) >> 8;
            dst[i] = xrb | (xg << 8);
        }
    }

    void Measure(std::string_view text, const TextStyle& style, int* w, int* h) {
        TTF_Font* font = Font(style);
        if (font == nullptr) {
            return;
        }
        if (h != nullptr) {
            *h = TTF_FontHeight(font);
        }
        if (w != nullptr && !text.empty()) {
            // The heads-up display measures the same few texts every frame.
            auto key = std::make_pair(font, std::string(text));
            if (auto it = widths_.find(key); it != widths_.end()) {
                *w = it->second;
                return;
            }
            const std::string utf8 = Cp1251ToUtf8(text);
            int width = 0;
            if (TTF_SizeUTF8(font, utf8.c_str(), &width, nullptr) == 0) {
                *w = width;
                if (widths_.size() >= kMaxRendered) {
                    widths_.clear();
                }
                widths_.emplace(std::move(key), width);
            }
        }
    }

    static constexpr std::size_t kMaxRendered = 256;

    bool ttfStarted_ = false;
    std::map<FontKey, TTF_Font*> fonts_;
    std::map<std::pair<TTF_Font*, std::string>, Coverage> rendered_;
    std::map<std::pair<TTF_Font*, std::string>, int> widths_;
};

} // namespace

std::unique_ptr<IFontRasterizer> CreateFontRasterizer() {
    return std::make_unique<TtfFontRasterizer>();
}

} // namespace platform

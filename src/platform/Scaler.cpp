#include "platform/Scaler.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define BRINEHOLD_SCALER_SSE2 1
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define BRINEHOLD_SCALER_AVX2 1
#endif

namespace platform {
namespace {

// a * (256 - w) + b * w, per 8-bit channel, w in 0..256.
inline std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t w) {
    const std::uint32_t v = 256 - w;
    const std::uint32_t rb = (((a & 0xFF00FF) * v + (b & 0xFF00FF) * w) >> 8) & 0xFF00FF;
    const std::uint32_t g = (((a & 0xFF00) * v + (b & 0xFF00) * w) >> 8) & 0xFF00;
    return rb | g;
}

#if BRINEHOLD_SCALER_SSE2
// a * (256 - w) + b * w >> 8 for the 16-bit channels of two pixels.
inline __m128i MixWide(__m128i a, __m128i b, __m128i v, __m128i w) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(a, v), _mm_mullo_epi16(b, w)), 8);
}
#endif

#if BRINEHOLD_SCALER_AVX2
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") != 0;
    return has;
}

__attribute__((target("avx2"))) inline __m256i MixAvx2(__m256i a, __m256i b, __m256i v, __m256i w) {
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(a, v), _mm256_mullo_epi16(b, w)),
                             8);
}

// MixRows eight pixels at a time, the same sums.
__attribute__((target("avx2"))) int MixRowsAvx2(const std::uint32_t* __restrict a,
                                                const std::uint32_t* __restrict b,
                                                std::uint32_t* __restrict out, int count,
                                                std::uint32_t w, bool stream) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i wv = _mm256_set1_epi16(static_cast<short>(w));
    const __m256i vv = _mm256_set1_epi16(static_cast<short>(256 - w));
    const bool aligned = stream && (reinterpret_cast<std::uintptr_t>(out) & 31) == 0;
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i pa = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
        const __m256i pb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
        const __m256i low =
            MixAvx2(_mm256_unpacklo_epi8(pa, zero), _mm256_unpacklo_epi8(pb, zero), vv, wv);
        const __m256i high =
            MixAvx2(_mm256_unpackhi_epi8(pa, zero), _mm256_unpackhi_epi8(pb, zero), vv, wv);
        const __m256i mixed = _mm256_packus_epi16(low, high);
        if (aligned) {
            _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i), mixed);
        } else {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), mixed);
        }
    }
    return i;
}

// Eight destination pixels at a time: their source pixels lie within eight
// neighbours, loaded once and picked out with a permute.
__attribute__((target("avx2"))) void WidenGroups(const std::uint32_t* source, std::uint32_t* row,
                                                 const AreaScaler::Group* groups, int count) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i full = _mm256_set1_epi16(256);
    for (int g = 0; g < count; ++g, row += 8) {
        const AreaScaler::Group& group = groups[g];
        const __m256i pixels =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + group.base));
        const __m256i a = _mm256_permutevar8x32_epi32(
            pixels, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(group.first)));
        const __m256i b = _mm256_permutevar8x32_epi32(
            pixels, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(group.next)));
        const __m256i wLow = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(group.weights));
        const __m256i wHigh =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(group.weights + 16));
        const __m256i low = MixAvx2(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero),
                                    _mm256_sub_epi16(full, wLow), wLow);
        const __m256i high = MixAvx2(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero),
                                     _mm256_sub_epi16(full, wHigh), wHigh);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row), _mm256_packus_epi16(low, high));
    }
}
#endif

// Two rows mixed with one weight.
void MixRows(const std::uint32_t* __restrict a, const std::uint32_t* __restrict b,
             std::uint32_t* __restrict out, int count, std::uint32_t w,
             [[maybe_unused]] bool stream, [[maybe_unused]] bool vectors) {
    int i = 0;
#if BRINEHOLD_SCALER_AVX2
    if (vectors && HasAvx2()) {
        i = MixRowsAvx2(a, b, out, count, w, stream);
    }
#endif
#if BRINEHOLD_SCALER_SSE2
    if (vectors) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i wv = _mm_set1_epi16(static_cast<short>(w));
        const __m128i vv = _mm_set1_epi16(static_cast<short>(256 - w));
        const bool aligned = stream && (reinterpret_cast<std::uintptr_t>(out) & 15) == 0;
        for (; i + 4 <= count; i += 4) {
            const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
            const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
            const __m128i low =
                MixWide(_mm_unpacklo_epi8(pa, zero), _mm_unpacklo_epi8(pb, zero), vv, wv);
            const __m128i high =
                MixWide(_mm_unpackhi_epi8(pa, zero), _mm_unpackhi_epi8(pb, zero), vv, wv);
            const __m128i mixed = _mm_packus_epi16(low, high);
            if (aligned) {
                _mm_stream_si128(reinterpret_cast<__m128i*>(out + i), mixed);
            } else {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), mixed);
            }
        }
    }
#endif
    const std::uint64_t v = 256 - w;
    constexpr std::uint64_t kMask = 0x00FF00FF00FF00FFull;
    for (; vectors && i + 2 <= count; i += 2) {
        std::uint64_t pa;
        std::uint64_t pb;
        std::memcpy(&pa, a + i, sizeof pa);
        std::memcpy(&pb, b + i, sizeof pb);
        const std::uint64_t low = (((pa & kMask) * v + (pb & kMask) * w) >> 8) & kMask;
        const std::uint64_t high = ((((pa >> 8) & kMask) * v + ((pb >> 8) & kMask) * w)) & ~kMask;
        const std::uint64_t mixed = low | high;
        std::memcpy(out + i, &mixed, sizeof mixed);
    }
    for (; i < count; ++i) {
        out[i] = Mix(a[i], b[i], w);
    }
}

// A row copy that streams past the cache when asked to, like MixRows.
void CopyRow(std::uint32_t* __restrict out, const std::uint32_t* __restrict in, int count,
             [[maybe_unused]] bool stream) {
    int i = 0;
#if BRINEHOLD_SCALER_SSE2
    if (stream && (reinterpret_cast<std::uintptr_t>(out) & 15) == 0) {
        for (; i + 4 <= count; i += 4) {
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)));
        }
    }
#endif
    std::memcpy(out + i, in + i, static_cast<std::size_t>(count - i) * sizeof(std::uint32_t));
}

void EndStreaming() {
#if BRINEHOLD_SCALER_SSE2
    _mm_sfence();
#endif
}

std::uint32_t* Row(PixelView view, int y) {
    return view.pixels + static_cast<std::ptrdiff_t>(y) * view.pitch;
}

} // namespace

void ScaleWhole(PixelView source, PixelView destination, int scale) {
    if (scale < 1 || source.pixels == nullptr || destination.pixels == nullptr) {
        return;
    }
    const int width = std::min(source.width, destination.width / scale);
    const int height = std::min(source.height, destination.height / scale);
    const auto rowBytes = static_cast<std::size_t>(width) * scale * sizeof(std::uint32_t);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* in = Row(source, y);
        std::uint32_t* first = Row(destination, y * scale);
        if (scale == 1) {
            std::memcpy(first, in, rowBytes);
            continue;
        }
        std::uint32_t* out = first;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = in[x];
            for (int k = 0; k < scale; ++k) {
                *out++ = pixel;
            }
        }
        for (int k = 1; k < scale; ++k) {
            std::memcpy(Row(destination, y * scale + k), first, rowBytes);
        }
    }
}

void AreaScaler::Prepare(int sourceWidth, int sourceHeight, int width, int height) {
    if (sourceWidth == sourceWidth_ && sourceHeight == sourceHeight_ && width == width_ &&
        height == height_) {
        return;
    }
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    width_ = width;
    height_ = height;
    // Destination pixel i covers source [i * n / m, (i + 1) * n / m); counted
    // in 1 / m of a source pixel so that the tables are exact.
    auto taps = [](int n, int m) {
        std::vector<Tap> table(static_cast<std::size_t>(m));
        for (int i = 0; i < m; ++i) {
            const std::int64_t left = std::int64_t{i} * n;
            const std::int64_t right = left + n;
            const std::int64_t first = left / m;
            const std::int64_t seam = (first + 1) * m;
            Tap tap{static_cast<int>(first), static_cast<int>(first), 0};
            if (right > seam && first + 1 < n) {
                // Upscaling: a destination pixel spans at most one seam.
                tap.next = tap.index + 1;
                tap.weight = static_cast<std::uint32_t>(
                    std::min<std::int64_t>((right - seam) * 256 / n, 256));
            }
            table[static_cast<std::size_t>(i)] = tap;
        }
        return table;
    };
    columns_ = taps(sourceWidth, width);
    // Each column's weight once per channel, as the vector mix reads them.
    weights_.clear();
    for (const Tap& tap : columns_) {
        weights_.insert(weights_.end(), 4, static_cast<std::uint16_t>(tap.weight));
    }
    // Groups of eight columns whose source pixels lie within eight
    // neighbours, from the left as far as that holds.
    groups_.clear();
    for (int x = 0; x + 8 <= width; x += 8) {
        Group group{};
        group.base = columns_[static_cast<std::size_t>(x)].index;
        bool fits = group.base + 8 <= sourceWidth;
        for (int k = 0; k < 8 && fits; ++k) {
            const Tap& tap = columns_[static_cast<std::size_t>(x + k)];
            group.first[k] = tap.index - group.base;
            group.next[k] = tap.next - group.base;
            fits = group.first[k] >= 0 && group.next[k] < 8;
            // The vector unpacks mix pixels 0, 1, 4, 5 in the low half and
            // 2, 3, 6, 7 in the high half.
            const int half = (k & 2) != 0 ? 16 : 0;
            const int slot = half + (k & 4) * 2 + (k & 1) * 4;
            for (int c = 0; c < 4; ++c) {
                group.weights[slot + c] = static_cast<std::uint16_t>(tap.weight);
            }
        }
        if (!fits) {
            break;
        }
        groups_.push_back(group);
    }
    rows_ = taps(sourceHeight, height);
    upper_.assign(static_cast<std::size_t>(width), 0);
    lower_.assign(static_cast<std::size_t>(width), 0);
    upperRow_ = -1;
    lowerRow_ = -1;

    blockWidth_ = std::max(32, (sourceWidth + 63) / 64);
    const int blocks = (sourceWidth + blockWidth_ - 1) / blockWidth_;
    allBlocks_ = blocks == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << blocks) - 1;
    blockFrom_.assign(static_cast<std::size_t>(blocks), 0);
    blockTo_.assign(static_cast<std::size_t>(blocks), 0);
    for (int b = 0; b < blocks; ++b) {
        const int start = b * blockWidth_;
        const int end = std::min(start + blockWidth_, sourceWidth);
        int from = width;
        int to = 0;
        for (int x = 0; x < width; ++x) {
            const Tap& tap = columns_[static_cast<std::size_t>(x)];
            if (tap.next >= start && tap.index < end) {
                from = std::min(from, x);
                to = x + 1;
            }
        }
        blockFrom_[static_cast<std::size_t>(b)] = std::min(from, to) / 8 * 8;
        blockTo_[static_cast<std::size_t>(b)] = std::min((to + 7) / 8 * 8, width);
    }
    stream_ = stores_ == Stores::Streaming;
    changed_.assign(static_cast<std::size_t>(sourceHeight), 0);
    trusted_.assign(static_cast<std::size_t>(sourceHeight), 0);
    trustLeft_.assign(static_cast<std::size_t>(sourceHeight), 0);
    previous_.assign(static_cast<std::size_t>(sourceWidth) * static_cast<std::size_t>(sourceHeight),
                     0);
    havePrevious_ = false;
    scaled_ = false;
}

void AreaScaler::Widen(const std::uint32_t* source, std::uint32_t* row, int from, int to) const {
    int x = from;
#if BRINEHOLD_SCALER_AVX2
    if (!plain_ && HasAvx2() && !groups_.empty()) {
        const int first = from / 8;
        const int end = std::min(static_cast<int>(groups_.size()), (to + 7) / 8);
        if (first < end) {
            WidenGroups(source, row + first * 8, groups_.data() + first, end - first);
            x = end * 8;
        }
    }
#endif
    const Tap* tap = columns_.data() + x;
#if BRINEHOLD_SCALER_SSE2
    // Four pixels at a time: their two source pixels gathered, then mixed
    // with each pixel's own weight.
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(256);
    for (; !plain_ && x + 4 <= to; x += 4, tap += 4) {
        const __m128i a = _mm_setr_epi32(
            static_cast<int>(source[tap[0].index]), static_cast<int>(source[tap[1].index]),
            static_cast<int>(source[tap[2].index]), static_cast<int>(source[tap[3].index]));
        const __m128i b = _mm_setr_epi32(
            static_cast<int>(source[tap[0].next]), static_cast<int>(source[tap[1].next]),
            static_cast<int>(source[tap[2].next]), static_cast<int>(source[tap[3].next]));
        const auto* weights = reinterpret_cast<const __m128i*>(weights_.data() + x * 4);
        const __m128i wLow = _mm_loadu_si128(weights);
        const __m128i wHigh = _mm_loadu_si128(weights + 1);
        const __m128i low = MixWide(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero),
                                    _mm_sub_epi16(full, wLow), wLow);
        const __m128i high = MixWide(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero),
                                     _mm_sub_epi16(full, wHigh), wHigh);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), _mm_packus_epi16(low, high));
    }
#endif
    for (; x < to; ++x, ++tap) {
        const std::uint32_t a = source[tap->index];
        row[x] = tap->weight == 0 ? a : Mix(a, source[tap->index + 1], tap->weight);
    }
}

namespace {

// Calls `visit(first, count)` for each run of set bits of `mask`.
template <class Visit> void ForEachRun(std::uint64_t mask, Visit visit) {
    while (mask != 0) {
        const int first = std::countr_zero(mask);
        const int count = std::countr_one(mask >> first);
        visit(first, count);
        mask = first + count >= 64 ? 0 : mask & ~((std::uint64_t{1} << (first + count)) - 1);
    }
}

} // namespace

void AreaScaler::WidenBlocks(const std::uint32_t* source, std::uint32_t* row,
                             std::uint64_t blocks) const {
    ForEachRun(blocks, [&](int first, int count) {
        Widen(source, row, blockFrom_[static_cast<std::size_t>(first)],
              blockTo_[static_cast<std::size_t>(first + count - 1)]);
    });
}

namespace {

// True when `count` pixels at `a` and `b` differ; one pass, no early exit
// (the blocks are short).
#if BRINEHOLD_SCALER_AVX2
__attribute__((target("avx2"))) bool DiffersAvx2(const std::uint32_t* a, const std::uint32_t* b,
                                                 std::size_t count, std::size_t& done) {
    __m256i any = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        any = _mm256_or_si256(
            any, _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i)),
                                  _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i))));
    }
    done = i;
    return _mm256_testz_si256(any, any) == 0;
}
#endif

bool Differs(const std::uint32_t* a, const std::uint32_t* b, std::size_t count) {
    std::size_t i = 0;
#if BRINEHOLD_SCALER_AVX2
    if (HasAvx2()) {
        if (DiffersAvx2(a, b, count, i)) {
            return true;
        }
        return i < count && std::memcmp(a + i, b + i, (count - i) * sizeof(std::uint32_t)) != 0;
    }
#endif
#if BRINEHOLD_SCALER_SSE2
    __m128i any = _mm_setzero_si128();
    for (; i + 8 <= count; i += 8) {
        const auto* pa = reinterpret_cast<const __m128i*>(a + i);
        const auto* pb = reinterpret_cast<const __m128i*>(b + i);
        any = _mm_or_si128(any, _mm_xor_si128(_mm_loadu_si128(pa), _mm_loadu_si128(pb)));
        any = _mm_or_si128(any, _mm_xor_si128(_mm_loadu_si128(pa + 1), _mm_loadu_si128(pb + 1)));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) != 0xFFFF) {
        return true;
    }
#endif
    return i < count && std::memcmp(a + i, b + i, (count - i) * sizeof(std::uint32_t)) != 0;
}

} // namespace

void AreaScaler::FindChanges(PixelView source, Find find, int firstRow, int endRow) {
    const bool onlyMarked = find == Find::Marked;
    const auto width = static_cast<std::size_t>(sourceWidth_);
    const auto block = static_cast<std::size_t>(blockWidth_);
    for (int y = firstRow; y < endRow; ++y) {
        const std::uint32_t* now = Row(source, y);
        std::uint32_t* before = previous_.data() + static_cast<std::size_t>(y) * width;
        const auto row = static_cast<std::size_t>(y);
        std::uint64_t& changed = changed_[row];
        std::uint64_t candidates = onlyMarked ? changed : allBlocks_;
        // Blocks that changed when last compared (scrolling strips, moving
        // fish) mostly change again: for a few frames their marks are taken
        // for changes without comparing, and their copies are brought up to
        // date when that ends. Unmarked blocks are unchanged either way;
        // without marks the stale copies are all there is to go by, so
        // those blocks count as changed.
        std::uint64_t found = candidates & trusted_[row];
        candidates &= ~trusted_[row];
        while (candidates != 0) {
            const int b = std::countr_zero(candidates);
            candidates &= candidates - 1;
            const std::size_t from = static_cast<std::size_t>(b) * block;
            const std::size_t count = std::min(block, width - from);
            if (Differs(now + from, before + from, count)) {
                found |= std::uint64_t{1} << b;
                std::memcpy(before + from, now + from, count * sizeof(std::uint32_t));
            }
        }
        changed = found;
        std::uint8_t& left = trustLeft_[row];
        if (trusted_[row] != 0) {
            if (!onlyMarked || --left == 0) {
                ForEachRun(trusted_[row], [&](int first, int count) {
                    const std::size_t from = static_cast<std::size_t>(first) * block;
                    const std::size_t to =
                        std::min(static_cast<std::size_t>(first + count) * block, width);
                    std::memcpy(before + from, now + from, (to - from) * sizeof(std::uint32_t));
                });
                trusted_[row] = 0;
                left = 0;
            }
        } else if (onlyMarked && found != 0) {
            trusted_[row] = found;
            left = kTrustedFrames;
        }
    }
}

void AreaScaler::TakeChanges(const FrameChanges& changes) {
    const auto words = static_cast<std::size_t>(changes.words);
    for (int y = 0; y < sourceHeight_; ++y) {
        const std::uint64_t* row = changes.rows + static_cast<std::size_t>(y) * words;
        std::uint64_t mask = 0;
        for (std::size_t word = 0; word < words; ++word) {
            const int base = static_cast<int>(word) * 64;
            ForEachRun(row[word], [&](int first, int count) {
                const int left = (base + first) << FrameChanges::kBlockShift;
                const int right =
                    std::min((base + first + count) << FrameChanges::kBlockShift, sourceWidth_);
                if (left >= right) {
                    return;
                }
                const int from = left / blockWidth_;
                const int to = (right - 1) / blockWidth_;
                mask |= (to == 63 ? ~std::uint64_t{0} : (std::uint64_t{2} << to) - 1) &
                        ~((std::uint64_t{1} << from) - 1);
            });
        }
        changed_[static_cast<std::size_t>(y)] = mask;
    }
}

void AreaScaler::ScaleRows(PixelView source, PixelView destination, Find find) {
    const bool whole = find == Find::Nothing;
    // The widened rows are rebuilt every frame (the picture changes).
    upperRow_ = -1;
    lowerRow_ = -1;
    written_.clear();
    int compared = 0; // source rows looked at so far
    for (int y = 0; y < height_; ++y) {
        const Tap tap = rows_[static_cast<std::size_t>(y)];
        std::uint64_t need = allBlocks_;
        if (!whole) {
            // Compared just before use, while the rows are in the cache.
            const int needed = std::min(tap.index + 2, sourceHeight_);
            if (compared < needed) {
                FindChanges(source, find, compared, needed);
                compared = needed;
            }
            need = changed_[static_cast<std::size_t>(tap.index)] |
                   (tap.weight != 0 ? changed_[static_cast<std::size_t>(tap.index) + 1] : 0);
            if (need == 0) {
                continue;
            }
        }
        std::uint32_t* out = Row(destination, y);
        if (tap.index != upperRow_) {
            if (tap.index == lowerRow_) {
                std::swap(upper_, lower_);
                std::swap(upperRow_, lowerRow_);
                std::swap(upperBlocks_, lowerBlocks_);
            } else {
                upperRow_ = tap.index;
                upperBlocks_ = 0;
            }
        }
        WidenBlocks(Row(source, tap.index), upper_.data(), need & ~upperBlocks_);
        upperBlocks_ |= need;
        if (tap.weight != 0) {
            if (lowerRow_ != tap.index + 1) {
                lowerRow_ = tap.index + 1;
                lowerBlocks_ = 0;
            }
            WidenBlocks(Row(source, tap.index + 1), lower_.data(), need & ~lowerBlocks_);
            lowerBlocks_ |= need;
        }
        int left = width_;
        int right = 0;
        ForEachRun(need, [&](int first, int count) {
            const int from = blockFrom_[static_cast<std::size_t>(first)];
            const int to = blockTo_[static_cast<std::size_t>(first + count - 1)];
            if (tap.weight == 0) {
                CopyRow(out + from, upper_.data() + from, to - from, stream_);
            } else {
                MixRows(upper_.data() + from, lower_.data() + from, out + from, to - from,
                        tap.weight, stream_, !plain_);
            }
            left = std::min(left, from);
            right = std::max(right, to);
        });
        // Neighbouring rows written join one box.
        if (!written_.empty() && written_.back().y + written_.back().h == y) {
            Rect& box = written_.back();
            const int boxRight = std::max(box.x + box.w, right);
            box.x = std::min(box.x, left);
            box.w = boxRight - box.x;
            ++box.h;
        } else {
            written_.push_back({left, y, right - left, 1});
        }
    }
    if (!whole) {
        FindChanges(source, find, compared, sourceHeight_); // rows no destination row reads
    }
    EndStreaming();
}

void AreaScaler::Scale(PixelView source, PixelView destination) {
    if (source.pixels == nullptr || destination.pixels == nullptr || source.width <= 0 ||
        source.height <= 0 || destination.width <= 0 || destination.height <= 0) {
        return;
    }
    Prepare(source.width, source.height, destination.width, destination.height);
    havePrevious_ = false;
    scaled_ = false;
    ScaleRows(source, destination, Find::Nothing);
}

const std::vector<Rect>& AreaScaler::ScaleChanges(PixelView source, PixelView destination) {
    if (source.pixels == nullptr || destination.pixels == nullptr || source.width <= 0 ||
        source.height <= 0 || destination.width <= 0 || destination.height <= 0) {
        written_.clear();
        scaled_ = false;
        return written_;
    }
    Prepare(source.width, source.height, destination.width, destination.height);
    scaledFrame_ = 0;
    if (havePrevious_ && scaled_ && SameDestination(destination)) {
        ScaleRows(source, destination, Find::All);
        return written_;
    }
    for (int y = 0; y < sourceHeight_; ++y) {
        const auto width = static_cast<std::size_t>(sourceWidth_);
        std::memcpy(previous_.data() + static_cast<std::size_t>(y) * width, Row(source, y),
                    width * sizeof(std::uint32_t));
    }
    std::fill(trusted_.begin(), trusted_.end(), std::uint64_t{0});
    std::fill(trustLeft_.begin(), trustLeft_.end(), std::uint8_t{0});
    havePrevious_ = true;
    scaled_ = true;
    previousDestination_ = destination;
    ScaleRows(source, destination, Find::Nothing);
    return written_;
}

const std::vector<Rect>& AreaScaler::ScaleChanges(PixelView source, PixelView destination,
                                                  const FrameChanges& changes) {
    const bool known =
        source.pixels != nullptr && destination.pixels != nullptr && changes.rows != nullptr &&
        changes.since != 0 &&
        std::int64_t{changes.words} * 64 << FrameChanges::kBlockShift >= source.width;
    if (known && source.width == sourceWidth_ && source.height == sourceHeight_ &&
        destination.width == width_ && destination.height == height_ && scaled_ && havePrevious_ &&
        scaledFrame_ == changes.since && SameDestination(destination)) {
        // Blocks drawn over again with the same pixels are common (still
        // sprites, texts): the named ones are compared still.
        TakeChanges(changes);
        scaledFrame_ = changes.frame;
        ScaleRows(source, destination, Find::Marked);
        return written_;
    }
    ScaleChanges(source, destination);
    scaledFrame_ = scaled_ ? changes.frame : 0;
    return written_;
}

} // namespace platform

#include "assets/DIB.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "assets/Errors.h"
#include "assets/Stream.h"

namespace {

// Leaves new elements uninitialised on resize: the pixels read from a file
// overwrite the whole buffer at once, so zeroing it first is wasted time.
// An explicit value (resize(n, 0)) still fills.
template <class T> struct UninitializedAllocator : std::allocator<T> {
    using value_type = T;
    template <class U> struct rebind { using other = UninitializedAllocator<U>; };
    UninitializedAllocator() = default;
    template <class U> UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
    template <class U> void construct(U* at) noexcept { ::new (static_cast<void*>(at)) U; }
    template <class U, class... Args> void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};
using PixelBytes = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;

struct Channel {
    int shift = 0;
    int bits = 8;
};

// The run of set bits starting at the mask's lowest set bit.
Channel ChannelOfMask(std::uint32_t mask) {
    Channel channel;
    if (mask == 0) {
        channel.bits = 0;
        return channel;
    }
    channel.shift = std::countr_zero(mask);
    channel.bits = std::countr_one(mask >> channel.shift);
    return channel;
}

std::uint32_t Widen(std::uint32_t value, int bits) {
    switch (bits) {
    case 5:
        return (value << 3) | (value >> 2);
    case 6:
        return (value << 2) | (value >> 4);
    default:
        return value & 0xFF;
    }
}

std::uint32_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | p[1] << 8);
}
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

using ColorTableArray = std::array<std::uint32_t, 256>; // 0x00RRGGBB

// The table of a new bitmap (entry i is grey i), shared by every bitmap that
// has not read one of its own: an empty picture costs no table.
const std::shared_ptr<const ColorTableArray>& GreyTable() {
    static const std::shared_ptr<const ColorTableArray> table = [] {
        auto grey = std::make_shared<ColorTableArray>();
        for (std::uint32_t i = 0; i < 256; ++i) {
            (*grey)[i] = i * 0x010101u;
        }
        return grey;
    }();
    return table;
}

} // namespace

struct TDIB::Shared {
    int width = 0;
    int height = 0; // always positive: rows are bottom row first in `bits`
    int bitCount = 8;
    int compression = 0; // 1 or 2 while `bits` still holds the RLE data
    Channel red{16, 8}, green{8, 8}, blue{0, 8};
    std::shared_ptr<const ColorTableArray> table = GreyTable();
    std::size_t rowBytes = 0;
    PixelBytes bits;

    bool Compressed() const { return compression == 1 || compression == 2; }
    std::size_t Size() const { return bits.size(); }

    void Expand();
    void ConvertRow(int memoryRow, int x0, int count, std::uint32_t* out) const;
};

namespace {

std::size_t RowBytesOf(std::int64_t width, int bitCount) {
    return static_cast<std::size_t>((width * bitCount + 31) / 32 * 4);
}

// RLE decoding. Every write is clipped to the bitmap and every read to the
// data: damaged runs, offsets and absolute blocks are cut, never followed
// outside the buffers.
class RleDecoder {
public:
    RleDecoder(const PixelBytes& data, PixelBytes& out, int width, int height, std::size_t rowBytes)
        : data_(data), out_(out), width_(width), height_(height), rowBytes_(rowBytes) {}

    template <bool Four> void Run() {
        const std::size_t n = data_.size();
        std::size_t pos = 0;
        std::int64_t x = 0;
        std::int64_t y = 0;
        while (pos + 1 < n && y < height_) {
            const std::uint8_t first = data_[pos];
            const std::uint8_t second = data_[pos + 1];
            pos += 2;
            if (first != 0) {
                if constexpr (Four) {
                    for (int i = 0; i < first; ++i) {
                        Put4(x + i, y, (i & 1) == 0 ? second >> 4 : second & 0x0F);
                    }
                } else {
                    Fill8(x, y, first, second);
                }
                x = std::min<std::int64_t>(x + first, width_);
            } else if (second == 0) {
                x = 0;
                ++y;
            } else if (second == 1) {
                break;
            } else if (second == 2) {
                if (pos + 2 > n) {
                    break;
                }
                x = std::min<std::int64_t>(x + data_[pos], width_);
                y += data_[pos + 1];
                pos += 2;
            } else {
                const std::size_t bytes = Four ? (second + 1u) / 2u : second;
                const std::size_t available = std::min(bytes, n - pos);
                for (std::size_t i = 0; i < second; ++i) {
                    if constexpr (Four) {
                        if (i / 2 >= available) {
                            break;
                        }
                        std::uint8_t b = data_[pos + i / 2];
                        Put4(x + static_cast<std::int64_t>(i), y, (i & 1) == 0 ? b >> 4 : b & 0x0F);
                    } else {
                        if (i >= available) {
                            break;
                        }
                        Put8(x + static_cast<std::int64_t>(i), y, data_[pos + i]);
                    }
                }
                pos += bytes;
                x = std::min<std::int64_t>(x + second, width_);
            }
            // Every step starts on an even offset of the data.
            if (pos & 1) {
                ++pos;
            }
        }
    }

private:
    void Put8(std::int64_t x, std::int64_t y, std::uint8_t value) {
        if (x < width_ && y < height_) {
            out_[static_cast<std::size_t>(y) * rowBytes_ + static_cast<std::size_t>(x)] = value;
        }
    }
    void Fill8(std::int64_t x, std::int64_t y, int count, std::uint8_t value) {
        if (y >= height_ || x >= width_) {
            return;
        }
        std::int64_t end = std::min<std::int64_t>(x + count, width_);
        std::memset(out_.data() + static_cast<std::size_t>(y) * rowBytes_ + x, value,
                    static_cast<std::size_t>(end - x));
    }
    void Put4(std::int64_t x, std::int64_t y, int value) {
        if (x < width_ && y < height_) {
            std::uint8_t& b =
                out_[static_cast<std::size_t>(y) * rowBytes_ + static_cast<std::size_t>(x / 2)];
            b = (x & 1) == 0 ? static_cast<std::uint8_t>((b & 0x0F) | value << 4)
                             : static_cast<std::uint8_t>((b & 0xF0) | value);
        }
    }

    const PixelBytes& data_;
    PixelBytes& out_;
    std::int64_t width_;
    std::int64_t height_;
    std::size_t rowBytes_;
};

} // namespace

void TDIB::Shared::Expand() {
    if (!Compressed()) {
        return;
    }
    PixelBytes out(rowBytes * static_cast<std::size_t>(height), 0);
    RleDecoder decoder(bits, out, width, height, rowBytes);
    if (compression == 1) {
        decoder.Run<false>();
    } else {
        decoder.Run<true>();
    }
    bits = std::move(out);
    compression = 0;
}

void TDIB::Shared::ConvertRow(int memoryRow, int x0, int count, std::uint32_t* out) const {
    const ColorTableArray& colours = *table;
    const std::uint8_t* row = bits.data() + static_cast<std::size_t>(memoryRow) * rowBytes;
    switch (bitCount) {
    case 1:
        for (int i = 0; i < count; ++i) {
            int x = x0 + i;
            out[i] = colours[(row[x >> 3] >> (7 - (x & 7))) & 1];
        }
        break;
    case 4:
        for (int i = 0; i < count; ++i) {
            int x = x0 + i;
            out[i] = colours[(x & 1) == 0 ? row[x >> 1] >> 4 : row[x >> 1] & 0x0F];
        }
        break;
    case 8:
        for (int i = 0; i < count; ++i) {
            out[i] = colours[row[x0 + i]];
        }
        break;
    case 16: {
        const std::uint32_t rm = (1u << red.bits) - 1, gm = (1u << green.bits) - 1,
                            bm = (1u << blue.bits) - 1;
        for (int i = 0; i < count; ++i) {
            std::uint32_t v = Le16(row + 2 * (x0 + i));
            out[i] = Widen((v >> red.shift) & rm, red.bits) << 16 |
                     Widen((v >> green.shift) & gm, green.bits) << 8 |
                     Widen((v >> blue.shift) & bm, blue.bits);
        }
        break;
    }
    case 24:
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* p = row + 3 * (x0 + i);
            out[i] = static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
        }
        break;
    case 32:
        if (red.shift == 16 && green.shift == 8 && blue.shift == 0) {
            for (int i = 0; i < count; ++i) {
                out[i] = Le32(row + 4 * (x0 + i)) & 0xFFFFFF;
            }
        } else {
            for (int i = 0; i < count; ++i) {
                std::uint32_t v = Le32(row + 4 * (x0 + i));
                out[i] = ((v >> red.shift) & 0xFF) << 16 | ((v >> green.shift) & 0xFF) << 8 |
                         ((v >> blue.shift) & 0xFF);
            }
        }
        break;
    default:
        std::fill(out, out + count, 0u);
        break;
    }
}

namespace {
// Every empty bitmap shares this one: many empty items cost a pointer each.
const std::shared_ptr<const TDIB::Shared>& EmptyImage() {
    static const std::shared_ptr<const TDIB::Shared> empty = std::make_shared<TDIB::Shared>();
    return empty;
}
} // namespace

TDIB::TDIB() : image_(EmptyImage()) {}
TDIB::TDIB(const TDIB& other) = default;
TDIB& TDIB::operator=(const TDIB& other) = default;
TDIB::TDIB(TDIB&& other) noexcept : image_(std::move(other.image_)) {
    other.image_ = EmptyImage();
}
TDIB& TDIB::operator=(TDIB&& other) noexcept {
    if (this != &other) {
        image_ = std::move(other.image_);
        other.image_ = EmptyImage();
    }
    return *this;
}
TDIB::~TDIB() = default;

int TDIB::Width() const {
    return image_->width;
}
int TDIB::Height() const {
    return image_->height;
}
int TDIB::BitCount() const {
    return image_->bitCount;
}
int TDIB::Compression() const {
    if (image_->Compressed()) {
        return image_->compression;
    }
    return image_->bitCount == 16 || image_->bitCount == 32 ? 3 : 0;
}
int TDIB::RedBits() const {
    return image_->red.bits;
}
int TDIB::GreenBits() const {
    return image_->green.bits;
}
int TDIB::BlueBits() const {
    return image_->blue.bits;
}
bool TDIB::Empty() const {
    return image_->Size() == 0;
}

std::vector<std::uint32_t> TDIB::ColorTable() const {
    if (image_->bitCount > 8) {
        return {};
    }
    return std::vector<std::uint32_t>(image_->table->begin(),
                                      image_->table->begin() + (1 << image_->bitCount));
}

TDIB TDIB::FromPixels(int width, int height, const std::vector<std::uint32_t>& pixels) {
    if (width < 0 || height < 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        throw EDIBError(assets::kDibInvalid);
    }
    auto image = std::make_shared<Shared>();
    image->width = width;
    image->height = height;
    image->bitCount = 32;
    image->rowBytes = RowBytesOf(width, 32);
    image->bits.resize(image->rowBytes * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row =
            image->bits.data() + static_cast<std::size_t>(height - 1 - y) * image->rowBytes;
        for (int x = 0; x < width; ++x) {
            std::uint32_t v = pixels[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF;
            row[4 * x] = static_cast<std::uint8_t>(v);
            row[4 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            row[4 * x + 2] = static_cast<std::uint8_t>(v >> 16);
            row[4 * x + 3] = 0;
        }
    }
    TDIB dib;
    dib.image_ = std::move(image);
    return dib;
}

void TDIB::ReadBitmapData(TStream& stream) {
    TPixelBudget budget;
    ReadBitmapData(stream, budget);
}

void TDIB::ReadBitmapData(TStream& stream, TPixelBudget& budget) {
    std::uint8_t sizeBytes[4];
    std::size_t got = stream.Read(sizeBytes, 4);
    if (got == 0) {
        image_ = EmptyImage();
        return;
    }
    if (got < 4) {
        throw EDIBError(assets::kDibInvalid);
    }
    const std::uint32_t headerSize = Le32(sizeBytes);
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t usedColors = 0;
    if (headerSize == 12) {
        std::uint8_t h[8];
        stream.ReadBuffer(h, 8);
        width = Le16(h);
        height = Le16(h + 2);
        bitCount = static_cast<int>(Le16(h + 6));
    } else if (headerSize == 40) {
        std::uint8_t h[36];
        stream.ReadBuffer(h, 36);
        width = static_cast<std::int32_t>(Le32(h));
        height = static_cast<std::int32_t>(Le32(h + 4));
        bitCount = static_cast<int>(Le16(h + 10));
        compression = Le32(h + 12);
        imageSize = Le32(h + 16);
        usedColors = Le32(h + 28);
    } else {
        throw EDIBError(assets::kDibInvalid);
    }

    auto image = std::make_shared<Shared>();
    if (bitCount == 16) {
        image->red = {10, 5};
        image->green = {5, 5};
        image->blue = {0, 5};
    }
    if (compression == 3) {
        std::uint8_t m[12];
        stream.ReadBuffer(m, 12);
        // The positions the masks give are kept; only the channel widths
        // decide whether the layout is accepted.
        image->red = ChannelOfMask(Le32(m));
        image->green = ChannelOfMask(Le32(m + 4));
        image->blue = ChannelOfMask(Le32(m + 8));
    }

    std::uint32_t colors = usedColors;
    if (colors == 0 && bitCount <= 8) {
        colors = 1u << bitCount;
    }
    colors = std::min<std::uint32_t>(colors, 256);
    const std::size_t entryBytes = headerSize == 12 ? 3 : 4;
    if (colors != 0) {
        // Pictures above 8 bits without colours keep the shared table: unused.
        auto table = std::make_shared<ColorTableArray>();
        table->fill(0);
        std::uint8_t entries[256 * 4];
        stream.ReadBuffer(entries, colors * entryBytes);
        for (std::uint32_t i = 0; i < colors; ++i) {
            const std::uint8_t* e = entries + i * entryBytes;
            (*table)[i] = static_cast<std::uint32_t>(e[2]) << 16 | e[1] << 8 | e[0];
        }
        image->table = std::move(table);
    }

    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        throw EDIBError("Bitcount in invalid (" + std::to_string(bitCount) + ")");
    }
    const int r = image->red.bits, g = image->green.bits, b = image->blue.bits;
    const bool layoutOk =
        bitCount == 16 ? (r == 5 && b == 5 && (g == 5 || g == 6)) : (r == 8 && g == 8 && b == 8);
    if (!layoutOk) {
        throw EDIBError(assets::kPixelFormatInvalid);
    }
    const std::int64_t rows = height < 0 ? -height : height;
    if (width < 0 || width > kMaxPictureSide || rows > kMaxPictureSide ||
        width * rows > budget.pixels) {
        throw EDIBError(assets::kDibInvalid);
    }

    image->width = static_cast<int>(width);
    image->height = static_cast<int>(rows);
    image->bitCount = bitCount;
    image->rowBytes = RowBytesOf(width, bitCount);
    const std::uint64_t size = static_cast<std::uint64_t>(image->rowBytes) * rows;
    if (compression == 0 || compression == 3) {
        // Checked before reserving, so a damaged header cannot claim a
        // gigabyte that the file does not hold.
        if (size > stream.Remaining()) {
            throw EStreamError(assets::kStreamReadError);
        }
        image->bits.resize(size);
        if (height >= 0) {
            stream.ReadBuffer(image->bits.data(), size);
        } else {
            for (std::int64_t i = 0; i < rows; ++i) {
                stream.ReadBuffer(image->bits.data() + (rows - 1 - i) * image->rowBytes,
                                  image->rowBytes);
            }
        }
        image->compression = 0;
    } else if ((compression == 1 && bitCount == 8) || (compression == 2 && bitCount == 4)) {
        // Some writers leave the size of RLE data at 0: it then runs to the
        // end of the picture's data.
        std::uint64_t encoded = imageSize != 0 ? imageSize : stream.Remaining();
        if (encoded > stream.Remaining()) {
            throw EStreamError(assets::kStreamReadError);
        }
        image->bits.resize(encoded);
        stream.ReadBuffer(image->bits.data(), encoded);
        image->compression = static_cast<int>(compression);
        if (size == 0) {
            image->bits.clear();
            image->compression = 0;
        }
    } else {
        throw EDIBError(assets::kDibInvalid);
    }
    budget.pixels -= width * rows;
    image_ = std::move(image);
}

void TDIB::ExpandImage() {
    if (!image_->Compressed()) {
        return;
    }
    // Copies made from this one keep the encoded data: expand a private copy.
    auto copy = std::make_shared<Shared>(*image_);
    copy->Expand();
    image_ = std::move(copy);
}

void TDIB::CopyBlock(int x, int y, int width, int height, platform::PixelView target) {
    ExpandImage();
    const Shared& s = *image_;
    if (s.Size() == 0 || target.pixels == nullptr) {
        return;
    }
    // Clip the block to the picture and to the target together.
    std::int64_t left = std::max<std::int64_t>({x, 0});
    std::int64_t top = std::max<std::int64_t>({y, 0});
    std::int64_t right = std::min<std::int64_t>({static_cast<std::int64_t>(x) + width, s.width,
                                                 static_cast<std::int64_t>(x) + target.width});
    std::int64_t bottom = std::min<std::int64_t>({static_cast<std::int64_t>(y) + height, s.height,
                                                  static_cast<std::int64_t>(y) + target.height});
    if (left >= right || top >= bottom) {
        return;
    }
    for (std::int64_t py = top; py < bottom; ++py) {
        std::uint32_t* out = target.pixels + (py - y) * target.pitch + (left - x);
        s.ConvertRow(static_cast<int>(s.height - 1 - py), static_cast<int>(left),
                     static_cast<int>(right - left), out);
    }
}

std::vector<std::uint32_t> TDIB::Pixels() const {
    TDIB copy(*this);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(Width()) * Height());
    copy.CopyBlock(0, 0, Width(), Height(), {pixels.data(), Width(), Height(), Width()});
    return pixels;
}

namespace {
// The desktop's standard colours, by system colour number (0x00RRGGBB).
constexpr std::array<std::uint32_t, 31> kSystemColors = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x434E54, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0,
};
} // namespace

std::uint32_t ColorToSurfacePixel(std::uint32_t color) {
    if (color & 0x80000000u) {
        std::uint32_t index = color & 0xFF;
        return index < kSystemColors.size() ? kSystemColors[index] : 0;
    }
    return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

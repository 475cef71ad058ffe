// Encoding pictures in the stored bitmap layout (the writer's side of DIB).
#include <algorithm>
#include <map>

#include "assets/ArchiveWriter.h"
#include "assets/Errors.h"

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Splits a row into runs of two or more equal values, onRun(x, count), and
// stretches of values that differ from their right neighbour,
// onLiteral(x, count), in order; neither is longer than 255.
template <class OnRun, class OnLiteral>
void SplitRleRow(const std::uint8_t* row, int width, OnRun onRun, OnLiteral onLiteral) {
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 255 && row[x + run] == row[x]) {
            ++run;
        }
        if (run >= 2) {
            onRun(x, run);
            x += run;
            continue;
        }
        int literal = 1;
        while (x + literal < width && literal < 255) {
            int next = x + literal;
            if (next + 1 < width && row[next] == row[next + 1]) {
                break;
            }
            ++literal;
        }
        onLiteral(x, literal);
        x += literal;
    }
}

// Runs of equal values become (count, value); stretches of differing values
// of three or more become absolute blocks, padded to an even length.
void EncodeRle8Row(const std::uint8_t* row, int width, std::vector<std::uint8_t>& out) {
    SplitRleRow(
        row, width,
        [&](int x, int run) {
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(row[x]);
        },
        [&](int x, int literal) {
            if (literal < 3) {
                for (int i = 0; i < literal; ++i) {
                    out.push_back(1);
                    out.push_back(row[x + i]);
                }
                return;
            }
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(literal));
            out.insert(out.end(), row + x, row + x + literal);
            if (literal & 1) {
                out.push_back(0);
            }
        });
}

// The same for 4-bit pixels (one pixel per entry of `row`).
void EncodeRle4Row(const std::uint8_t* row, int width, std::vector<std::uint8_t>& out) {
    SplitRleRow(
        row, width,
        [&](int x, int run) {
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(static_cast<std::uint8_t>(row[x] << 4 | row[x]));
        },
        [&](int x, int literal) {
            if (literal < 3) {
                for (int i = 0; i < literal; ++i) {
                    out.push_back(1);
                    out.push_back(static_cast<std::uint8_t>(row[x + i] << 4));
                }
                return;
            }
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(literal));
            int bytes = (literal + 1) / 2;
            for (int i = 0; i < bytes; ++i) {
                std::uint8_t high = row[x + 2 * i];
                std::uint8_t low = 2 * i + 1 < literal ? row[x + 2 * i + 1] : 0;
                out.push_back(static_cast<std::uint8_t>(high << 4 | low));
            }
            if (bytes & 1) {
                out.push_back(0);
            }
        });
}

} // namespace

std::vector<std::uint8_t> EncodeDib(int width, int height, const std::vector<std::uint32_t>& pixels,
                                    const DibEncoding& encoding) {
    const int bits = encoding.BitCount;
    if (width < 0 || height < 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        throw EAssetError("Bitmap: pixel count is not width x height");
    }
    const bool validBits =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const int compression = encoding.Compression;
    const bool validCompression = compression == 0 || (compression == 1 && bits == 8) ||
                                  (compression == 2 && bits == 4) ||
                                  (compression == 3 && (bits == 16 || bits == 32));
    if (!validBits || !validCompression ||
        (encoding.ShortHeader && (compression != 0 || width > 0xFFFF || height > 0xFFFF)) ||
        (encoding.TopDown && (compression == 1 || compression == 2)) ||
        (bits == 16 && encoding.Green6 && compression != 3)) {
        throw EAssetError("Bitmap: unsupported encoding");
    }

    // Indexed pictures: the colour table holds the picture's colours in
    // ascending order.
    std::vector<std::uint32_t> table;
    std::map<std::uint32_t, std::uint8_t> indexOf;
    if (bits <= 8) {
        for (std::uint32_t p : pixels) {
            indexOf.emplace(p & 0xFFFFFF, 0);
        }
        if (indexOf.size() > (1u << bits)) {
            throw EAssetError("Bitmap: more colours than " + std::to_string(bits) +
                              " bits can index");
        }
        for (auto& [color, index] : indexOf) {
            index = static_cast<std::uint8_t>(table.size());
            table.push_back(color);
        }
        if (encoding.ShortHeader) {
            table.resize(std::size_t{1} << bits, 0);
        }
        if (table.empty()) {
            table.push_back(0);
        }
    }

    std::vector<std::uint8_t> out;
    const std::size_t rowBytes =
        static_cast<std::size_t>((std::int64_t{width} * bits + 31) / 32 * 4);
    if (encoding.ShortHeader) {
        Put32(out, 12);
        Put16(out, static_cast<std::uint32_t>(width));
        Put16(out, static_cast<std::uint32_t>(height));
        Put16(out, 1);
        Put16(out, static_cast<std::uint32_t>(bits));
    } else {
        Put32(out, 40);
        Put32(out, static_cast<std::uint32_t>(width));
        Put32(out, static_cast<std::uint32_t>(encoding.TopDown ? -height : height));
        Put16(out, 1);
        Put16(out, static_cast<std::uint32_t>(bits));
        Put32(out, static_cast<std::uint32_t>(compression));
        Put32(out, 0); // image size, filled in below
        Put32(out, 2835);
        Put32(out, 2835);
        Put32(out, static_cast<std::uint32_t>(table.size()));
        Put32(out, 0);
    }
    const std::size_t imageSizeAt = 20;
    if (compression == 3) {
        if (bits == 16 && encoding.Green6) {
            Put32(out, 0xF800);
            Put32(out, 0x07E0);
            Put32(out, 0x001F);
        } else if (bits == 16) {
            Put32(out, 0x7C00);
            Put32(out, 0x03E0);
            Put32(out, 0x001F);
        } else {
            Put32(out, 0xFF0000);
            Put32(out, 0x00FF00);
            Put32(out, 0x0000FF);
        }
    }
    for (std::uint32_t color : table) {
        out.push_back(static_cast<std::uint8_t>(color));
        out.push_back(static_cast<std::uint8_t>(color >> 8));
        out.push_back(static_cast<std::uint8_t>(color >> 16));
        if (!encoding.ShortHeader) {
            out.push_back(0);
        }
    }
    const std::size_t pixelsAt = out.size();

    auto sourceRow = [&](int storedRow) {
        int y = encoding.TopDown ? storedRow : height - 1 - storedRow;
        return pixels.data() + static_cast<std::size_t>(y) * width;
    };
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width));
    for (int r = 0; r < height; ++r) {
        const std::uint32_t* src = sourceRow(r);
        if (bits <= 8) {
            for (int x = 0; x < width; ++x) {
                indices[x] = indexOf[src[x] & 0xFFFFFF];
            }
        }
        if (compression == 1) {
            EncodeRle8Row(indices.data(), width, out);
            out.push_back(0);
            out.push_back(r + 1 == height ? 1 : 0);
            continue;
        }
        if (compression == 2) {
            EncodeRle4Row(indices.data(), width, out);
            out.push_back(0);
            out.push_back(r + 1 == height ? 1 : 0);
            continue;
        }
        std::vector<std::uint8_t> row(rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = src[x];
            const std::uint8_t red = static_cast<std::uint8_t>(p >> 16);
            const std::uint8_t green = static_cast<std::uint8_t>(p >> 8);
            const std::uint8_t blue = static_cast<std::uint8_t>(p);
            switch (bits) {
            case 1:
                row[x / 8] |= static_cast<std::uint8_t>(indices[x] << (7 - x % 8));
                break;
            case 4:
                row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? indices[x] << 4 : indices[x]);
                break;
            case 8:
                row[x] = indices[x];
                break;
            case 16: {
                std::uint32_t v = encoding.Green6
                                      ? (red >> 3) << 11 | (green >> 2) << 5 | blue >> 3
                                      : (red >> 3) << 10 | (green >> 3) << 5 | blue >> 3;
                row[2 * x] = static_cast<std::uint8_t>(v);
                row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                break;
            }
            case 24:
                row[3 * x] = blue;
                row[3 * x + 1] = green;
                row[3 * x + 2] = red;
                break;
            default:
                row[4 * x] = blue;
                row[4 * x + 1] = green;
                row[4 * x + 2] = red;
                break;
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    if ((compression == 1 || compression == 2) && height == 0) {
        out.push_back(0);
        out.push_back(1);
    }
    if (!encoding.ShortHeader) {
        const auto imageSize = static_cast<std::uint32_t>(out.size() - pixelsAt);
        for (int i = 0; i < 4; ++i) {
            out[imageSizeAt + i] = static_cast<std::uint8_t>(imageSize >> (8 * i));
        }
    }
    return out;
}

#include "assets/Wave.h"

#include <algorithm>
#include <cstring>

#include "assets/Errors.h"
#include "assets/Stream.h"

namespace {
std::size_t RoundedCapacity(std::size_t size) {
    return (size + TWave::kCapacityStep - 1) / TWave::kCapacityStep * TWave::kCapacityStep;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}
} // namespace

TWave::TWave(const TWave& other) : format_(other.format_) {
    SetData(other.Data(), other.size_);
}

TWave& TWave::operator=(const TWave& other) {
    if (this != &other) {
        format_ = other.format_;
        SetData(other.Data(), other.size_);
    }
    return *this;
}

TWave::TWave(TWave&& other) noexcept
    : format_(std::move(other.format_)), data_(std::move(other.data_)), size_(other.size_),
      capacity_(other.capacity_) {
    other.size_ = other.capacity_ = 0;
}

TWave& TWave::operator=(TWave&& other) noexcept {
    if (this != &other) {
        format_ = std::move(other.format_);
        data_ = std::move(other.data_);
        size_ = other.size_;
        capacity_ = other.capacity_;
        other.size_ = other.capacity_ = 0;
    }
    return *this;
}

void TWave::SetSize(std::size_t size) {
    std::size_t capacity = RoundedCapacity(size);
    if (capacity != capacity_) {
        std::unique_ptr<std::uint8_t[]> fresh;
        if (capacity != 0) {
            fresh.reset(new std::uint8_t[capacity]());
            if (std::size_t keep = std::min(size, size_); keep != 0) {
                std::memcpy(fresh.get(), data_.get(), keep);
            }
        }
        data_ = std::move(fresh);
        capacity_ = capacity;
    } else if (size > size_) {
        std::memset(data_.get() + size_, 0, size - size_);
    }
    size_ = size;
}

void TWave::SetData(const std::uint8_t* bytes, std::size_t size) {
    SetSize(size);
    if (size != 0) {
        std::memcpy(data_.get(), bytes, size);
    }
}

void TWave::Clear() {
    format_.clear();
    SetSize(0);
}

namespace {
std::uint32_t FormatField(const std::vector<std::uint8_t>& format, std::size_t offset,
                          std::size_t width) {
    if (format.size() < offset + width) {
        return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value |= static_cast<std::uint32_t>(format[offset + i]) << (8 * i);
    }
    return value;
}
} // namespace

std::uint16_t TWave::FormatTag() const {
    return static_cast<std::uint16_t>(FormatField(format_, 0, 2));
}
std::uint16_t TWave::Channels() const {
    return static_cast<std::uint16_t>(FormatField(format_, 2, 2));
}
std::uint32_t TWave::SamplesPerSec() const {
    return FormatField(format_, 4, 4);
}
std::uint16_t TWave::BlockAlign() const {
    return static_cast<std::uint16_t>(FormatField(format_, 12, 2));
}
std::uint16_t TWave::BitsPerSample() const {
    return static_cast<std::uint16_t>(FormatField(format_, 14, 2));
}

void TWave::ReadWaveData(TStream& stream) {
    Clear();
    const std::uint64_t start = stream.Position();
    std::uint8_t header[12] = {};
    stream.Read(header, sizeof header);
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) {
        throw EWaveStreamError(assets::kWaveInvalid);
    }
    std::vector<std::uint8_t> format;
    std::uint64_t dataSize = 0;
    std::uint64_t dataPosition = start;
    bool haveData = false;
    for (;;) {
        std::uint8_t chunk[8] = {};
        stream.Read(chunk, sizeof chunk);
        if (chunk[0] == 0 && chunk[1] == 0 && chunk[2] == 0 && chunk[3] == 0) {
            break;
        }
        std::uint32_t bodySize = static_cast<std::uint32_t>(chunk[4]) | chunk[5] << 8 |
                                 chunk[6] << 16 | static_cast<std::uint32_t>(chunk[7]) << 24;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            // Checked before the record is sized, so a damaged size cannot
            // reserve more than the block holds.
            if (bodySize > stream.Remaining()) {
                throw EStreamError(assets::kStreamReadError);
            }
            format.resize(bodySize);
            stream.ReadBuffer(format.data(), bodySize);
            continue;
        }
        if (std::memcmp(chunk, "data", 4) == 0) {
            dataSize = bodySize;
            dataPosition = stream.Position();
            haveData = true;
        }
        // Bodies follow each other with no alignment byte after an odd size.
        stream.SetPosition(stream.Position() + bodySize);
    }
    if (haveData) {
        stream.SetPosition(dataPosition);
        if (dataSize > stream.Remaining()) {
            throw EStreamError(assets::kStreamReadError);
        }
    }
    format_ = std::move(format);
    SetSize(dataSize);
    if (dataSize != 0) {
        stream.ReadBuffer(data_.get(), dataSize);
    }
}

std::vector<std::uint8_t> TWave::WaveImage() const {
    std::vector<std::uint8_t> out;
    out.reserve(20 + format_.size() + size_ + 8);
    PutTag(out, "RIFF");
    PutU32(out, 0);
    PutTag(out, "WAVE");
    if (!format_.empty()) {
        PutTag(out, "fmt ");
        PutU32(out, static_cast<std::uint32_t>(format_.size()));
        out.insert(out.end(), format_.begin(), format_.end());
    }
    PutTag(out, "data");
    PutU32(out, static_cast<std::uint32_t>(size_));
    out.insert(out.end(), data_.get(), data_.get() + size_);
    std::uint32_t rest = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) {
        out[4 + i] = static_cast<std::uint8_t>(rest >> (8 * i));
    }
    return out;
}

std::vector<std::uint8_t> MakePcmFormat(std::uint16_t channels, std::uint32_t samplesPerSec,
                                        std::uint16_t bitsPerSample) {
    std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * ((bitsPerSample + 7) / 8));
    std::vector<std::uint8_t> out;
    auto put16 = [&](std::uint16_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put16(1);
    put16(channels);
    PutU32(out, samplesPerSec);
    PutU32(out, samplesPerSec * blockAlign);
    put16(blockAlign);
    put16(bitsPerSample);
    return out;
}

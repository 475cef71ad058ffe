// One wave in memory as the sound archive holds it: the format record taken
// whole (unchecked) and the sample bytes, read from and written as a RIFF
// WAVE image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TStream;

class TWave {
public:
    // Storage for the samples grows in steps of this many bytes.
    static constexpr std::size_t kCapacityStep = 8096;

    TWave() = default;
    TWave(const TWave& other);
    TWave& operator=(const TWave& other);
    TWave(TWave&& other) noexcept;
    TWave& operator=(TWave&& other) noexcept;
    ~TWave() = default;

    // The format record bytes (format tag, channels, rate, average bytes per
    // second, block alignment, bits per sample, then any extra bytes).
    const std::vector<std::uint8_t>& Format() const { return format_; }
    std::size_t FormatSize() const { return format_.size(); }
    void SetFormat(std::vector<std::uint8_t> format) { format_ = std::move(format); }

    const std::uint8_t* Data() const { return data_.get(); }
    std::uint8_t* Data() { return data_.get(); }
    std::size_t Size() const { return size_; }
    // Bytes reserved for the samples: Size rounded up to kCapacityStep.
    std::size_t Capacity() const { return capacity_; }
    // Resizes the samples, keeping the leading bytes; new bytes are 0.
    void SetSize(std::size_t size);
    void SetData(const std::uint8_t* bytes, std::size_t size);
    void Clear();

    // Fields of the format record; 0 when the record is too short to hold them.
    std::uint16_t FormatTag() const;
    std::uint16_t Channels() const;
    std::uint32_t SamplesPerSec() const;
    std::uint16_t BlockAlign() const;
    std::uint16_t BitsPerSample() const;

    // Reads a RIFF WAVE image from the stream's position to its end ("fmt "
    // and "data" chunks taken, others skipped). Throws EWaveStreamError
    // "Wave is invalid" for a bad RIFF header and EStreamError "Stream read
    // error" for chunks that claim more than there is. On failure the wave is
    // left empty.
    void ReadWaveData(TStream& stream);
    // The RIFF WAVE image: "RIFF", size, "WAVE", "fmt " chunk (when there is
    // a format), "data" chunk.
    std::vector<std::uint8_t> WaveImage() const;

private:
    std::vector<std::uint8_t> format_;
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// A PCM format record (16 bytes, format tag 1).
std::vector<std::uint8_t> MakePcmFormat(std::uint16_t channels, std::uint32_t samplesPerSec,
                                        std::uint16_t bitsPerSample);

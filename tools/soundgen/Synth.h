// Small synthesis kit of the sound generator: oscillators, noise, envelopes
// and filters over float buffers. Deterministic: the same calls give the same
// samples on every run.
#pragma once

#include <cstdint>
#include <vector>

namespace soundgen {

using Buffer = std::vector<float>;

constexpr double kPi = 3.14159265358979323846;

// xorshift32: the generator's own noise, the same on every platform.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed ? seed : 1) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in -1..1.
    float Noise() { return static_cast<float>(Next() / 2147483648.0 - 1.0); }
    float Uniform(float low, float high) {
        return low + (high - low) * static_cast<float>(Next() / 4294967296.0);
    }

private:
    std::uint32_t state_;
};

// Waveforms of phase 0..1.
float Sine(double phase);
float Triangle(double phase);
// Band-limited enough for our low notes: a sum of the first harmonics.
float SoftSaw(double phase, int harmonics);
float SoftSquare(double phase, int harmonics, double duty = 0.5);

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
double NoteHz(double midi);

// Resonant state-variable filter (Chamberlin), run one sample at a time.
class Svf {
public:
    struct Out {
        float low, band, high;
    };
    Out Run(float input, double cutoffHz, double q, double rate);

private:
    float low_ = 0, band_ = 0;
};

class OnePole {
public:
    float LowPass(float input, double cutoffHz, double rate);
    float HighPass(float input, double cutoffHz, double rate);

private:
    float state_ = 0;
    float lastIn_ = 0, lastOut_ = 0;
};

// Exponential decay from 1 towards 0 with time constant `tau` seconds.
float Decay(double t, double tau);
// Linear attack then exponential decay.
float AttackDecay(double t, double attack, double tau);

// Removes DC (a 20 Hz high-pass), fades both ends with raised cosines of the
// given lengths in seconds and scales the peak to `peak`.
void Finish(Buffer& samples, int rate, double fadeIn, double fadeOut, float peak);
// Mixes `source` into `target` at `offset` samples, growing it as needed.
void MixInto(Buffer& target, const Buffer& source, std::size_t offset, float gain);
float Peak(const Buffer& samples);

// Signed 16-bit little-endian bytes, rounded and clamped.
std::vector<std::uint8_t> ToPcm16(const Buffer& samples);
std::vector<std::int16_t> ToInt16(const Buffer& samples);

} // namespace soundgen

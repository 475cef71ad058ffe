#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace soundgen {

namespace {
double Frac(double x) {
    return x - std::floor(x);
}
} // namespace

float Sine(double phase) {
    return static_cast<float>(std::sin(2 * kPi * phase));
}

float Triangle(double phase) {
    const double p = Frac(phase);
    return static_cast<float>(p < 0.25 ? 4 * p : p < 0.75 ? 2 - 4 * p : 4 * p - 4);
}

float SoftSaw(double phase, int harmonics) {
    double sum = 0;
    for (int k = 1; k <= harmonics; ++k) {
        sum += std::sin(2 * kPi * k * phase) / k;
    }
    return static_cast<float>(sum * 0.55);
}

float SoftSquare(double phase, int harmonics, double duty) {
    // Pulse as the difference of two saws.
    double sum = 0;
    for (int k = 1; k <= harmonics; ++k) {
        sum += (std::sin(2 * kPi * k * phase) - std::sin(2 * kPi * k * (phase - duty))) / k;
    }
    return static_cast<float>(sum * 0.5);
}

double NoteHz(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

Svf::Out Svf::Run(float input, double cutoffHz, double q, double rate) {
    const double f = 2 * std::sin(kPi * std::min(cutoffHz, rate / 6) / rate);
    const double damping = 1 / std::max(q, 0.5);
    const float high = static_cast<float>(input - low_ - damping * band_);
    band_ += static_cast<float>(f * high);
    low_ += static_cast<float>(f * band_);
    return {low_, band_, high};
}

float OnePole::LowPass(float input, double cutoffHz, double rate) {
    const double a = 1 - std::exp(-2 * kPi * cutoffHz / rate);
    state_ += static_cast<float>(a * (input - state_));
    return state_;
}

float OnePole::HighPass(float input, double cutoffHz, double rate) {
    const double r = std::exp(-2 * kPi * cutoffHz / rate);
    const float out = static_cast<float>(r * (lastOut_ + input - lastIn_));
    lastIn_ = input;
    lastOut_ = out;
    return out;
}

float Decay(double t, double tau) {
    return static_cast<float>(std::exp(-t / tau));
}

float AttackDecay(double t, double attack, double tau) {
    if (t < attack) {
        return static_cast<float>(t / attack);
    }
    return Decay(t - attack, tau);
}

void Finish(Buffer& samples, int rate, double fadeIn, double fadeOut, float peak) {
    OnePole dc;
    for (auto& s : samples) {
        s = dc.HighPass(s, 20, rate);
    }
    const std::size_t in = std::min(samples.size(), static_cast<std::size_t>(fadeIn * rate));
    for (std::size_t i = 0; i < in; ++i) {
        samples[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / in));
    }
    const std::size_t out = std::min(samples.size(), static_cast<std::size_t>(fadeOut * rate));
    for (std::size_t i = 0; i < out; ++i) {
        samples[samples.size() - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / out));
    }
    if (!samples.empty()) {
        samples.back() = 0;
        samples.front() = 0;
    }
    const float p = Peak(samples);
    if (p > 0) {
        for (auto& s : samples) {
            s *= peak / p;
        }
    }
}

void MixInto(Buffer& target, const Buffer& source, std::size_t offset, float gain) {
    if (target.size() < offset + source.size()) {
        target.resize(offset + source.size(), 0.0f);
    }
    for (std::size_t i = 0; i < source.size(); ++i) {
        target[offset + i] += source[i] * gain;
    }
}

float Peak(const Buffer& samples) {
    float p = 0;
    for (float s : samples) {
        p = std::max(p, std::abs(s));
    }
    return p;
}

std::vector<std::int16_t> ToInt16(const Buffer& samples) {
    std::vector<std::int16_t> out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        out[i] = static_cast<std::int16_t>(
            std::clamp(std::lround(samples[i] * 32767.0), -32768L, 32767L));
    }
    return out;
}

std::vector<std::uint8_t> ToPcm16(const Buffer& samples) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (std::int16_t v : ToInt16(samples)) {
        bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }
    return bytes;
}

} // namespace soundgen

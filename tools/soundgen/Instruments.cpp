#include "Instruments.h"

#include <cmath>
#include <functional>

#include "Synth.h"

namespace soundgen::instruments {

namespace {

constexpr int kRate = 44100;

// An additive tone: oscillators of `cycles[j]` whole cycles per loop of
// `loop` frames, each with harmonics weighted by amplitude(h, t). The first
// `attackLoops` loops are an attack in which amplitude may change with t;
// the last loop (t frozen at its start) is the looped sustain.
struct Tone {
    int loop = 0;
    std::vector<int> cycles;
    int harmonics = 1;
    int attackLoops = 0;
    std::function<double(int harmonic, double t)> amplitude;
};

xm::Sample Render(const Tone& tone, const char* name, float peak) {
    const int total = tone.loop * (tone.attackLoops + 1);
    const double frozenAt = static_cast<double>(tone.loop * tone.attackLoops) / kRate;
    Buffer samples(static_cast<std::size_t>(total));
    for (int h = 1; h <= tone.harmonics; ++h) {
        for (std::size_t j = 0; j < tone.cycles.size(); ++j) {
            // A fixed phase per oscillator and harmonic keeps peaks moderate.
            const double offset =
                0.37 * static_cast<double>(j * 7 + static_cast<std::size_t>(h) * 3);
            const double step = static_cast<double>(tone.cycles[j]) * h / tone.loop;
            if (step >= 0.45) {
                continue; // above what the sample can hold
            }
            for (int n = 0; n < total; ++n) {
                const double t = std::min(static_cast<double>(n) / kRate, frozenAt);
                const double a = tone.amplitude(h, t);
                if (a != 0) {
                    samples[static_cast<std::size_t>(n)] +=
                        static_cast<float>(a * std::sin(2 * kPi * (step * n + offset)));
                }
            }
        }
    }
    const float p = Peak(samples);
    for (auto& s : samples) {
        s *= peak / p;
    }
    xm::Sample sample;
    sample.name = name;
    sample.data = ToInt16(samples);
    sample.loopStart = static_cast<std::uint32_t>(tone.loop * tone.attackLoops);
    sample.loopLength = static_cast<std::uint32_t>(tone.loop);
    xm::TuneSample(sample, kRate, static_cast<double>(tone.cycles.front()) * kRate / tone.loop);
    return sample;
}

xm::Sample OneShot(Buffer samples, const char* name, double pitchHz) {
    Finish(samples, kRate, 0.0005, 0.01, 0.95f);
    xm::Sample sample;
    sample.name = name;
    sample.data = ToInt16(samples);
    xm::TuneSample(sample, kRate, pitchHz);
    return sample;
}

// Cut-off of a gentle low-pass, as a weight for a partial at `hz`.
double LowPassWeight(double hz, double cutoff) {
    return 1 / std::sqrt(1 + std::pow(hz / cutoff, 4));
}

xm::Envelope SustainEnvelope(std::vector<xm::EnvelopePoint> points, int sustain) {
    xm::Envelope e;
    e.points = std::move(points);
    e.sustain = sustain;
    return e;
}

std::size_t Frames(double seconds) {
    return static_cast<std::size_t>(seconds * kRate);
}

} // namespace

xm::Instrument Pad() {
    // 0.5 s loop; 131 cycles is 262 Hz, about C4; the neighbours beat slowly.
    Tone tone{22050, {131, 130, 132}, 14, 0, [](int h, double) {
                  return std::exp(-h / 3.5) / h * (h % 2 ? 1.0 : 0.6);
              }};
    xm::Instrument inst;
    inst.name = "pad";
    inst.sample = Render(tone, "pad", 0.8f);
    inst.volumeEnvelope = SustainEnvelope({{0, 0}, {24, 48}, {48, 64}, {80, 56}}, 3);
    inst.fadeout = 900;
    return inst;
}

xm::Instrument Bell() {
    const double f0 = NoteHz(72); // C5
    Buffer samples(Frames(2.2));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // Soft FM: a sine modulated by a sine at 3.5 times, index falling.
        const double index = 1.6 * std::exp(-t / 0.25) + 0.2;
        const double mod = index * std::sin(2 * kPi * f0 * 3.5 * t);
        samples[i] =
            static_cast<float>(std::sin(2 * kPi * f0 * t + mod) * AttackDecay(t, 0.004, 0.7) +
                               0.25 * std::sin(2 * kPi * f0 * 2 * t) * Decay(t, 0.3));
    }
    xm::Instrument inst;
    inst.name = "bell";
    inst.sample = OneShot(std::move(samples), "bell", f0);
    inst.volumeEnvelope = SustainEnvelope({{0, 64}, {200, 64}}, 1);
    inst.fadeout = 1200;
    return inst;
}

xm::Instrument SoftBass() {
    // 0.6 s loop; 39 cycles is 65 Hz, about C2.
    Tone tone{26460, {39}, 6, 1, [](int h, double t) {
                  const double body = h == 1 ? 1.0 : h == 2 ? 0.35 : 0.12 / h;
                  return body * (1 + (h > 1 ? 0.8 * std::exp(-t / 0.05) : 0));
              }};
    xm::Instrument inst;
    inst.name = "soft bass";
    inst.sample = Render(tone, "soft bass", 0.9f);
    inst.volumeEnvelope = SustainEnvelope({{0, 0}, {2, 64}, {30, 50}}, 2);
    inst.fadeout = 2400;
    return inst;
}

xm::Instrument PluckBass() {
    // 13230 frames hold 39 cycles: 130 Hz, about C3; the attack loop brightens.
    Tone tone{13230, {39}, 24, 1, [](int h, double t) {
                  const double cutoff = 260 + 2600 * std::exp(-t / 0.08);
                  return LowPassWeight(130.0 * h, cutoff) / h;
              }};
    xm::Instrument inst;
    inst.name = "pluck bass";
    inst.sample = Render(tone, "pluck bass", 0.9f);
    inst.volumeEnvelope = SustainEnvelope({{0, 64}, {8, 52}, {40, 44}}, 2);
    inst.fadeout = 4000;
    return inst;
}

xm::Instrument Lead() {
    // 0.25 s loop, 131 cycles: 524 Hz, about C5. A pulse of 30 % duty.
    Tone tone{11025, {131}, 16, 0, [](int h, double) {
                  return std::sin(kPi * h * 0.3) / h * LowPassWeight(524.0 * h, 2400);
              }};
    xm::Instrument inst;
    inst.name = "lead";
    inst.sample = Render(tone, "lead", 0.8f);
    inst.volumeEnvelope = SustainEnvelope({{0, 0}, {2, 64}, {12, 52}}, 2);
    inst.fadeout = 2000;
    inst.vibratoType = 0;
    inst.vibratoSweep = 40;
    inst.vibratoDepth = 4;
    inst.vibratoRate = 10;
    return inst;
}

xm::Instrument Pluck() {
    const double f0 = NoteHz(72);
    Buffer samples(Frames(0.7));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        samples[i] = static_cast<float>(std::sin(2 * kPi * f0 * t) * AttackDecay(t, 0.002, 0.22) +
                                        0.3 * std::sin(2 * kPi * f0 * 4 * t) * Decay(t, 0.03) +
                                        0.15 * std::sin(2 * kPi * f0 * 10 * t) * Decay(t, 0.008));
    }
    xm::Instrument inst;
    inst.name = "pluck";
    inst.sample = OneShot(std::move(samples), "pluck", f0);
    return inst;
}

xm::Instrument Kick() {
    Buffer samples(Frames(0.35));
    double phase = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        phase += (45 + 95 * std::exp(-t / 0.03)) / kRate;
        samples[i] = Sine(phase) * AttackDecay(t, 0.001, 0.12);
    }
    xm::Instrument inst;
    inst.name = "kick";
    inst.sample = OneShot(std::move(samples), "kick", NoteHz(60));
    return inst;
}

xm::Instrument Snare() {
    Rng rng(0x5AE);
    Buffer samples(Frames(0.25));
    Svf filter;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float noise = filter.Run(rng.Noise(), 3200, 0.8, kRate).band;
        samples[i] = 0.9f * noise * AttackDecay(t, 0.001, 0.06) +
                     0.5f * Sine(185 * t) * AttackDecay(t, 0.001, 0.04);
    }
    xm::Instrument inst;
    inst.name = "snare";
    inst.sample = OneShot(std::move(samples), "snare", NoteHz(60));
    return inst;
}

xm::Instrument HiHat() {
    Rng rng(0x4A7);
    Buffer samples(Frames(0.08));
    OnePole high;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        samples[i] = high.HighPass(rng.Noise(), 7000, kRate) * AttackDecay(t, 0.0005, 0.018);
    }
    xm::Instrument inst;
    inst.name = "hihat";
    inst.sample = OneShot(std::move(samples), "hihat", NoteHz(60));
    return inst;
}

xm::Instrument Shaker() {
    Rng rng(0x54A);
    Buffer samples(Frames(0.14));
    Svf filter;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float swell = static_cast<float>(std::sin(kPi * std::min(t / 0.14, 1.0)));
        samples[i] = filter.Run(rng.Noise(), 5500, 1.5, kRate).band * swell * swell;
    }
    xm::Instrument inst;
    inst.name = "shaker";
    inst.sample = OneShot(std::move(samples), "shaker", NoteHz(60));
    return inst;
}

} // namespace soundgen::instruments

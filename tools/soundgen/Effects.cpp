#include "Effects.h"

#include <cmath>

namespace soundgen {

namespace {

constexpr int kRate = 22050;
constexpr float kPeak = 0.84f; // about -1.5 dBFS: effects overlap with the music

std::size_t Frames(double seconds) {
    return static_cast<std::size_t>(seconds * kRate);
}

// A bubble: a sine whose pitch rises as it decays (the sound of a bubble
// closing), f0 rising by `rise` over its life.
Buffer Bubble(double f0, double length, double rise, double tau) {
    Buffer out(Frames(length));
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = f0 * std::pow(rise, t / length);
        phase += f / kRate;
        out[i] = Sine(phase) * AttackDecay(t, 0.002, tau);
    }
    return out;
}

// A bell-like note: a few inharmonic partials with their own decays.
Buffer Chime(double hz, double length, double tau) {
    static constexpr double kPartials[][3] = {
        {1.0, 1.0, 1.0}, {2.0, 0.35, 0.6}, {3.01, 0.15, 0.4}, {4.2, 0.08, 0.25}};
    Buffer out(Frames(length));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        float s = 0;
        for (const auto& p : kPartials) {
            s += static_cast<float>(p[1]) * Sine(hz * p[0] * t) * AttackDecay(t, 0.003, tau * p[2]);
        }
        out[i] = s;
    }
    return out;
}

// "bonus": a quick rising chime arpeggio with a bubble sparkle.
Effect MakeBonus() {
    Effect e{"bonus", 3, kRate, {}};
    const double notes[] = {76, 80, 83, 88}; // E5 G#5 B5 E6
    for (int i = 0; i < 4; ++i) {
        MixInto(e.samples, Chime(NoteHz(notes[i]), 0.32, i == 3 ? 0.16 : 0.07), Frames(0.055 * i),
                i == 3 ? 0.9f : 0.7f);
    }
    MixInto(e.samples, Bubble(900, 0.06, 2.2, 0.02), 0, 0.3f);
    Finish(e.samples, kRate, 0.002, 0.06, kPeak);
    return e;
}

// "herodiefish": a crunching bite, then a sinking, wobbling groan.
Effect MakeHeroDieFish() {
    Effect e{"herodiefish", 1, kRate, {}};
    Rng rng(0xB17E);
    Buffer bite(Frames(0.12));
    Svf biteFilter;
    for (std::size_t i = 0; i < bite.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // Two snaps of the jaws.
        const float gate = AttackDecay(t, 0.001, 0.012) +
                           0.8f * (t > 0.05 ? AttackDecay(t - 0.05, 0.001, 0.015) : 0);
        bite[i] = biteFilter.Run(rng.Noise(), 1800, 1.2, kRate).band * gate * 2.5f;
    }
    MixInto(e.samples, bite, 0, 1.0f);
    Buffer groan(Frames(0.95));
    Svf groanFilter;
    double phase = 0;
    for (std::size_t i = 0; i < groan.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 330 * std::pow(0.22, t / 0.95) * (1 + 0.06 * std::sin(2 * kPi * 7 * t));
        phase += f / kRate;
        const float raw = SoftSaw(phase, 12);
        const double cutoff = 2200 * std::pow(0.2, t / 0.95) + 150;
        groan[i] = groanFilter.Run(raw, cutoff, 2.0, kRate).low * AttackDecay(t, 0.02, 0.45);
    }
    MixInto(e.samples, groan, Frames(0.06), 0.8f);
    Finish(e.samples, kRate, 0.001, 0.12, kPeak);
    return e;
}

// "herodieair": the last air escaping in bubbles over a falling, choking tone.
Effect MakeHeroDieAir() {
    Effect e{"herodieair", 1, kRate, {}};
    Rng rng(0xA1A1);
    double at = 0;
    for (int i = 0; i < 14; ++i) {
        const double f = rng.Uniform(350, 900) * (1 - 0.03 * i);
        MixInto(e.samples, Bubble(f, 0.09, 2.4, 0.03), Frames(at), 0.55f - 0.02f * i);
        at += 0.04 + 0.012 * i + rng.Uniform(0, 0.02f);
    }
    Buffer tone(Frames(1.3));
    double phase = 0;
    for (std::size_t i = 0; i < tone.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 220 * std::pow(0.35, t / 1.3) * (1 + 0.04 * std::sin(2 * kPi * 5 * t));
        phase += f / kRate;
        tone[i] = (0.7f * Triangle(phase) + 0.3f * Sine(2 * phase)) * AttackDecay(t, 0.05, 0.6);
    }
    MixInto(e.samples, tone, 0, 0.35f);
    Finish(e.samples, kRate, 0.004, 0.15, kPeak);
    return e;
}

// "fishdie": a soft splat and a falling blip.
Effect MakeFishDie() {
    Effect e{"fishdie", 4, kRate, {}};
    Rng rng(0xF15D);
    e.samples.resize(Frames(0.3));
    Svf filter;
    double phase = 0;
    for (std::size_t i = 0; i < e.samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 620 * std::pow(0.25, t / 0.22);
        phase += f / kRate;
        const float blip = SoftSquare(phase, 6) * AttackDecay(t, 0.003, 0.07);
        const float splat =
            filter.Run(rng.Noise(), 900 - 2000 * t, 1.5, kRate).low * AttackDecay(t, 0.001, 0.03);
        e.samples[i] = 0.6f * blip + 1.2f * splat;
    }
    MixInto(e.samples, Bubble(700, 0.07, 2.0, 0.025), Frames(0.05), 0.35f);
    Finish(e.samples, kRate, 0.001, 0.05, kPeak * 0.9f);
    return e;
}

// "herogun": the harpoon gun's short "thwump" with a hiss of water.
Effect MakeHeroGun() {
    Effect e{"herogun", 4, kRate, {}};
    Rng rng(0x6A11);
    e.samples.resize(Frames(0.2));
    Svf hiss;
    double phase = 0;
    for (std::size_t i = 0; i < e.samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 190 * std::pow(0.3, t / 0.12);
        phase += f / kRate;
        const float thump = Sine(phase) * AttackDecay(t, 0.001, 0.045);
        const double cutoff = 3500 * std::pow(0.15, t / 0.2) + 300;
        const float water =
            hiss.Run(rng.Noise(), cutoff, 0.9, kRate).band * AttackDecay(t, 0.001, 0.04);
        e.samples[i] = thump + 0.9f * water;
    }
    Finish(e.samples, kRate, 0.0005, 0.04, kPeak * 0.85f);
    return e;
}

// "heronet": a whoosh of the net spreading through the water.
Effect MakeHeroNet() {
    Effect e{"heronet", 2, kRate, {}};
    Rng rng(0x4E7);
    e.samples.resize(Frames(0.45));
    Svf filter;
    for (std::size_t i = 0; i < e.samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double sweep = std::sin(kPi * t / 0.45);
        const double cutoff = 350 + 1900 * sweep;
        const float envelope = static_cast<float>(std::pow(sweep, 1.5));
        e.samples[i] = filter.Run(rng.Noise(), cutoff, 3.0, kRate).band * envelope;
    }
    MixInto(e.samples, Bubble(500, 0.06, 1.8, 0.02), Frames(0.3), 0.12f);
    Finish(e.samples, kRate, 0.003, 0.05, kPeak * 0.8f);
    return e;
}

// "menu": a soft, short water-drop click.
Effect MakeMenu() {
    Effect e{"menu", 4, kRate, {}};
    e.samples = Bubble(1200, 0.07, 1.6, 0.014);
    MixInto(e.samples, Chime(NoteHz(84), 0.07, 0.02), 0, 0.3f);
    Finish(e.samples, kRate, 0.001, 0.02, kPeak * 0.7f);
    return e;
}

// A mellow voice for the tunes of the game-over and next-level jingles.
Buffer Voice(double midi, double length, double vibrato, float brightness) {
    Buffer out(Frames(length));
    Svf filter;
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f =
            NoteHz(midi) * (1 + vibrato * std::sin(2 * kPi * 5.5 * t) * std::min(t / 0.15, 1.0));
        phase += f / kRate;
        const float raw = 0.6f * SoftSquare(phase, 10, 0.35) + 0.4f * Triangle(phase);
        const float release = t > length - 0.06 ? static_cast<float>((length - t) / 0.06) : 1.0f;
        out[i] = filter.Run(raw, 900 + brightness * 2200, 1.0, kRate).low *
                 std::min(static_cast<float>(t / 0.01), 1.0f) * release;
    }
    return out;
}

// "looser": the sad falling "wah, wah, wah, waaah".
Effect MakeLooser() {
    Effect e{"looser", 1, kRate, {}};
    const double notes[] = {67, 66, 65, 64}; // G4 F#4 F4 E4
    for (int i = 0; i < 4; ++i) {
        const double length = i == 3 ? 1.0 : 0.34;
        Buffer note = Voice(notes[i] - 12, length, i == 3 ? 0.012 : 0.004, 0.3f);
        // Each note droops a little in loudness, as a muted trumpet does.
        for (std::size_t k = 0; k < note.size(); ++k) {
            note[k] *= Decay(static_cast<double>(k) / kRate, i == 3 ? 0.7 : 0.5);
        }
        MixInto(e.samples, note, Frames(0.38 * i), 0.8f);
    }
    Finish(e.samples, kRate, 0.003, 0.2, kPeak * 0.9f);
    return e;
}

// "nextlevel": a bright rising fanfare ending on a held major chord.
Effect MakeNextLevel() {
    Effect e{"nextlevel", 1, kRate, {}};
    const double run[] = {60, 64, 67}; // C5 E5 G5 (an octave up below)
    for (int i = 0; i < 3; ++i) {
        MixInto(e.samples, Voice(run[i] + 12, 0.13, 0.0, 0.8f), Frames(0.11 * i), 0.55f);
    }
    for (double note : {72.0, 76.0, 79.0, 84.0}) {
        MixInto(e.samples, Voice(note, 0.75, 0.006, 0.6f), Frames(0.33), 0.32f);
    }
    MixInto(e.samples, Chime(NoteHz(96), 0.6, 0.15), Frames(0.33), 0.25f);
    Finish(e.samples, kRate, 0.002, 0.25, kPeak * 0.9f);
    return e;
}

} // namespace

std::vector<Effect> MakeEffects() {
    return {MakeBonus(),   MakeHeroDieFish(), MakeHeroDieAir(), MakeFishDie(),  MakeHeroGun(),
            MakeHeroNet(), MakeMenu(),        MakeLooser(),     MakeNextLevel()};
}

} // namespace soundgen

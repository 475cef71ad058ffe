// Writes FastTracker 2 extended modules (XM, version 1.04): header, order
// table, packed patterns, instruments with envelopes, and delta-encoded
// 16-bit samples with loop points.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace soundgen::xm {

constexpr std::uint8_t kKeyOff = 97;

// One cell of a pattern. note: 0 none, 1..96 (1 = C-0), 97 key off.
// volume: 0 none, else 0x10 + 0..64 (or another volume-column command).
struct Cell {
    std::uint8_t note = 0;
    std::uint8_t instrument = 0;
    std::uint8_t volume = 0;
    std::uint8_t effect = 0;
    std::uint8_t param = 0;
};

struct Pattern {
    int rows = 64;
    std::vector<Cell> cells; // rows x channels, row after row
};

struct EnvelopePoint {
    std::uint16_t tick = 0;
    std::uint16_t value = 0; // 0..64
};

struct Envelope {
    std::vector<EnvelopePoint> points; // at most 12; empty: off
    int sustain = -1;                  // point index, -1: none
    int loopStart = -1, loopEnd = -1;
};

struct Sample {
    std::string name;
    std::vector<std::int16_t> data;
    std::uint32_t loopStart = 0;  // in sample frames
    std::uint32_t loopLength = 0; // 0: no loop
    std::uint8_t volume = 64;
    std::int8_t finetune = 0;
    std::int8_t relativeNote = 0;
    std::uint8_t panning = 128;
};

struct Instrument {
    std::string name;
    Sample sample;
    Envelope volumeEnvelope;
    std::uint16_t fadeout = 0;
    std::uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct Module {
    std::string name;
    int channels = 8; // even, 2..32
    int tempo = 6;    // ticks per row
    int bpm = 125;
    int restart = 0;
    std::vector<std::uint8_t> orders;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments; // instrument 1 is instruments[0]
};

// Sets relativeNote and finetune so that note C-4 plays a sample recorded at
// `rate` Hz whose pitch is `pitchHz` at the pitch of C-4 (261.63 Hz).
void TuneSample(Sample& sample, double rate, double pitchHz);

// The module's bytes. Throws std::invalid_argument for values the format
// cannot hold (too many rows, orders or points, an odd channel count).
std::vector<std::uint8_t> Write(const Module& module);

} // namespace soundgen::xm

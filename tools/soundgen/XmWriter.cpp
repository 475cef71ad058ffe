#include "XmWriter.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace soundgen::xm {

namespace {

class Out {
public:
    void U8(unsigned v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
    void U16(unsigned v) {
        U8(v & 0xFF);
        U8((v >> 8) & 0xFF);
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    // Fixed-size text, padded with zeros (or blanks, as the tracker name is).
    void Text(const std::string& text, std::size_t size, char pad = '\0') {
        for (std::size_t i = 0; i < size; ++i) {
            U8(static_cast<unsigned char>(i < text.size() ? text[i] : pad));
        }
    }
    void Zeros(std::size_t count) { bytes.insert(bytes.end(), count, 0); }
    void Patch16(std::size_t at, unsigned v) {
        bytes[at] = static_cast<std::uint8_t>(v & 0xFF);
        bytes[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    }

    std::vector<std::uint8_t> bytes;
};

void Require(bool ok, const char* what) {
    if (!ok) {
        throw std::invalid_argument(what);
    }
}

void WritePattern(Out& out, const Pattern& pattern, int channels) {
    Require(pattern.rows >= 1 && pattern.rows <= 256, "pattern rows out of range");
    Require(pattern.cells.size() == static_cast<std::size_t>(pattern.rows * channels),
            "pattern cell count");
    out.U32(9); // header length
    out.U8(0);  // packing type
    out.U16(static_cast<unsigned>(pattern.rows));
    const std::size_t sizeAt = out.bytes.size();
    out.U16(0);
    const std::size_t start = out.bytes.size();
    for (const Cell& c : pattern.cells) {
        Require(c.note <= kKeyOff, "note out of range");
        const bool all = c.note && c.instrument && c.volume && c.effect && c.param;
        if (all) {
            out.U8(c.note);
            out.U8(c.instrument);
            out.U8(c.volume);
            out.U8(c.effect);
            out.U8(c.param);
            continue;
        }
        // Packed: a flag byte telling which of the five fields follow.
        unsigned flags = 0x80;
        flags |= c.note ? 0x01 : 0;
        flags |= c.instrument ? 0x02 : 0;
        flags |= c.volume ? 0x04 : 0;
        flags |= c.effect ? 0x08 : 0;
        flags |= c.param ? 0x10 : 0;
        out.U8(flags);
        if (c.note)
            out.U8(c.note);
        if (c.instrument)
            out.U8(c.instrument);
        if (c.volume)
            out.U8(c.volume);
        if (c.effect)
            out.U8(c.effect);
        if (c.param)
            out.U8(c.param);
    }
    const std::size_t packed = out.bytes.size() - start;
    Require(packed <= 0xFFFF, "pattern too large");
    out.Patch16(sizeAt, static_cast<unsigned>(packed));
}

void WriteEnvelopePoints(Out& out, const Envelope& envelope) {
    Require(envelope.points.size() <= 12, "too many envelope points");
    for (std::size_t i = 0; i < 12; ++i) {
        if (i < envelope.points.size()) {
            Require(envelope.points[i].value <= 64, "envelope value out of range");
            out.U16(envelope.points[i].tick);
            out.U16(envelope.points[i].value);
        } else {
            out.U16(0);
            out.U16(0);
        }
    }
}

void WriteInstrument(Out& out, const Instrument& inst) {
    const Sample& s = inst.sample;
    Require(s.loopLength == 0 || s.loopStart + s.loopLength <= s.data.size(), "loop past the end");
    out.U32(263); // header size as FastTracker 2 writes it
    out.Text(inst.name, 22);
    out.U8(0);
    out.U16(1);    // one sample
    out.U32(40);   // sample header size
    out.Zeros(96); // every note plays sample 0
    WriteEnvelopePoints(out, inst.volumeEnvelope);
    WriteEnvelopePoints(out, Envelope{});
    const Envelope& v = inst.volumeEnvelope;
    out.U8(static_cast<unsigned>(v.points.size()));
    out.U8(0);
    out.U8(static_cast<unsigned>(std::max(v.sustain, 0)));
    out.U8(static_cast<unsigned>(std::max(v.loopStart, 0)));
    out.U8(static_cast<unsigned>(std::max(v.loopEnd, 0)));
    out.Zeros(3); // panning sustain and loop
    unsigned type = v.points.empty() ? 0 : 1;
    type |= v.sustain >= 0 ? 2 : 0;
    type |= v.loopStart >= 0 && v.loopEnd >= 0 ? 4 : 0;
    out.U8(type);
    out.U8(0); // panning envelope off
    out.U8(inst.vibratoType);
    out.U8(inst.vibratoSweep);
    out.U8(inst.vibratoDepth);
    out.U8(inst.vibratoRate);
    out.U16(inst.fadeout);
    out.Zeros(22); // reserved

    // Sample header; lengths in bytes for 16-bit data.
    out.U32(static_cast<std::uint32_t>(s.data.size() * 2));
    out.U32(s.loopStart * 2);
    out.U32(s.loopLength * 2);
    out.U8(std::min<unsigned>(s.volume, 64));
    out.U8(static_cast<std::uint8_t>(s.finetune));
    out.U8((s.loopLength ? 1u : 0u) | 0x10u); // forward loop, 16 bits
    out.U8(s.panning);
    out.U8(static_cast<std::uint8_t>(s.relativeNote));
    out.U8(0);
    out.Text(s.name, 22);
    // Delta-encoded samples.
    std::int16_t previous = 0;
    for (std::int16_t value : s.data) {
        out.U16(static_cast<std::uint16_t>(value - previous));
        previous = value;
    }
}

} // namespace

void TuneSample(Sample& sample, double rate, double pitchHz) {
    // The rate C-4 must play at, in semitones above 8363 Hz.
    const double semitones = 12 * std::log2(rate * 261.6255653 / pitchHz / 8363.0);
    int whole = static_cast<int>(std::floor(semitones));
    int fine = static_cast<int>(std::lround((semitones - whole) * 128));
    if (fine >= 128) {
        ++whole;
        fine -= 128;
    }
    if (fine > 127 - 64) {
        // Keep finetune in -64..63 so rounding never needs an eighth bit.
        ++whole;
        fine -= 128;
    }
    Require(whole >= -96 && whole <= 95, "sample rate out of range");
    sample.relativeNote = static_cast<std::int8_t>(whole);
    sample.finetune = static_cast<std::int8_t>(fine);
}

std::vector<std::uint8_t> Write(const Module& module) {
    Require(module.channels >= 2 && module.channels <= 32 && module.channels % 2 == 0,
            "channel count");
    Require(!module.orders.empty() && module.orders.size() <= 256, "order count");
    Require(module.patterns.size() <= 256, "pattern count");
    Require(module.instruments.size() <= 128, "instrument count");
    for (auto order : module.orders) {
        Require(order < module.patterns.size(), "order names a missing pattern");
    }
    Out out;
    out.Text("Extended Module: ", 17);
    out.Text(module.name, 20);
    out.U8(0x1A);
    out.Text("Brinehold soundgen", 20, ' ');
    out.U16(0x0104);
    out.U32(276); // header size from this field on
    out.U16(static_cast<unsigned>(module.orders.size()));
    out.U16(static_cast<unsigned>(module.restart));
    out.U16(static_cast<unsigned>(module.channels));
    out.U16(static_cast<unsigned>(module.patterns.size()));
    out.U16(static_cast<unsigned>(module.instruments.size()));
    out.U16(1); // linear frequency table
    out.U16(static_cast<unsigned>(module.tempo));
    out.U16(static_cast<unsigned>(module.bpm));
    for (std::size_t i = 0; i < 256; ++i) {
        out.U8(i < module.orders.size() ? module.orders[i] : 0);
    }
    for (const Pattern& pattern : module.patterns) {
        WritePattern(out, pattern, module.channels);
    }
    for (const Instrument& inst : module.instruments) {
        WriteInstrument(out, inst);
    }
    return out.bytes;
}

} // namespace soundgen::xm

#include "Songs.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "Instruments.h"

namespace soundgen {

namespace {

constexpr int kRowsPerBar = 16;
constexpr int kBarsPerPattern = 4;
constexpr int kRows = kRowsPerBar * kBarsPerPattern;

struct Chord {
    int bass;                  // MIDI note of the root in the bass
    std::array<int, 3> voices; // the pad's three voices
};
using Progression = std::array<Chord, kBarsPerPattern>;

// "C#5", "Bb4", "A3": a MIDI note number (C4 = 60).
int Midi(std::string_view name) {
    static constexpr int kPitchClass[] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') {
        throw std::invalid_argument("bad note " + std::string(name));
    }
    int pc = kPitchClass[name[0] - 'A'];
    std::size_t at = 1;
    if (name[at] == '#') {
        ++pc;
        ++at;
    } else if (name[at] == 'b') {
        --pc;
        ++at;
    }
    return 12 * (std::stoi(std::string(name.substr(at))) + 1) + pc;
}

class Builder {
public:
    // `pans`: each channel's place in the stereo field, 0 left to 255 right.
    Builder(int channels, std::vector<int> pans) : channels_(channels), pans_(std::move(pans)) {
        pattern_.rows = kRows;
        pattern_.cells.resize(static_cast<std::size_t>(kRows * channels));
    }

    void Note(int channel, int row, int midi, int instrument, int volume) {
        auto& c = Cell(channel, row);
        c.note = static_cast<std::uint8_t>(midi - 11); // MIDI 60 is C-4, note 49
        c.instrument = static_cast<std::uint8_t>(instrument);
        // The parts were balanced with some headroom; this brings the mix up.
        c.volume = static_cast<std::uint8_t>(0x10 + std::clamp(volume * 4 / 3, 0, 64));
        c.effect = 0x08; // set panning
        c.param = static_cast<std::uint8_t>(pans_.at(static_cast<std::size_t>(channel)));
    }
    void Off(int channel, int row) { Cell(channel, row).note = xm::kKeyOff; }

    // Tokens "NOTE:ROWS" (a note), "r:ROWS" (release, then rest) and "-:ROWS"
    // (hold); '|' marks bars for the reader. Notes on the beat are a little
    // louder than those between.
    void Melody(int channel, int instrument, int volume, std::string_view text, int transpose = 0) {
        std::istringstream in{std::string(text)};
        std::string token;
        int row = 0;
        while (in >> token) {
            if (token == "|") {
                continue;
            }
            const auto colon = token.find(':');
            const std::string what = token.substr(0, colon);
            const int length = std::stoi(token.substr(colon + 1));
            if (what == "r") {
                Off(channel, row);
            } else if (what != "-") {
                Note(channel, row, Midi(what) + transpose, instrument,
                     row % 4 == 0 ? volume : volume - 6);
            }
            row += length;
        }
        if (row != kRows) {
            throw std::invalid_argument("melody of " + std::to_string(row) + " rows");
        }
    }

    // The pad: each voice struck at the start of the pattern and again only
    // when its note changes.
    void Pads(int firstChannel, int instrument, int volume, const Progression& chords) {
        for (int v = 0; v < 3; ++v) {
            for (int bar = 0; bar < kBarsPerPattern; ++bar) {
                const int note = chords[bar].voices[v];
                if (bar == 0 || note != chords[bar - 1].voices[v]) {
                    Note(firstChannel + v, bar * kRowsPerBar, note, instrument, volume);
                }
            }
        }
    }

    // A rising and falling arpeggio of the chord an octave up, every two rows.
    void Arpeggio(int channel, int instrument, int volume, const Progression& chords,
                  int octave = 12) {
        static constexpr int kOrder[] = {0, 1, 2, 3, 2, 1, 0, 1};
        for (int bar = 0; bar < kBarsPerPattern; ++bar) {
            const auto& v = chords[bar].voices;
            const int tones[] = {v[0] + octave, v[1] + octave, v[2] + octave, v[0] + octave + 12};
            for (int step = 0; step < 8; ++step) {
                Note(channel, bar * kRowsPerBar + step * 2, tones[kOrder[step]], instrument,
                     step % 2 ? volume - 6 : volume);
            }
        }
    }

    // A drum line of one bar repeated: 'x' loud, 'o' soft, '.' nothing.
    void Drum(int channel, int instrument, std::string_view bar, int loud, int soft, int note = 60,
              int fromBar = 0) {
        for (int b = fromBar; b < kBarsPerPattern; ++b) {
            for (int r = 0; r < kRowsPerBar && r < static_cast<int>(bar.size()); ++r) {
                if (bar[r] == 'x' || bar[r] == 'o') {
                    Note(channel, b * kRowsPerBar + r, note, instrument,
                         bar[r] == 'x' ? loud : soft);
                }
            }
        }
    }

    xm::Pattern Take() { return std::move(pattern_); }

private:
    xm::Cell& Cell(int channel, int row) {
        return pattern_.cells.at(static_cast<std::size_t>(row * channels_ + channel));
    }

    int channels_;
    std::vector<int> pans_;
    xm::Pattern pattern_;
};

// ----------------------------------------------------------- the menu tune

namespace menu {

enum Channel { kMelody = 0, kArp = 1, kPad = 2, kBass = 5, kKick = 6, kShaker = 7, kChannels = 8 };
enum Instrument { kPadI = 1, kBellI, kBassI, kPluckI, kKickI, kShakerI, kSnareI };

const Progression kVerse = {{{38, {62, 65, 69}},    // Dm
                             {34, {62, 65, 69}},    // Bbmaj7
                             {31, {62, 65, 70}},    // Gm7
                             {33, {61, 64, 69}}}};  // A
const Progression kBridge = {{{34, {62, 65, 70}},   // Bb
                              {36, {60, 64, 67}},   // C
                              {33, {60, 64, 69}},   // Am
                              {33, {61, 64, 69}}}}; // A

constexpr const char* kPhrase1 = "A5:4 F5:2 E5:2 D5:4 E5:4 | F5:6 A5:2 C6:8 | "
                                 "Bb5:4 A5:2 G5:2 F5:4 D5:4 | E5:8 C#5:4 A4:4";
constexpr const char* kPhrase2 = "A5:4 F5:2 E5:2 D5:4 A5:4 | C6:6 Bb5:2 A5:4 F5:4 | "
                                 "G5:4 Bb5:4 A5:2 G5:2 F5:2 E5:2 | D5:12 r:4";
constexpr const char* kBridge1 = "D6:6 C6:2 Bb5:4 A5:4 | G5:6 A5:2 Bb5:2 A5:2 G5:4 | "
                                 "E5:4 A5:4 C6:4 B5:2 A5:2 | A5:8 G5:2 F5:2 E5:4";
constexpr const char* kBridge2 = "D6:6 E6:2 F6:4 D6:4 | E6:6 D6:2 C6:4 G5:4 | "
                                 "A5:4 C6:4 E6:4 D6:2 C6:2 | C#6:12 r:4";
constexpr const char* kPhrase3 = "D5:4 F5:4 A5:4 C6:2 A5:2 | Bb5:6 A5:2 F5:8 | "
                                 "G5:4 D6:4 C6:2 Bb5:2 A5:2 G5:2 | A5:8 E5:4 C#5:4";

struct Part {
    const Progression* chords;
    const char* melody; // nullptr: none
    bool arp, kick, shaker, rim;
    int bassStyle;
};

xm::Pattern Build(const Part& part) {
    Builder b(kChannels, {112, 168, 72, 128, 184, 128, 128, 150});
    b.Pads(kPad, kPadI, 34, *part.chords);
    for (int bar = 0; bar < kBarsPerPattern; ++bar) {
        const int root = (*part.chords)[bar].bass;
        const int row = bar * kRowsPerBar;
        b.Note(kBass, row, root, kBassI, 50);
        if (part.bassStyle == 1) {
            b.Note(kBass, row + 6, root + 12, kBassI, 28);
            b.Note(kBass, row + 10, root + 7, kBassI, 36);
            b.Note(kBass, row + 12, root, kBassI, 40);
        } else {
            b.Note(kBass, row + 12, root + 7, kBassI, 34);
        }
    }
    if (part.melody) {
        b.Melody(kMelody, kBellI, 46, part.melody);
    }
    if (part.arp) {
        b.Arpeggio(kArp, kPluckI, 22, *part.chords);
    }
    if (part.kick) {
        b.Drum(kKick, kKickI, "x.........o.....", 40, 28);
    }
    if (part.rim) {
        // A soft rim tick on the third beat, on the snare pitched up.
        b.Drum(kKick + 0, kSnareI, "........o.......", 0, 14, 72);
    }
    if (part.shaker) {
        b.Drum(kShaker, kShakerI, "o.x.o.x.o.x.o.x.", 30, 18);
    }
    return b.Take();
}

} // namespace menu

// ----------------------------------------------------------- the game tune

namespace game {

enum Channel {
    kLead = 0,
    kArp = 1,
    kPad = 2,
    kBass = 5,
    kKick = 6,
    kSnare = 7,
    kHat = 8,
    kBell = 9,
    kChannels = 10
};
enum Instrument { kPadI = 1, kLeadI, kBassI, kPluckI, kKickI, kSnareI, kHatI, kBellI };

const Progression kVerse = {{{45, {64, 69, 72}},    // Am
                             {41, {65, 69, 72}},    // F
                             {48, {64, 67, 72}},    // C
                             {43, {62, 67, 71}}}};  // G
const Progression kChorus = {{{38, {62, 65, 69}},   // Dm
                              {45, {64, 69, 72}},   // Am
                              {41, {65, 69, 72}},   // F
                              {40, {64, 68, 71}}}}; // E
const Progression kBreak = {{{41, {65, 69, 72}},    // F
                             {43, {62, 67, 71}},    // G
                             {40, {64, 67, 71}},    // Em
                             {45, {64, 69, 72}}}};  // Am

constexpr const char* kThemeA1 = "E5:4 A5:4 B5:2 C6:4 B5:2 | A5:6 F5:2 A5:4 C6:4 | "
                                 "G5:4 E5:2 G5:2 C6:4 B5:2 G5:2 | D6:8 B5:4 G5:4";
constexpr const char* kThemeA2 = "E5:4 A5:4 B5:2 C6:4 D6:2 | E6:6 D6:2 C6:4 A5:4 | "
                                 "G5:4 C6:4 E6:4 D6:2 C6:2 | B5:12 r:4";
constexpr const char* kThemeB1 = "F5:4 A5:4 D6:6 C6:2 | C6:4 B5:2 A5:2 E5:8 | "
                                 "F5:4 A5:4 C6:4 D6:2 C6:2 | B5:8 G#5:4 E5:4";
constexpr const char* kThemeB2 = "D6:4 F6:4 E6:4 D6:2 C6:2 | C6:6 B5:2 A5:8 | "
                                 "A5:4 C6:4 F6:4 E6:2 D6:2 | E6:8 D6:2 C6:2 B5:4";

struct Part {
    const Progression* chords;
    const char* melody;
    bool arp, bell, kick, snare, fill;
    int bassStyle; // 0 eighths, 1 long notes
};

xm::Pattern Build(const Part& part) {
    Builder b(kChannels, {120, 176, 64, 128, 192, 128, 128, 136, 152, 88});
    b.Pads(kPad, kPadI, part.melody ? 24 : 30, *part.chords);
    for (int bar = 0; bar < kBarsPerPattern; ++bar) {
        const int root = (*part.chords)[bar].bass;
        const int row = bar * kRowsPerBar;
        if (part.bassStyle == 1) {
            b.Note(kBass, row, root, kBassI, 46);
            b.Note(kBass, row + 8, root + 12, kBassI, 34);
            continue;
        }
        static constexpr int kOctave[] = {0, 0, 12, 0, 0, 0, 12, 0};
        for (int step = 0; step < 8; ++step) {
            b.Note(kBass, row + step * 2, root + kOctave[step], kBassI, step % 2 ? 38 : 48);
        }
    }
    if (part.melody) {
        b.Melody(kLead, kLeadI, 44, part.melody);
    }
    if (part.arp) {
        b.Arpeggio(kArp, kPluckI, part.melody ? 20 : 28, *part.chords);
    }
    if (part.bell) {
        for (int bar = 0; bar < kBarsPerPattern; ++bar) {
            const auto& v = (*part.chords)[bar].voices;
            b.Note(kBell, bar * kRowsPerBar, v[2] + 12, kBellI, 20);
            b.Note(kBell, bar * kRowsPerBar + 8, v[1] + 12, kBellI, 16);
        }
    }
    if (part.kick) {
        b.Drum(kKick, kKickI, "x.......x.o.....", 54, 40);
    }
    if (part.snare) {
        b.Drum(kSnare, kSnareI, "....x.......x...", 40, 0);
        if (part.fill) {
            // A short roll into the next pattern.
            b.Note(kSnare, kRows - 3, 60, kSnareI, 22);
            b.Note(kSnare, kRows - 2, 60, kSnareI, 28);
            b.Note(kSnare, kRows - 1, 60, kSnareI, 34);
        }
    }
    b.Drum(kHat, kHatI, "o.x.o.x.o.x.o.x.", part.kick ? 30 : 20, part.kick ? 18 : 12);
    return b.Take();
}

} // namespace game

} // namespace

xm::Module MenuSong() {
    using namespace menu;
    xm::Module m;
    m.name = "Brinehold - Depths";
    m.channels = kChannels;
    m.tempo = 6;
    m.bpm = 72;
    m.instruments = {instruments::Pad(),   instruments::Bell(), instruments::SoftBass(),
                     instruments::Pluck(), instruments::Kick(), instruments::Shaker(),
                     instruments::Snare()};
    const Part parts[] = {
        {&kVerse, nullptr, false, false, true, false, 0}, // 0 intro: pad, bass, shaker
        {&kVerse, kPhrase1, false, true, true, false, 0}, // 1 theme
        {&kVerse, kPhrase2, true, true, true, false, 1},  // 2 answer, arpeggio enters
        {&kBridge, kBridge1, true, true, true, true, 1},  // 3 bridge
        {&kBridge, kBridge2, true, true, true, true, 1},  // 4 bridge, higher
        {&kVerse, kPhrase3, true, true, true, false, 1},  // 5 theme varied
        {&kVerse, kPhrase2, false, true, true, false, 0}, // 6 answer, thinner
        {&kVerse, nullptr, true, false, false, false, 0}, // 7 ebb back to the intro
    };
    for (const auto& part : parts) {
        m.patterns.push_back(Build(part));
        m.orders.push_back(static_cast<std::uint8_t>(m.orders.size()));
    }
    return m;
}

xm::Module GameSong() {
    using namespace game;
    xm::Module m;
    m.name = "Brinehold - Current";
    m.channels = kChannels;
    m.tempo = 6;
    m.bpm = 125;
    m.instruments = {instruments::Pad(),   instruments::Lead(), instruments::PluckBass(),
                     instruments::Pluck(), instruments::Kick(), instruments::Snare(),
                     instruments::HiHat(), instruments::Bell()};
    const Part parts[] = {
        {&kVerse, nullptr, false, false, true, false, false, 0}, // 0 intro: drums and bass
        {&kVerse, kThemeA1, false, false, true, true, false, 0}, // 1 theme
        {&kVerse, kThemeA2, true, false, true, true, true, 0},   // 2 answer
        {&kChorus, kThemeB1, true, false, true, true, false, 0}, // 3 chorus
        {&kChorus, kThemeB2, true, true, true, true, true, 0},   // 4 chorus, higher
        {&kBreak, nullptr, true, true, false, false, false, 1},  // 5 breath
        {&kVerse, nullptr, true, true, true, true, true, 0},     // 6 build back
        {&kVerse, kThemeA1, true, true, true, true, false, 0},   // 7 theme, fuller
        {&kVerse, kThemeA2, true, true, true, true, true, 0},    // 8 answer
        {&kChorus, kThemeB1, true, true, true, true, false, 0},  // 9 chorus
        {&kChorus, kThemeB2, true, true, true, true, true, 0},   // 10 chorus, back to the top
    };
    for (const auto& part : parts) {
        m.patterns.push_back(Build(part));
        m.orders.push_back(static_cast<std::uint8_t>(m.orders.size()));
    }
    // Once more through the middle before the loop, so that a long game
    // does not hear the opening too often.
    for (std::uint8_t order : {5, 6, 1, 2, 3, 4}) {
        m.orders.push_back(order);
    }
    return m;
}

} // namespace soundgen

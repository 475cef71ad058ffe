// The XM writer and what the sound generator makes with it: modules that
// libopenmpt loads without a word of complaint, with the length, order and
// channels they were written with; and the effects archive.
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "XmWriter.h"
#include "assets/DXSounds.h"

namespace {

using namespace soundgen;

xm::Module SmallModule() {
    xm::Module m;
    m.name = "test";
    m.channels = 4;
    m.tempo = 3;
    m.bpm = 150;
    xm::Instrument inst;
    inst.name = "square";
    for (int i = 0; i < 400; ++i) {
        inst.sample.data.push_back(static_cast<std::int16_t>((i / 50) % 2 ? 9000 : -9000));
    }
    inst.sample.loopStart = 0;
    inst.sample.loopLength = 400;
    inst.volumeEnvelope.points = {{0, 0}, {4, 64}, {20, 40}};
    inst.volumeEnvelope.sustain = 2;
    inst.fadeout = 1024;
    m.instruments = {inst};
    for (int p = 0; p < 2; ++p) {
        xm::Pattern pattern;
        pattern.rows = 32;
        pattern.cells.resize(32 * 4);
        m.patterns.push_back(pattern);
    }
    m.orders = {0, 1, 0};
    return m;
}

struct Loaded {
    std::unique_ptr<openmpt::module> module;
    std::string log;
};

Loaded Load(const std::vector<std::uint8_t>& bytes) {
    std::ostringstream log;
    auto module = std::make_unique<openmpt::module>(bytes, log);
    return {std::move(module), log.str()};
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(XmWriter, ModuleLoadsWithItsOrdersChannelsAndLength) {
    auto m = SmallModule();
    auto& cells = m.patterns[0].cells;
    cells[0] = {49, 1, 0x50, 0, 0};       // C-4, full volume
    cells[1] = {61, 1, 0x30, 0x08, 0x40}; // all five fields: stored unpacked
    cells[4 * 8 + 0] = {xm::kKeyOff, 0, 0, 0, 0};
    cells[4 * 9 + 3] = {0, 0, 0, 0x0F, 0x04}; // speed 4 from row 9
    const auto loaded = Load(xm::Write(m));
    EXPECT_EQ(loaded.log, "");
    EXPECT_EQ(loaded.module->get_metadata("type"), "xm");
    EXPECT_EQ(loaded.module->get_num_orders(), 3);
    EXPECT_EQ(loaded.module->get_num_channels(), 4);
    EXPECT_EQ(loaded.module->get_num_patterns(), 2);
    EXPECT_EQ(loaded.module->get_num_instruments(), 1);
    EXPECT_EQ(loaded.module->get_order_pattern(2), 0);
    // Rows 0-8 at speed 3, then 4: 9 * 3 + 23 * 4 ticks, then 2 * 32 * 4 at 2.5 / 150 s a tick.
    const double ticks = 9 * 3 + 23 * 4 + 64 * 4;
    EXPECT_NEAR(loaded.module->get_duration_seconds(), ticks * 2.5 / 150, 0.01);

    // libopenmpt numbers notes from C-0 = 13 and reports key off as 255.
    auto openmptNote = [](int note) {
        return note == 0 ? 0 : note == xm::kKeyOff ? 255 : note + 12;
    };
    using C = openmpt::module::command_index;
    const struct {
        int row, channel, note, instrument, volume, effect, param;
    } expected[] = {
        {0, 0, 49, 1, 64, 0, 0},
        {0, 1, 61, 1, 32, 0x08, 0x40},
        {8, 0, 97, 0, 0, 0, 0},
        {0, 2, 0, 0, 0, 0, 0},
    };
    auto& mod = *loaded.module;
    for (const auto& e : expected) {
        SCOPED_TRACE(testing::Message() << "row " << e.row << " channel " << e.channel);
        EXPECT_EQ(mod.get_pattern_row_channel_command(0, e.row, e.channel, C::command_note),
                  openmptNote(e.note));
        EXPECT_EQ(mod.get_pattern_row_channel_command(0, e.row, e.channel, C::command_instrument),
                  e.instrument);
        EXPECT_EQ(mod.get_pattern_row_channel_command(0, e.row, e.channel, C::command_parameter),
                  e.param);
        if (e.volume) {
            EXPECT_EQ(mod.get_pattern_row_channel_command(0, e.row, e.channel, C::command_volume),
                      e.volume);
        }
    }
}

TEST(XmWriter, DeltaEncodedSamplesPlayBackAsWritten) {
    auto m = SmallModule();
    m.patterns[0].cells[0] = {49, 1, 0x50, 0, 0};
    auto loaded = Load(xm::Write(m));
    std::vector<std::int16_t> out(4410 * 2);
    loaded.module->read_interleaved_stereo(44100, 4410, out.data());
    int peak = 0;
    for (auto v : out) {
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    }
    EXPECT_GT(peak, 2000); // the square wave sounds, not noise from a bad decode
    EXPECT_LT(peak, 20000);
}

TEST(XmWriter, RejectsWhatTheFormatCannotHold) {
    const struct {
        const char* what;
        void (*spoil)(xm::Module&);
    } cases[] = {
        {"odd channel count", [](xm::Module& m) { m.channels = 3; }},
        {"no orders", [](xm::Module& m) { m.orders.clear(); }},
        {"order of a missing pattern", [](xm::Module& m) { m.orders.push_back(7); }},
        {"cells not rows x channels", [](xm::Module& m) { m.patterns[1].cells.pop_back(); }},
        {"thirteen envelope points",
         [](xm::Module& m) { m.instruments[0].volumeEnvelope.points.resize(13); }},
        {"loop past the end", [](xm::Module& m) { m.instruments[0].sample.loopLength = 401; }},
    };
    for (const auto& c : cases) {
        auto m = SmallModule();
        c.spoil(m);
        EXPECT_THROW(xm::Write(m), std::invalid_argument) << c.what;
    }
}

TEST(XmWriter, TuningPlaysTheSampleAtItsPitch) {
    // A sample recorded at 44100 Hz holding A4 (440 Hz): A-4 must then play it at 44100 Hz.
    xm::Sample s;
    xm::TuneSample(s, 44100, 440);
    const double semitones = s.relativeNote + s.finetune / 128.0;
    const double rateAtA4 = 8363 * std::pow(2.0, (semitones + 9) / 12.0);
    EXPECT_NEAR(rateAtA4, 44100, 44100 * 0.0003);
}

class GeneratedTune : public ::testing::TestWithParam<const char*> {};

TEST_P(GeneratedTune, LoadsCleanlyLastsOneToThreeMinutesAndSounds) {
    const auto bytes = ReadFile(std::string(BRINEHOLD_GAME_DIR) + "/sound/" + GetParam());
    ASSERT_FALSE(bytes.empty());
    auto loaded = Load(bytes);
    EXPECT_EQ(loaded.log, "");
    const double seconds = loaded.module->get_duration_seconds();
    EXPECT_GE(seconds, 60);
    EXPECT_LE(seconds, 180);
    EXPECT_GE(loaded.module->get_num_channels(), 8);
    std::vector<std::int16_t> out(44100 * 2 * 4);
    loaded.module->read_interleaved_stereo(44100, 44100 * 4, out.data());
    double sum = 0;
    int peak = 0;
    for (auto v : out) {
        sum += static_cast<double>(v) * v;
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    }
    EXPECT_GT(std::sqrt(sum / out.size()), 1000); // louder than -30 dBFS
    EXPECT_LT(peak, 32767);                       // and not clipping
}

INSTANTIATE_TEST_SUITE_P(Tunes, GeneratedTune, ::testing::Values("1.xm", "2.xm"));

TEST(GeneratedEffects, NineShortCleanEffectsWithTheirLimits) {
    TWaveCollection effects;
    effects.LoadFromFile(std::string(BRINEHOLD_GAME_DIR) + "/sound/gamesound.dxw");
    const struct {
        const char* name;
        int maxCount;
    } expected[] = {{"bonus", 3},   {"herodiefish", 1}, {"herodieair", 1},
                    {"fishdie", 4}, {"herogun", 4},     {"heronet", 2},
                    {"menu", 4},    {"looser", 1},      {"nextlevel", 1}};
    ASSERT_EQ(effects.Count(), 9);
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        auto& item = effects.FindEffect(e.name);
        EXPECT_EQ(item.MaxPlayingCount(), e.maxCount);
        EXPECT_FALSE(item.Looped());
        ASSERT_EQ(item.Wave.BitsPerSample(), 16);
        ASSERT_EQ(item.Wave.Channels(), 1);
        const auto* s = reinterpret_cast<const std::int16_t*>(item.Wave.Data());
        const std::size_t n = item.Wave.Size() / 2;
        EXPECT_LE(n / item.Wave.SamplesPerSec(), 2.5); // short
        EXPECT_LT(std::abs(s[0]), 64);                 // no click at either end
        EXPECT_LT(std::abs(s[n - 1]), 64);
        int peak = 0;
        for (std::size_t i = 0; i < n; ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(s[i])));
        }
        EXPECT_LT(peak, 32000); // headroom, no clipping
        EXPECT_GT(peak, 8000);  // and plainly audible
    }
}

} // namespace

// The real mixer on SDL's disk audio driver: a short real-time run through
// the menu into a game writes what it would have played to a raw file
// (44100 Hz, signed 16 bits, stereo). The file must carry the tunes, and
// each effect the log names must be found in it, where the log says.
// And a tune the real mixer finds damaged only while it reads it in the
// background fails as a tune that cannot be loaded at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "e2e/Harness.h"

namespace {

using e2e::GameRun;

constexpr int kRate = 44100;
constexpr double kTickSeconds = 0.016;

// Sets (or, given nothing, unsets) an environment variable for the child
// processes of one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// A mono 16-bit PCM WAV file as written by brinehold-archive extract, as
// samples at the output rate (linear interpolation from its own rate).
std::vector<double> ReadEffect(const std::string& bytes) {
    std::uint32_t rate = 0;
    std::vector<double> own;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const std::uint32_t size = Le32(bytes, at + 4);
        if (id == "fmt ") {
            EXPECT_EQ(static_cast<std::uint8_t>(bytes[at + 8]), 1) << "PCM";
            EXPECT_EQ(static_cast<std::uint8_t>(bytes[at + 10]), 1) << "mono";
            EXPECT_EQ(static_cast<std::uint8_t>(bytes[at + 22]), 16) << "16 bits";
            rate = Le32(bytes, at + 12);
        } else if (id == "data") {
            for (std::size_t i = 0; i + 1 < size && at + 9 + i < bytes.size(); i += 2) {
                std::int16_t sample = 0;
                std::memcpy(&sample, &bytes[at + 8 + i], 2);
                own.push_back(sample);
            }
        }
        at += 8 + size + (size & 1);
    }
    std::vector<double> out;
    if (rate == 0 || own.size() < 2) {
        return out;
    }
    const double step = static_cast<double>(rate) / kRate;
    for (double pos = 0; pos + 1 < static_cast<double>(own.size()); pos += step) {
        const auto i = static_cast<std::size_t>(pos);
        const double f = pos - static_cast<double>(i);
        out.push_back(own[i] * (1 - f) + own[i + 1] * f);
    }
    return out;
}

void Fft(std::vector<std::complex<double>>& a, bool inverse) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = 2 * std::acos(-1.0) / static_cast<double>(len) * (inverse ? 1 : -1);
        const std::complex<double> unit(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (std::size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k];
                const auto v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= unit;
            }
        }
    }
    if (inverse) {
        for (auto& x : a) {
            x /= static_cast<double>(n);
        }
    }
}

// Normalised cross-correlation of `pattern` with every window of `signal`:
// 1 where the window is the pattern scaled, near 0 where they are unrelated.
std::vector<double> Correlate(const std::vector<double>& signal,
                              const std::vector<double>& pattern) {
    std::size_t n = 1;
    while (n < signal.size() + pattern.size()) {
        n <<= 1;
    }
    std::vector<std::complex<double>> a(n), b(n);
    std::copy(signal.begin(), signal.end(), a.begin());
    std::copy(pattern.begin(), pattern.end(), b.begin());
    Fft(a, false);
    Fft(b, false);
    for (std::size_t i = 0; i < n; ++i) {
        a[i] *= std::conj(b[i]);
    }
    Fft(a, true);
    double patternEnergy = 0;
    for (double x : pattern) {
        patternEnergy += x * x;
    }
    std::vector<double> prefix(signal.size() + 1, 0.0);
    for (std::size_t i = 0; i < signal.size(); ++i) {
        prefix[i + 1] = prefix[i] + signal[i] * signal[i];
    }
    std::vector<double> score;
    for (std::size_t k = 0; k + pattern.size() <= signal.size(); ++k) {
        const double windowEnergy = prefix[k + pattern.size()] - prefix[k];
        score.push_back(windowEnergy > 0 ? a[k].real() / std::sqrt(patternEnergy * windowEnergy)
                                         : 0.0);
    }
    return score;
}

// Positions of the local maxima above `threshold`, at least `gap` apart.
std::vector<std::size_t> Peaks(const std::vector<double>& score, double threshold,
                               std::size_t gap) {
    std::vector<std::size_t> peaks;
    for (std::size_t k = 0; k < score.size(); ++k) {
        if (score[k] < threshold) {
            continue;
        }
        if (!peaks.empty() && k - peaks.back() < gap) {
            if (score[k] > score[peaks.back()]) {
                peaks.back() = k;
            }
            continue;
        }
        peaks.push_back(k);
    }
    return peaks;
}

double Rms(const std::vector<double>& signal, std::size_t from, std::size_t to) {
    double sum = 0;
    to = std::min(to, signal.size());
    for (std::size_t i = from; i < to; ++i) {
        sum += signal[i] * signal[i];
    }
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

// The bytes of the extracted wave NNN-NAME.wav.
std::string EffectFile(const GameRun& run, const std::string& name) {
    for (const auto& entry : std::filesystem::directory_iterator(run.Dir() / "effects")) {
        const std::string file = entry.path().filename().string();
        if (file.size() == 4 + name.size() + 4 && file.compare(4, name.size(), name) == 0) {
            return e2e::ReadWholeFile(entry.path());
        }
    }
    return {};
}

std::string Press(int tick, const std::string& key) {
    return std::to_string(tick) + " key down " + key + '\n' + std::to_string(tick) + " key up " +
           key + '\n';
}

TEST(SoundDisk, TheMixOfAMenuAndAGameHoldsTheTunesAndTheEffects) {
    GameRun run;
    const std::string archive = e2e::ProgramPath("brinehold-archive");
    const auto extracted =
        e2e::RunProcess({archive, "extract", "sound/gamesound.dxw", "effects"}, run.Dir());
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err;

    // Clicks on the menu, the game started by Enter, the gun held from
    // about the end of its banner (which lasts longer when frames are slow).
    const int start = 90;
    const int fire = start + 100;
    const int ticks = start + 200;
    const std::string script = Press(20, "Down") + Press(40, "Up") + Press(60, "Down") +
                               Press(75, "Up") + Press(start, "Enter") + std::to_string(fire) +
                               " key down Space\n" + std::to_string(ticks - 8) + " key up Space\n";
    const std::string raw = run.PathOf("mix.raw");
    e2e::RunResult result;
    {
        ScopedEnv audio("SDL_AUDIODRIVER", "disk");
        ScopedEnv file("SDL_DISKAUDIOFILE", raw);
        ScopedEnv video("SDL_VIDEODRIVER", "dummy");
        run.WriteFile("script.txt", script);
        result = run.RunRaw({"--workdir", run.Dir().string(), "--seed", "1", "--ticks",
                             std::to_string(ticks), "--script", run.PathOf("script.txt"), "--log",
                             run.PathOf("log.txt")});
    }
    ASSERT_EQ(result.exitCode, 0) << result.err;

    // The effects the log names, and the tunes.
    std::map<std::string, std::vector<int>> played;
    for (const auto& line : run.LogEvents("sound ")) {
        played[line.substr(line.find(' ') + 7)].push_back(std::atoi(line.c_str()));
    }
    ASSERT_GE(played["menu"].size(), 5u);
    ASSERT_GE(played["herogun"].size(), 1u);
    EXPECT_EQ(run.LogEvents("music play").size(), 2u);

    const std::string bytes = run.ReadFile("mix.raw");
    std::vector<double> mix(bytes.size() / 4);
    for (std::size_t i = 0; i < mix.size(); ++i) {
        std::int16_t left = 0;
        std::int16_t right = 0;
        std::memcpy(&left, &bytes[i * 4], 2);
        std::memcpy(&right, &bytes[i * 4 + 2], 2);
        mix[i] = (left + right) / 2.0;
    }
    const double seconds = static_cast<double>(mix.size()) / kRate;
    ASSERT_GT(seconds, 0.8 * ticks * kTickSeconds) << "the mixer stopped early";

    // The tunes sound from soon after the start to the end: the menu's before
    // the game starts, the game's after. The output may run a little before the
    // first tune is loaded, longer on a slow or busy machine.
    double first = 0.25;
    while (first + 0.25 <= 2.0 && Rms(mix, static_cast<std::size_t>(first * kRate),
                                      static_cast<std::size_t>((first + 0.25) * kRate)) <= 300.0) {
        first += 0.25;
    }
    for (double t = first; t + 0.25 <= seconds; t += 0.25) {
        EXPECT_GT(Rms(mix, static_cast<std::size_t>(t * kRate),
                      static_cast<std::size_t>((t + 0.25) * kRate)),
                  300.0)
            << "silence at " << t << " s";
    }

    // Each effect is found as often as the log names it, and nowhere else;
    // the distance from the log's moment to the effect in the mix (the time
    // the output ran before tick 1, plus its latency) is nearly the same for
    // every effect.
    std::vector<double> leads;
    for (const char* name : {"bonus", "herodiefish", "herodieair", "fishdie", "herogun", "heronet",
                             "menu", "looser", "nextlevel"}) {
        SCOPED_TRACE(name);
        const auto pattern = ReadEffect(EffectFile(run, name));
        ASSERT_FALSE(pattern.empty());
        const auto score = Correlate(mix, pattern);
        const auto peaks = Peaks(score, 0.4, pattern.size());
        const auto& logTicks = played[name];
        ASSERT_EQ(peaks.size(), logTicks.size());
        for (std::size_t i = 0; i < peaks.size(); ++i) {
            const double lead =
                static_cast<double>(peaks[i]) / kRate - (logTicks[i] - 1) * kTickSeconds;
            // The disk driver's pace is not exactly the clock's.
            EXPECT_GT(lead, -0.2);
            EXPECT_LT(lead, 2.0);
            leads.push_back(lead);
        }
    }
    const auto [low, high] = std::minmax_element(leads.begin(), leads.end());
    EXPECT_LT(*high - *low, 0.2) << "an effect sounds away from its moment in the log";
}

// Replaces the linked sound folder by a copy whose 1.xm is an MO3 header
// announcing 500 bytes of music that are not there: the header passes the
// quick check of the load, the module fails only when read whole.
void DamageMenuTune(GameRun& run) {
    const std::filesystem::path linked = std::filesystem::read_symlink(run.Dir() / "sound");
    std::filesystem::remove(run.Dir() / "sound");
    std::filesystem::create_directory(run.Dir() / "sound");
    for (const auto& entry : std::filesystem::directory_iterator(linked)) {
        if (entry.path().filename() != "1.xm") {
            std::filesystem::create_symlink(entry.path(),
                                            run.Dir() / "sound" / entry.path().filename());
        }
    }
    run.WriteFile("sound/1.xm", std::string("MO3\x05\xF4\x01\x00\x00", 8));
}

struct LateFailureCase {
    const char* name;
    bool musicOnAtStart;
    std::string script;
    const char* load;   // the log line of the load, without the handle
    int loadTick;       // the tick of the load
    std::size_t saves;  // the record is saved again only if it was saved since
    bool musicOnInFile; // at the end
};

class LateTuneFailure : public ::testing::TestWithParam<LateFailureCase> {};

TEST_P(LateTuneFailure, ShowsTheMessageAndSwitchesMusicOff) {
    const LateFailureCase& c = GetParam();
    GameRun run;
    ASSERT_EQ(run.Run(0).exitCode, 0); // writes the default settings
    std::string bytes = run.ReadFile("config.dat");
    ASSERT_EQ(bytes.size(), 158u);
    bytes[1] = static_cast<char>(c.musicOnAtStart ? 0 : 1); // stored XOR 1
    run.WriteFile("config.dat", bytes);
    DamageMenuTune(run);
    run.WriteFile("script.txt", c.script);
    const int ticks = 60;
    e2e::RunResult result;
    {
        ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
        ScopedEnv video("SDL_VIDEODRIVER", "dummy");
        // No display for the message box, which then goes to standard error
        // and does not wait for a click.
        ScopedEnv display("DISPLAY", std::nullopt);
        ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
        result = run.RunRaw({"--workdir", run.Dir().string(), "--seed", "1", "--ticks",
                             std::to_string(ticks), "--script", run.PathOf("script.txt"), "--log",
                             run.PathOf("log.txt"), "--dump-state",
                             std::to_string(ticks) + ":" + run.StatePath(ticks)});
    }
    ASSERT_EQ(result.exitCode, 0) << result.err;

    const auto loads = run.LogEvents("music load ");
    ASSERT_EQ(loads.size(), 1u);
    const std::string head = std::to_string(c.loadTick) + " " + c.load + " ";
    ASSERT_EQ(loads[0].rfind(head, 0), 0u) << loads[0];
    const std::string handle = loads[0].substr(head.size());
    EXPECT_NE(handle, "0") << "the header alone passes the load";
    EXPECT_TRUE(run.LogHas(std::to_string(c.loadTick) + " music play " + handle));

    // The message on a later tick, once; music off from then on.
    const auto messages = run.LogEvents("messagebox ");
    ASSERT_EQ(messages.size(), 1u);
    const int messageTick = std::atoi(messages[0].c_str());
    EXPECT_GT(messageTick, c.loadTick);
    EXPECT_EQ(messages[0], std::to_string(messageTick) + " messagebox Не могу загрузить музыку!");
    EXPECT_EQ(run.State(ticks)["config"]["MusicOn"], 0);
    EXPECT_EQ(run.LogEvents("save ").size(), c.saves);
    EXPECT_EQ(run.ReadFile("config.dat").at(1), c.musicOnInFile ? 0 : 1) << "stored XOR 1";
}

INSTANTIATE_TEST_SUITE_P(
    RealMixer, LateTuneFailure,
    ::testing::Values(
        // The menu tune at start: the setting stays on in the file, as after
        // a load that fails at once.
        LateFailureCase{"MenuTuneAtStart", true, "", "music load sound\\1.xm", 0, 0, true},
        // The options' switch saves music on with its load; it is saved
        // again off once the tune has failed.
        LateFailureCase{"OptionsSwitch", false,
                        Press(2, "Down") + Press(2, "Enter") + Press(3, "Down") + Press(4, "Left"),
                        "music load Sound\\1.xm", 4, 2, false}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace

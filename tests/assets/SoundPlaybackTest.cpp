// Effect playback: the copy list, the playing limit and its take-over order,
// looped effects, silence without a device, lookup and the log line. What
// does not depend on how long a sound lasts runs over every output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/DXSounds.h"
#include "platform/AudioOutputs.h"
#include "platform/Log.h"
#include "platform/Platform.h"

namespace {

using Buffers = std::vector<platform::IAudio::Buffer>;

// 100 ms of 16-bit mono at 22050 Hz.
TWave ShortWave() {
    TWave wave;
    wave.SetFormat(MakePcmFormat(1, 22050, 16));
    std::vector<std::uint8_t> data(2205 * 2, 0);
    wave.SetData(data.data(), data.size());
    return wave;
}

// The test's time: a sleep moves it to the deadline, unless it stands still.
class StepClock final : public platform::IClock {
public:
    explicit StepClock(std::uint32_t& now) : now_(now) {}
    std::uint32_t NowMs() override { return now_; }
    void SleepUntilMs(std::uint32_t deadline) override {
        ++sleeps;
        if (moves && deadline > now_) {
            now_ = deadline;
        }
    }
    bool moves = true;
    int sleeps = 0;

private:
    std::uint32_t& now_;
};

class SoundPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        Start(platform::CreateSilentAudio([this] { return now; }));
    }
    void Start(std::unique_ptr<platform::IAudio> output) {
        audio = std::move(output);
        sound = std::make_unique<TDXSound>(audio.get(), &clock);
        list.SetDXSound(sound.get());
        sound->Loaded();
        platform::SetLogSink([this](std::string_view line) { log.emplace_back(line); });
    }
    void TearDown() override { platform::SetLogSink(nullptr); }

    TWaveCollectionItem& AddItem(const std::string& name, int maxCount, bool looped = false) {
        auto& item = list.Items.Add();
        item.Name = name;
        item.SetMaxPlayingCount(maxCount);
        item.SetLooped(looped);
        item.Wave = ShortWave();
        item.Initialize();
        item.Restore();
        return item;
    }

    std::uint32_t now = 1000;
    StepClock clock{now};
    std::unique_ptr<platform::IAudio> audio;
    TDXWaveList list; // declared before the sound, so it is destroyed after it
    std::unique_ptr<TDXSound> sound;
    std::vector<std::string> log;
};

// The same calls over SDL's mixer: the clock moves the silent sink only.
class SoundPlaybackOnEveryOutput : public SoundPlayback,
                                   public ::testing::WithParamInterface<AudioOutput> {
protected:
    void SetUp() override {
        Start(GetParam().make([this] { return now; }));
        ASSERT_TRUE(sound->Initialized()) << GetParam().name << " did not open";
    }
};

INSTANTIATE_TEST_SUITE_P(Outputs, SoundPlaybackOnEveryOutput, ::testing::ValuesIn(kAudioOutputs),
                         AudioOutputName);

TEST_F(SoundPlayback, LimitReachedRestartsTheOldestCopyAndMovesItLast) {
    auto& item = AddItem("herogun", 2);
    item.PlayEffect(false);
    item.PlayEffect(false);
    const Buffers firstTwo = item.PlayingCopies();
    ASSERT_EQ(firstTwo.size(), 2u);
    now += 10;
    item.PlayEffect(false);
    EXPECT_EQ(item.PlayingCopies(), (Buffers{firstTwo[1], firstTwo[0]}));
    // The restarted copy plays its full length again from now.
    now += 95;
    EXPECT_TRUE(audio->IsPlaying(firstTwo[0]));
    EXPECT_FALSE(audio->IsPlaying(firstTwo[1]));
}

TEST_F(SoundPlayback, WithoutLimitBusyCopiesGrowAndFinishedOnesAreReusedInListOrder) {
    auto& item = AddItem("fishdie", 0);
    item.PlayEffect(false); // copy 1 at t = 0
    now += 50;
    item.PlayEffect(false); // copy 2 at t = 50
    now += 10;
    item.PlayEffect(false); // copy 3 at t = 60
    const Buffers copies = item.PlayingCopies();
    ASSERT_EQ(copies.size(), 3u);

    now += 60;              // t = 120: copy 1 has finished, 2 and 3 still play
    item.PlayEffect(false); // reuses copy 1
    EXPECT_EQ(item.PlayingCopies(), copies);
    EXPECT_TRUE(audio->IsPlaying(copies[0]));

    now += 50;              // t = 170: copies 2 and 3 have finished, 1 plays
    item.PlayEffect(false); // the first finished one in list order: copy 2
    EXPECT_EQ(item.PlayingCopies(), copies);
    EXPECT_TRUE(audio->IsPlaying(copies[1]));
    EXPECT_FALSE(audio->IsPlaying(copies[2]));
}

TEST_F(SoundPlayback, WaitingSleepsOnTheClockUntilTheCopyHasStopped) {
    auto& item = AddItem("looser", 0);
    item.PlayEffect(true);
    EXPECT_GE(now, 1100u); // the wave lasts 100 ms
    EXPECT_LT(now, 1100u + 10);
    EXPECT_FALSE(audio->IsPlaying(item.PlayingCopies().at(0)));
    EXPECT_EQ(clock.sleeps, 10);
}

TEST_F(SoundPlayback, WaitingOnAClockThatStandsStillEndsAfterTheWavesLengthInSteps) {
    auto& item = AddItem("looser", 0);
    clock.moves = false;
    item.PlayEffect(true);
    EXPECT_TRUE(audio->IsPlaying(item.PlayingCopies().at(0)));
    EXPECT_EQ(clock.sleeps, 110); // 100 ms and a second, in 10 ms steps
}

TEST_P(SoundPlaybackOnEveryOutput, LoopedItemRestartsTheMainBufferAndMakesNoCopies) {
    auto& item = AddItem("engine", 0, true);
    item.PlayEffect(false);
    now += 5000;
    EXPECT_TRUE(audio->IsPlaying(item.MainBuffer()));
    item.PlayEffect(false);
    EXPECT_TRUE(item.PlayingCopies().empty());
    item.SetLooped(false); // stops it
    EXPECT_FALSE(audio->IsPlaying(item.MainBuffer()));
}

TEST_F(SoundPlayback, ChangingTheLimitFreesTheCopiesAndNegativeMeansNoLimit) {
    auto& item = AddItem("menu", 1);
    item.PlayEffect(false);
    ASSERT_EQ(item.PlayingCopies().size(), 1u);
    item.SetMaxPlayingCount(-3);
    EXPECT_EQ(item.MaxPlayingCount(), 0);
    EXPECT_TRUE(item.PlayingCopies().empty());
    for (int i = 0; i < 5; ++i) {
        item.PlayEffect(false);
    }
    EXPECT_EQ(item.PlayingCopies().size(), 5u);
}

TEST_P(SoundPlaybackOnEveryOutput, EveryStartIsLoggedEvenWhenSilent) {
    auto& item = AddItem("bonus", 0);
    auto& empty = list.Items.Add(); // no wave: never a buffer
    empty.Name = "nextlevel";
    empty.Initialize();
    empty.Restore();
    item.PlayEffect(false);
    empty.PlayEffect(false);
    item.PlayEffect(false);
    EXPECT_EQ(log, (std::vector<std::string>{"sound bonus", "sound nextlevel", "sound bonus"}));
    EXPECT_EQ(empty.MainBuffer(), 0u);
}

TEST_F(SoundPlayback, FindIgnoresCaseAndFindEffectNamesTheMissingWave) {
    auto& item = AddItem("HeroNet", 0);
    EXPECT_EQ(list.Items.Find("heronet"), &item);
    EXPECT_EQ(&list.Items.FindEffect("HERONET"), &item);
    EXPECT_EQ(list.Items.Find("herogun"), nullptr);
    try {
        list.Items.FindEffect("looser");
        FAIL() << "no error";
    } catch (const EWaveCollectionError& e) {
        EXPECT_STREQ(e.what(), "Wave 'looser' not found");
    }
}

TEST_P(SoundPlaybackOnEveryOutput, FormatsTheOutputCannotPlayLeaveTheItemSilent) {
    auto pcm = [](std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                  std::uint16_t block, std::uint16_t bits) {
        auto f = MakePcmFormat(1, 22050, 16);
        f[0] = static_cast<std::uint8_t>(tag);
        f[1] = static_cast<std::uint8_t>(tag >> 8);
        f[2] = static_cast<std::uint8_t>(channels);
        for (int i = 0; i < 4; ++i) {
            f[4 + i] = static_cast<std::uint8_t>(rate >> (8 * i));
        }
        f[12] = static_cast<std::uint8_t>(block);
        f[14] = static_cast<std::uint8_t>(bits);
        return f;
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> format;
        bool plays;
    } cases[] = {
        {"16-bit PCM", pcm(1, 1, 22050, 2, 16), true},
        {"8-bit stereo PCM", pcm(1, 2, 11025, 2, 8), true},
        {"24-bit PCM", pcm(1, 1, 48000, 3, 24), true},
        {"32-bit float", pcm(3, 1, 44100, 4, 32), true},
        {"ADPCM", pcm(2, 1, 22050, 256, 4), false},
        {"no channels", pcm(1, 0, 22050, 2, 16), false},
        {"nine channels", pcm(1, 9, 22050, 18, 16), false},
        {"zero rate", pcm(1, 1, 0, 2, 16), false},
        {"block smaller than the bits", pcm(1, 2, 22050, 2, 16), false},
        {"64-bit float", pcm(3, 1, 44100, 8, 64), false},
        {"truncated record", {1, 0, 1, 0}, false},
        {"no record", {}, false},
    };
    for (const auto& c : cases) {
        auto& item = list.Items.Add();
        item.Name = c.what;
        item.Wave = ShortWave();
        item.Wave.SetFormat(c.format);
        item.Initialize();
        item.Restore();
        item.PlayEffect(false);
        EXPECT_EQ(item.MainBuffer() != 0, c.plays) << c.what;
        EXPECT_EQ(item.PlayingCopies().size(), c.plays ? 1u : 0u) << c.what;
    }
}

TEST_P(SoundPlaybackOnEveryOutput, FinalisingReleasesBuffersAndStartUpRebuildsThem) {
    auto& item = AddItem("bonus", 0);
    item.PlayEffect(false);
    sound->Finalize();
    EXPECT_FALSE(item.Initialized());
    EXPECT_EQ(item.MainBuffer(), 0u);
    item.PlayEffect(false); // silent, no error
    EXPECT_TRUE(item.PlayingCopies().empty());
    sound->Initialize();
    EXPECT_TRUE(item.Initialized());
    EXPECT_NE(item.MainBuffer(), 0u);
}

TEST(SoundWithoutDevice, StartUpFailureIsSilentAndLookupsStillFail) {
    auto audio = platform::CreateSdlAudio({"no-such-driver", "", -1});
    TDXWaveList list;
    TDXSound sound(audio.get());
    list.SetDXSound(&sound);
    EXPECT_NO_THROW(sound.Loaded());
    EXPECT_FALSE(sound.Initialized());
    EXPECT_THROW(sound.Initialize(), EDirectSoundError);
    auto& item = list.Items.Add();
    item.Name = "menu";
    item.Wave = ShortWave();
    item.Restore();
    EXPECT_NO_THROW(item.PlayEffect(false));
    EXPECT_EQ(item.MainBuffer(), 0u);
    EXPECT_THROW(list.Items.FindEffect("herogun"), EWaveCollectionError);
}

TEST(SoundWithoutOutput, InitialisingWithoutAnOutputIsAnError) {
    TDXSound sound;
    EXPECT_THROW(sound.Initialize(), EDXSoundError);
}

} // namespace

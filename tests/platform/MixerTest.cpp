// The SDL output's mixing, heard through SDL's disk driver: a channel's
// volume and panning scale its samples, and channels playing at once add up
// and saturate instead of wrapping round.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Audio.h"

namespace {

using platform::AudioResult;
using platform::IAudio;

// A WAVEFORMATEX for 16-bit mono PCM at 44100 Hz, the device's own rate.
std::vector<std::uint8_t> MonoPcmFormat() {
    return {1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 0x01, 0, 2, 0, 16, 0, 0, 0};
}

// A tenth of a second of one constant sample value.
std::vector<std::uint8_t> Constant(std::int16_t value) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 4410; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }
    return bytes;
}

struct Frame {
    int left = 0;
    int right = 0;
};

class MixerTest : public ::testing::Test {
protected:
    // A fresh device writing to a fresh file.
    void Open() {
        audio.reset();
        std::filesystem::remove(path);
        audio = platform::CreateSdlAudio({"disk", path, -1});
        std::string error;
        ASSERT_TRUE(audio->Open(error)) << error;
    }
    void TearDown() override {
        audio.reset();
        std::filesystem::remove(path);
    }

    IAudio::Buffer Make(std::int16_t value, std::int32_t pan, std::int32_t volume) {
        std::string error;
        const IAudio::Buffer buffer = audio->CreateBuffer(MonoPcmFormat(), Constant(value), error);
        EXPECT_NE(buffer, 0u) << error;
        EXPECT_EQ(audio->SetParams(buffer, 0, pan, volume), AudioResult::Ok);
        return buffer;
    }

    // Waits for the buffers to end, closes the device and reads what it wrote.
    std::vector<Frame> Recorded(const std::vector<IAudio::Buffer>& buffers) {
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::any_of(buffers.begin(), buffers.end(),
                           [this](IAudio::Buffer b) { return audio->IsPlaying(b); }) &&
               std::chrono::steady_clock::now() < give_up) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        audio->Close();
        std::ifstream in(path, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        std::vector<Frame> frames;
        for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
            auto sample = [&](std::size_t at) {
                return static_cast<int>(
                    static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                              static_cast<std::uint8_t>(bytes[at + 1]) << 8));
            };
            frames.push_back({sample(i), sample(i + 2)});
        }
        return frames;
    }

    // The frame in the middle of the sound (away from where it starts).
    static Frame Middle(const std::vector<Frame>& frames) {
        const auto first = std::find_if(frames.begin(), frames.end(),
                                        [](const Frame& f) { return f.left != 0 || f.right != 0; });
        if (first == frames.end() || frames.end() - first < 2205) {
            ADD_FAILURE() << "no sound recorded";
            return {};
        }
        return *(first + 2205);
    }

    const std::string path =
        (std::filesystem::temp_directory_path() /
         (std::string("brinehold-mixer-") +
          ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".raw"))
            .string();
    std::unique_ptr<IAudio> audio;
};

TEST_F(MixerTest, VolumeAndPanningScaleTheSides) {
    struct Case {
        std::int32_t pan;    // hundredths of a decibel, positive quietens the left
        std::int32_t volume; // hundredths of a decibel
        int left;
        int right;
    };
    // The factors as the mixer keeps them: the volume in 128ths, each side in
    // 255ths (10 dB down is 81, 6 dB down is 64 of 128).
    const Case cases[] = {
        {0, 0, 16000, 16000},
        {1000, 0, 16000 * 81 / 255, 16000},
        {-1000, 0, 16000, 16000 * 81 / 255},
        {0, -600, 16000 * 64 / 128, 16000 * 64 / 128},
        {0, -10000, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "pan " << c.pan << " volume " << c.volume);
        Open();
        const IAudio::Buffer buffer = Make(16000, c.pan, c.volume);
        ASSERT_EQ(audio->Play(buffer, false), AudioResult::Ok);
        const std::vector<Frame> frames = Recorded({buffer});
        if (c.left == 0 && c.right == 0) {
            EXPECT_TRUE(std::all_of(frames.begin(), frames.end(),
                                    [](const Frame& f) { return f.left == 0 && f.right == 0; }));
        } else {
            const Frame middle = Middle(frames);
            // The format conversion on the way in may move a sample by one.
            EXPECT_NEAR(middle.left, c.left, 2);
            EXPECT_NEAR(middle.right, c.right, 2);
        }
    }
}

TEST_F(MixerTest, ChannelsPlayingAtOnceSaturate) {
    Open();
    const IAudio::Buffer loud = Make(30000, 0, 0);
    const IAudio::Buffer copy = audio->DuplicateBuffer(loud);
    ASSERT_NE(copy, 0u);
    ASSERT_EQ(audio->Play(loud, false), AudioResult::Ok);
    ASSERT_EQ(audio->Play(copy, false), AudioResult::Ok);
    const std::vector<Frame> frames = Recorded({loud, copy});
    const Frame middle = Middle(frames);
    EXPECT_EQ(middle.left, 32767);
    EXPECT_EQ(middle.right, 32767);
    // Never wrapped round into negative values.
    EXPECT_TRUE(std::all_of(frames.begin(), frames.end(),
                            [](const Frame& f) { return f.left >= 0 && f.right >= 0; }));
}

} // namespace

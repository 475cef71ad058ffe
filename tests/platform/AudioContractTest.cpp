// What every audio output promises about buffer ids, whatever it sounds
// like: stale and made-up ids fail, copies outlive their source, ids are
// never reused, and buffers outlive a closed device.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/AudioOutputs.h"

namespace {

using platform::AudioResult;
using platform::IAudio;

// A WAVEFORMATEX for 16-bit mono PCM at 22050 Hz.
std::vector<std::uint8_t> MonoPcmFormat() {
    return {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0, 0, 0};
}

class AudioContract : public ::testing::TestWithParam<AudioOutput> {
protected:
    void SetUp() override {
        audio = GetParam().make([this] { return now; });
        std::string error;
        ASSERT_TRUE(audio->Open(error)) << error;
    }

    IAudio::Buffer MakeBuffer() {
        std::string error;
        const std::vector<std::uint8_t> samples(22050 * 2, 0); // one second
        const IAudio::Buffer buffer = audio->CreateBuffer(MonoPcmFormat(), samples, error);
        EXPECT_NE(buffer, 0u) << error;
        return buffer;
    }

    std::uint32_t now = 0;
    std::unique_ptr<IAudio> audio;
};

INSTANTIATE_TEST_SUITE_P(Outputs, AudioContract, ::testing::ValuesIn(kAudioOutputs),
                         AudioOutputName);

TEST_P(AudioContract, IdsThatAreNoBufferFailEveryCall) {
    const IAudio::Buffer released = MakeBuffer();
    audio->ReleaseBuffer(released);
    const std::vector<std::uint8_t> samples(8, 0);
    for (const IAudio::Buffer id : {IAudio::Buffer{0}, released, IAudio::Buffer{4242}}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(audio->DuplicateBuffer(id), 0u);
        EXPECT_EQ(audio->FillBuffer(id, samples), AudioResult::Failed);
        EXPECT_EQ(audio->SetParams(id, 0, 0, 0), AudioResult::Failed);
        EXPECT_EQ(audio->Play(id, false), AudioResult::Failed);
        EXPECT_EQ(audio->Stop(id), AudioResult::Failed);
        EXPECT_FALSE(audio->IsPlaying(id));
        audio->ReleaseBuffer(id); // harmless
    }
}

TEST_P(AudioContract, CopiesOutliveTheirSourceAndIdsAreNeverReused) {
    const IAudio::Buffer source = MakeBuffer();
    const IAudio::Buffer copy = audio->DuplicateBuffer(source);
    ASSERT_NE(copy, 0u);
    EXPECT_NE(copy, source);
    audio->ReleaseBuffer(source);
    const IAudio::Buffer next = MakeBuffer();
    EXPECT_NE(next, source);
    EXPECT_NE(next, copy);
    EXPECT_EQ(audio->Play(copy, true), AudioResult::Ok);
    EXPECT_TRUE(audio->IsPlaying(copy));
    EXPECT_FALSE(audio->IsPlaying(next));
}

TEST_P(AudioContract, BuffersOutliveAClosedDeviceAndPlayAfterTheNextOpen) {
    const IAudio::Buffer buffer = MakeBuffer();
    ASSERT_EQ(audio->Play(buffer, true), AudioResult::Ok);
    audio->Close();
    EXPECT_FALSE(audio->IsOpen());
    EXPECT_FALSE(audio->IsPlaying(buffer));
    EXPECT_EQ(audio->Play(buffer, true), AudioResult::Failed);
    std::string error;
    ASSERT_TRUE(audio->Open(error)) << error;
    EXPECT_EQ(audio->Play(buffer, true), AudioResult::Ok);
    EXPECT_TRUE(audio->IsPlaying(buffer));
    EXPECT_EQ(audio->Stop(buffer), AudioResult::Ok);
    EXPECT_FALSE(audio->IsPlaying(buffer));
}

} // namespace

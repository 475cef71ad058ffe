// The silent sink: every call is accepted and kept track of as if it
// sounded, so that --headless runs and the tests take the same paths as a
// real output.
#include <libopenmpt/libopenmpt.hpp>

#include "platform/Audio.h"
#include "platform/AudioCommon.h"

namespace platform {

namespace {

class SilentAudio final : public IAudio {
public:
    explicit SilentAudio(std::function<std::uint32_t()> nowMs) : nowMs_(std::move(nowMs)) {}

    bool Open(std::string&) override {
        open_ = true;
        return true;
    }
    void Close() override {
        buffers_.ForEach([](BufferState& buffer) { buffer.playing = false; });
        open_ = false;
    }
    bool IsOpen() const override { return open_; }
    bool Restore() override {
        open_ = true;
        return true;
    }

    Buffer CreateBuffer(std::span<const std::uint8_t> format, std::span<const std::uint8_t> data,
                        std::string& error) override {
        auto info = audio::ParseWaveFormat(format, error);
        if (!info) {
            return 0;
        }
        auto sound = std::make_shared<Sound>();
        sound->info = *info;
        sound->frames = data.size() / static_cast<std::size_t>(info->blockAlign);
        return buffers_.Add(BufferState{std::move(sound)});
    }

    Buffer DuplicateBuffer(Buffer source) override { return buffers_.Duplicate(source); }

    void ReleaseBuffer(Buffer buffer) override { buffers_.Erase(buffer); }

    AudioResult FillBuffer(Buffer buffer, std::span<const std::uint8_t> data) override {
        auto* state = buffers_.Find(buffer);
        if (!state) {
            return AudioResult::Failed;
        }
        state->sound->frames =
            data.size() / static_cast<std::size_t>(state->sound->info.blockAlign);
        return AudioResult::Ok;
    }

    AudioResult SetParams(Buffer buffer, std::int32_t frequency, std::int32_t,
                          std::int32_t) override {
        auto* state = buffers_.Find(buffer);
        if (!state) {
            return AudioResult::Failed;
        }
        state->frequency = frequency;
        return AudioResult::Ok;
    }

    AudioResult Play(Buffer buffer, bool looping) override {
        auto* state = buffers_.Find(buffer);
        if (!state || !open_) {
            return AudioResult::Failed;
        }
        state->playing = true;
        state->looping = looping;
        state->startMs = nowMs_();
        const std::uint64_t rate = state->frequency > 0
                                       ? static_cast<std::uint64_t>(state->frequency)
                                       : static_cast<std::uint64_t>(state->sound->info.rate);
        state->lengthMs =
            static_cast<std::uint32_t>((state->sound->frames * 1000 + rate - 1) / rate);
        return AudioResult::Ok;
    }

    AudioResult Stop(Buffer buffer) override {
        auto* state = buffers_.Find(buffer);
        if (!state) {
            return AudioResult::Failed;
        }
        state->playing = false;
        return AudioResult::Ok;
    }

    bool IsPlaying(Buffer buffer) override {
        auto* state = buffers_.Find(buffer);
        if (!state || !state->playing) {
            return false;
        }
        if (!state->looping && nowMs_() - state->startMs >= state->lengthMs) {
            state->playing = false;
        }
        return state->playing;
    }

    Song LoadSong(const std::string& path) override { return songs_.Load(path); }

    void PlaySong(Song song) override {
        auto player = songs_.StartPlayer(song);
        if (!player) {
            return;
        }
        songs_.SetPlaying(song);
    }

    void StopSong(Song song) override {
        if (song != 0 && song == songs_.Playing()) {
            songs_.SetPlaying(0);
        }
    }

    Song PlayingSong() const override { return songs_.Playing(); }
    Song TakeFailedSong() override { return songs_.TakeFailedLoad(); }
    std::uint64_t FramesMixed() const override { return 0; }

private:
    struct Sound {
        audio::WaveFormatInfo info;
        std::size_t frames = 0;
    };
    struct BufferState {
        std::shared_ptr<Sound> sound;
        std::int32_t frequency = 0;
        bool playing = false;
        bool looping = false;
        std::uint32_t startMs = 0;
        std::uint32_t lengthMs = 0;
    };

    std::function<std::uint32_t()> nowMs_;
    bool open_ = false;
    audio::BufferRegistry<BufferState> buffers_;
    audio::SongLibrary songs_;
};

} // namespace

std::unique_ptr<IAudio> CreateSilentAudio(std::function<std::uint32_t()> nowMs) {
    return std::make_unique<SilentAudio>(std::move(nowMs));
}

} // namespace platform

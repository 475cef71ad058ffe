// The audio output over SDL2_mixer: each buffer's samples become a chunk in
// the device's format, each playing copy gets a mixer channel of its own,
// and the song plays through libopenmpt into the music hook of the mixer.
#include <SDL.h>
#include <SDL_mixer.h>
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>

#include "platform/Audio.h"
#include "platform/AudioCommon.h"
#include "platform/sdl/Host.h"

namespace platform {

namespace {

constexpr int kOutputRate = 44100;
constexpr int kOutputChannels = 2;
constexpr int kChunkFrames = 1024;
constexpr int kFirstChannels = 16;

// One wave's samples, shared by a buffer and its copies.
struct Sound {
    audio::WaveFormatInfo info;
    std::vector<float> samples; // interleaved, the wave's own channels and rate
    // The chunk in the device's format for each playback rate asked for.
    struct Converted {
        int rate = 0;
        std::vector<std::uint8_t> bytes;
        Mix_Chunk* chunk = nullptr;
    };
    std::vector<Converted> converted;

    ~Sound() { FreeChunks(); }
    void FreeChunks() {
        // Freeing a chunk halts every channel that plays it.
        for (auto& c : converted) {
            if (c.chunk) {
                Mix_FreeChunk(c.chunk);
            }
        }
        converted.clear();
    }
};

struct BufferState {
    std::shared_ptr<Sound> sound;
    int channel = -1;
    std::int32_t frequency = 0;
    std::int32_t pan = 0;
    std::int32_t volume = 0;
};

// Hundredths of a decibel as a factor.
double Attenuation(std::int32_t hundredths) {
    return std::pow(10.0, std::clamp(hundredths, -10000, 0) / 2000.0);
}

class SdlAudio final : public IAudio {
public:
    explicit SdlAudio(SdlAudioOptions options) : options_(std::move(options)) {}
    ~SdlAudio() override { Close(); }

    bool Open(std::string& error) override {
        if (open_) {
            return true;
        }
        if (!options_.driver.empty()) {
            SDL_setenv("SDL_AUDIODRIVER", options_.driver.c_str(), 1);
        }
        if (!options_.diskFile.empty()) {
            SDL_setenv("SDL_DISKAUDIOFILE", options_.diskFile.c_str(), 1);
        }
        if (options_.diskDelayMs >= 0) {
            SDL_setenv("SDL_DISKAUDIODELAY", std::to_string(options_.diskDelayMs).c_str(), 1);
        }
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error = SDL_GetError();
            return false;
        }
        // Signed 16 bits keep the music hook simple; rate and channel count
        // may be what the device prefers.
        if (Mix_OpenAudioDevice(kOutputRate, AUDIO_S16SYS, kOutputChannels, kChunkFrames, nullptr,
                                SDL_AUDIO_ALLOW_FREQUENCY_CHANGE |
                                    SDL_AUDIO_ALLOW_CHANNELS_CHANGE) != 0) {
            error = Mix_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        Uint16 format = 0;
        Mix_QuerySpec(&deviceRate_, &format, &deviceChannels_);
        deviceFormat_ = format;
        Mix_AllocateChannels(kFirstChannels);
        channelOwner_.assign(kFirstChannels, 0);
        framesMixed_ = 0;
        Mix_SetPostMix(&SdlAudio::PostMix, this);
        Mix_HookMusic(&SdlAudio::MusicHook, this);
        FindDevice();
        open_ = true;
        return true;
    }

    void Close() override {
        if (!open_) {
            return;
        }
        Mix_HookMusic(nullptr, nullptr);
        Mix_SetPostMix(nullptr, nullptr);
        Mix_HaltChannel(-1);
        buffers_.ForEach([](BufferState& buffer) {
            buffer.sound->FreeChunks();
            buffer.channel = -1;
        });
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        open_ = false;
        deviceId_ = 0;
        std::lock_guard lock(musicMutex_);
        player_.reset();
        nextPlayer_ = {};
    }

    bool IsOpen() const override { return open_; }

    bool Restore() override {
        const Song song = songs_.Playing();
        Close();
        std::string error;
        if (!Open(error)) {
            return false;
        }
        if (song) {
            PlaySong(song);
        }
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
        sound->samples = audio::DecodeSamples(*info, data);
        return buffers_.Add(BufferState{std::move(sound)});
    }

    Buffer DuplicateBuffer(Buffer source) override { return buffers_.Duplicate(source); }

    void ReleaseBuffer(Buffer buffer) override {
        Stop(buffer);
        buffers_.Erase(buffer);
    }

    AudioResult FillBuffer(Buffer buffer, std::span<const std::uint8_t> data) override {
        auto* state = buffers_.Find(buffer);
        if (!state) {
            return AudioResult::Failed;
        }
        state->sound->FreeChunks();
        state->sound->samples = audio::DecodeSamples(state->sound->info, data);
        return AudioResult::Ok;
    }

    AudioResult SetParams(Buffer buffer, std::int32_t frequency, std::int32_t pan,
                          std::int32_t volume) override {
        auto* state = buffers_.Find(buffer);
        if (!state) {
            return AudioResult::Failed;
        }
        state->frequency = frequency;
        state->pan = pan;
        state->volume = volume;
        return AudioResult::Ok;
    }

    AudioResult Play(Buffer buffer, bool looping) override {
        auto* state = buffers_.Find(buffer);
        if (!state) {
            return AudioResult::Failed;
        }
        if (!open_) {
            return AudioResult::Failed;
        }
        if (DeviceLost()) {
            return AudioResult::BufferLost;
        }
        Stop(buffer);
        Mix_Chunk* chunk = ChunkFor(*state->sound, state->frequency > 0 ? state->frequency
                                                                        : state->sound->info.rate);
        if (!chunk) {
            return AudioResult::Failed;
        }
        int channel = Mix_PlayChannel(-1, chunk, looping ? -1 : 0);
        if (channel < 0) {
            // Every channel busy: a copy always gets one of its own.
            const int count = static_cast<int>(channelOwner_.size()) * 2;
            Mix_AllocateChannels(count);
            channelOwner_.resize(static_cast<std::size_t>(count), 0);
            channel = Mix_PlayChannel(-1, chunk, looping ? -1 : 0);
        }
        if (channel < 0) {
            return AudioResult::Failed;
        }
        channelOwner_[static_cast<std::size_t>(channel)] = buffer;
        state->channel = channel;
        const double level = Attenuation(state->volume);
        Mix_Volume(channel, static_cast<int>(std::lround(level * MIX_MAX_VOLUME)));
        // Positive pan quietens the left side, negative the right.
        const double left = Attenuation(-std::max(state->pan, 0));
        const double right = Attenuation(std::min(state->pan, 0));
        Mix_SetPanning(channel, static_cast<Uint8>(std::lround(left * 255)),
                       static_cast<Uint8>(std::lround(right * 255)));
        return AudioResult::Ok;
    }

    AudioResult Stop(Buffer buffer) override {
        auto* state = buffers_.Find(buffer);
        if (!state) {
            return AudioResult::Failed;
        }
        if (OwnsChannel(buffer, *state)) {
            Mix_HaltChannel(state->channel);
        }
        state->channel = -1;
        return AudioResult::Ok;
    }

    bool IsPlaying(Buffer buffer) override {
        auto* state = buffers_.Find(buffer);
        return state && OwnsChannel(buffer, *state) && Mix_Playing(state->channel) != 0;
    }

    Song LoadSong(const std::string& path) override { return songs_.Load(path); }

    void PlaySong(Song song) override {
        auto player = songs_.StartPlayerLater(song);
        if (!player.valid()) {
            return;
        }
        songs_.SetPlaying(song);
        if (!open_) {
            return;
        }
        std::unique_ptr<openmpt::module> old;
        {
            std::lock_guard lock(musicMutex_);
            old.swap(player_);
            std::swap(player, nextPlayer_);
        }
        // The replaced ones are freed here, outside the audio thread's lock.
    }

    void StopSong(Song song) override {
        if (song == 0 || song != songs_.Playing()) {
            return;
        }
        songs_.SetPlaying(0);
        std::unique_ptr<openmpt::module> old;
        std::future<std::unique_ptr<openmpt::module>> next;
        std::lock_guard lock(musicMutex_);
        old.swap(player_);
        std::swap(next, nextPlayer_);
    }

    Song PlayingSong() const override { return songs_.Playing(); }
    Song TakeFailedSong() override { return songs_.TakeFailedLoad(); }
    std::uint64_t FramesMixed() const override { return framesMixed_.load(); }

private:
    // A channel that finished may have been given to another buffer since.
    bool OwnsChannel(Buffer buffer, const BufferState& state) const {
        return open_ && state.channel >= 0 &&
               static_cast<std::size_t>(state.channel) < channelOwner_.size() &&
               channelOwner_[static_cast<std::size_t>(state.channel)] == buffer;
    }

    Mix_Chunk* ChunkFor(Sound& sound, int rate) {
        for (auto& c : sound.converted) {
            if (c.rate == rate) {
                return c.chunk;
            }
        }
        if (sound.samples.empty()) {
            return nullptr;
        }
        SDL_AudioStream* stream =
            SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(sound.info.channels), rate,
                               deviceFormat_, static_cast<Uint8>(deviceChannels_), deviceRate_);
        if (!stream) {
            return nullptr;
        }
        Sound::Converted converted;
        converted.rate = rate;
        const int bytes = static_cast<int>(sound.samples.size() * sizeof(float));
        if (SDL_AudioStreamPut(stream, sound.samples.data(), bytes) == 0 &&
            SDL_AudioStreamFlush(stream) == 0) {
            converted.bytes.resize(static_cast<std::size_t>(SDL_AudioStreamAvailable(stream)));
            const int got = SDL_AudioStreamGet(stream, converted.bytes.data(),
                                               static_cast<int>(converted.bytes.size()));
            converted.bytes.resize(static_cast<std::size_t>(std::max(got, 0)));
        }
        SDL_FreeAudioStream(stream);
        if (converted.bytes.empty()) {
            return nullptr;
        }
        converted.chunk =
            Mix_QuickLoad_RAW(converted.bytes.data(), static_cast<Uint32>(converted.bytes.size()));
        if (!converted.chunk) {
            return nullptr;
        }
        sound.converted.push_back(std::move(converted));
        return sound.converted.back().chunk;
    }

    // SDL_mixer keeps its device id to itself; the one device it opened is
    // the one that is playing.
    void FindDevice() {
        deviceId_ = 0;
        for (SDL_AudioDeviceID id = 1; id < 16; ++id) {
            if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) {
                deviceId_ = id;
                return;
            }
        }
    }

    bool DeviceLost() const {
        return deviceId_ != 0 && SDL_GetAudioDeviceStatus(deviceId_) == SDL_AUDIO_STOPPED;
    }

    static void PostMix(void* self, Uint8*, int length) {
        auto* audio = static_cast<SdlAudio*>(self);
        const int frameBytes = audio->deviceChannels_ * SDL_AUDIO_BITSIZE(audio->deviceFormat_) / 8;
        audio->framesMixed_ += static_cast<std::uint64_t>(length / frameBytes);
    }

    static void MusicHook(void* self, Uint8* stream, int length) {
        auto* audio = static_cast<SdlAudio*>(self);
        auto* out = reinterpret_cast<std::int16_t*>(stream);
        const int channels = audio->deviceChannels_;
        const std::size_t frames =
            static_cast<std::size_t>(length) / 2 / static_cast<std::size_t>(channels);
        std::size_t done = 0;
        {
            std::lock_guard lock(audio->musicMutex_);
            audio->TakeNextPlayer();
            if (auto& player = audio->player_) {
                try {
                    if (channels == 2) {
                        done = player->read_interleaved_stereo(audio->deviceRate_, frames, out);
                    } else if (channels == 1) {
                        done = player->read(audio->deviceRate_, frames, out);
                    } else {
                        done = audio->ReadSpread(*player, frames, out);
                    }
                } catch (const std::exception&) {
                    done = 0;
                }
            }
        }
        std::fill(out + done * static_cast<std::size_t>(channels),
                  out + frames * static_cast<std::size_t>(channels), std::int16_t{0});
    }

    // Starts the song that was still being loaded once it is ready (called
    // by the audio thread, holding musicMutex_).
    void TakeNextPlayer() {
        if (nextPlayer_.valid() &&
            nextPlayer_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
            player_ = nextPlayer_.get();
        }
    }

    // Devices of more than two channels: the song's stereo on the front pair.
    std::size_t ReadSpread(openmpt::module& player, std::size_t frames, std::int16_t* out) {
        scratch_.resize(frames * 2);
        const std::size_t done =
            player.read_interleaved_stereo(deviceRate_, frames, scratch_.data());
        const auto channels = static_cast<std::size_t>(deviceChannels_);
        for (std::size_t i = 0; i < done; ++i) {
            std::fill(out + i * channels, out + (i + 1) * channels, std::int16_t{0});
            out[i * channels] = scratch_[i * 2];
            out[i * channels + 1] = scratch_[i * 2 + 1];
        }
        return done;
    }

    SdlAudioOptions options_;
    bool open_ = false;
    int deviceRate_ = kOutputRate;
    int deviceChannels_ = kOutputChannels;
    SDL_AudioFormat deviceFormat_ = AUDIO_S16SYS;
    SDL_AudioDeviceID deviceId_ = 0;
    audio::BufferRegistry<BufferState> buffers_;
    std::vector<Buffer> channelOwner_;
    std::atomic<std::uint64_t> framesMixed_{0};

    audio::SongLibrary songs_{HasWorkerThreads()};
    std::mutex musicMutex_;
    std::unique_ptr<openmpt::module> player_;                  // guarded by musicMutex_
    std::future<std::unique_ptr<openmpt::module>> nextPlayer_; // the same
    std::vector<std::int16_t> scratch_;
};

} // namespace

std::unique_ptr<IAudio> CreateSdlAudio(const SdlAudioOptions& options) {
    return std::make_unique<SdlAudio>(options);
}

} // namespace platform

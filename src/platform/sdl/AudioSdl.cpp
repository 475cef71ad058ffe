// The audio output over SDL2: each buffer's samples become a chunk in the
// device's format, each playing copy gets a mixer channel of its own, and the
// song plays through libopenmpt under the channels. The mixer is our own
// small one: SDL2_mixer would bring a dozen codec libraries the game never
// uses, each one loaded before the first frame.
#include <SDL.h>
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

constexpr int kMaxVolume = 128;

struct Sound;

// The device and its channels. Every channel plays one chunk (signed 16-bit
// samples in the device's layout) at its own volume and panning, added over
// the music with saturation. The calls are the main thread's; the audio
// thread runs Fill, under the device's lock.
class Mixer {
public:
    using MusicFill = void (*)(void* user, std::int16_t* out, std::size_t frames);

    bool Open(MusicFill music, void* user, std::string& error) {
        SDL_AudioSpec wanted{};
        wanted.freq = kOutputRate;
        wanted.format = AUDIO_S16SYS; // keeps the music simple
        wanted.channels = kOutputChannels;
        wanted.samples = kChunkFrames;
        wanted.callback = &Mixer::Callback;
        wanted.userdata = this;
        SDL_AudioSpec got{};
        // Rate and channel count may be what the device prefers.
        device_ =
            SDL_OpenAudioDevice(nullptr, 0, &wanted, &got,
                                SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
        if (device_ == 0) {
            error = SDL_GetError();
            return false;
        }
        rate_ = got.freq;
        channels_ = got.channels;
        music_ = music;
        user_ = user;
        voices_.assign(kFirstChannels, Voice{});
        framesMixed_ = 0;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    void Close() {
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);
            device_ = 0;
        }
        voices_.clear();
    }

    SDL_AudioDeviceID Device() const { return device_; }
    int Rate() const { return rate_; }
    int Channels() const { return channels_; }
    int Count() const { return static_cast<int>(voices_.size()); }
    void Allocate(int count) {
        Lock lock(device_);
        voices_.resize(static_cast<std::size_t>(count));
    }

    // Starts `samples` on the first free channel at `volume` (0 .. 128), the
    // sides scaled by left and right (0 .. 255). -1 when every one is busy.
    int Play(const Sound* owner, const std::vector<std::int16_t>& samples, bool looping, int volume,
             int left, int right) {
        Lock lock(device_);
        for (std::size_t i = 0; i < voices_.size(); ++i) {
            Voice& voice = voices_[i];
            if (voice.playing) {
                continue;
            }
            voice = Voice{owner,
                          samples.data(),
                          samples.size(),
                          0,
                          looping,
                          true,
                          volume,
                          static_cast<float>(left) / 255.0F,
                          static_cast<float>(right) / 255.0F};
            return static_cast<int>(i);
        }
        return -1;
    }

    void Halt(int channel) {
        Lock lock(device_);
        if (channel >= 0 && static_cast<std::size_t>(channel) < voices_.size()) {
            voices_[static_cast<std::size_t>(channel)].playing = false;
        }
    }

    // A sound's chunks are about to be freed: nothing may play them after.
    void HaltSound(const Sound* owner) {
        Lock lock(device_);
        for (Voice& voice : voices_) {
            if (voice.owner == owner) {
                voice.playing = false;
                voice.owner = nullptr;
            }
        }
    }

    bool Playing(int channel) {
        Lock lock(device_);
        return channel >= 0 && static_cast<std::size_t>(channel) < voices_.size() &&
               voices_[static_cast<std::size_t>(channel)].playing;
    }

    std::uint64_t FramesMixed() const { return framesMixed_.load(); }

private:
    struct Voice {
        const Sound* owner = nullptr;
        const std::int16_t* samples = nullptr;
        std::size_t length = 0;
        std::size_t position = 0;
        bool looping = false;
        bool playing = false;
        int volume = kMaxVolume;
        float left = 1.0F;
        float right = 1.0F;
    };

    // Holds the audio thread off while the channels change; a closed device
    // has no thread to hold off.
    class Lock {
    public:
        explicit Lock(SDL_AudioDeviceID device) : device_(device) {
            if (device_ != 0) {
                SDL_LockAudioDevice(device_);
            }
        }
        ~Lock() {
            if (device_ != 0) {
                SDL_UnlockAudioDevice(device_);
            }
        }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        SDL_AudioDeviceID device_;
    };

    static void SDLCALL Callback(void* self, Uint8* stream, int length) {
        static_cast<Mixer*>(self)->Fill(reinterpret_cast<std::int16_t*>(stream),
                                        static_cast<std::size_t>(length) / sizeof(std::int16_t));
    }

    void Fill(std::int16_t* out, std::size_t count) {
        const auto channels = static_cast<std::size_t>(std::max(channels_, 1));
        const std::size_t frames = count / channels;
        music_(user_, out, frames);
        for (Voice& voice : voices_) {
            std::size_t done = 0;
            while (voice.playing && done < count) {
                const std::size_t take = std::min(voice.length - voice.position, count - done);
                MixVoice(voice, out + done, take, channels);
                done += take;
                voice.position += take;
                if (voice.position >= voice.length) {
                    voice.position = 0;
                    voice.playing = voice.looping && voice.length > 0;
                }
            }
        }
        framesMixed_ += frames;
    }

    // The panning scales the first two sides of each frame (front left and
    // right), then the volume applies and the sum saturates. `out` starts on
    // a whole frame.
    static void MixVoice(const Voice& voice, std::int16_t* out, std::size_t count,
                         std::size_t channels) {
        const std::int16_t* in = voice.samples + voice.position;
        for (std::size_t i = 0; i < count; ++i) {
            int sample = in[i];
            const std::size_t side = i % channels;
            if (side == 0 && voice.left < 1.0F) {
                sample = static_cast<std::int16_t>(static_cast<float>(sample) * voice.left);
            } else if (side == 1 && voice.right < 1.0F) {
                sample = static_cast<std::int16_t>(static_cast<float>(sample) * voice.right);
            }
            const int mixed = out[i] + sample * voice.volume / kMaxVolume;
            out[i] = static_cast<std::int16_t>(std::clamp(mixed, -32768, 32767));
        }
    }

    SDL_AudioDeviceID device_ = 0;
    int rate_ = kOutputRate;
    int channels_ = kOutputChannels;
    MusicFill music_ = nullptr;
    void* user_ = nullptr;
    std::vector<Voice> voices_; // guarded by the device's lock
    std::atomic<std::uint64_t> framesMixed_{0};
};

// One wave's samples, shared by a buffer and its copies.
struct Sound {
    audio::WaveFormatInfo info;
    std::vector<float> samples; // interleaved, the wave's own channels and rate
    // The chunk in the device's format for each playback rate asked for.
    struct Converted {
        int rate = 0;
        std::vector<std::int16_t> samples;
    };
    std::vector<Converted> converted;
    Mixer* mixer = nullptr;

    ~Sound() { FreeChunks(); }
    void FreeChunks() {
        // Freeing a chunk halts every channel that plays it.
        if (mixer != nullptr && !converted.empty()) {
            mixer->HaltSound(this);
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
        if (!mixer_.Open(&SdlAudio::MusicHook, this, error)) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        deviceRate_ = mixer_.Rate();
        deviceChannels_ = mixer_.Channels();
        channelOwner_.assign(static_cast<std::size_t>(mixer_.Count()), 0);
        open_ = true;
        return true;
    }

    void Close() override {
        if (!open_) {
            return;
        }
        mixer_.Close();
        buffers_.ForEach([](BufferState& buffer) {
            buffer.sound->FreeChunks();
            buffer.channel = -1;
        });
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        open_ = false;
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
        sound->mixer = &mixer_;
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
        const std::vector<std::int16_t>* chunk = ChunkFor(
            *state->sound, state->frequency > 0 ? state->frequency : state->sound->info.rate);
        if (!chunk) {
            return AudioResult::Failed;
        }
        const int volume = static_cast<int>(std::lround(Attenuation(state->volume) * kMaxVolume));
        // Positive pan quietens the left side, negative the right.
        const int left = static_cast<int>(std::lround(Attenuation(-std::max(state->pan, 0)) * 255));
        const int right = static_cast<int>(std::lround(Attenuation(std::min(state->pan, 0)) * 255));
        const Sound* owner = state->sound.get();
        int channel = mixer_.Play(owner, *chunk, looping, volume, left, right);
        if (channel < 0) {
            // Every channel busy: a copy always gets one of its own.
            const int count = static_cast<int>(channelOwner_.size()) * 2;
            mixer_.Allocate(count);
            channelOwner_.resize(static_cast<std::size_t>(count), 0);
            channel = mixer_.Play(owner, *chunk, looping, volume, left, right);
        }
        if (channel < 0) {
            return AudioResult::Failed;
        }
        channelOwner_[static_cast<std::size_t>(channel)] = buffer;
        state->channel = channel;
        return AudioResult::Ok;
    }

    AudioResult Stop(Buffer buffer) override {
        auto* state = buffers_.Find(buffer);
        if (!state) {
            return AudioResult::Failed;
        }
        if (OwnsChannel(buffer, *state)) {
            mixer_.Halt(state->channel);
        }
        state->channel = -1;
        return AudioResult::Ok;
    }

    bool IsPlaying(Buffer buffer) override {
        auto* state = buffers_.Find(buffer);
        return state && OwnsChannel(buffer, *state) && mixer_.Playing(state->channel);
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
    std::uint64_t FramesMixed() const override { return mixer_.FramesMixed(); }

private:
    // A channel that finished may have been given to another buffer since.
    bool OwnsChannel(Buffer buffer, const BufferState& state) const {
        return open_ && state.channel >= 0 &&
               static_cast<std::size_t>(state.channel) < channelOwner_.size() &&
               channelOwner_[static_cast<std::size_t>(state.channel)] == buffer;
    }

    const std::vector<std::int16_t>* ChunkFor(Sound& sound, int rate) {
        for (auto& c : sound.converted) {
            if (c.rate == rate) {
                return &c.samples;
            }
        }
        if (sound.samples.empty()) {
            return nullptr;
        }
        SDL_AudioStream* stream =
            SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(sound.info.channels), rate,
                               AUDIO_S16SYS, static_cast<Uint8>(deviceChannels_), deviceRate_);
        if (!stream) {
            return nullptr;
        }
        Sound::Converted converted;
        converted.rate = rate;
        const int bytes = static_cast<int>(sound.samples.size() * sizeof(float));
        if (SDL_AudioStreamPut(stream, sound.samples.data(), bytes) == 0 &&
            SDL_AudioStreamFlush(stream) == 0) {
            const auto frameSamples = static_cast<std::size_t>(deviceChannels_);
            const auto available =
                static_cast<std::size_t>(std::max(SDL_AudioStreamAvailable(stream), 0));
            converted.samples.resize(available / sizeof(std::int16_t) / frameSamples *
                                     frameSamples);
            const int got = SDL_AudioStreamGet(
                stream, converted.samples.data(),
                static_cast<int>(converted.samples.size() * sizeof(std::int16_t)));
            const auto whole = static_cast<std::size_t>(std::max(got, 0)) / sizeof(std::int16_t) /
                               frameSamples * frameSamples;
            converted.samples.resize(whole);
        }
        SDL_FreeAudioStream(stream);
        if (converted.samples.empty()) {
            return nullptr;
        }
        sound.converted.push_back(std::move(converted));
        return &sound.converted.back().samples;
    }

    bool DeviceLost() const {
        const SDL_AudioDeviceID device = mixer_.Device();
        return device != 0 && SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED;
    }

    // Fills the whole period: the song where one plays, silence after it.
    static void MusicHook(void* self, std::int16_t* out, std::size_t frames) {
        auto* audio = static_cast<SdlAudio*>(self);
        const int channels = audio->deviceChannels_;
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
    // Before the buffers: their sounds tell it when their chunks go.
    Mixer mixer_;
    audio::BufferRegistry<BufferState> buffers_;
    std::vector<Buffer> channelOwner_;

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

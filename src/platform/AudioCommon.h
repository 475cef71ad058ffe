// Pieces both audio outputs share (the SDL mixer and the silent sink): the
// reading of a wave format record, the registry of buffers and the library of
// loaded songs. No SDL.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace openmpt {
class module;
}

namespace platform::audio {

enum class SampleType { U8, S16, S24, S32, F32 };

struct WaveFormatInfo {
    SampleType sample = SampleType::S16;
    int channels = 0;
    int rate = 0;
    int blockAlign = 0;     // bytes per sample frame as stored
    int bytesPerSample = 0; // container size of one sample
};

// Reads a WAVEFORMATEX (or WAVEFORMATEXTENSIBLE) record. Returns nothing
// with `error` set for formats the outputs cannot play.
std::optional<WaveFormatInfo> ParseWaveFormat(std::span<const std::uint8_t> format,
                                              std::string& error);

// Converts whole sample frames to interleaved floats in -1..1; 24-bit and
// 32-bit PCM keep their precision as far as a float allows.
std::vector<float> DecodeSamples(const WaveFormatInfo& info, std::span<const std::uint8_t> data);

// The buffers of an output by id: ids start at 1 and are never reused, so a
// stale id finds nothing. `State` is the output's own record of a buffer,
// made from the shared samples it keeps in `sound`.
template <class State> class BufferRegistry {
public:
    std::uint32_t Add(State state) {
        const std::uint32_t id = nextId_++;
        buffers_.emplace(id, std::move(state));
        return id;
    }
    // Null for ids that are no buffer (0, released, never made).
    State* Find(std::uint32_t id) {
        auto it = buffers_.find(id);
        return it == buffers_.end() ? nullptr : &it->second;
    }
    // A new buffer sharing the samples of `source`, with a play state of its
    // own; 0 when `source` is no buffer.
    std::uint32_t Duplicate(std::uint32_t source) {
        State* state = Find(source);
        return state ? Add(State{state->sound}) : 0;
    }
    void Erase(std::uint32_t id) { buffers_.erase(id); }
    template <class Visit> void ForEach(Visit visit) {
        for (auto& [id, state] : buffers_) {
            visit(state);
        }
    }

private:
    std::unordered_map<std::uint32_t, State> buffers_;
    std::uint32_t nextId_ = 1;
};

// Modules loaded by LoadSong. A song's file bytes are kept so that every
// Play starts a fresh player at the very beginning. Only the last few songs
// loaded and the one playing are kept: the game loads a module again at
// every activation and never frees one.
class SongLibrary {
public:
    // `background`: Load reads the file and checks its header only, and the
    // song's first player is made on a worker thread, so that the caller
    // does not wait for libopenmpt to read the whole module (about a tenth of
    // a second). A file whose header passes but whose body cannot be read
    // gets a handle that plays silence, and TakeFailedLoad names it once
    // the worker has given up.
    explicit SongLibrary(bool background = false);
    ~SongLibrary();
    SongLibrary(const SongLibrary&) = delete;
    SongLibrary& operator=(const SongLibrary&) = delete;

    // Returns 0 for a missing file or one libopenmpt cannot read.
    std::uint32_t Load(const std::string& path);
    bool Contains(std::uint32_t song) const;
    // A new player of the song at its beginning, set to loop for ever, or
    // nullptr for unknown ids.
    std::unique_ptr<openmpt::module> StartPlayer(std::uint32_t song);
    // The same as a future: still being made for the first play of a song
    // loaded in the background, ready otherwise. Invalid where StartPlayer
    // gives nullptr; holds nullptr if the background load failed.
    std::future<std::unique_ptr<openmpt::module>> StartPlayerLater(std::uint32_t song);
    // A song Load accepted in the background whose module then proved
    // unreadable, each reported once; 0 when there is none (yet). Never
    // waits for a worker.
    std::uint32_t TakeFailedLoad();
    // Keeps `song` from being forgotten while it plays (0: none).
    void SetPlaying(std::uint32_t song);
    std::uint32_t Playing() const { return playing_; }

private:
    // What a worker found, shared with the worker itself.
    enum class Outcome { Loading, Ready, Unreadable };
    struct Entry {
        std::shared_ptr<const std::vector<std::uint8_t>> bytes;
        std::unique_ptr<openmpt::module> firstPlayer; // made while checking the file
        std::future<std::unique_ptr<openmpt::module>> firstPlayerLater; // or being made
    };
    struct PendingLoad {
        std::uint32_t song;
        std::shared_ptr<std::atomic<Outcome>> outcome;
    };
    void Trim();

    bool background_;
    std::vector<PendingLoad> pending_; // background loads not yet seen ending

    std::unordered_map<std::uint32_t, Entry> songs_;
    std::deque<std::uint32_t> loadOrder_;
    std::uint32_t nextId_ = 1;
    std::uint32_t playing_ = 0;
};

} // namespace platform::audio

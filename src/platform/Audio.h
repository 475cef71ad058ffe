// The sound output the game sees: effect buffers that play on mixer channels
// of their own, and one tracker song at a time mixed into the same output.
// src/platform/sdl implements it over SDL2_mixer and libopenmpt; the silent
// sink of src/platform/headless accepts the same calls and renders nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace platform {

enum class AudioResult {
    Ok,
    Failed,     // the call did nothing (bad buffer id, no device)
    BufferLost, // the device went away; Restore() brings it back
};

class IAudio {
public:
    // 0 is never a buffer nor a song.
    using Buffer = std::uint32_t;
    using Song = std::uint32_t;

    virtual ~IAudio() = default;

    // Opens the output device. Returns false with `error` set when none can
    // be had; the object then stays usable and silent.
    virtual bool Open(std::string& error) = 0;
    // Stops everything and releases the device. Buffers and songs stay valid
    // (silent) and sound again after the next Open.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Reopens a device that was lost. Buffer and song ids stay valid.
    virtual bool Restore() = 0;

    // A buffer from a wave format record (the bytes of a WAVEFORMATEX, any
    // extra bytes included) and its sample data, converted to the device's
    // format. Supported: PCM of 8, 16, 24 and 32 bits, IEEE float of 32 bits,
    // plain or extensible, 1 to 8 channels. Returns 0 with `error` set for
    // anything else; data beyond the last whole sample frame is ignored.
    virtual Buffer CreateBuffer(std::span<const std::uint8_t> format,
                                std::span<const std::uint8_t> data, std::string& error) = 0;
    // A copy sounding the same samples with a play state of its own.
    // Returns 0 when `source` is no buffer.
    virtual Buffer DuplicateBuffer(Buffer source) = 0;
    // Stops the buffer and forgets it. Copies made from it stay valid.
    virtual void ReleaseBuffer(Buffer buffer) = 0;
    // Replaces the samples of the buffer (and of every copy sharing them),
    // in the format the buffer was created with.
    virtual AudioResult FillBuffer(Buffer buffer, std::span<const std::uint8_t> data) = 0;
    // Frequency in Hz (0: the wave's own rate), pan in hundredths of a
    // decibel from -10000 (left) to 10000 (right), volume in hundredths of a
    // decibel from -10000 (silent) to 0 (full). Applied from the next Play.
    virtual AudioResult SetParams(Buffer buffer, std::int32_t frequency, std::int32_t pan,
                                  std::int32_t volume) = 0;
    // Starts the buffer from its beginning on a channel of its own, once or
    // looping; a buffer already playing restarts.
    virtual AudioResult Play(Buffer buffer, bool looping) = 0;
    virtual AudioResult Stop(Buffer buffer) = 0;
    // True while the buffer sounds (a looping buffer until stopped).
    virtual bool IsPlaying(Buffer buffer) = 0;

    // Loads a tracker module (XM and the other formats libopenmpt reads)
    // from `path` as given to the file system. Returns 0 when the file is
    // missing or not a module. Works without a device too.
    virtual Song LoadSong(const std::string& path) = 0;
    // Plays the song from its beginning, looping; it replaces any song
    // playing. Unknown ids do nothing.
    virtual void PlaySong(Song song) = 0;
    // Stops the song if it is the one playing; anything else does nothing.
    virtual void StopSong(Song song) = 0;
    // The song playing, or 0.
    virtual Song PlayingSong() const = 0;
    // An output may read a module whole only after LoadSong has returned
    // (the SDL output does, so that start-up does not wait for it). A song
    // it accepted that then proved unreadable is named here once, after the
    // fact, and plays silence; 0 when there is none. Never waits.
    virtual Song TakeFailedSong() = 0;

    // Sample frames the output has mixed since Open (for measurements).
    virtual std::uint64_t FramesMixed() const = 0;
};

// SDL2_mixer and libopenmpt. `driver` names SDL's audio driver ("" for
// SDL's own choice, "disk" to write the mix to `diskFile` as raw samples,
// 44100 Hz, signed 16 bits, stereo); `diskDelayMs` is the disk driver's
// pause per buffer (-1 keeps SDL's default, 0 mixes as fast as it can).
struct SdlAudioOptions {
    std::string driver;
    std::string diskFile;
    int diskDelayMs = -1;
};
std::unique_ptr<IAudio> CreateSdlAudio(const SdlAudioOptions& options = {});

// The silent sink of --headless and the tests: keeps every buffer's play
// state as if it sounded, timed by `nowMs` (a finished buffer stops being
// "playing" once its length has passed), and renders nothing.
std::unique_ptr<IAudio> CreateSilentAudio(std::function<std::uint32_t()> nowMs);

} // namespace platform

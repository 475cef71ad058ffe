// Sound effects played by name: the sound output component (TDXSound), the
// wave list with its collection of effects loaded from the sound archive, and
// the copies that let one effect sound several times at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "assets/Errors.h"
#include "assets/Wave.h"
#include "platform/Audio.h"

namespace platform {
class IClock;
}

// Failures of the sound output. EDirectSoundError (and its buffer sub-kind)
// are swallowed by an automatic start-up; the others propagate.
class EDXSoundError : public EAssetError {
    using EAssetError::EAssetError;
};
class EDirectSoundError : public EAssetError {
    using EAssetError::EAssetError;
};
class EDirectSoundBufferError : public EDirectSoundError {
    using EDirectSoundError::EDirectSoundError;
};
// "Wave '%s' not found".
class EWaveCollectionError : public EAssetError {
    using EAssetError::EAssetError;
};

// What a client of the sound component is told.
enum class TDXSoundNotifyType {
    Destroy = 0,
    Initializing = 1,
    Initialize = 2,
    Finalize = 3,
    Restore = 4
};

class TDXSound;

class IDXSoundClient {
public:
    virtual ~IDXSoundClient() = default;
    virtual void DXSoundNotify(TDXSound& sender, TDXSoundNotifyType type) = 0;
};

// The sound output. Owns no device itself: it drives the platform's audio
// output, which the shell picks at start-up (SDL or the silent sink).
class TDXSound {
public:
    // `clock` paces an effect played with `wait`; without one it does not wait.
    explicit TDXSound(platform::IAudio* audio = nullptr, platform::IClock* clock = nullptr);
    ~TDXSound(); // tells the clients Finalize (when initialised), then Destroy
    TDXSound(const TDXSound&) = delete;
    TDXSound& operator=(const TDXSound&) = delete;

    bool AutoInitialize = true;

    // Sets the output used from the next Initialize; finalises first.
    void SetAudio(platform::IAudio* audio);
    platform::IAudio* Audio() const { return audio_; }
    platform::IClock* Clock() const { return clock_; }

    // Opens the output and tells the clients Initializing, Initialize and
    // Restore. No output set: EDXSoundError "Form not found". No device:
    // EDirectSoundError "DirectSound cannot be initialized".
    void Initialize();
    // What the form's loading does when AutoInitialize is set: Initialize,
    // swallowing EDirectSoundError so that a machine without sound stays
    // silent without an error.
    void Loaded();
    void Finalize();
    bool Initialized() const { return initialized_; }
    // The device was lost: reopen it and tell the clients Restore, unless a
    // restore is already running. Returns whether the device is back.
    bool Restore();

    void RegisterClient(IDXSoundClient* client);
    void UnregisterClient(IDXSoundClient* client);

private:
    void Notify(TDXSoundNotifyType type);

    platform::IAudio* audio_ = nullptr;
    platform::IClock* clock_ = nullptr;
    bool initialized_ = false;
    bool restoring_ = false;
    std::vector<IDXSoundClient*> clients_;
};

class TWaveCollection;

// One effect: its name, playing settings, wave and buffers.
class TWaveCollectionItem {
public:
    explicit TWaveCollectionItem(TWaveCollection& collection);
    ~TWaveCollectionItem();
    TWaveCollectionItem(const TWaveCollectionItem&) = delete;
    TWaveCollectionItem& operator=(const TWaveCollectionItem&) = delete;

    std::string Name;
    TWave Wave;
    // 0 frequency: the wave's own rate; 0 pan: centre; 0 volume: full level.
    std::int32_t Frequency = 0;
    std::int32_t Pan = 0;
    std::int32_t Volume = 0;

    bool Looped() const { return looped_; }
    // Changing it stops the main buffer and every playing copy.
    void SetLooped(bool looped);
    int MaxPlayingCount() const { return maxPlayingCount_; }
    // Negative values are stored as 0 (no limit). Changing it frees the copies.
    void SetMaxPlayingCount(int count);

    bool Initialized() const { return initialized_; }
    // Releases the buffers; the item becomes initialised when its collection
    // is attached to an initialised sound component.
    void Initialize();
    // Builds (or refills) the main buffer from the wave. A wave without data
    // makes no buffer. A format the output cannot play leaves the item
    // silent; a failed refill raises EDirectSoundBufferError.
    void Restore();
    void Finalize();

    // Starts the effect (writes the log line "sound NAME" in every case).
    // Uninitialised items return at once without sound. Looped items restart
    // the main buffer. Others reuse the first copy that has finished, else
    // add a copy while under MaxPlayingCount (0: no limit), else restart the
    // copy started longest ago and move it to the end of the list. With
    // `wait`, returns once that copy has stopped, sleeping on the sound
    // component's clock for at most the wave's length and a second.
    void PlayEffect(bool wait);
    // Stops the main buffer and every copy.
    void Stop();

    platform::IAudio::Buffer MainBuffer() const { return main_; }
    // The copies in list order (the copy started longest ago first).
    const std::vector<platform::IAudio::Buffer>& PlayingCopies() const { return copies_; }

private:
    platform::IAudio* Output() const;
    void ReleaseCopies();
    void ReleaseBuffers();
    void Check(platform::AudioResult result);
    void ApplyParams(platform::IAudio::Buffer buffer);
    void WaitUntilStopped(platform::IAudio& audio, platform::IAudio::Buffer copy);

    TWaveCollection& collection_;
    bool looped_ = false;
    int maxPlayingCount_ = 0;
    bool initialized_ = false;
    platform::IAudio::Buffer main_ = 0;
    std::vector<platform::IAudio::Buffer> copies_;
};

class TDXWaveList;

// The effects of one wave list, in archive order.
class TWaveCollection {
public:
    explicit TWaveCollection(TDXWaveList* owner = nullptr);
    ~TWaveCollection();
    TWaveCollection(const TWaveCollection&) = delete;
    TWaveCollection& operator=(const TWaveCollection&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    TWaveCollectionItem& operator[](int index) { return *items_.at(index); }
    TWaveCollectionItem& Add();
    void Clear();

    // The first item with that name, compared without regard to ASCII case,
    // or nullptr.
    TWaveCollectionItem* Find(std::string_view name);
    // As Find, but a missing name raises EWaveCollectionError
    // "Wave '%s' not found".
    TWaveCollectionItem& FindEffect(std::string_view name);

    // Replaces the items with those of the sound archive at `path` (a game
    // path such as "sound\\gamesound.dxw", resolved against the working
    // directory) and, when attached to an initialised sound component,
    // builds their buffers. Reading errors propagate; the items read before
    // the failure stay.
    void LoadFromFile(const std::string& path);
    void ReadArchiveFile(const std::string& path) { LoadFromFile(path); }

    // Attached to an initialised sound component: its output, else nullptr.
    platform::IAudio* Output() const;
    TDXSound* DXSound() const;

    void InitializeAll();
    void RestoreAll();
    void FinalizeAll();

private:
    TDXWaveList* owner_;
    std::vector<std::unique_ptr<TWaveCollectionItem>> items_;
};

// The component on the form: the effects and the sound output they play on.
class TDXWaveList : public IDXSoundClient {
public:
    TDXWaveList();
    ~TDXWaveList() override;

    TWaveCollection Items;

    TDXSound* DXSound() const { return dxSound_; }
    // Registers with the component; items follow its Initialize, Restore and
    // Finalize from then on (and at once, if it is already initialised).
    void SetDXSound(TDXSound* sound);

    void DXSoundNotify(TDXSound& sender, TDXSoundNotifyType type) override;

private:
    TDXSound* dxSound_ = nullptr;
};

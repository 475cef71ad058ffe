#include "assets/DXSounds.h"

#include <algorithm>

#include "assets/WaveArchive.h"
#include "platform/Log.h"
#include "platform/Platform.h"

// ---------------------------------------------------------------- TDXSound

TDXSound::TDXSound(platform::IAudio* audio, platform::IClock* clock)
    : audio_(audio), clock_(clock) {}

TDXSound::~TDXSound() {
    Finalize();
    Notify(TDXSoundNotifyType::Destroy);
}

void TDXSound::SetAudio(platform::IAudio* audio) {
    Finalize();
    audio_ = audio;
}

void TDXSound::Initialize() {
    Finalize();
    if (!audio_) {
        throw EDXSoundError("Form not found");
    }
    Notify(TDXSoundNotifyType::Initializing);
    std::string error;
    if (!audio_->Open(error)) {
        throw EDirectSoundError("DirectSound cannot be initialized");
    }
    initialized_ = true;
    Notify(TDXSoundNotifyType::Initialize);
    Notify(TDXSoundNotifyType::Restore);
}

void TDXSound::Loaded() {
    if (!AutoInitialize) {
        return;
    }
    try {
        Initialize();
    } catch (const EDirectSoundError&) {
        // No sound device: the game plays on in silence.
    }
}

void TDXSound::Finalize() {
    if (!initialized_) {
        return;
    }
    Notify(TDXSoundNotifyType::Finalize);
    initialized_ = false;
    audio_->Close();
}

bool TDXSound::Restore() {
    if (!initialized_ || restoring_) {
        return false;
    }
    restoring_ = true;
    const bool back = audio_->Restore();
    if (back) {
        Notify(TDXSoundNotifyType::Restore);
    }
    restoring_ = false;
    return back;
}

void TDXSound::RegisterClient(IDXSoundClient* client) {
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end()) {
        clients_.push_back(client);
    }
}

void TDXSound::UnregisterClient(IDXSoundClient* client) {
    std::erase(clients_, client);
}

void TDXSound::Notify(TDXSoundNotifyType type) {
    // A client may unregister while being told.
    const auto clients = clients_;
    for (auto* client : clients) {
        if (std::find(clients_.begin(), clients_.end(), client) != clients_.end()) {
            client->DXSoundNotify(*this, type);
        }
    }
}

// ----------------------------------------------------- TWaveCollectionItem

TWaveCollectionItem::TWaveCollectionItem(TWaveCollection& collection) : collection_(collection) {}

TWaveCollectionItem::~TWaveCollectionItem() {
    ReleaseBuffers();
}

platform::IAudio* TWaveCollectionItem::Output() const {
    return collection_.Output();
}

void TWaveCollectionItem::SetLooped(bool looped) {
    if (looped != looped_) {
        Stop();
        looped_ = looped;
    }
}

void TWaveCollectionItem::SetMaxPlayingCount(int count) {
    count = std::max(count, 0);
    if (count != maxPlayingCount_) {
        if (initialized_) {
            ReleaseCopies();
        }
        maxPlayingCount_ = count;
    }
}

void TWaveCollectionItem::Initialize() {
    ReleaseBuffers();
    initialized_ = Output() != nullptr;
}

void TWaveCollectionItem::Restore() {
    if (Wave.Size() == 0) {
        return;
    }
    if (!initialized_ && Output()) {
        Initialize();
    }
    auto* audio = Output();
    if (!initialized_ || !audio) {
        return;
    }
    const std::span<const std::uint8_t> data(Wave.Data(), Wave.Size());
    if (main_ == 0) {
        std::string error;
        // A format the output cannot play leaves the effect silent rather
        // than stopping the game at start-up.
        main_ = audio->CreateBuffer(Wave.Format(), data, error);
    } else if (audio->FillBuffer(main_, data) == platform::AudioResult::Failed) {
        throw EDirectSoundBufferError("Sound Buffer cannot be locked");
    }
    if (main_ != 0) {
        ApplyParams(main_);
    }
}

void TWaveCollectionItem::Finalize() {
    ReleaseBuffers();
    initialized_ = false;
}

void TWaveCollectionItem::PlayEffect(bool wait) {
    platform::LogEvent("sound " + platform::Cp1251ToUtf8(Name));
    auto* audio = Output();
    if (!initialized_ || !audio || main_ == 0) {
        return;
    }
    if (looped_) {
        audio->Stop(main_);
        ApplyParams(main_);
        Check(audio->Play(main_, true));
        return;
    }
    auto free =
        std::find_if(copies_.begin(), copies_.end(),
                     [audio](platform::IAudio::Buffer copy) { return !audio->IsPlaying(copy); });
    platform::IAudio::Buffer copy = 0;
    if (free != copies_.end()) {
        copy = *free;
    } else if (maxPlayingCount_ == 0 || static_cast<int>(copies_.size()) < maxPlayingCount_) {
        copy = audio->DuplicateBuffer(main_);
        if (copy == 0) {
            return;
        }
        copies_.push_back(copy);
    } else {
        // The copy started longest ago is taken over and becomes the newest.
        copy = copies_.front();
        std::rotate(copies_.begin(), copies_.begin() + 1, copies_.end());
    }
    audio->Stop(copy);
    ApplyParams(copy);
    Check(audio->Play(copy, false));
    if (wait) {
        WaitUntilStopped(*audio, copy);
    }
}

void TWaveCollectionItem::WaitUntilStopped(platform::IAudio& audio, platform::IAudio::Buffer copy) {
    TDXSound* sound = collection_.DXSound();
    platform::IClock* clock = sound != nullptr ? sound->Clock() : nullptr;
    if (clock == nullptr) {
        return;
    }
    // The platform's sleep: in the page it hands the thread back to the
    // browser, which plays the sound meanwhile.
    constexpr std::uint32_t StepMs = 10;
    const std::uint64_t rate = Wave.SamplesPerSec() ? Wave.SamplesPerSec() : 1;
    const std::uint64_t frames = Wave.BlockAlign() ? Wave.Size() / Wave.BlockAlign() : 0;
    const std::uint64_t limitMs = frames * 1000 / rate + 1000;
    // Counted steps as well, so that a clock that stands still cannot hang us.
    const std::uint32_t start = clock->NowMs();
    for (std::uint64_t step = 0; step * StepMs < limitMs && audio.IsPlaying(copy); ++step) {
        const std::uint32_t now = clock->NowMs();
        if (now - start >= limitMs) {
            break;
        }
        clock->SleepUntilMs(now + StepMs);
    }
}

void TWaveCollectionItem::Stop() {
    auto* audio = Output();
    if (!audio) {
        return;
    }
    if (main_) {
        audio->Stop(main_);
    }
    for (auto copy : copies_) {
        audio->Stop(copy);
    }
}

void TWaveCollectionItem::ReleaseCopies() {
    if (auto* audio = Output()) {
        for (auto copy : copies_) {
            audio->ReleaseBuffer(copy);
        }
    }
    copies_.clear();
}

void TWaveCollectionItem::ReleaseBuffers() {
    ReleaseCopies();
    if (auto* audio = Output(); audio && main_) {
        audio->ReleaseBuffer(main_);
    }
    main_ = 0;
}

void TWaveCollectionItem::Check(platform::AudioResult result) {
    if (result == platform::AudioResult::BufferLost) {
        if (auto* sound = collection_.DXSound()) {
            sound->Restore();
        }
    }
}

void TWaveCollectionItem::ApplyParams(platform::IAudio::Buffer buffer) {
    if (auto* audio = Output()) {
        audio->SetParams(buffer, Frequency, Pan, Volume);
    }
}

// --------------------------------------------------------- TWaveCollection

TWaveCollection::TWaveCollection(TDXWaveList* owner) : owner_(owner) {}

TWaveCollection::~TWaveCollection() {
    Clear();
}

TWaveCollectionItem& TWaveCollection::Add() {
    items_.push_back(std::make_unique<TWaveCollectionItem>(*this));
    return *items_.back();
}

void TWaveCollection::Clear() {
    items_.clear();
}

TWaveCollectionItem* TWaveCollection::Find(std::string_view name) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    auto same = [&](char a, char b) { return lower(a) == lower(b); };
    for (auto& item : items_) {
        // std::equal, not std::ranges::equal: emscripten's libc++ lacks the latter.
        if (std::equal(item->Name.begin(), item->Name.end(), name.begin(), name.end(), same)) {
            return item.get();
        }
    }
    return nullptr;
}

TWaveCollectionItem& TWaveCollection::FindEffect(std::string_view name) {
    if (auto* item = Find(name)) {
        return *item;
    }
    throw EWaveCollectionError("Wave '" + std::string(name) + "' not found");
}

void TWaveCollection::LoadFromFile(const std::string& path) {
    Clear();
    ReadWaveArchiveFile(
        path,
        [this](WaveItemData&& data) {
            auto& item = Add();
            item.Name = std::move(data.Name);
            item.SetLooped(data.Looped);
            item.SetMaxPlayingCount(data.MaxPlayingCount);
            item.Wave = std::move(data.Wave);
        },
        [this] { Clear(); });
    if (Output()) {
        InitializeAll();
        RestoreAll();
    }
}

TDXSound* TWaveCollection::DXSound() const {
    return owner_ ? owner_->DXSound() : nullptr;
}

platform::IAudio* TWaveCollection::Output() const {
    auto* sound = DXSound();
    return sound && sound->Initialized() ? sound->Audio() : nullptr;
}

void TWaveCollection::InitializeAll() {
    for (auto& item : items_) {
        item->Initialize();
    }
}

void TWaveCollection::RestoreAll() {
    for (auto& item : items_) {
        item->Restore();
    }
}

void TWaveCollection::FinalizeAll() {
    for (auto& item : items_) {
        item->Finalize();
    }
}

// ------------------------------------------------------------- TDXWaveList

TDXWaveList::TDXWaveList() : Items(this) {}

TDXWaveList::~TDXWaveList() {
    Items.Clear();
    if (dxSound_) {
        dxSound_->UnregisterClient(this);
    }
}

void TDXWaveList::SetDXSound(TDXSound* sound) {
    if (sound == dxSound_) {
        return;
    }
    if (dxSound_) {
        Items.FinalizeAll();
        dxSound_->UnregisterClient(this);
    }
    dxSound_ = sound;
    if (dxSound_) {
        dxSound_->RegisterClient(this);
        if (dxSound_->Initialized()) {
            Items.InitializeAll();
            Items.RestoreAll();
        }
    }
}

void TDXWaveList::DXSoundNotify(TDXSound&, TDXSoundNotifyType type) {
    switch (type) {
    case TDXSoundNotifyType::Destroy:
        Items.FinalizeAll();
        dxSound_ = nullptr;
        break;
    case TDXSoundNotifyType::Initializing:
        break;
    case TDXSoundNotifyType::Initialize:
        Items.InitializeAll();
        break;
    case TDXSoundNotifyType::Restore:
        Items.RestoreAll();
        break;
    case TDXSoundNotifyType::Finalize:
        Items.FinalizeAll();
        break;
    }
}

#include "platform/AudioCommon.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

namespace platform::audio {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The fixed tail of the KSDATAFORMAT_SUBTYPE GUIDs after their format tag.
constexpr std::uint8_t kSubtypeTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                           0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// Songs kept besides the one playing.
constexpr std::size_t kSongsKept = 4;
// The songs only ever play from the start: working out every sub-song's
// length at load would cost a quarter of a second before the first frame.
const std::map<std::string, std::string> kLoadSettings{{"load.skip_subsongs_init", "1"}};

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

} // namespace

std::optional<WaveFormatInfo> ParseWaveFormat(std::span<const std::uint8_t> format,
                                              std::string& error) {
    if (format.size() < 16) {
        error = "wave format record of " + std::to_string(format.size()) + " bytes";
        return std::nullopt;
    }
    std::uint16_t tag = Read16(format, 0);
    const int channels = Read16(format, 2);
    const std::uint32_t rate = Read32(format, 4);
    const int blockAlign = Read16(format, 12);
    const int bits = Read16(format, 14);
    if (tag == kFormatExtensible) {
        // cbSize, valid bits, channel mask, then the sub-format GUID.
        if (format.size() < 40 || Read16(format, 16) < 22 ||
            !std::equal(std::begin(kSubtypeTail), std::end(kSubtypeTail), format.begin() + 26)) {
            error = "unsupported extensible wave format";
            return std::nullopt;
        }
        tag = Read16(format, 24);
    }
    if (tag != kFormatPcm && tag != kFormatFloat) {
        error = "unsupported wave format tag " + std::to_string(tag);
        return std::nullopt;
    }
    if (channels < 1 || channels > 8) {
        error = "unsupported channel count " + std::to_string(channels);
        return std::nullopt;
    }
    if (rate < 1000 || rate > 384000) {
        error = "unsupported sample rate " + std::to_string(rate);
        return std::nullopt;
    }
    if (blockAlign % channels != 0 || blockAlign / channels < 1 || blockAlign / channels > 4 ||
        bits < 1 || bits > blockAlign / channels * 8) {
        error = "inconsistent wave format (block " + std::to_string(blockAlign) + ", " +
                std::to_string(bits) + " bits)";
        return std::nullopt;
    }
    WaveFormatInfo info;
    info.channels = channels;
    info.rate = static_cast<int>(rate);
    info.blockAlign = blockAlign;
    info.bytesPerSample = blockAlign / channels;
    if (tag == kFormatFloat) {
        if (info.bytesPerSample != 4) {
            error = "unsupported float wave format of " + std::to_string(bits) + " bits";
            return std::nullopt;
        }
        info.sample = SampleType::F32;
    } else {
        // The container decides; fewer valid bits sit in its upper part.
        static constexpr SampleType kByContainer[] = {SampleType::U8, SampleType::S16,
                                                      SampleType::S24, SampleType::S32};
        info.sample = kByContainer[info.bytesPerSample - 1];
    }
    return info;
}

std::vector<float> DecodeSamples(const WaveFormatInfo& info, std::span<const std::uint8_t> data) {
    const std::size_t frames = data.size() / static_cast<std::size_t>(info.blockAlign);
    const std::size_t count = frames * static_cast<std::size_t>(info.channels);
    std::vector<float> out(count);
    const std::uint8_t* p = data.data();
    for (std::size_t i = 0; i < count; ++i, p += info.bytesPerSample) {
        switch (info.sample) {
        case SampleType::U8:
            out[i] = (static_cast<int>(p[0]) - 128) / 128.0f;
            break;
        case SampleType::S16:
            out[i] = static_cast<std::int16_t>(p[0] | p[1] << 8) / 32768.0f;
            break;
        case SampleType::S24: {
            const std::uint32_t u = static_cast<std::uint32_t>(p[0]) << 8 |
                                    static_cast<std::uint32_t>(p[1]) << 16 |
                                    static_cast<std::uint32_t>(p[2]) << 24;
            out[i] = static_cast<float>(static_cast<std::int32_t>(u) / 2147483648.0);
            break;
        }
        case SampleType::S32: {
            const std::uint32_t u =
                static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
            out[i] = static_cast<float>(static_cast<std::int32_t>(u) / 2147483648.0);
            break;
        }
        case SampleType::F32: {
            float f;
            std::memcpy(&f, p, 4);
            // NaNs and wild values of a damaged file must not reach the mixer.
            out[i] = f == f ? std::clamp(f, -1.0f, 1.0f) : 0.0f;
            break;
        }
        }
    }
    return out;
}

namespace {

// A player at the song's beginning, looping for ever; null if libopenmpt
// cannot read the module.
std::unique_ptr<openmpt::module> MakePlayer(const std::vector<std::uint8_t>& bytes) {
    try {
        std::ostringstream log; // libopenmpt's chatter is not ours to print
        auto player = std::make_unique<openmpt::module>(bytes, log, kLoadSettings);
        player->set_repeat_count(-1);
        return player;
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace

SongLibrary::SongLibrary(bool background) : background_(background) {}
SongLibrary::~SongLibrary() = default;

std::uint32_t SongLibrary::Load(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    try {
        // A folder opens like a file and only fails when read.
        if (!std::filesystem::is_regular_file(path)) {
            return 0;
        }
        std::ifstream file(path, std::ios::binary | std::ios::ate);
        if (!file) {
            return 0;
        }
        // In one read: a character at a time took as long as a frame.
        const std::streamoff size = file.tellg();
        if (size <= 0) {
            return 0;
        }
        bytes.resize(static_cast<std::size_t>(size));
        file.seekg(0);
        if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) {
            return 0;
        }
    } catch (const std::exception&) {
        return 0;
    }
    auto shared = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
    Entry entry;
    entry.bytes = shared;
    std::shared_ptr<std::atomic<Outcome>> outcome; // what the worker finds
    if (background_) {
        // Given the whole file, the probe never asks for more.
        if (openmpt::probe_file_header(openmpt::probe_file_header_flags_default2, shared->data(),
                                       shared->size(), shared->size()) !=
            openmpt::probe_file_header_result_success) {
            return 0;
        }
        outcome = std::make_shared<std::atomic<Outcome>>(Outcome::Loading);
        try {
            entry.firstPlayerLater = std::async(std::launch::async, [shared, outcome] {
                auto player = MakePlayer(*shared);
                outcome->store(player ? Outcome::Ready : Outcome::Unreadable);
                return player;
            });
        } catch (const std::system_error&) {
            // No threads here (the browser's page): made at once.
            outcome.reset();
            entry.firstPlayer = MakePlayer(*shared);
            if (!entry.firstPlayer) {
                return 0;
            }
        }
    } else {
        entry.firstPlayer = MakePlayer(*shared);
        if (!entry.firstPlayer) {
            return 0;
        }
    }
    const std::uint32_t id = nextId_++;
    if (nextId_ == 0) {
        nextId_ = 1;
    }
    if (outcome) {
        pending_.push_back({id, std::move(outcome)});
    }
    songs_[id] = std::move(entry);
    loadOrder_.push_back(id);
    Trim();
    return id;
}

bool SongLibrary::Contains(std::uint32_t song) const {
    return songs_.contains(song);
}

std::unique_ptr<openmpt::module> SongLibrary::StartPlayer(std::uint32_t song) {
    auto it = songs_.find(song);
    if (it == songs_.end()) {
        return nullptr;
    }
    if (it->second.firstPlayer) {
        return std::move(it->second.firstPlayer);
    }
    if (it->second.firstPlayerLater.valid()) {
        return it->second.firstPlayerLater.get();
    }
    return MakePlayer(*it->second.bytes);
}

std::future<std::unique_ptr<openmpt::module>> SongLibrary::StartPlayerLater(std::uint32_t song) {
    auto it = songs_.find(song);
    if (it != songs_.end() && it->second.firstPlayerLater.valid()) {
        return std::move(it->second.firstPlayerLater);
    }
    auto player = StartPlayer(song);
    if (!player) {
        return {};
    }
    std::promise<std::unique_ptr<openmpt::module>> ready;
    ready.set_value(std::move(player));
    return ready.get_future();
}

std::uint32_t SongLibrary::TakeFailedLoad() {
    // Finished loads leave the list; the first unreadable one is the answer.
    for (auto it = pending_.begin(); it != pending_.end();) {
        const Outcome outcome = it->outcome->load();
        if (outcome == Outcome::Loading) {
            ++it;
            continue;
        }
        const std::uint32_t song = it->song;
        it = pending_.erase(it);
        if (outcome == Outcome::Unreadable) {
            return song;
        }
    }
    return 0;
}

void SongLibrary::SetPlaying(std::uint32_t song) {
    playing_ = song;
    Trim();
}

void SongLibrary::Trim() {
    while (loadOrder_.size() > kSongsKept) {
        auto oldest = std::find_if(loadOrder_.begin(), loadOrder_.end(),
                                   [this](std::uint32_t id) { return id != playing_; });
        songs_.erase(*oldest);
        loadOrder_.erase(oldest);
    }
}

} // namespace platform::audio

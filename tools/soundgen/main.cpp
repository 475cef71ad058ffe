// soundgen: writes the game's sound archive and its two tunes.
//   soundgen OUTDIR           -> OUTDIR/gamesound.dxw, OUTDIR/1.xm, OUTDIR/2.xm
//   soundgen --wav OUTDIR     -> also each effect as OUTDIR/NAME.wav, to listen to
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "Effects.h"
#include "Songs.h"
#include "assets/ArchiveWriter.h"
#include "assets/Wave.h"

namespace {

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string dir;
    bool wav = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--wav") {
            wav = true;
        } else {
            dir = arg;
        }
    }
    if (dir.empty()) {
        std::fprintf(stderr, "usage: soundgen [--wav] OUTDIR\n");
        return 2;
    }
    try {
        std::vector<WaveItemSpec> items;
        for (const auto& effect : soundgen::MakeEffects()) {
            WaveItemSpec item;
            item.Name = effect.name;
            item.MaxPlayingCount = effect.maxPlayingCount;
            item.Channels = 1;
            item.SamplesPerSec = static_cast<std::uint32_t>(effect.rate);
            item.BitsPerSample = 16;
            item.Data = soundgen::ToPcm16(effect.samples);
            if (wav) {
                WriteFile(dir + "/" + effect.name + ".wav",
                          MakeWaveImage(MakePcmFormat(1, item.SamplesPerSec, 16), item.Data));
            }
            items.push_back(std::move(item));
        }
        WriteSoundArchive(dir + "/gamesound.dxw", items);
        WriteFile(dir + "/1.xm", soundgen::xm::Write(soundgen::MenuSong()));
        WriteFile(dir + "/2.xm", soundgen::xm::Write(soundgen::GameSong()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soundgen: %s\n", e.what());
        return 1;
    }
    return 0;
}

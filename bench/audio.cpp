// The audio thread's cost: the game tune plus eight effects looping at once,
// mixed by the real output (SDL2_mixer with libopenmpt in its music hook) on
// SDL's disk driver with no pause between buffers, so the mixer runs flat
// out. The share of real time is the process's CPU time over the length of
// audio mixed in it (the main thread only sleeps meanwhile).
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "assets/DXSounds.h"
#include "assets/Music.h"

namespace {

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_GameTunePlusEightEffects(benchmark::State& state) {
    auto audio = platform::CreateSdlAudio({"disk", "/dev/null", 0});
    TDXSound sound(audio.get());
    TDXWaveList list;
    list.SetDXSound(&sound);
    sound.Initialize();
    list.Items.LoadFromFile(std::string(BRINEHOLD_GAME_DIR) + "/sound/gamesound.dxw");
    int started = 0;
    for (int i = 0; i < list.Items.Count() && started < 8; ++i, ++started) {
        list.Items[i].SetLooped(true); // keeps all eight sounding for the whole run
        list.Items[i].PlayEffect(false);
    }
    SetMusicOutput(audio.get());
    const auto song = SongLoadFromFile(std::string(BRINEHOLD_GAME_DIR) + "/sound/2.xm");
    if (song == 0 || started != 8) {
        state.SkipWithError("the game's sound files are missing");
        return;
    }
    SongPlay(song);

    double cpu = 0;
    std::uint64_t frames = 0;
    for (auto _ : state) {
        const double cpu0 = CpuSeconds();
        const auto frames0 = audio->FramesMixed();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cpu += CpuSeconds() - cpu0;
        frames += audio->FramesMixed() - frames0;
    }
    const double audioSeconds = static_cast<double>(frames) / 44100.0;
    state.counters["share_of_real_time_pct"] = audioSeconds > 0 ? 100 * cpu / audioSeconds : 0;
    state.counters["times_real_time"] = cpu > 0 ? audioSeconds / cpu : 0;
    SongStop(song);
    SetMusicOutput(nullptr);
}
BENCHMARK(BM_GameTunePlusEightEffects)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();

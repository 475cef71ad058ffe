// The game tick with the draw of its frame, on the headless platform:
// - BM_BusyFrame: level 7, the engine bonus running, about 200 bubbles and 20
//   fish on the screen (the goal is under 1 ms a frame); reports the sprites
//   alive and the cost per sprite;
// - BM_PlayTicks: ordinary play from the start of a game, restarted when it
//   ends (the headless game should manage at least 1,000 ticks a second).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "engine/DXClass.h"
#include "engine/DXSprite.h"
#include "engine/Surface.h"
#include "game/BonusSprite.h"
#include "game/EnemySprite.h"
#include "game/GameRules.h"
#include "game/HeroSprite.h"
#include "game/SceneSprites.h"
#include "platform/Audio.h"
#include "platform/Platform.h"
#include "shell/MainForm.h"

namespace {

// The main window on the headless platform, as `brinehold --headless` makes it.
class HeadlessGame {
public:
    HeadlessGame() {
        std::filesystem::current_path(BRINEHOLD_GAME_DIR);
        clock_ = platform::CreateVirtualClock();
        video_ = platform::CreateHeadlessVideo();
        desktop_ = platform::CreateHeadlessDesktop();
        platform::VirtualClock* timeSource = clock_.get();
        audio_ = platform::CreateSilentAudio([timeSource] { return timeSource->NowMs(); });
        fonts_ = platform::CreateFontRasterizer();
        TCanvas::SetFontRasterizer(fonts_.get());
        application_ = std::make_unique<TApplication>(*clock_);
        std::string error;
        video_->Open("Brinehold", 800, 600, error);

        TFormEnvironment environment;
        environment.Application = application_.get();
        environment.Video = video_.get();
        environment.Audio = audio_.get();
        environment.Clock = clock_.get();
        environment.Fonts = fonts_.get();
        environment.Desktop = desktop_.get();
        environment.Headless = true;
        environment.HasSeed = true;
        environment.RandomSeed = 1;
        form_ = std::make_unique<TmainForm>(environment);
        form_->FormCreate();
    }
    ~HeadlessGame() { form_.reset(); }

    TmainForm& Form() { return *form_; }

    // What main-menu entry 1 does.
    void StartGame() {
        form_->DXTimer1->SetEnabled(false);
        form_->DXTimer2->SetEnabled(true);
        form_->GameState = gsPlaying;
        form_->CreateGameField();
    }

private:
    std::unique_ptr<platform::VirtualClock> clock_;
    std::unique_ptr<platform::IVideo> video_;
    std::unique_ptr<platform::IDesktop> desktop_;
    std::unique_ptr<platform::IAudio> audio_;
    std::unique_ptr<platform::IFontRasterizer> fonts_;
    std::unique_ptr<TApplication> application_;
    std::unique_ptr<TmainForm> form_;
};

int CountOf(TSpriteEngine& root, const char* className) {
    int count = 0;
    for (int i = 0; i < root.Count(); ++i) {
        if (std::string_view(root.Items(i)->ClassName()) == className) {
            ++count;
        }
    }
    return count;
}

// Holds the scene busy: the hero low on the screen (so his bubbles live long)
// and alive, the engine power on, and twenty fish in the upper half, out of
// the hero's way.
void KeepBusy(TmainForm& form) {
    THeroSprite& hero = *form.HeroSprite;
    form.Level = 7;
    form.GameState = gsPlaying;
    form.Lives = 5;
    form.AirLeft = form.AirCapacity;
    hero.Visible = true;
    hero.X = 150;
    hero.Y = 500;
    form.EngineIndicator->Visible = true;
    form.EngineIndicator->Remaining = game::kPowerTime;
    form.HandEngine->Visible = true;
    form.ScrollSpeed = 4;
    TSpriteEngine& root = form.DXSpriteEngine1->Engine();
    for (int missing = 20 - CountOf(root, "TEnemySprite"); missing > 0; --missing) {
        auto* fish = new TEnemySprite(&root, 1 + Random(6));
        fish->X = 200 + Random(600);
        fish->Y = 130 + Random(200);
    }
}

void BM_BusyFrame(benchmark::State& state) {
    HeadlessGame game;
    game.StartGame();
    TmainForm& form = game.Form();
    form.AirCapacity = 6900;
    for (int i = 0; i < 400; ++i) {
        KeepBusy(form);
        form.DXTimer2Timer(1);
    }
    TSpriteEngine& root = form.DXSpriteEngine1->Engine();
    double sprites = 0;
    double bubbles = 0;
    double fish = 0;
    for (auto _ : state) {
        KeepBusy(form);
        form.DXTimer2Timer(1);
        sprites += root.AllCount();
        bubbles += CountOf(root, "TBubbleSprite");
        fish += CountOf(root, "TEnemySprite");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["sprites"] = sprites / n;
    state.counters["bubbles"] = bubbles / n;
    state.counters["fish"] = fish / n;
    // Time per sprite alive in the frame.
    state.counters["per_sprite"] =
        benchmark::Counter(sprites, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BusyFrame)->Unit(benchmark::kMicrosecond);

void BM_PlayTicks(benchmark::State& state) {
    HeadlessGame game;
    game.StartGame();
    TmainForm& form = game.Form();
    for (auto _ : state) {
        if (form.GameState == gsMenu || form.GameState == gsEnterName) {
            game.StartGame();
        }
        form.DXTimer2Timer(1);
    }
    state.counters["ticks_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlayTicks)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();

// The program entry: options, the platform objects, the main window and the
// frame loop that feeds it events and runs the timer owning the idle slot.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "assets/Paths.h"
#include "engine/FramePacer.h"
#include "online/client/ScoreServer.h"
#include "platform/Audio.h"
#include "platform/FilePath.h"
#include "platform/Folders.h"
#include "platform/Image.h"
#include "platform/KeyCodes.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "shell/Locations.h"
#include "shell/MainForm.h"
#include "shell/Options.h"
#include "shell/Playback.h"
#include "shell/Recorder.h"
#include "shell/Screenshot.h"
#include "shell/Script.h"
#include "shell/StateDump.h"

// The installed data folder seen from the installed executable's folder.
#ifndef BRINEHOLD_RELATIVE_DATA_DIR
#define BRINEHOLD_RELATIVE_DATA_DIR ""
#endif

namespace {

constexpr std::uint32_t TickMs = 16;

// The log of --log and the tick its lines carry (0 during start-up).
std::ofstream logFile;
std::uint32_t currentTick = 0;

// The window as the game sees it. Headless, and while a recording is made or
// played, the application's focus is the one the window events (or the
// script's activate and deactivate lines) said last, so devices that read
// only while the window is in front behave the same in the recording and in
// its replay. Otherwise it is the real window's.
class ScriptedVideo final : public platform::IVideo {
public:
    explicit ScriptedVideo(std::unique_ptr<platform::IVideo> inner) : inner_(std::move(inner)) {}
    bool Open(const std::string& title, int width, int height, std::string& error) override {
        return inner_->Open(title, width, height, error);
    }
    void SetFullscreen(bool fullscreen) override { inner_->SetFullscreen(fullscreen); }
    void Present(platform::PixelView frame) override { inner_->Present(frame); }
    void PresentChanges(platform::PixelView frame, const platform::FrameChanges& changes) override {
        inner_->PresentChanges(frame, changes);
    }
    platform::PixelView FrameBuffer(int width, int height) override {
        return inner_->FrameBuffer(width, height);
    }
    double VBlankRate() override { return inner_->VBlankRate(); }
    void WaitVBlank() override { inner_->WaitVBlank(); }
    std::uint64_t VBlankCount() override { return inner_->VBlankCount(); }
    void PollEvents(std::vector<platform::Event>& out) override { inner_->PollEvents(out); }
    bool WaitEvent(int timeoutMs) override { return inner_->WaitEvent(timeoutMs); }
    void Minimize() override { inner_->Minimize(); }
    bool IsActive() override { return ownFocus ? active : inner_->IsActive(); }
    void ShowCursor(bool show) override { inner_->ShowCursor(show); }
    void SetCursorPos(int x, int y) override { inner_->SetCursorPos(x, y); }
    platform::JoystickState ReadJoystick() override {
        if (ownJoystick) {
            return joystick;
        }
        platform::JoystickState state = inner_->ReadJoystick();
        if (state.buttons.size() > 32) {
            state.buttons.resize(32); // all the game reads
        }
        if (onJoystick) {
            onJoystick(state);
        }
        return state;
    }
    bool ownFocus = true;
    bool active = true;
    // The script's joystick in place of the real one (headless, playback).
    bool ownJoystick = true;
    platform::JoystickState joystick;
    // Hears every reading of the real joystick (a recording).
    std::function<void(const platform::JoystickState&)> onJoystick;

private:
    std::unique_ptr<platform::IVideo> inner_;
};

// Print Screen is the shell's own key: the game never sees it, and a
// recording does not keep it.
constexpr int ScreenshotKey = VK_SNAPSHOT;

// Window events reach the form's handlers; key events also tell the keyboard
// device which keys are held.
class EventDispatcher {
public:
    EventDispatcher(TmainForm& form, TApplication& application, ScriptedVideo* scripted,
                    TGameRecorder* recorder)
        : form_(form), application_(application), scripted_(scripted), recorder_(recorder) {}

    // Set by the screenshot key; the picture is taken after the tick's frame.
    bool screenshotAsked = false;

    void Dispatch(const platform::Event& event) {
        using Type = platform::Event::Type;
        if ((event.type == Type::KeyDown || event.type == Type::KeyUp) &&
            event.key == ScreenshotKey) {
            screenshotAsked = screenshotAsked || event.type == Type::KeyDown;
            return;
        }
        if (recorder_ != nullptr) {
            recorder_->Event(currentTick, event);
        }
        const TShiftKeys shift{event.shift, event.ctrl, event.alt};
        switch (event.type) {
        case Type::KeyDown:
            form_.DXInput1->Keyboard.SetKeyDown(event.key, true);
            form_.FormKeyDown(static_cast<std::uint16_t>(event.key), shift);
            break;
        case Type::KeyUp:
            form_.DXInput1->Keyboard.SetKeyDown(event.key, false);
            form_.FormKeyUp(static_cast<std::uint16_t>(event.key), shift);
            break;
        case Type::Char:
            form_.FormKeyPress(static_cast<char>(event.ch));
            break;
        case Type::MouseMove:
            form_.DXDrawMouseMove(shift, event.x, event.y);
            break;
        case Type::MouseDown:
            form_.DXDrawMouseDown(Button(event), shift, event.x, event.y);
            break;
        case Type::MouseUp:
            form_.DXDrawMouseUp(Button(event), shift, event.x, event.y);
            break;
        case Type::Click:
            form_.DXDrawClick();
            break;
        case Type::Activate:
            if (scripted_ != nullptr) {
                scripted_->active = true;
            }
            application_.Activate();
            break;
        case Type::Deactivate:
            if (scripted_ != nullptr) {
                scripted_->active = false;
            }
            // Key-ups that happen elsewhere never reach the window.
            form_.DXInput1->Keyboard.ClearKeys();
            application_.Deactivate();
            break;
        case Type::Close:
            form_.Close();
            break;
        case Type::Maximize:
            form_.WMGetSysCommand(61488);
            break;
        case Type::CaptionDoubleClick:
            form_.CptClk(2);
            break;
        case Type::JoystickAdded:
            break;
        case Type::FullscreenLeft:
            form_.FullscreenLeftByHost();
            break;
        }
    }

    // A script line as the window events it stands for. Lines about the
    // timer are the frame loop's.
    void DispatchScript(const TScriptEvent& line) {
        using Kind = TScriptEvent::Kind;
        using Type = platform::Event::Type;
        platform::Event event;
        event.shift = held_[16];
        event.ctrl = held_[17];
        event.alt = held_[18];
        event.x = line.x;
        event.y = line.y;
        event.button = line.right ? platform::Event::Button::Right : platform::Event::Button::Left;
        switch (line.kind) {
        case Kind::KeyDown:
        case Kind::KeyUp: {
            const bool down = line.kind == Kind::KeyDown;
            event.repeat = down && held_[line.key];
            held_[line.key] = down;
            event.shift = held_[16];
            event.ctrl = held_[17];
            event.alt = held_[18];
            event.type = down ? Type::KeyDown : Type::KeyUp;
            event.key = line.key;
            Dispatch(event);
            break;
        }
        case Kind::Type:
            event.type = Type::Char;
            for (char c : line.text) {
                event.ch = static_cast<std::uint8_t>(c);
                Dispatch(event);
            }
            break;
        case Kind::Char:
            event.type = Type::Char;
            event.ch = static_cast<std::uint8_t>(line.key);
            Dispatch(event);
            break;
        case Kind::MouseMove:
            event.type = Type::MouseMove;
            Dispatch(event);
            break;
        case Kind::MouseDown:
            event.type = Type::MouseDown;
            Dispatch(event);
            break;
        case Kind::MouseUp:
            event.type = Type::MouseUp;
            Dispatch(event);
            break;
        case Kind::MouseClick:
            event.type = Type::Click;
            Dispatch(event);
            break;
        case Kind::Click:
            event.button = platform::Event::Button::Left;
            for (Type type : {Type::MouseMove, Type::MouseDown, Type::MouseUp, Type::Click}) {
                event.type = type;
                Dispatch(event);
            }
            break;
        case Kind::Activate:
            event.type = Type::Activate;
            Dispatch(event);
            break;
        case Kind::Deactivate:
            std::fill(std::begin(held_), std::end(held_), false);
            event.type = Type::Deactivate;
            Dispatch(event);
            break;
        case Kind::Close:
            event.type = Type::Close;
            Dispatch(event);
            break;
        case Kind::Maximize:
            event.type = Type::Maximize;
            Dispatch(event);
            break;
        case Kind::Joystick:
            if (scripted_ != nullptr) {
                scripted_->joystick.present = line.present;
                scripted_->joystick.x = line.x;
                scripted_->joystick.y = line.y;
                scripted_->joystick.z = line.z;
                scripted_->joystick.buttons = line.buttons;
            }
            break;
        case Kind::Lag:
        case Kind::Skip:
        case Kind::Stall:
        case Kind::End:
            break;
        }
    }

private:
    static TMouseButton Button(const platform::Event& event) {
        return event.button == platform::Event::Button::Right ? TMouseButton::mbRight
                                                              : TMouseButton::mbLeft;
    }
    TmainForm& form_;
    TApplication& application_;
    ScriptedVideo* scripted_;
    TGameRecorder* recorder_;
    bool held_[256] = {};
};

// Screenshots and state dumps asked for on the command line, and the
// picture of the screenshot key.
class TickOutputs {
public:
    explicit TickOutputs(const TRunOptions& options)
        : shots_(options.screenshots), dumps_(options.stateDumps) {}

    // Writes what is due at `tick`.
    void After(std::uint32_t tick, TmainForm& form, EventDispatcher& dispatcher) {
        for (auto& shot : shots_) {
            if (!shot.Path.empty() && shot.Tick <= tick) {
                if (!WriteFramePng(shot.Path, form)) {
                    std::cerr << "brinehold: cannot write " << shot.Path << '\n';
                }
                shot.Path.clear();
            }
        }
        for (auto& dump : dumps_) {
            if (!dump.Path.empty() && dump.Tick <= tick) {
                std::ofstream out(dump.Path, std::ios::binary);
                out << DumpState(form, tick).dump(1) << '\n';
                if (!out) {
                    std::cerr << "brinehold: cannot write " << dump.Path << '\n';
                }
                dump.Path.clear();
            }
        }
        if (dispatcher.screenshotAsked) {
            dispatcher.screenshotAsked = false;
            SaveScreenshot(form);
        }
    }

private:
    std::vector<TTimedFile> shots_;
    std::vector<TTimedFile> dumps_;
};

bool ReadScript(const std::string& path, TScript& script, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the script " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ParseScript(text.str(), script, error)) {
        error = path + ": " + error;
        return false;
    }
    std::stable_sort(script.events.begin(), script.events.end(),
                     [](const TScriptEvent& a, const TScriptEvent& b) { return a.tick < b.tick; });
    return true;
}

// After a confirmed close the desktop opens the two optional files.
void LaunchOptionalFiles(TmainForm& form) {
    for (const char* name : {"fscommand\\wgame.exe", "play.url"}) {
        const std::string path = ResolveGamePath(name);
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) {
            form.OpenWithDesktop(name);
        }
    }
}

TGameLocations LocateGame(bool workdirGiven) {
    TLocationFacts facts;
    const bool windows = platform::SystemFolderRules() == platform::FolderRules::Windows;
    facts.system = windows ? TLocationFacts::System::Windows : TLocationFacts::System::Posix;
    facts.dataDirVariable = platform::GetEnvironment("BRINEHOLD_DATA_DIR");
    facts.configHome = platform::GetEnvironment(windows ? "APPDATA" : "XDG_CONFIG_HOME");
    facts.home = windows ? std::string() : platform::GetEnvironment("HOME");
    facts.executableFolder = platform::ExecutableFolder();
    facts.workingFolder = platform::WorkingFolder();
    facts.installedDataRelative = BRINEHOLD_RELATIVE_DATA_DIR;
    facts.workdirGiven = workdirGiven;
    facts.exists = platform::PathExists;
    return FindGameLocations(facts);
}

// An old score table kept beside the game moves along by a copy; the
// original stays for older versions of the game.
void CopyLegacySettings(const TGameLocations& locations) {
    if (locations.legacyConfig.empty()) {
        return;
    }
    std::string error;
    if (!platform::MakePrivateFolder(locations.configFolder, error) ||
        !platform::CopyFile(locations.legacyConfig, locations.configFile, error)) {
        std::cerr << "brinehold: " << error << '\n';
    }
}

struct LoopParts {
    const TRunOptions& options;
    TmainForm& form;
    TApplication& application;
    platform::IVideo& video;
    platform::IClock& clock;
    platform::VirtualClock* virtualClock; // headless
    ScriptedVideo* scripted;
    const TScript& script;
    TGameRecorder* recorder; // --record
};

void RunLoop(const LoopParts& parts, std::uint32_t& tick);

int Run(const TRunOptions& options, const TGameLocations& locations) {
    TScript script;
    std::string error;
    if (!options.script.empty() && !ReadScript(options.script, script, error)) {
        std::cerr << "brinehold: " << error << '\n';
        return 2;
    }
    TGameRecorder recorder;
    if (!options.record.empty() && !recorder.Open(options.record, error)) {
        std::cerr << "brinehold: " << error << '\n';
        return 2;
    }
    std::ofstream& log = logFile;
    if (!options.log.empty()) {
        // Binary: the same bytes on every system, with no CR added on Windows.
        log.open(options.log, std::ios::trunc | std::ios::binary);
        if (!log) {
            std::cerr << "brinehold: cannot write the log " << options.log << '\n';
            return 2;
        }
    }
    std::uint32_t& tick = currentTick;
    platform::SetLogSink([](std::string_view line) {
        if (logFile.is_open()) {
            logFile << currentTick << ' ' << line << '\n';
            logFile.flush();
        }
    });
    if (!options.scoreServer.empty()) {
        SetScoreServer(options.scoreServer);
    }

    // The command line's seed, else the script's; a recording needs one to
    // write down, so it draws its own.
    std::optional<std::uint32_t> seed = options.seed ? options.seed : script.seed;
    if (!seed && recorder.IsOpen()) {
        seed = std::random_device{}();
    }

    const bool headless = options.headless;
    std::unique_ptr<platform::VirtualClock> virtualClock;
    std::unique_ptr<platform::IClock> systemClock;
    platform::IClock* clock = nullptr;
    std::unique_ptr<ScriptedVideo> video;
    std::unique_ptr<platform::IDesktop> desktop;
    std::unique_ptr<platform::IAudio> audio;
    if (headless) {
        virtualClock = platform::CreateVirtualClock();
        clock = virtualClock.get();
        video = std::make_unique<ScriptedVideo>(platform::CreateHeadlessVideo());
        desktop = platform::CreateHeadlessDesktop();
        platform::VirtualClock* timeSource = virtualClock.get();
        audio = platform::CreateSilentAudio([timeSource] { return timeSource->NowMs(); });
    } else {
        systemClock = platform::CreateSystemClock();
        clock = systemClock.get();
        video = std::make_unique<ScriptedVideo>(platform::CreateSdlVideo(options.vsync));
        video->ownFocus = recorder.IsOpen() || script.recording;
        video->ownJoystick = script.recording;
        if (recorder.IsOpen()) {
            video->onJoystick = [&recorder](const platform::JoystickState& state) {
                recorder.Joystick(currentTick, state);
            };
        }
        desktop = platform::CreateSdlDesktop();
        audio = platform::CreateSdlAudio();
    }
    if (!locations.dataFound) {
        const std::string message = "brinehold: " + DataNotFoundMessage(locations);
        std::cerr << message << '\n';
        if (!headless) {
            desktop->MessageBox(message);
        }
        platform::SetLogSink(nullptr);
        return 1;
    }
    SetGameFolder(locations.dataFolder);
    CopyLegacySettings(locations);

    auto fonts = platform::CreateFontRasterizer();
    TCanvas::SetFontRasterizer(fonts.get());

    TApplication application(*clock);
    application.Title = platform::kGameTitle;
    if (!video->Open(application.Title, 800, 600, error)) {
        std::cerr << "brinehold: " << error << '\n';
        return 1;
    }

    TFormEnvironment environment;
    environment.Application = &application;
    environment.Video = video.get();
    environment.Audio = audio.get();
    environment.Clock = clock;
    environment.Fonts = fonts.get();
    environment.Desktop = desktop.get();
    environment.Headless = headless;
    environment.HasSeed = seed.has_value();
    environment.RandomSeed = seed.value_or(0);
    environment.ForcedWindowed = options.forcedWindowed;
    environment.ConfigFile = locations.configFile;
    if (!locations.configFolder.empty()) {
        environment.PrepareConfigFolder = [folder =
                                               locations.configFolder](std::string& folderError) {
            return platform::MakePrivateFolder(folder, folderError);
        };
    }
    if (script.recording && script.config) {
        environment.StartConfig = &*script.config;
    }

    std::unique_ptr<TmainForm> form;
    try {
        form = std::make_unique<TmainForm>(environment);
        // A recording must not change the player's settings or scores.
        form->KeepConfigFile = script.recording;
        form->FormCreate();
        if (recorder.IsOpen()) {
            recorder.Start(*seed, form->ConfigRecord);
        }
        RunLoop(LoopParts{options, *form, application, *video, *clock, virtualClock.get(),
                          video.get(), script, recorder.IsOpen() ? &recorder : nullptr},
                tick);
    } catch (const std::exception& failure) {
        // Damaged data or a refused display: say what happened and end cleanly.
        const std::string message = std::string("brinehold: ") + failure.what();
        std::cerr << message << '\n';
        if (!headless) {
            desktop->MessageBox(message);
        }
        platform::LogEvent("exit 1");
        form.reset();
        TCanvas::SetFontRasterizer(nullptr);
        platform::SetLogSink(nullptr);
        return 1;
    }
    if (recorder.IsOpen()) {
        recorder.Finish(tick);
    }
    platform::LogEvent("exit 0");
    form.reset();
    TCanvas::SetFontRasterizer(nullptr);
    platform::SetLogSink(nullptr);
    return 0;
}

// The frame loops. A tick ends when its timer has fired or when the clock
// has passed it; its screenshots and dumps are written then, and window
// events after that belong to the next tick. So a script or a recording
// replays the same order of events and frames however late the frames came.
class FrameLoop {
public:
    FrameLoop(const LoopParts& parts, std::uint32_t& tick)
        : p_(parts), tick_(tick),
          dispatcher_(parts.form, parts.application, parts.scripted, parts.recorder),
          outputs_(parts.options) {
        // Each timer tells the loop the lag count it fired with.
        for (TDXTimer* timer : {p_.form.DXTimer1.get(), p_.form.DXTimer2.get()}) {
            auto inner = timer->OnTimer;
            timer->OnTimer = [this, inner](TDXTimer* sender, int lagCount) {
                firedLag_ = lagCount;
                if (inner) {
                    inner(sender, lagCount);
                }
            };
        }
        // A recording without an end line (its game was cut short) ends with
        // its last line.
        const auto& events = p_.script.events;
        for (const auto& line : events) {
            if (line.kind == TScriptEvent::Kind::End) {
                endLine_ = line.tick;
                break;
            }
        }
        if (p_.script.recording) {
            playbackEnd_ = endLine_ ? *endLine_ : events.empty() ? 0 : events.back().tick;
        }
    }

    void Run() {
        bool endedByTicks = false;
        if (p_.virtualClock != nullptr) {
            endedByTicks = Headless();
        } else if (p_.script.recording) {
            endedByTicks = Playback();
            if (!endedByTicks && !p_.form.Closed()) {
                // The rest of the recording is not the player's.
                next_ = p_.script.events.size();
                ReturnToMenu(p_.form);
                p_.scripted->ownFocus = false;
                p_.scripted->ownJoystick = false;
                const bool active = p_.scripted->IsActive();
                p_.scripted->ownFocus = p_.recorder != nullptr;
                p_.scripted->active = active;
                if (active != p_.application.Active()) {
                    active ? p_.application.Activate() : p_.application.Deactivate();
                }
                endedByTicks = Live();
            }
        } else {
            endedByTicks = Live();
        }
        if (!endedByTicks) {
            LaunchOptionalFiles(p_.form);
        }
    }

private:
    // The timer step of `tick` as the script says: fire with this lag count,
    // or 0 for not at all. Without a line, once with a lag count of 1.
    int ScriptedLag(std::uint32_t tick) const {
        int lag = 1;
        for (std::size_t i = next_; i < p_.script.events.size(); ++i) {
            const auto& line = p_.script.events[i];
            if (line.tick > tick) {
                break;
            }
            if (line.tick == tick && line.kind == TScriptEvent::Kind::Lag) {
                lag = line.count;
            } else if (line.tick == tick && line.kind == TScriptEvent::Kind::Skip) {
                lag = 0;
            }
        }
        return lag;
    }

    // Delivers the script's lines due at `tick`. A stall line sleeps in real
    // time, so the frame comes late (a test of the timer's catch-up).
    void DeliverScript(std::uint32_t tick, bool realTime) {
        const auto& events = p_.script.events;
        while (next_ < events.size() && events[next_].tick <= tick && !p_.form.Closed()) {
            const TScriptEvent& line = events[next_++];
            if (line.kind == TScriptEvent::Kind::Stall && realTime) {
                p_.clock.SleepUntilMs(p_.clock.NowMs() + static_cast<std::uint32_t>(line.count));
            }
            dispatcher_.DispatchScript(line);
        }
    }

    // One step of a replayed tick: its script lines, then the timer as the
    // script says, then what is due after it.
    void ReplayStep() {
        const int lag = ScriptedLag(tick_);
        DeliverScript(tick_, false);
        if (!p_.form.Closed() && lag > 0) {
            if (TDXTimer* timer = p_.application.IdleHandler();
                timer != nullptr && timer->OnTimer) {
                timer->OnTimer(timer, lag);
            }
        }
        outputs_.After(tick_, p_.form, dispatcher_);
    }

    // The end of this run's ticks: --ticks, or the end of a recording.
    std::optional<std::uint32_t> LastTick() const {
        if (p_.options.ticks) {
            return p_.options.ticks;
        }
        if (p_.script.recording) {
            return playbackEnd_;
        }
        return endLine_;
    }

    // Headless: a virtual clock that steps 16 ms a tick as fast as it can.
    bool Headless() {
        const auto last = LastTick();
        for (tick_ = 1;; ++tick_) {
            if (last && tick_ > *last) {
                tick_ = *last;
                return true;
            }
            p_.virtualClock->AdvanceMs(TickMs);
            ReplayStep();
            if (p_.form.Closed()) {
                return false;
            }
        }
    }

    // A recording in a window: its ticks at real speed, the player's own input
    // left out. Escape or the close box ends it early. Returns true when
    // --ticks ended the program.
    bool Playback() {
        const std::uint32_t start = p_.clock.NowMs();
        std::vector<platform::Event> events;
        for (tick_ = 1;; ++tick_) {
            if (p_.options.ticks && tick_ > *p_.options.ticks) {
                tick_ = *p_.options.ticks;
                return true;
            }
            if (tick_ > playbackEnd_) {
                --tick_;
                return false;
            }
            p_.clock.SleepUntilMs(start + tick_ * TickMs);
            events.clear();
            p_.video.PollEvents(events);
            bool stop = false;
            for (const auto& event : events) {
                using Type = platform::Event::Type;
                if (event.type == Type::KeyDown && event.key == ScreenshotKey) {
                    dispatcher_.screenshotAsked = true;
                }
                stop = stop || event.type == Type::Close ||
                       (event.type == Type::KeyDown && event.key == 27);
            }
            if (stop) {
                --tick_;
                platform::LogEvent("playback stopped");
                return false;
            }
            ReplayStep();
            if (p_.form.Closed()) {
                return false;
            }
        }
    }

    // Ends tick_ and starts the next one. True when --ticks ends the run.
    bool CloseTick(bool fired) {
        if (!fired && p_.recorder != nullptr && p_.application.IdleHandler() != nullptr) {
            p_.recorder->TimerMissed(tick_);
        }
        outputs_.After(tick_, p_.form, dispatcher_);
        if (p_.options.ticks && tick_ >= *p_.options.ticks) {
            return true;
        }
        ++tick_;
        return false;
    }

    // Real time: the window's events and the timer on the real clock, until
    // the window closes or --ticks has passed. Returns true for --ticks.
    bool Live() {
        // Ticks go on from where a playback left them.
        const std::uint32_t first = tick_ + (tick_ > 0 ? 1 : 0);
        tick_ = std::max<std::uint32_t>(first, 1);
        const std::uint32_t start = p_.clock.NowMs() - (tick_ - 1) * TickMs;
        auto clockTick = [&] { return 1 + (p_.clock.NowMs() - start) / TickMs; };
        // Ends the ticks the clock has passed, each with its script lines.
        auto catchUp = [&] {
            while (tick_ < clockTick() && !p_.form.Closed()) {
                DeliverScript(tick_, true);
                if (!p_.form.Closed() && CloseTick(false)) {
                    return true;
                }
            }
            return false;
        };
        std::vector<platform::Event> events;
        FramePacer pacer(p_.application, p_.video, p_.clock);
        while (!p_.form.Closed()) {
            if (catchUp()) {
                return true;
            }
            if (p_.form.Closed()) {
                break;
            }
            events.clear();
            p_.video.PollEvents(events);
            for (const platform::Event& event : events) {
                if (p_.form.Closed()) {
                    break;
                }
                dispatcher_.Dispatch(event);
            }
            // Handling the events may have taken a while.
            if (catchUp()) {
                return true;
            }
            if (!p_.form.Closed()) {
                DeliverScript(tick_, true);
            }
            if (p_.form.Closed()) {
                break;
            }
            firedLag_ = 0;
            pacer.RunTick();
            if (firedLag_ > 0) {
                if (p_.recorder != nullptr) {
                    p_.recorder->TimerFired(tick_, firedLag_);
                }
                if (CloseTick(true)) {
                    return true;
                }
            }
            pacer.WaitForNext();
        }
        return false;
    }

    LoopParts p_;
    std::uint32_t& tick_;
    EventDispatcher dispatcher_;
    TickOutputs outputs_;
    std::size_t next_ = 0; // the next script line
    int firedLag_ = 0;
    std::optional<std::uint32_t> endLine_;
    std::uint32_t playbackEnd_ = 0;
};

void RunLoop(const LoopParts& parts, std::uint32_t& tick) {
    FrameLoop(parts, tick).Run();
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const TRunOptions options = ParseOptions(args);
    switch (options.action) {
    case TRunOptions::Action::Help:
        std::cout << HelpText();
        return 0;
    case TRunOptions::Action::Version:
        std::cout << VersionText();
        return 0;
    case TRunOptions::Action::Error:
        std::cerr << "brinehold: " << options.error << '\n';
        return 2;
    case TRunOptions::Action::Run:
        break;
    }
    if (!options.workdir.empty()) {
        std::error_code error;
        std::filesystem::current_path(platform::PathFromUtf8(options.workdir), error);
        if (error) {
            std::cerr << "brinehold: cannot change to " << options.workdir << ": "
                      << error.message() << '\n';
            return 2;
        }
    }
    const TGameLocations locations = LocateGame(!options.workdir.empty());
    int code = 1;
    try {
        code = Run(options, locations);
    } catch (const std::exception& error) {
        std::cerr << "brinehold: " << error.what() << '\n';
    }
    // In the browser, main returning after the frame loop has yielded ends
    // nothing (the page never learns the game is over); exit ends it there as
    // everywhere.
    std::exit(code);
}

// The program entry: options, the platform objects, the main window and the
// frame loop that feeds it events and runs the timer owning the idle slot.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "assets/Paths.h"
#include "engine/FramePacer.h"
#include "online/ScoreServer.h"
#include "platform/Audio.h"
#include "platform/Image.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "shell/MainForm.h"
#include "shell/Options.h"
#include "shell/Script.h"
#include "shell/StateDump.h"

namespace {

constexpr std::uint32_t TickMs = 16;

// The log of --log and the tick its lines carry (0 during start-up).
std::ofstream logFile;
std::uint32_t currentTick = 0;

// The headless window: the application's focus follows the script's
// activate and deactivate lines, so devices that read only while the
// window is in front behave as they would on a desktop.
class ScriptedVideo final : public platform::IVideo {
public:
    explicit ScriptedVideo(std::unique_ptr<platform::IVideo> inner) : inner_(std::move(inner)) {}
    bool Open(const std::string& title, int width, int height, std::string& error) override {
        return inner_->Open(title, width, height, error);
    }
    void SetFullscreen(bool fullscreen) override { inner_->SetFullscreen(fullscreen); }
    void Present(platform::PixelView frame) override { inner_->Present(frame); }
    double VBlankRate() override { return inner_->VBlankRate(); }
    void WaitVBlank() override { inner_->WaitVBlank(); }
    std::uint64_t VBlankCount() override { return inner_->VBlankCount(); }
    void PollEvents(std::vector<platform::Event>& out) override { inner_->PollEvents(out); }
    bool WaitEvent(int timeoutMs) override { return inner_->WaitEvent(timeoutMs); }
    void Minimize() override { inner_->Minimize(); }
    bool IsActive() override { return active; }
    void ShowCursor(bool show) override { inner_->ShowCursor(show); }
    void SetCursorPos(int x, int y) override { inner_->SetCursorPos(x, y); }
    platform::JoystickState ReadJoystick() override { return inner_->ReadJoystick(); }
    bool active = true;

private:
    std::unique_ptr<platform::IVideo> inner_;
};

// Window events reach the form's handlers; key events also tell the keyboard
// device which keys are held.
class EventDispatcher {
public:
    EventDispatcher(TmainForm& form, TApplication& application, ScriptedVideo* scripted)
        : form_(form), application_(application), scripted_(scripted) {}

    void Dispatch(const platform::Event& event) {
        using Type = platform::Event::Type;
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
        }
    }

    // A script line as the window events it stands for.
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
    bool held_[256] = {};
};

// Screenshots and state dumps asked for on the command line.
class Recorder {
public:
    explicit Recorder(const TRunOptions& options)
        : shots_(options.screenshots), dumps_(options.stateDumps) {}

    // Writes what is due at `tick` (and anything of an earlier tick that a
    // real-time run skipped over).
    void After(std::uint32_t tick, TmainForm& form) {
        for (auto& shot : shots_) {
            if (!shot.Path.empty() && shot.Tick <= tick) {
                WriteScreenshot(shot.Path, form);
                shot.Path.clear();
            }
        }
        for (auto& dump : dumps_) {
            if (!dump.Path.empty() && dump.Tick <= tick) {
                std::ofstream out(dump.Path);
                out << DumpState(form, tick).dump(1) << '\n';
                if (!out) {
                    std::cerr << "brinehold: cannot write " << dump.Path << '\n';
                }
                dump.Path.clear();
            }
        }
    }

private:
    static void WriteScreenshot(const std::string& path, TmainForm& form) {
        TDirectDrawSurface* surface = form.BackBuffer();
        std::vector<std::uint32_t> black;
        platform::PixelView view;
        if (surface != nullptr && surface->Width() == 800 && surface->Height() == 600) {
            view = surface->View();
        } else {
            black.assign(800 * 600, 0);
            view = platform::PixelView{black.data(), 800, 600, 800};
        }
        if (!platform::WritePng(path, view)) {
            std::cerr << "brinehold: cannot write " << path << '\n';
        }
    }
    std::vector<TTimedFile> shots_;
    std::vector<TTimedFile> dumps_;
};

bool ReadScript(const std::string& path, std::vector<TScriptEvent>& events, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the script " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ParseScript(text.str(), events, error)) {
        error = path + ": " + error;
        return false;
    }
    std::stable_sort(events.begin(), events.end(),
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

void RunLoop(const TRunOptions& options, TmainForm& form, TApplication& application,
             platform::IVideo& video, platform::IClock& clock, platform::VirtualClock* virtualClock,
             ScriptedVideo* scripted, const std::vector<TScriptEvent>& script, std::uint32_t& tick);

int Run(const TRunOptions& options) {
    std::vector<TScriptEvent> script;
    std::string error;
    if (!options.script.empty() && !ReadScript(options.script, script, error)) {
        std::cerr << "brinehold: " << error << '\n';
        return 2;
    }
    std::ofstream& log = logFile;
    if (!options.log.empty()) {
        log.open(options.log, std::ios::trunc);
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

    const bool headless = options.headless;
    std::unique_ptr<platform::VirtualClock> virtualClock;
    std::unique_ptr<platform::IClock> systemClock;
    platform::IClock* clock = nullptr;
    std::unique_ptr<platform::IVideo> video;
    ScriptedVideo* scripted = nullptr;
    std::unique_ptr<platform::IDesktop> desktop;
    std::unique_ptr<platform::IAudio> audio;
    if (headless) {
        virtualClock = platform::CreateVirtualClock();
        clock = virtualClock.get();
        auto wrapper = std::make_unique<ScriptedVideo>(platform::CreateHeadlessVideo());
        scripted = wrapper.get();
        video = std::move(wrapper);
        desktop = platform::CreateHeadlessDesktop();
        platform::VirtualClock* timeSource = virtualClock.get();
        audio = platform::CreateSilentAudio([timeSource] { return timeSource->NowMs(); });
    } else {
        systemClock = platform::CreateSystemClock();
        clock = systemClock.get();
        video = platform::CreateSdlVideo(options.vsync);
        desktop = platform::CreateSdlDesktop();
        audio = platform::CreateSdlAudio();
    }
    auto fonts = platform::CreateFontRasterizer();
    TCanvas::SetFontRasterizer(fonts.get());

    TApplication application(*clock);
    application.Title = "Ostrovia";
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
    environment.HasSeed = options.seed.has_value();
    environment.RandomSeed = options.seed.value_or(0);
    environment.ForcedWindowed = options.forcedWindowed;

    std::unique_ptr<TmainForm> form;
    try {
        form = std::make_unique<TmainForm>(environment);
        mainForm = form.get();
        form->FormCreate();
        RunLoop(options, *form, application, *video, *clock, virtualClock.get(), scripted, script,
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
        mainForm = nullptr;
        TCanvas::SetFontRasterizer(nullptr);
        platform::SetLogSink(nullptr);
        return 1;
    }
    platform::LogEvent("exit 0");
    form.reset();
    mainForm = nullptr;
    TCanvas::SetFontRasterizer(nullptr);
    platform::SetLogSink(nullptr);
    return 0;
}

// The frame loop until the window closes or the asked tick has passed.
void RunLoop(const TRunOptions& options, TmainForm& form, TApplication& application,
             platform::IVideo& video, platform::IClock& clock, platform::VirtualClock* virtualClock,
             ScriptedVideo* scripted, const std::vector<TScriptEvent>& script,
             std::uint32_t& tick) {
    const bool headless = virtualClock != nullptr;
    EventDispatcher dispatcher(form, application, scripted);
    Recorder recorder(options);
    bool endedByTicks = false;

    if (headless) {
        std::size_t next = 0;
        for (tick = 1;; ++tick) {
            if (options.ticks && tick > *options.ticks) {
                tick = *options.ticks;
                endedByTicks = true;
                break;
            }
            virtualClock->AdvanceMs(TickMs);
            while (next < script.size() && script[next].tick < tick) {
                ++next;
            }
            while (next < script.size() && script[next].tick == tick && !form.Closed()) {
                dispatcher.DispatchScript(script[next++]);
            }
            // Each step fires the timer that runs now once, with a lag count of 1.
            if (!form.Closed()) {
                if (TDXTimer* timer = application.IdleHandler();
                    timer != nullptr && timer->OnTimer) {
                    timer->OnTimer(timer, 1);
                }
            }
            recorder.After(tick, form);
            if (form.Closed()) {
                break;
            }
        }
    } else {
        const std::uint32_t start = clock.NowMs();
        std::vector<platform::Event> events;
        auto clockTick = [&] { return 1 + (clock.NowMs() - start) / TickMs; };
        std::size_t next = 0;
        FramePacer pacer(application, video, clock);
        tick = 1;
        while (!form.Closed()) {
            events.clear();
            video.PollEvents(events);
            for (const platform::Event& event : events) {
                if (form.Closed()) {
                    break;
                }
                dispatcher.Dispatch(event);
            }
            // Script lines are due once the real clock has reached their tick.
            while (next < script.size() && script[next].tick <= tick && !form.Closed()) {
                dispatcher.DispatchScript(script[next++]);
            }
            if (form.Closed()) {
                break;
            }
            pacer.RunTick();
            tick = clockTick();
            recorder.After(tick, form);
            if (options.ticks && tick > *options.ticks) {
                tick = *options.ticks;
                endedByTicks = true;
                break;
            }
            pacer.WaitForNext();
            tick = clockTick();
        }
    }

    if (!endedByTicks) {
        LaunchOptionalFiles(form);
    }
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
        std::filesystem::current_path(options.workdir, error);
        if (error) {
            std::cerr << "brinehold: cannot change to " << options.workdir << ": "
                      << error.message() << '\n';
            return 2;
        }
    }
    try {
        return Run(options);
    } catch (const std::exception& error) {
        std::cerr << "brinehold: " << error.what() << '\n';
        return 1;
    }
}

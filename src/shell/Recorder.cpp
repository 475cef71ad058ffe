#include "shell/Recorder.h"

#include <iostream>

#include "shell/Script.h"

std::string RecordedEventLine(std::uint32_t tick, const platform::Event& event) {
    using Type = platform::Event::Type;
    const std::string at = std::to_string(tick) + ' ';
    const std::string xy = std::to_string(event.x) + ' ' + std::to_string(event.y);
    const char* button = event.button == platform::Event::Button::Right ? "right " : "left ";
    switch (event.type) {
    case Type::KeyDown:
        return at + "key down " + ScriptKeyName(event.key);
    case Type::KeyUp:
        return at + "key up " + ScriptKeyName(event.key);
    case Type::Char: {
        // Printable characters stay readable; blanks and control characters
        // would be lost to the line's field splitting.
        const std::string utf8 =
            platform::Cp1251ToUtf8(std::string(1, static_cast<char>(event.ch)));
        if (event.ch > ' ' && event.ch != 127 && utf8 != "?") {
            return at + "type " + utf8;
        }
        return at + "char " + std::to_string(event.ch);
    }
    case Type::MouseMove:
        return at + "mouse move " + xy;
    case Type::MouseDown:
        return at + "mouse down " + button + xy;
    case Type::MouseUp:
        return at + "mouse up " + button + xy;
    case Type::Click:
        return at + "mouse click " + xy;
    case Type::Activate:
        return at + "activate";
    case Type::Deactivate:
        return at + "deactivate";
    case Type::Close:
        return at + "close";
    case Type::Maximize:
        return at + "maximize";
    case Type::CaptionDoubleClick:
    case Type::JoystickAdded:
    case Type::FullscreenLeft:
        break;
    }
    return {};
}

std::string RecordedJoystickLine(std::uint32_t tick, const platform::JoystickState& state) {
    const std::string at = std::to_string(tick) + " joystick ";
    if (!state.present) {
        return at + "none";
    }
    std::string buttons;
    for (std::size_t i = 0; i < state.buttons.size() && i < 32; ++i) {
        buttons += state.buttons[i] ? '1' : '0';
    }
    return at + std::to_string(state.x) + ' ' + std::to_string(state.y) + ' ' +
           std::to_string(state.z) + ' ' + (buttons.empty() ? "-" : buttons);
}

bool TGameRecorder::Open(const std::string& path, std::string& error) {
    out_.open(path, std::ios::trunc | std::ios::binary);
    if (!out_) {
        error = "cannot write the recording " + path;
        return false;
    }
    path_ = path;
    return true;
}

void TGameRecorder::Write(const std::string& line) {
    if (!out_.is_open() || line.empty()) {
        return;
    }
    // Flushed line by line: a game that ends abruptly keeps what was played.
    out_ << line << '\n';
    out_.flush();
    if (!out_ && !failed_) {
        failed_ = true;
        std::cerr << "brinehold: cannot write the recording " << path_ << '\n';
    }
}

void TGameRecorder::Start(std::uint32_t seed, const TConfigRecord& config) {
    Write("# brinehold recording: play it with --script");
    Write("recording");
    Write("seed " + std::to_string(seed));
    Write(ConfigLine(config));
}

void TGameRecorder::Event(std::uint32_t tick, const platform::Event& event) {
    Write(RecordedEventLine(tick, event));
}

void TGameRecorder::Joystick(std::uint32_t tick, const platform::JoystickState& state) {
    auto same = [](const platform::JoystickState& a, const platform::JoystickState& b) {
        return a.present == b.present &&
               (!a.present || (a.x == b.x && a.y == b.y && a.z == b.z && a.buttons == b.buttons));
    };
    if (!same(state, joystick_)) {
        joystick_ = state;
        Write(RecordedJoystickLine(tick, state));
    }
}

void TGameRecorder::TimerFired(std::uint32_t tick, int lagCount) {
    if (lagCount != 1) {
        Write(std::to_string(tick) + " lag " + std::to_string(lagCount));
    }
}

void TGameRecorder::TimerMissed(std::uint32_t tick) {
    Write(std::to_string(tick) + " skip");
}

void TGameRecorder::Finish(std::uint32_t tick) {
    Write(std::to_string(tick) + " end");
    out_.close();
}

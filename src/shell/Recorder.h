// --record: what a game played in real time needs to be played again exactly
// by --script. The file is a script: the seed and the settings at start, every
// window event at the tick the game handled it, and the frame timer's steps
// wherever they differ from the headless one (once a tick, lag count 1).
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "platform/Platform.h"
#include "shell/Config.h"

// The script line of a joystick reading ("12 joystick 0 -32768 0 0100").
std::string RecordedJoystickLine(std::uint32_t tick, const platform::JoystickState& state);

// The script line of a window event ("12 key down Enter"); empty for events a
// script does not carry.
std::string RecordedEventLine(std::uint32_t tick, const platform::Event& event);

class TGameRecorder {
public:
    // Creates or truncates `path`; false with `error` set when it cannot.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return out_.is_open(); }
    // The lines without a tick, written once the settings are read.
    void Start(std::uint32_t seed, const TConfigRecord& config);
    void Event(std::uint32_t tick, const platform::Event& event);
    // The joystick as the game read it, when it differs from the last reading.
    void Joystick(std::uint32_t tick, const platform::JoystickState& state);
    // The frame timer fired in `tick` with `lagCount`.
    void TimerFired(std::uint32_t tick, int lagCount);
    // A timer ran but did not fire in `tick` (its frame came late).
    void TimerMissed(std::uint32_t tick);
    // The run ends after `tick`.
    void Finish(std::uint32_t tick);

private:
    void Write(const std::string& line);
    std::ofstream out_;
    std::string path_;
    platform::JoystickState joystick_; // the last one written
    bool failed_ = false;
};

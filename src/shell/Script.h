// The input script of --script: timed window events, one a line, and the
// lines a recording of --record adds (its seed, settings and timer steps).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/Config.h"

struct TScriptEvent {
    enum class Kind {
        KeyDown,
        KeyUp,
        Type,
        MouseMove,
        MouseDown,
        MouseUp,
        Click,
        Activate,
        Deactivate,
        Close,
        Char,       // one character by its code page 1251 byte (`key`)
        MouseClick, // the click event alone
        Maximize,   // the window's maximize box
        Lag,        // the frame timer of this tick fires with lag count `count`
        Skip,       // the frame timer does not fire in this tick
        Stall,      // a real-time run sleeps `count` ms before this tick's timer
        End,        // a recording ends after this tick
        Joystick    // the joystick reads `x`, `y`, `z` and `buttons` from now
    };
    std::uint32_t tick = 0;
    Kind kind = Kind::KeyDown;
    int key = 0;        // virtual-key code
    std::string text;   // Type: code page 1251 characters
    bool right = false; // MouseDown, MouseUp: the right button
    int x = 0;
    int y = 0;
    int count = 0; // Lag: lag count; Stall: milliseconds
    // Joystick: none (`present` false) or its axes (-32768..32767) and buttons.
    bool present = false;
    int z = 0;
    std::vector<bool> buttons;
    int line = 0; // line number in the file, from 1
};

// A whole script: its timed events, and what a recording says about the run.
struct TScript {
    std::vector<TScriptEvent> events;
    std::optional<std::uint32_t> seed;   // "seed N"
    bool recording = false;              // "recording": made by --record
    std::optional<TConfigRecord> config; // "config HEX": the settings at start
};

// Parses the whole script (replacing what `script` held; the second form adds
// to `events`); events keep file order (the caller delivers those of
// tick T in that order). On a malformed line returns false with `error` naming
// the line number.
bool ParseScript(const std::string& text, TScript& script, std::string& error);
bool ParseScript(const std::string& text, std::vector<TScriptEvent>& events, std::string& error);

// The line of `config` as a recording writes it, and a key name for `key`.
std::string ConfigLine(const TConfigRecord& config);
std::string ScriptKeyName(int key);

// A key name of the script ("Enter", "F5", "A", "7", "65") as its virtual-key
// code; -1 when it is none.
int ScriptKeyCode(const std::string& name);

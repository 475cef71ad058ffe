// The input script of --script: timed window events, one a line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
        Close
    };
    std::uint32_t tick = 0;
    Kind kind = Kind::KeyDown;
    int key = 0;        // virtual-key code
    std::string text;   // Type: code page 1251 characters
    bool right = false; // MouseDown, MouseUp: the right button
    int x = 0;
    int y = 0;
    int line = 0; // line number in the file, from 1
};

// Parses the whole script; events keep file order (the caller delivers those of
// tick T in that order). On a malformed line returns false with `error` naming
// the line number.
bool ParseScript(const std::string& text, std::vector<TScriptEvent>& events, std::string& error);

// A key name of the script ("Enter", "F5", "A", "7", "65") as its virtual-key
// code; -1 when it is none.
int ScriptKeyCode(const std::string& name);

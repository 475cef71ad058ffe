#include "shell/Script.h"

#include <charconv>
#include <functional>
#include <sstream>

#include "platform/KeyCodes.h"
#include "platform/Platform.h"

namespace {

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

bool ParseTick(const std::string& text, std::uint32_t& tick) {
    int value = 0;
    if (!ParseInt(text, value) || value < 1) {
        return false;
    }
    tick = static_cast<std::uint32_t>(value);
    return true;
}

std::vector<std::string> SplitBlanks(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; in >> field;) {
        fields.push_back(field);
    }
    return fields;
}

// The rest of `line` after its first `count` blank-separated fields and the
// blanks that follow them.
std::string RestAfterFields(const std::string& line, int count) {
    std::size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        pos = line.find_first_not_of(" \t", pos);
        pos = line.find_first_of(" \t", pos);
        if (pos == std::string::npos) {
            return {};
        }
    }
    pos = line.find_first_not_of(" \t", pos);
    return pos == std::string::npos ? std::string() : line.substr(pos);
}

} // namespace

int ScriptKeyCode(const std::string& name) {
    static const struct {
        const char* name;
        int code;
    } named[] = {{"Enter", VK_RETURN},        {"Escape", VK_ESCAPE}, {"Space", VK_SPACE},
                 {"Backspace", VK_BACK},      {"Tab", VK_TAB},       {"Shift", VK_SHIFT},
                 {"Ctrl", VK_CONTROL},        {"Alt", VK_MENU},      {"Up", VK_UP},
                 {"Down", VK_DOWN},           {"Left", VK_LEFT},     {"Right", VK_RIGHT},
                 {"PrintScreen", VK_SNAPSHOT}};
    for (const auto& n : named) {
        if (name == n.name) {
            return n.code;
        }
    }
    if (name.size() == 1) {
        const char c = name[0];
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            return c;
        }
        return -1;
    }
    if (name.size() <= 3 && name[0] == 'F') {
        int number = 0;
        if (ParseInt(name.substr(1), number) && number >= 1 && number <= 12 && name[1] != '0') {
            return 111 + number;
        }
        return -1;
    }
    int code = 0;
    if (ParseInt(name, code) && code >= 0 && code <= 255 && name[0] != '+') {
        return code;
    }
    return -1;
}

std::string ScriptKeyName(int key) {
    static const char* const named[] = {"Backspace", "Tab",    "Enter", "Shift",       "Ctrl",
                                        "Alt",       "Escape", "Space", "PrintScreen", "Left",
                                        "Up",        "Right",  "Down"};
    for (const char* name : named) {
        if (ScriptKeyCode(name) == key) {
            return name;
        }
    }
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        return std::string(1, static_cast<char>(key));
    }
    if (key >= 112 && key <= 123) {
        return "F" + std::to_string(key - 111);
    }
    // A lone digit would read as that digit's key.
    return key < 10 ? "0" + std::to_string(key) : std::to_string(key);
}

std::string ConfigLine(const TConfigRecord& config) {
    static const char digits[] = "0123456789abcdef";
    std::string line = "config ";
    for (std::uint8_t byte : ConfigToBytes(config)) {
        line += digits[byte >> 4];
        line += digits[byte & 15];
    }
    return line;
}

namespace {

bool ParseConfigHex(const std::string& hex, TConfigRecord& config) {
    TConfigBytes bytes{};
    if (hex.size() != bytes.size() * 2) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned value = 0;
        const char* first = hex.data() + 2 * i;
        const auto [ptr, ec] = std::from_chars(first, first + 2, value, 16);
        if (ec != std::errc() || ptr != first + 2) {
            return false;
        }
        bytes[i] = static_cast<std::uint8_t>(value);
    }
    config = ConfigFromBytes(bytes);
    return true;
}

// The lines without a tick: what a recording says about the whole run.
bool ParseHeaderLine(const std::vector<std::string>& fields, TScript& script,
                     const std::function<bool(const std::string&)>& bad) {
    const std::string& verb = fields[0];
    const std::size_t n = fields.size();
    if (verb == "recording") {
        if (n != 1) {
            return bad("'recording' takes nothing more");
        }
        script.recording = true;
        return true;
    }
    if (verb == "seed") {
        std::uint64_t seed = 0;
        const std::string& digits = n == 2 ? fields[1] : verb;
        const char* end = digits.data() + digits.size();
        const auto [ptr, ec] = std::from_chars(digits.data(), end, seed);
        if (n != 2 || digits.size() > 10 || ec != std::errc() || ptr != end || seed > 0xFFFFFFFFu) {
            return bad("expected 'seed N' with N from 0 to 4294967295");
        }
        if (script.seed) {
            return bad("a second seed");
        }
        script.seed = static_cast<std::uint32_t>(seed);
        return true;
    }
    if (verb == "config") {
        TConfigRecord config;
        if (n != 2 || !ParseConfigHex(fields[1], config)) {
            return bad("expected 'config' and the 158 bytes of the settings in hexadecimal");
        }
        if (script.config) {
            return bad("a second config");
        }
        script.config = config;
        return true;
    }
    return bad("the tick must be a whole number from 1");
}

} // namespace

bool ParseScript(const std::string& text, std::vector<TScriptEvent>& events, std::string& error) {
    TScript script;
    if (!ParseScript(text, script, error)) {
        return false;
    }
    events.insert(events.end(), script.events.begin(), script.events.end());
    return true;
}

bool ParseScript(const std::string& text, TScript& script, std::string& error) {
    script = TScript{};
    std::istringstream in(text);
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const auto fields = SplitBlanks(line);
        if (fields.empty() || fields[0][0] == '#') {
            continue;
        }
        auto bad = [&](const std::string& why) {
            error = "script line " + std::to_string(lineNumber) + ": " + why + ": " + line;
            return false;
        };
        TScriptEvent event;
        event.line = lineNumber;
        if (fields[0][0] < '0' || fields[0][0] > '9') {
            if (!ParseHeaderLine(fields, script, bad)) {
                return false;
            }
            continue;
        }
        if (!ParseTick(fields[0], event.tick)) {
            return bad("the tick must be a whole number from 1");
        }
        if (fields.size() < 2) {
            return bad("no event");
        }
        const std::string& verb = fields[1];
        const std::size_t n = fields.size();
        if (verb == "key") {
            if (n != 4 || (fields[2] != "down" && fields[2] != "up")) {
                return bad("expected 'key down K' or 'key up K'");
            }
            event.kind =
                fields[2] == "down" ? TScriptEvent::Kind::KeyDown : TScriptEvent::Kind::KeyUp;
            event.key = ScriptKeyCode(fields[3]);
            if (event.key < 0) {
                return bad("unknown key '" + fields[3] + "'");
            }
        } else if (verb == "type") {
            event.kind = TScriptEvent::Kind::Type;
            event.text = platform::Utf8ToCp1251(RestAfterFields(line, 2));
            if (event.text.empty()) {
                return bad("nothing to type");
            }
        } else if (verb == "char") {
            event.kind = TScriptEvent::Kind::Char;
            if (n != 3 || !ParseInt(fields[2], event.key) || event.key < 1 || event.key > 255) {
                return bad("expected 'char N' with a code page 1251 code from 1 to 255");
            }
        } else if (verb == "mouse") {
            if (n >= 3 && (fields[2] == "move" || fields[2] == "click")) {
                event.kind = fields[2] == "move" ? TScriptEvent::Kind::MouseMove
                                                 : TScriptEvent::Kind::MouseClick;
                if (n != 5 || !ParseInt(fields[3], event.x) || !ParseInt(fields[4], event.y)) {
                    return bad("expected 'mouse " + fields[2] + " X Y'");
                }
            } else if (n >= 3 && (fields[2] == "down" || fields[2] == "up")) {
                event.kind = fields[2] == "down" ? TScriptEvent::Kind::MouseDown
                                                 : TScriptEvent::Kind::MouseUp;
                if (n != 6 || (fields[3] != "left" && fields[3] != "right") ||
                    !ParseInt(fields[4], event.x) || !ParseInt(fields[5], event.y)) {
                    return bad("expected 'mouse " + fields[2] + " left|right X Y'");
                }
                event.right = fields[3] == "right";
            } else {
                return bad("expected 'mouse move', 'mouse down', 'mouse up' or 'mouse click'");
            }
        } else if (verb == "click") {
            event.kind = TScriptEvent::Kind::Click;
            if (n != 4 || !ParseInt(fields[2], event.x) || !ParseInt(fields[3], event.y)) {
                return bad("expected 'click X Y'");
            }
        } else if (verb == "joystick") {
            event.kind = TScriptEvent::Kind::Joystick;
            if (n == 3 && fields[2] == "none") {
                event.present = false;
            } else {
                auto axis = [](const std::string& field, int& value) {
                    return ParseInt(field, value) && value >= -32768 && value <= 32767;
                };
                bool valid = n == 6 && axis(fields[2], event.x) && axis(fields[3], event.y) &&
                             axis(fields[4], event.z) && fields[5].size() <= 32;
                if (valid && fields[5] != "-") {
                    for (char c : fields[5]) {
                        valid = valid && (c == '0' || c == '1');
                        event.buttons.push_back(c == '1');
                    }
                }
                if (!valid) {
                    return bad("expected 'joystick none' or 'joystick X Y Z BUTTONS' (BUTTONS: "
                               "0 and 1, one a button, or - for none)");
                }
                event.present = true;
            }
        } else if (verb == "lag" || verb == "stall") {
            event.kind = verb == "lag" ? TScriptEvent::Kind::Lag : TScriptEvent::Kind::Stall;
            const int most = verb == "lag" ? 1000000 : 60000;
            if (n != 3 || !ParseInt(fields[2], event.count) || event.count < 1 ||
                event.count > most) {
                return bad("expected '" + verb + " N' with N from 1 to " + std::to_string(most));
            }
        } else if (verb == "activate" || verb == "deactivate" || verb == "close" ||
                   verb == "maximize" || verb == "skip" || verb == "end") {
            if (n != 2) {
                return bad("'" + verb + "' takes nothing more");
            }
            event.kind = verb == "activate"     ? TScriptEvent::Kind::Activate
                         : verb == "deactivate" ? TScriptEvent::Kind::Deactivate
                         : verb == "close"      ? TScriptEvent::Kind::Close
                         : verb == "maximize"   ? TScriptEvent::Kind::Maximize
                         : verb == "skip"       ? TScriptEvent::Kind::Skip
                                                : TScriptEvent::Kind::End;
        } else {
            return bad("unknown event '" + verb + "'");
        }
        script.events.push_back(event);
    }
    return true;
}

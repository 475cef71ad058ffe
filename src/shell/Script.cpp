#include "shell/Script.h"

#include <charconv>
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
    } named[] = {{"Enter", VK_RETURN},   {"Escape", VK_ESCAPE}, {"Space", VK_SPACE},
                 {"Backspace", VK_BACK}, {"Tab", VK_TAB},       {"Shift", VK_SHIFT},
                 {"Ctrl", VK_CONTROL},   {"Alt", VK_MENU},      {"Up", VK_UP},
                 {"Down", VK_DOWN},      {"Left", VK_LEFT},     {"Right", VK_RIGHT}};
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

bool ParseScript(const std::string& text, std::vector<TScriptEvent>& events, std::string& error) {
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
        } else if (verb == "mouse") {
            if (n >= 3 && fields[2] == "move") {
                event.kind = TScriptEvent::Kind::MouseMove;
                if (n != 5 || !ParseInt(fields[3], event.x) || !ParseInt(fields[4], event.y)) {
                    return bad("expected 'mouse move X Y'");
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
                return bad("expected 'mouse move', 'mouse down' or 'mouse up'");
            }
        } else if (verb == "click") {
            event.kind = TScriptEvent::Kind::Click;
            if (n != 4 || !ParseInt(fields[2], event.x) || !ParseInt(fields[3], event.y)) {
                return bad("expected 'click X Y'");
            }
        } else if (verb == "activate" || verb == "deactivate" || verb == "close") {
            if (n != 2) {
                return bad("'" + verb + "' takes nothing more");
            }
            event.kind = verb == "activate"     ? TScriptEvent::Kind::Activate
                         : verb == "deactivate" ? TScriptEvent::Kind::Deactivate
                                                : TScriptEvent::Kind::Close;
        } else {
            return bad("unknown event '" + verb + "'");
        }
        events.push_back(event);
    }
    return true;
}

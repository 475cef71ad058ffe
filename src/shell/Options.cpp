#include "shell/Options.h"

#include <charconv>

namespace {

bool ParseUnsigned(const std::string& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    const char* end = text.data() + text.size();
    std::uint64_t wide = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), end, wide);
    if (ec != std::errc() || ptr != end || wide > 0xFFFFFFFFu) {
        return false;
    }
    value = static_cast<std::uint32_t>(wide);
    return true;
}

bool ParseTimedFile(const std::string& text, TTimedFile& out) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon + 1 >= text.size()) {
        return false;
    }
    out.Path = text.substr(colon + 1);
    return ParseUnsigned(text.substr(0, colon), out.Tick);
}

bool ValidServer(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    const auto colon = text.rfind(':');
    if (colon == std::string::npos) {
        return text.find_first_of(" /") == std::string::npos;
    }
    std::uint32_t port = 0;
    return colon > 0 && text.find_first_of(" /") == std::string::npos &&
           ParseUnsigned(text.substr(colon + 1), port) && port >= 1 && port <= 65535;
}

} // namespace

TRunOptions ParseOptions(const std::vector<std::string>& args) {
    TRunOptions options;
    auto fail = [&options](const std::string& message) {
        options.action = TRunOptions::Action::Error;
        options.error = message;
        return options;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        const auto equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        auto needValue = [&]() -> bool {
            if (hasValue) {
                return true;
            }
            if (i + 1 >= args.size()) {
                return false;
            }
            value = args[++i];
            return true;
        };
        auto noValue = [&]() { return !hasValue; };

        if (name == "--help" && noValue()) {
            options.action = TRunOptions::Action::Help;
            return options;
        }
        if (name == "--version" && noValue()) {
            options.action = TRunOptions::Action::Version;
            return options;
        }
        if ((name == "--windowed" || name == "--fullscreen") && noValue()) {
            options.forcedWindowed = name == "--windowed" ? 1 : 0;
        } else if (name == "--headless" && noValue()) {
            options.headless = true;
        } else if (name == "--workdir" || name == "--script" || name == "--log" ||
                   name == "--record") {
            if (!needValue() || value.empty()) {
                return fail(name + " needs a file or directory name");
            }
            (name == "--workdir"  ? options.workdir
             : name == "--script" ? options.script
             : name == "--record" ? options.record
                                  : options.log) = value;
        } else if (name == "--ticks" || name == "--seed") {
            std::uint32_t number = 0;
            if (!needValue() || !ParseUnsigned(value, number)) {
                return fail(name + " needs a whole number, got '" + value + "'");
            }
            (name == "--ticks" ? options.ticks : options.seed) = number;
        } else if (name == "--screenshot" || name == "--dump-state") {
            TTimedFile timed;
            if (!needValue() || !ParseTimedFile(value, timed)) {
                return fail(name + " needs TICK:FILE, got '" + value + "'");
            }
            (name == "--screenshot" ? options.screenshots : options.stateDumps).push_back(timed);
        } else if (name == "--vsync") {
            if (!needValue() || (value != "on" && value != "off" && value != "auto")) {
                return fail("--vsync needs on, off or auto, got '" + value + "'");
            }
            options.vsync = value == "on"    ? platform::VSyncMode::On
                            : value == "off" ? platform::VSyncMode::Off
                                             : platform::VSyncMode::Auto;
        } else if (name == "--score-server") {
            if (!needValue() || !ValidServer(value)) {
                return fail("--score-server needs HOST[:PORT], got '" + value + "'");
            }
            options.scoreServer = value;
        } else {
            return fail("unknown option '" + args[i] + "' (try --help)");
        }
    }
    return options;
}

std::string HelpText() {
    return R"(Usage: brinehold [OPTION]...
Brinehold, an underwater arcade game. Without options it starts the game.

  --help                   print this help and exit
  --version                print the version and exit
  --windowed, --fullscreen start in that mode for this run (not saved)
  --workdir DIR            change to DIR first; config.dat, data/ and sound/
                           are read from there
  --headless               no window, no audio output, no desktop: desktop
                           actions are logged, not performed; a virtual clock
                           steps 16 ms a tick as fast as it can
  --ticks N                end after tick N with exit code 0
  --seed N                 seed the random generator with N
  --script FILE            feed the input events of FILE; a recording made by
                           --record plays exactly as it was played: headless
                           as fast as it can, in a window at real speed
                           (Escape returns to the menu), never writing
                           config.dat
  --record FILE            write the game played in this run to FILE, as a
                           script that --script plays back
  --screenshot T:FILE      after tick T's flip, write the picture as an
                           800 x 600 PNG (repeatable)
  --dump-state T:FILE      after tick T, write the state as JSON (repeatable)
  --log FILE               write one line per side effect as it happens
  --score-server HOST[:PORT]
                           the online score server of this run
  --vsync on|off|auto      wait for the screen's vertical blank before each
                           frame: auto (the default) where the graphics card
                           offers it, on also with OpenGL drawn by the
                           processor, off never

Script lines (one event each; '#' starts a comment line):
  T key down K | T key up K      K: a virtual-key code of two or more digits,
                                 or Enter Escape Space Backspace Tab Shift Ctrl
                                 Alt Up Down Left Right PrintScreen F1..F12
                                 A..Z 0..9
  T type TEXT                    types each character of TEXT (UTF-8)
  T mouse move X Y
  T mouse down|up left|right X Y
  T click X Y
  T activate | T deactivate | T close
  T char N                       types the code page 1251 character N
  T mouse click X Y              the click event alone (no move or buttons)
  T maximize                     the window's maximize box
  T joystick X Y Z BUTTONS       the joystick reads axes X Y Z (-32768..32767)
                                 and BUTTONS (0 or 1 each, - for none) from
                                 tick T on; T joystick none: no joystick
  T lag N                        the frame timer fires in tick T with lag
                                 count N (a frame that came late)
  T skip                         the frame timer does not fire in tick T
  T stall MS                     a run in a window sleeps MS milliseconds
                                 in tick T, so its frame comes late (tests)
  T end                          playing ends after tick T: a headless run
                                 ends (unless --ticks says otherwise), a
                                 recording in a window returns to the menu
  recording                      the file is a recording: config.dat is not
                                 written, and played in a window it ignores
                                 the player's input
  seed N                         the random seed (unless --seed is given)
  config HEX                     the settings at the start, 158 bytes

In a window a tick ends when its frame timer fires or the clock passes it;
events after the frame belong to the next tick. A recording keeps every
window event at the tick the game handled it, and a tick's timer step where
it was not the headless one (once, lag count 1).
Headless, lag and skip lines drive the timer of every script; in a window
they do so only in a recording. Print Screen writes the picture as
brinehold-YYYYMMDD-HHMMSS.png to $XDG_PICTURES_DIR/Brinehold (the pictures
folder of user-dirs.dirs when the variable is not set), else to
~/Pictures/Brinehold, else to the settings folder; on Windows to
Pictures\Brinehold, else to the settings folder.

A malformed option or script line ends the program with exit code 2.
)";
}

std::string VersionText() {
    return "brinehold 0.1.0\n";
}

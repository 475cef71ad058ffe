// Runs the real game binary headless in a temporary working directory and
// reads back what it left: the state dumps, the side-effect log, screenshots
// and files such as config.dat. Shared by every end-to-end test.
//
//   e2e::GameRun run;                      // fresh dir, data/ and sound/ linked
//   run.Script("1 key down Down\n2 key up Down\n");
//   run.DumpAt(10);
//   auto result = run.Run(10);             // --headless --ticks 10 ...
//   EXPECT_EQ(result.exitCode, 0);
//   EXPECT_EQ(run.State(10)["MenuScreen"], 1);
//   EXPECT_TRUE(run.LogHas("0 music play 1"));
#pragma once

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace e2e {

// The game folder under test: this build's, or the one BRINEHOLD_E2E_GAME_DIR
// names, such as a Windows build's, whose programs run through the command
// prefix BRINEHOLD_E2E_PREFIX (for example "wine"). The same tests drive both.
inline std::filesystem::path GameDir() {
    const char* dir = std::getenv("BRINEHOLD_E2E_GAME_DIR");
    return dir != nullptr && *dir != '\0' ? dir : BRINEHOLD_GAME_DIR;
}

// A program of a game folder: NAME, or NAME.exe in a Windows build.
inline std::string ProgramPath(const std::string& name,
                               const std::filesystem::path& gameDir = GameDir()) {
    const auto plain = gameDir / name;
    auto windows = plain;
    windows += ".exe";
    return std::filesystem::exists(windows) ? windows.string() : plain.string();
}

inline std::string GameBinary() {
    return ProgramPath("brinehold");
}

// The words of BRINEHOLD_E2E_PREFIX, put before every Windows program.
inline std::vector<std::string> CommandPrefix(const std::string& program) {
    std::vector<std::string> words;
    const char* prefix = std::getenv("BRINEHOLD_E2E_PREFIX");
    if (prefix == nullptr || !program.ends_with(".exe")) {
        return words;
    }
    std::istringstream in(prefix);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// `args` with the words of the prefix put before the first Windows program
// among them, so that a command such as `env X=1 brinehold.exe` or
// `xvfb-run ... brinehold.exe` starts the game through the prefix too.
inline std::vector<std::string> WithPrefix(const std::vector<std::string>& args) {
    std::vector<std::string> command;
    bool placed = false;
    for (const auto& arg : args) {
        if (!placed && arg.ends_with(".exe")) {
            const auto prefix = CommandPrefix(arg);
            command.insert(command.end(), prefix.begin(), prefix.end());
            placed = true;
        }
        command.push_back(arg);
    }
    return command;
}

// The game's program as the start of a shell command line, prefix included.
inline std::string GameCommandLine() {
    std::string line;
    for (const auto& word : WithPrefix({GameBinary()})) {
        line += (line.empty() ? "" : " ") + word;
    }
    return line;
}

// SDL's video driver for a real window: X11 for this build; a Windows build
// draws through Windows' own driver, which Wine puts on the X display.
inline std::string WindowVideoDriver() {
    return GameBinary().ends_with(".exe") ? "windows" : "x11";
}

// The Wine user's folder (C:\users\NAME) of WINEPREFIX, where a Windows
// build run through Wine keeps its settings and pictures. Wine sets APPDATA
// and the known folders itself, so no variable moves them. Empty for this
// build's own game.
inline std::filesystem::path WineUserFolder() {
    if (!GameBinary().ends_with(".exe")) {
        return {};
    }
    const char* prefix = std::getenv("WINEPREFIX");
    const char* home = std::getenv("HOME");
    const passwd* user = getpwuid(getuid());
    const std::filesystem::path wine =
        prefix != nullptr && *prefix != '\0'
            ? std::filesystem::path(prefix)
            : std::filesystem::path(home != nullptr ? home : "/") / ".wine";
    return wine / "drive_c" / "users" / (user != nullptr ? user->pw_name : "root");
}

// %APPDATA%\Brinehold of a Windows build under Wine; empty for this build.
inline std::filesystem::path WineSettingsFolder() {
    const auto user = WineUserFolder();
    return user.empty() ? user : user / "AppData" / "Roaming" / "Brinehold";
}

// The file on this machine that a Windows path of a game under Wine names:
// C: is WINEPREFIX's drive_c, Z: the root. Other paths are returned as they are.
inline std::filesystem::path HostPathOf(const std::string& path) {
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') {
        return path;
    }
    std::string rest = path.substr(3);
    for (char& c : rest) {
        c = c == '\\' ? '/' : c;
    }
    const char drive = static_cast<char>(path[0] | 0x20);
    if (drive == 'c' && !WineUserFolder().empty()) {
        return WineUserFolder().parent_path().parent_path() / rest;
    }
    return drive == 'z' ? std::filesystem::path("/") / rest : std::filesystem::path(path);
}

// Moves a folder aside while it lives and puts it back after, so a test can
// start from no settings without losing the ones that were there.
class SetAside {
public:
    explicit SetAside(std::filesystem::path folder) : folder_(std::move(folder)) {
        std::error_code error;
        if (!folder_.empty() && std::filesystem::exists(folder_, error)) {
            aside_ = folder_;
            aside_ += ".e2e-aside";
            std::filesystem::remove_all(aside_, error);
            std::filesystem::rename(folder_, aside_, error);
            if (error) {
                throw std::runtime_error("cannot move " + folder_.string() + " aside");
            }
        }
    }
    ~SetAside() {
        std::error_code ignored;
        if (!folder_.empty()) {
            std::filesystem::remove_all(folder_, ignored);
        }
        if (!aside_.empty()) {
            std::filesystem::rename(aside_, folder_, ignored);
        }
    }
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;

private:
    std::filesystem::path folder_;
    std::filesystem::path aside_;
};

struct RunResult {
    int exitCode = -1; // -1: killed by a signal or by the time limit
    bool timedOut = false;
    std::string out; // standard output
    std::string err; // standard error
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs `args` (args[0] is the program) in `workdir` with stdout and stderr
// captured; kills it after `timeoutSeconds`.
inline RunResult RunProcess(const std::vector<std::string>& args,
                            const std::filesystem::path& workdir, int timeoutSeconds = 60) {
    RunResult result;
    const auto outPath = workdir / ".stdout";
    const auto errPath = workdir / ".stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addchdir_np(&actions, workdir.c_str());
    const std::vector<std::string> command = WithPrefix(args);
    std::vector<char*> argv;
    for (const auto& a : command) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    // A prefix such as "wine" is found on the PATH.
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + args[0]);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!result.timedOut && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    return result;
}

// One temporary working directory and the runs of the game in it.
class GameRun {
public:
    // `gameDir`: the game folder whose program and data run (the one under test).
    explicit GameRun(std::filesystem::path gameDir = GameDir()) : game_(std::move(gameDir)) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brinehold-e2e-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary directory");
        }
        dir_ = pattern;
        for (const char* sub : {"data", "sound"}) {
            std::filesystem::create_directory_symlink(game_ / sub, dir_ / sub);
        }
    }
    ~GameRun() {
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    const std::filesystem::path& Dir() const { return dir_; }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }
    std::string ReadFile(const std::string& name) const { return ReadWholeFile(dir_ / name); }
    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }

    // The script of the next runs (empty: no --script).
    void Script(const std::string& text) { script_ = text; }
    // Asks the next runs for a state dump / screenshot after tick T.
    void DumpAt(int tick) { dumps_.push_back(tick); }
    void DumpAt(std::initializer_list<int> ticks) {
        dumps_.insert(dumps_.end(), ticks.begin(), ticks.end());
    }
    void ScreenshotAt(int tick) { shots_.push_back(tick); }
    std::string StatePath(int tick) const {
        return PathOf("state-" + std::to_string(tick) + ".json");
    }
    std::string ScreenshotPath(int tick) const {
        return PathOf("shot-" + std::to_string(tick) + ".png");
    }

    // Runs `brinehold --headless --workdir DIR --seed 1 --ticks N --log log.txt`
    // with the script, dumps and screenshots asked for, then `extra`.
    RunResult Run(int ticks, const std::vector<std::string>& extra = {}, int timeoutSeconds = 60) {
        std::vector<std::string> args = {ProgramPath("brinehold", game_),
                                         "--headless",
                                         "--workdir",
                                         dir_.string(),
                                         "--seed",
                                         "1",
                                         "--ticks",
                                         std::to_string(ticks),
                                         "--log",
                                         PathOf("log.txt")};
        if (!script_.empty()) {
            WriteFile("script.txt", script_);
            args.insert(args.end(), {"--script", PathOf("script.txt")});
        }
        for (int t : dumps_) {
            args.insert(args.end(), {"--dump-state", std::to_string(t) + ":" + StatePath(t)});
        }
        for (int t : shots_) {
            args.insert(args.end(), {"--screenshot", std::to_string(t) + ":" + ScreenshotPath(t)});
        }
        args.insert(args.end(), extra.begin(), extra.end());
        return RunProcess(args, dir_, timeoutSeconds);
    }
    // Runs the binary with exactly `args` (without the program name) in DIR.
    RunResult RunRaw(const std::vector<std::string>& args, int timeoutSeconds = 60) const {
        std::vector<std::string> all = {ProgramPath("brinehold", game_)};
        all.insert(all.end(), args.begin(), args.end());
        return RunProcess(all, dir_, timeoutSeconds);
    }

    // The state dumped after tick T by the last run.
    nlohmann::json State(int tick) const {
        return nlohmann::json::parse(ReadWholeFile(StatePath(tick)));
    }
    // The log of the last run, one entry per line.
    std::vector<std::string> Log() const {
        std::vector<std::string> lines;
        std::istringstream in(ReadFile("log.txt"));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    bool LogHas(const std::string& line) const {
        for (const auto& l : Log()) {
            if (l == line) {
                return true;
            }
        }
        return false;
    }
    // Lines whose text after the tick starts with `event` (e.g. "save ").
    std::vector<std::string> LogEvents(const std::string& event) const {
        std::vector<std::string> found;
        for (const auto& l : Log()) {
            const auto space = l.find(' ');
            if (space != std::string::npos && l.compare(space + 1, event.size(), event) == 0) {
                found.push_back(l);
            }
        }
        return found;
    }

private:
    std::filesystem::path game_;
    std::filesystem::path dir_;
    std::string script_;
    std::vector<int> dumps_;
    std::vector<int> shots_;
};

} // namespace e2e

// Linked into every Windows program of the game. The game is a windowed
// program, so a player who starts it sees no console; started from a console
// (for --help, a bug report's --log, or the tools), its output goes to that
// console. Output already redirected to a file or a pipe stays there.
#include <windows.h>

#include <cstdio>

namespace {

bool HasOutput(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

struct ProcessStart {
    ProcessStart() {
        const bool out = HasOutput(STD_OUTPUT_HANDLE);
        const bool err = HasOutput(STD_ERROR_HANDLE);
        if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
            return;
        }
        SetConsoleOutputCP(CP_UTF8);
        if (!out) {
            std::freopen("CONOUT$", "w", stdout);
        }
        if (!err) {
            std::freopen("CONOUT$", "w", stderr);
        }
    }
};

const ProcessStart start;

} // namespace

// Linked into every Windows program of the game. The game is a windowed
// program, so a player who starts it sees no console; started from a console
// (for --help, a bug report's --log, or the tools), its output goes to that
// console. Output already redirected to a file or a pipe stays there.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace {

bool HasOutput(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// The same bytes as on Linux: no CR put before each line feed (a console
// starts a new line on a bare line feed too).
void BinaryOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

struct ProcessStart {
    ProcessStart() {
        const bool out = HasOutput(STD_OUTPUT_HANDLE);
        const bool err = HasOutput(STD_ERROR_HANDLE);
        if (!(out && err) && AttachConsole(ATTACH_PARENT_PROCESS)) {
            SetConsoleOutputCP(CP_UTF8);
            if (!out) {
                std::freopen("CONOUT$", "w", stdout);
            }
            if (!err) {
                std::freopen("CONOUT$", "w", stderr);
            }
        }
        BinaryOutput();
    }
};

const ProcessStart start;

} // namespace

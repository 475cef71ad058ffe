// Fonts on Windows: Arial from the system's fonts folder, else the Liberation
// Sans the game ships in its own fonts folder (same metrics as Arial). Every
// family the game names is drawn in one of the two.
#include <windows.h>
// shlobj.h needs the types of windows.h.
#include <shlobj.h>

#include <filesystem>
#include <system_error>

#include "platform/sdl/FontFace.h"
#include "platform/windows/WideText.h"

namespace platform {
namespace {

std::filesystem::path SystemFontsFolder() {
    wchar_t* folder = nullptr;
    std::filesystem::path path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Fonts, 0, nullptr, &folder))) {
        path = folder;
    }
    CoTaskMemFree(folder);
    return path;
}

// The folder of the running program, where the bundled fonts/ lies.
std::filesystem::path ProgramFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

} // namespace

bool FindFace(const std::string&, bool bold, bool italic, FontFace& face) {
    static const wchar_t* const kArial[] = {L"arial.ttf", L"arialbd.ttf", L"ariali.ttf",
                                            L"arialbi.ttf"};
    static const wchar_t* const kLiberation[] = {
        L"LiberationSans-Regular.ttf", L"LiberationSans-Bold.ttf", L"LiberationSans-Italic.ttf",
        L"LiberationSans-BoldItalic.ttf"};
    const int style = (bold ? 1 : 0) + (italic ? 2 : 0);
    const std::filesystem::path candidates[] = {
        SystemFontsFolder() / kArial[style], ProgramFolder() / L"fonts" / kLiberation[style],
        // A missing style is drawn from the regular face, made bold or
        // slanted by the renderer.
        SystemFontsFolder() / kArial[0], ProgramFolder() / L"fonts" / kLiberation[0]};
    for (std::size_t i = 0; i < std::size(candidates); ++i) {
        if (IsFile(candidates[i])) {
            face.file = Utf8FromWide(candidates[i].native());
            face.index = 0;
            face.fakeBold = i >= 2 && bold;
            face.fakeItalic = i >= 2 && italic;
            return true;
        }
    }
    return false;
}

} // namespace platform

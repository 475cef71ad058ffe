// Where the game is and where its settings go, on Windows. Paths cross the
// boundary as UTF-8 and are turned into UTF-16 for every call, so a folder
// such as C:\Users\Иван\AppData\Roaming works.
#include "platform/Folders.h"

#include <windows.h>
// shlobj.h needs the types of windows.h.
#include <shlobj.h>
// windows.h makes CopyFile a macro for CopyFileW, which would rename ours.
#undef CopyFile

#include <filesystem>
#include <system_error>

#include "platform/FilePath.h"
#include "platform/windows/WideText.h"

namespace fs = std::filesystem;

namespace platform {

FolderRules SystemFolderRules() {
    return FolderRules::Windows;
}

std::string GetEnvironment(const char* name) {
    const std::wstring wideName = WideFromUtf8(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    value.resize(length < size ? length : 0);
    return Utf8FromWide(value);
}

std::string ExecutableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return Utf8FromPath(fs::path(buffer).parent_path());
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string WorkingFolder() {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    return error ? std::string() : Utf8FromPath(here);
}

bool PathExists(const std::string& path) {
    std::error_code error;
    return fs::exists(PathFromUtf8(path), error);
}

// The user's own folders are private already (their ACL grants the user
// alone), and a new folder inherits that.
bool MakePrivateFolder(const std::string& path, std::string& error) {
    std::error_code ec;
    fs::create_directories(PathFromUtf8(path), ec);
    if (ec) {
        error = "cannot create " + path + ": " + ec.message();
        return false;
    }
    return true;
}

bool CopyFile(const std::string& from, const std::string& to, std::string& error) {
    std::error_code ec;
    if (!fs::copy_file(PathFromUtf8(from), PathFromUtf8(to), fs::copy_options::none, ec)) {
        error = "cannot copy " + from + " to " + to + ": " + ec.message();
        return false;
    }
    return true;
}

bool IsSuperuser() {
    return false;
}

std::string PicturesFolder() {
    PWSTR folder = nullptr;
    std::string found;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &folder))) {
        found = Utf8FromWide(folder);
    }
    CoTaskMemFree(folder);
    return found;
}

} // namespace platform

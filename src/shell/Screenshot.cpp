#include "shell/Screenshot.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "platform/FilePath.h"
#include "platform/Folders.h"
#include "platform/Image.h"
#include "platform/Log.h"
#include "shell/MainForm.h"

bool WriteFramePng(const std::string& path, TmainForm& form) {
    TDirectDrawSurface* surface = form.BackBuffer();
    std::vector<std::uint32_t> black;
    platform::PixelView view;
    if (surface != nullptr && surface->Width() == 800 && surface->Height() == 600) {
        view = surface->View();
    } else {
        black.assign(800 * 600, 0);
        view = platform::PixelView{black.data(), 800, 600, 800};
    }
    return platform::WritePng(path, view);
}

namespace {

std::filesystem::path FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

// The desktop keeps the pictures folder in user-dirs.dirs when the
// environment does not name it: XDG_PICTURES_DIR="$HOME/Pictures".
std::filesystem::path PicturesFromUserDirs(const std::filesystem::path& home) {
    std::filesystem::path config = FromEnvironment("XDG_CONFIG_HOME");
    if (!config.is_absolute()) {
        config = home / ".config";
    }
    std::ifstream in(config / "user-dirs.dirs");
    const std::string key = "XDG_PICTURES_DIR=\"";
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1 || line.back() != '"') {
            continue;
        }
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.rfind("$HOME", 0) == 0) {
            value = home.string() + value.substr(5);
        }
        return value;
    }
    return {};
}

} // namespace

std::vector<std::filesystem::path> ScreenshotFolders() {
    std::vector<std::filesystem::path> folders;
    std::error_code error;
    if (platform::SystemFolderRules() == platform::FolderRules::Windows) {
        const std::string pictures = platform::PicturesFolder();
        if (!pictures.empty()) {
            folders.push_back(platform::PathFromUtf8(pictures) / "Brinehold");
        }
        folders.push_back(std::filesystem::current_path(error));
        return folders;
    }
    const std::filesystem::path home = FromEnvironment("HOME");
    // Relative values are not meant for us (the desktop's own convention).
    std::filesystem::path pictures = FromEnvironment("XDG_PICTURES_DIR");
    if (!pictures.is_absolute() && home.is_absolute()) {
        pictures = PicturesFromUserDirs(home);
    }
    if (pictures.is_absolute()) {
        folders.push_back(pictures / "Brinehold");
    }
    if (home.is_absolute()) {
        folders.push_back(home / "Pictures" / "Brinehold");
    }
    folders.push_back(std::filesystem::current_path(error));
    return folders;
}

std::string ScreenshotFileName(std::time_t when) {
    std::tm local{};
    if (const std::tm* converted = std::localtime(&when)) {
        local = *converted;
    }
    char name[64];
    std::strftime(name, sizeof name, "brinehold-%Y%m%d-%H%M%S.png", &local);
    return name;
}

std::string SaveScreenshot(TmainForm& form) {
    const std::string name = ScreenshotFileName(std::time(nullptr));
    const std::string stem = name.substr(0, name.size() - 4);
    for (const auto& folder : ScreenshotFolders()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        // Two pictures in one second: the later one gets a number.
        std::filesystem::path path = folder / name;
        for (int n = 2; std::filesystem::exists(path, error) && n < 1000; ++n) {
            path = folder / (stem + "-" + std::to_string(n) + ".png");
        }
        if (WriteFramePng(path.string(), form)) {
            platform::LogEvent("screenshot " + path.string());
            return path.string();
        }
    }
    platform::LogEvent("screenshot failed");
    return {};
}

#include "platform/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {

FolderRules SystemFolderRules() {
    return FolderRules::Posix;
}

bool IsSuperuser() {
    return geteuid() == 0;
}

std::string GetEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string ExecutableFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

std::string WorkingFolder() {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    return error ? std::string() : here.string();
}

bool PathExists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

bool MakePrivateFolder(const std::string& path, std::string& error) {
    const fs::path folder(path);
    std::error_code ec;
    if (fs::is_directory(folder, ec)) {
        return true;
    }
    if (folder.has_parent_path() && folder.parent_path() != folder &&
        !MakePrivateFolder(folder.parent_path().string(), error)) {
        return false;
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CopyFile(const std::string& from, const std::string& to, std::string& error) {
    std::error_code ec;
    if (!fs::copy_file(from, to, fs::copy_options::none, ec)) {
        error = "cannot copy " + from + " to " + to + ": " + ec.message();
        return false;
    }
    return true;
}

std::string PicturesFolder() {
    return {};
}

} // namespace platform

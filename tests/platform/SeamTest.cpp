// The platform seam, kept by the build: SDL and its companions are included
// only in src/platform/sdl/ (and by the tests of that folder), and the
// operating system's headers only in src/platform/posix/ and
// src/platform/windows/. A file that breaks the rule fails this test by name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = BRINEHOLD_SOURCE_DIR;

// SDL2, SDL2_ttf, SDL2_mixer, SDL2_image, with or without the SDL2/ folder,
// and fontconfig, which the SDL text renderer uses.
const std::regex kSdlInclude(R"(^\s*#\s*include\s*[<"](SDL2/)?(SDL[A-Za-z0-9_]*\.h|fontconfig/))");
// Sockets, processes, signals, files and threads of the operating system.
const std::regex kSystemInclude(
    R"(^\s*#\s*include\s*[<"](sys/|netinet/|arpa/|unistd\.h|fcntl\.h|netdb\.h|poll\.h|spawn\.h|)"
    R"(signal\.h|pthread\.h|dlfcn\.h|dirent\.h|termios\.h|windows\.h|winsock2?\.h|ws2tcpip\.h|)"
    R"(io\.h|process\.h|shellapi\.h))",
    std::regex::icase);

bool IsSource(const fs::path& path) {
    const std::string ext = path.extension().string();
    return ext == ".cpp" || ext == ".h" || ext == ".hpp" || ext == ".cc";
}

bool Under(const fs::path& path, const std::string& folder) {
    const std::string relative = fs::relative(path, kRoot).generic_string();
    return relative.rfind(folder, 0) == 0;
}

// "file:line: text" for every include of `pattern` in the sources below
// `folders`, except those below `allowed`.
std::vector<std::string> Offenders(const std::vector<std::string>& folders,
                                   const std::vector<std::string>& allowed,
                                   const std::regex& pattern) {
    std::vector<std::string> found;
    for (const std::string& folder : folders) {
        for (const auto& entry : fs::recursive_directory_iterator(kRoot / folder)) {
            if (!entry.is_regular_file() || !IsSource(entry.path())) {
                continue;
            }
            bool exempt = false;
            for (const std::string& free : allowed) {
                exempt = exempt || Under(entry.path(), free);
            }
            if (exempt) {
                continue;
            }
            std::ifstream in(entry.path());
            std::string line;
            for (int number = 1; std::getline(in, line); ++number) {
                if (std::regex_search(line, pattern)) {
                    found.push_back(fs::relative(entry.path(), kRoot).generic_string() + ":" +
                                    std::to_string(number) + ": " + line);
                }
            }
        }
    }
    return found;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += "\n  " + line;
    }
    return text;
}

TEST(PlatformSeam, OnlyTheSdlFolderIncludesSdl) {
    const auto found =
        Offenders({"src", "tools", "tests"}, {"src/platform/sdl/", "tests/platform/"}, kSdlInclude);
    EXPECT_TRUE(found.empty()) << "SDL included outside src/platform/sdl/:" << Joined(found);
}

TEST(PlatformSeam, OnlyTheSystemFoldersIncludeSystemHeaders) {
    const auto found =
        Offenders({"src"}, {"src/platform/posix/", "src/platform/windows/"}, kSystemInclude);
    EXPECT_TRUE(found.empty()) << "system headers outside src/platform/posix/ and "
                                  "src/platform/windows/:"
                               << Joined(found);
}

} // namespace

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/FilePath.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// A folder and a file named outside ASCII, as a player's profile folder may
// be: the narrow file calls, the UTF-8 conversion and the directory listing
// must all agree on one name.
TEST(FilePath, NonAsciiNamesSurviveEveryRoute) {
    const std::string folder =
        Utf8FromPath(fs::temp_directory_path()) + "/brinehold_" +
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
        "_\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"; // "_Иван"
    ASSERT_TRUE(fs::create_directory(PathFromUtf8(folder)));
    const std::string file = folder + "/\xC3\xA9t\xC3\xA9.dat"; // "été.dat"

    std::FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr) << "the narrow calls do not take UTF-8";
    std::fputs("x", out);
    std::fclose(out);

    EXPECT_TRUE(fs::is_regular_file(PathFromUtf8(file)));
    std::string listed;
    for (const auto& entry : fs::directory_iterator(PathFromUtf8(folder))) {
        listed = Utf8FromPath(entry.path().filename());
    }
    EXPECT_EQ(listed, "\xC3\xA9t\xC3\xA9.dat");
    fs::remove_all(PathFromUtf8(folder));
}

} // namespace
} // namespace platform

// One seed and one script give one game on every system: the game under test
// (BRINEHOLD_E2E_GAME_DIR, such as the Windows build under Wine) against this
// build's own game. State dumps must match byte for byte and screenshots pixel
// for pixel; a difference is a portability bug (floating point, random
// numbers, fonts, sort order, text encoding), never a tolerance. Against
// itself the test still shows that two runs of one build agree.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/Harness.h"
#include "platform/Image.h"

namespace {

const std::vector<int> kTicks = {1, 100, 1000, 5000};

// The menu, the level banner, play with the gun held and the diver steered
// about, deaths and new levels: texts, sprites, random spawns and scores.
const std::string kScript = "1 key down Enter\n2 key up Enter\n"
                            "95 key down Space\n"
                            "300 key down Down\n420 key up Down\n"
                            "600 key down Right\n700 key up Right\n"
                            "900 key down Up\n960 key up Up\n"
                            "1500 key down Left\n1560 key up Left\n"
                            "2200 key down Down\n2300 key up Down\n"
                            "3000 key up Space\n3400 key down Space\n"
                            "4200 key down Escape\n4201 key up Escape\n";

void Record(e2e::GameRun& run) {
    run.Script(kScript);
    for (int tick : kTicks) {
        run.DumpAt(tick);
        run.ScreenshotAt(tick);
    }
    const e2e::RunResult result = run.Run(kTicks.back(), {}, 240);
    ASSERT_EQ(result.exitCode, 0) << result.err;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

Picture Read(const std::string& path) {
    Picture picture;
    EXPECT_TRUE(platform::ReadImageFile(path, picture.width, picture.height, picture.pixels))
        << path;
    return picture;
}

TEST(SameGame, DumpsAndScreenshotsMatchTheReferenceBuild) {
    e2e::GameRun tested;
    e2e::GameRun reference{std::filesystem::path(BRINEHOLD_GAME_DIR)};
    Record(tested);
    Record(reference);
    for (int tick : kTicks) {
        SCOPED_TRACE("tick " + std::to_string(tick));
        // The dump's "memory" tells the process's own use, not the game's state.
        nlohmann::json state = tested.State(tick);
        nlohmann::json expected = reference.State(tick);
        state.erase("memory");
        expected.erase("memory");
        EXPECT_EQ(state.dump(1), expected.dump(1));

        const Picture a = Read(tested.ScreenshotPath(tick));
        const Picture b = Read(reference.ScreenshotPath(tick));
        ASSERT_EQ(a.width, b.width);
        ASSERT_EQ(a.height, b.height);
        std::size_t differing = 0;
        std::size_t first = a.pixels.size();
        for (std::size_t i = 0; i < a.pixels.size(); ++i) {
            if (a.pixels[i] != b.pixels[i]) {
                first = differing++ == 0 ? i : first;
            }
        }
        EXPECT_EQ(differing, 0u) << "first at x " << first % 800 << ", y " << first / 800;
    }
}

} // namespace

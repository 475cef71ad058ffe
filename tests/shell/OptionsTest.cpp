#include "shell/Options.h"

#include <gtest/gtest.h>

namespace {

using Action = TRunOptions::Action;

TEST(Options, TheReadmeHeadlessExample) {
    const auto o = ParseOptions({"--headless", "--ticks", "100", "--screenshot", "100:/tmp/f.png",
                                 "--dump-state", "100:/tmp/s.json", "--log", "/tmp/l.txt"});
    ASSERT_EQ(o.action, Action::Run) << o.error;
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.ticks, 100u);
    ASSERT_EQ(o.screenshots.size(), 1u);
    EXPECT_EQ(o.screenshots[0].Tick, 100u);
    EXPECT_EQ(o.screenshots[0].Path, "/tmp/f.png");
    ASSERT_EQ(o.stateDumps.size(), 1u);
    EXPECT_EQ(o.stateDumps[0].Path, "/tmp/s.json");
    EXPECT_EQ(o.log, "/tmp/l.txt");
}

TEST(Options, EveryOption) {
    const auto o =
        ParseOptions({"--windowed", "--workdir", "/w", "--seed", "7", "--script", "s",
                      "--screenshot", "1:a.png", "--screenshot=2:b:c.png", "--score-server",
                      "localhost:8080", "--fullscreen", "--record=game.rec"});
    ASSERT_EQ(o.action, Action::Run) << o.error;
    EXPECT_EQ(o.forcedWindowed, 0); // the last one wins
    EXPECT_EQ(o.workdir, "/w");
    EXPECT_EQ(o.seed, 7u);
    EXPECT_EQ(o.script, "s");
    EXPECT_EQ(o.record, "game.rec");
    ASSERT_EQ(o.screenshots.size(), 2u);
    EXPECT_EQ(o.screenshots[1].Path, "b:c.png");
    EXPECT_EQ(o.scoreServer, "localhost:8080");
    EXPECT_FALSE(o.ticks.has_value());
    EXPECT_EQ(o.vsync, platform::VSyncMode::Auto);
}

TEST(Options, VSync) {
    EXPECT_EQ(ParseOptions({"--vsync", "on"}).vsync, platform::VSyncMode::On);
    EXPECT_EQ(ParseOptions({"--vsync=off"}).vsync, platform::VSyncMode::Off);
    EXPECT_EQ(ParseOptions({"--vsync", "off", "--vsync", "auto"}).vsync, platform::VSyncMode::Auto);
    EXPECT_NE(HelpText().find("--vsync on|off|auto"), std::string::npos);
}

TEST(Options, HelpAndVersion) {
    EXPECT_EQ(ParseOptions({"--help"}).action, Action::Help);
    EXPECT_EQ(ParseOptions({"--headless", "--version"}).action, Action::Version);
    EXPECT_NE(HelpText().find("--dump-state"), std::string::npos);
    EXPECT_NE(HelpText().find("--record FILE"), std::string::npos);
}

TEST(Options, MalformedValuesAreErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"-x"},
        {"extra"},
        {"--ticks"},
        {"--ticks", "ten"},
        {"--ticks", "-1"},
        {"--ticks", "10x"},
        {"--ticks", "99999999999"},
        {"--seed", ""},
        {"--screenshot", "100"},
        {"--screenshot", "x:f.png"},
        {"--screenshot", "5:"},
        {"--dump-state", ":f.json"},
        {"--workdir"},
        {"--log", ""},
        {"--record"},
        {"--record", ""},
        {"--score-server", "host:0"},
        {"--score-server", "host:70000"},
        {"--score-server", "host:port"},
        {"--score-server", ""},
        {"--headless=yes"},
        {"--vsync"},
        {"--vsync", "yes"},
        {"--vsync=ON"},
    };
    for (const auto& args : cases) {
        const auto o = ParseOptions(args);
        EXPECT_EQ(o.action, Action::Error) << args[0];
        EXPECT_FALSE(o.error.empty());
        EXPECT_EQ(o.error.find('\n'), std::string::npos);
    }
}

} // namespace

// Stand-ins for the platform in engine tests: a window that records what it
// is asked, a clock the test moves, and pictures built from plain pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/DIB.h"
#include "engine/ImageList.h"
#include "platform/Platform.h"

class FakeVideo : public platform::IVideo {
public:
    bool Open(const std::string&, int, int, std::string&) override { return true; }
    void SetFullscreen(bool fullscreen) override { modes.push_back(fullscreen); }
    void Present(platform::PixelView frame) override {
        ++presents;
        presented = frame.pixels;
    }
    // Lends `window` when it is set to the frame's size.
    platform::PixelView FrameBuffer(int width, int height) override {
        if (window.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
            return {};
        }
        return platform::PixelView{window.data(), width, height, width};
    }
    void PollEvents(std::vector<platform::Event>&) override {}
    bool WaitEvent(int) override { return false; }
    void Minimize() override {}
    bool IsActive() override { return active; }
    void ShowCursor(bool) override {}
    void SetCursorPos(int, int) override {}
    platform::JoystickState ReadJoystick() override { return joystick; }

    std::vector<bool> modes; // every SetFullscreen
    int presents = 0;
    const std::uint32_t* presented = nullptr; // the last frame's pixels
    std::vector<std::uint32_t> window;
    bool active = true;
    platform::JoystickState joystick;
};

class FakeClock : public platform::IClock {
public:
    std::uint32_t NowMs() override { return now; }
    void SleepUntilMs(std::uint32_t deadline) override { now = deadline; }
    std::uint32_t now = 0;
};

// A picture whose pixel (x, y) is `pixel(x, y)`.
template <typename F> TDIB MakePicture(int width, int height, F pixel) {
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(pixel(x, y));
        }
    }
    return TDIB::FromPixels(width, height, pixels);
}

// Pixels that tell where they came from (x and y below 2048), never black
// (the default key) nor the test key 0xFF00FF.
inline std::uint32_t CoordinatePixel(int x, int y) {
    return 0x800000u | (static_cast<std::uint32_t>(y & 0x7FF) << 11) |
           static_cast<std::uint32_t>(x & 0x7FF);
}

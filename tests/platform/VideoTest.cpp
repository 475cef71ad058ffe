// The window under SDL's dummy video driver (ctest sets SDL_VIDEODRIVER), with
// SDL events pushed into the queue as the window system would deliver them.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/Platform.h"

namespace platform {
namespace {

class VideoTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("SDL_VIDEODRIVER") == nullptr) {
            setenv("SDL_VIDEODRIVER", "dummy", 1);
        }
        std::string error;
        ASSERT_TRUE(video->Open("Brinehold", 800, 600, error)) << error;
        window = SDL_GetWindowFromID(1);
        for (Uint32 id = 1; window == nullptr && id < 64; ++id) {
            window = SDL_GetWindowFromID(id);
        }
        ASSERT_NE(window, nullptr);
        Drain();
    }

    std::vector<Event> Drain() {
        std::vector<Event> events;
        video->PollEvents(events);
        return events;
    }

    void PushKey(Uint32 type, SDL_Scancode scancode, SDL_Keycode keycode, Uint16 mod = 0,
                 bool repeat = false) {
        SDL_Event ev{};
        ev.type = type;
        ev.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        ev.key.repeat = repeat ? 1 : 0;
        ev.key.keysym.scancode = scancode;
        ev.key.keysym.sym = keycode;
        ev.key.keysym.mod = mod;
        SDL_PushEvent(&ev);
    }

    void PushButton(Uint32 type, Uint8 button, int x, int y) {
        SDL_Event ev{};
        ev.type = type;
        ev.button.button = button;
        ev.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        ev.button.x = x;
        ev.button.y = y;
        SDL_PushEvent(&ev);
    }

    void PushMotion(int x, int y) {
        SDL_Event ev{};
        ev.type = SDL_MOUSEMOTION;
        ev.motion.x = x;
        ev.motion.y = y;
        SDL_PushEvent(&ev);
    }

    void PushWindow(SDL_WindowEventID id) {
        SDL_Event ev{};
        ev.type = SDL_WINDOWEVENT;
        ev.window.event = id;
        ev.window.windowID = SDL_GetWindowID(window);
        SDL_PushEvent(&ev);
    }

    std::unique_ptr<IVideo> video = CreateSdlVideo();
    SDL_Window* window = nullptr;
};

TEST_F(VideoTest, OpensACentredFixedWindowThatCountsAsActive) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Brinehold");
    const Uint32 flags = SDL_GetWindowFlags(window);
    EXPECT_EQ(flags & SDL_WINDOW_RESIZABLE, 0u);
    EXPECT_EQ(flags & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_TRUE(video->IsActive());
}

TEST_F(VideoTest, PresentsTheFrameOneToOne) {
    std::vector<std::uint32_t> frame(800 * 600, 0x123456);
    frame[0] = 0xFF0000;
    frame[599 * 800 + 799] = 0x00FF00;
    video->Present({frame.data(), 800, 600, 800});
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->w, 800);
    auto pixel = [&](int x, int y) {
        Uint32 value = static_cast<Uint32*>(surface->pixels)[y * surface->pitch / 4 + x];
        Uint8 r, g, b;
        SDL_GetRGB(value, surface->format, &r, &g, &b);
        return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
    };
    EXPECT_EQ(pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(pixel(799, 599), 0x00FF00u);
    EXPECT_EQ(pixel(400, 300), 0x123456u);
}

TEST_F(VideoTest, LendsTheWindowSurfaceOnlyAfterAFirstFrameAndOnlyAtOneToOne) {
    EXPECT_EQ(video->FrameBuffer(800, 600).pixels, nullptr); // nothing shown yet
    std::vector<std::uint32_t> frame(800 * 600, 0x123456);
    video->Present({frame.data(), 800, 600, 800});
    EXPECT_EQ(video->FrameBuffer(640, 480).pixels, nullptr);
    PixelView lent = video->FrameBuffer(800, 600);
    ASSERT_NE(lent.pixels, nullptr);
    EXPECT_EQ(lent.pitch, 800);
    EXPECT_EQ(lent.pixels[400 * 800 + 10], 0x123456u); // the frame shown is there
    lent.pixels[5] = 0xABCDEF;
    video->Present(lent);
    EXPECT_EQ(static_cast<std::uint32_t*>(SDL_GetWindowSurface(window)->pixels)[5] & 0xFFFFFF,
              0xABCDEFu);

    // Full screen scales into a surface of the screen's size: nothing is lent.
    video->SetFullscreen(true);
    video->Present({frame.data(), 800, 600, 800});
    Drain();
    EXPECT_EQ(video->FrameBuffer(800, 600).pixels, nullptr);
    video->SetFullscreen(false);
    video->Present({frame.data(), 800, 600, 800});
    Drain();
    EXPECT_NE(video->FrameBuffer(800, 600).pixels, nullptr);
}

TEST_F(VideoTest, FullScreenAndBackKeepsThePlacement) {
    SDL_SetWindowPosition(window, 37, 41);
    int x0 = 0, y0 = 0;
    SDL_GetWindowPosition(window, &x0, &y0);
    std::vector<std::uint32_t> frame(800 * 600, 0xFFFFFF);
    for (int round = 0; round < 2; ++round) {
        video->SetFullscreen(true);
        EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
        video->Present({frame.data(), 800, 600, 800});
        Drain();
        video->SetFullscreen(false);
        EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
        video->Present({frame.data(), 800, 600, 800});
        Drain();
        int x = 0, y = 0, w = 0, h = 0;
        SDL_GetWindowPosition(window, &x, &y);
        SDL_GetWindowSize(window, &w, &h);
        EXPECT_EQ(x, x0) << round;
        EXPECT_EQ(y, y0) << round;
        EXPECT_EQ(w, 800) << round;
        EXPECT_EQ(h, 600) << round;
    }
}

TEST_F(VideoTest, FullScreenPointerIsInPicturePixels) {
    video->SetFullscreen(true);
    Drain();
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    ASSERT_GT(w, 800); // the dummy display is larger than the picture
    PushMotion(w / 2, h / 2);
    PushMotion(w - 1, h - 1);
    auto events = Drain();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].x, 400);
    EXPECT_EQ(events[0].y, 300);
    EXPECT_EQ(events[1].x, 799);
    EXPECT_EQ(events[1].y, 599);
    video->SetFullscreen(false);
}

TEST_F(VideoTest, KeysBecomeVirtualKeysAndControlCharacters) {
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_LSHIFT);
    PushKey(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_8, SDLK_UP, 0, true);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_LALT); // no character with Alt
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0, true);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_AC_BACK, SDLK_AC_BACK); // no code: dropped
    const auto events = Drain();

    struct Expected {
        Event::Type type;
        int key;
        int ch;
        bool repeat;
    };
    const Expected expected[] = {
        {Event::Type::KeyDown, 65, 0, false}, {Event::Type::KeyUp, 65, 0, false},
        {Event::Type::KeyDown, 104, 0, true}, {Event::Type::KeyDown, 13, 0, false},
        {Event::Type::Char, 0, 13, false},    {Event::Type::KeyDown, 13, 0, false},
        {Event::Type::KeyDown, 8, 0, true},   {Event::Type::Char, 0, 8, true},
        {Event::Type::KeyDown, 27, 0, false}, {Event::Type::Char, 0, 27, false},
    };
    ASSERT_EQ(events.size(), std::size(expected));
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].type, expected[i].type) << i;
        EXPECT_EQ(events[i].key, expected[i].key) << i;
        EXPECT_EQ(events[i].ch, expected[i].ch) << i;
        EXPECT_EQ(events[i].repeat, expected[i].repeat) << i;
    }
    EXPECT_TRUE(events[0].shift);
    EXPECT_TRUE(events[5].alt);
}

TEST_F(VideoTest, TypedTextBecomesCodePageCharacters) {
    SDL_Event ev{};
    ev.type = SDL_TEXTINPUT;
    SDL_strlcpy(ev.text.text, "Ж a\xE2\x9C\x93\xE2\x82\xAC",
                sizeof ev.text.text); // check mark dropped
    SDL_PushEvent(&ev);
    const auto events = Drain();
    std::vector<int> chars;
    for (const auto& e : events) {
        EXPECT_EQ(e.type, Event::Type::Char);
        chars.push_back(e.ch);
    }
    EXPECT_EQ(chars, (std::vector<int>{0xC6, ' ', 'a', 0x88}));
}

TEST_F(VideoTest, ClickFollowsAPressAndReleaseOnThePicture) {
    PushMotion(10, 20);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 12, 22);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 5);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 5, 5);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 5);
    const auto events = Drain();
    const Event::Type expected[] = {Event::Type::MouseMove, Event::Type::MouseDown,
                                    Event::Type::MouseUp,   Event::Type::Click,
                                    Event::Type::MouseDown, Event::Type::MouseUp};
    ASSERT_EQ(events.size(), std::size(expected));
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].type, expected[i]) << i;
    }
    EXPECT_EQ(events[3].x, 12);
    EXPECT_EQ(events[3].y, 22);
    EXPECT_EQ(events[4].button, Event::Button::Right);
}

TEST_F(VideoTest, WindowEvents) {
    PushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindow(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindow(SDL_WINDOWEVENT_FOCUS_GAINED); // no change: not reported again
    PushWindow(SDL_WINDOWEVENT_CLOSE);
    PushWindow(SDL_WINDOWEVENT_MAXIMIZED);
    PushWindow(SDL_WINDOWEVENT_EXPOSED); // shows the last frame again, no event
    const auto events = Drain();
    const Event::Type expected[] = {Event::Type::Deactivate, Event::Type::Activate,
                                    Event::Type::Close, Event::Type::Maximize};
    ASSERT_EQ(events.size(), std::size(expected));
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].type, expected[i]) << i;
    }
}

TEST_F(VideoTest, WaitEventKeepsTheEventForPolling) {
    EXPECT_FALSE(video->WaitEvent(1));
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_P, SDLK_p);
    EXPECT_TRUE(video->WaitEvent(100));
    const auto events = Drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].key, 80);
}

TEST_F(VideoTest, CursorAndJoystickCallsAreHarmless) {
    video->ShowCursor(false);
    video->SetCursorPos(400, 300);
    video->ShowCursor(true);
    video->Minimize();
    Drain();
    const JoystickState joystick = video->ReadJoystick();
    if (!joystick.present) {
        EXPECT_TRUE(joystick.buttons.empty());
    }
}

} // namespace
} // namespace platform

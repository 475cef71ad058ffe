#include <SDL2/SDL_keyboard.h>
#include <gtest/gtest.h>

#include "platform/sdl/KeyMap.h"

namespace platform {
namespace {

TEST(KeyMap, VirtualKeyCodes) {
    struct Case {
        SDL_Scancode scancode;
        SDL_Keycode keycode;
        int expected;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, SDLK_a, 65},
        {SDL_SCANCODE_Z, SDLK_z, 90},
        {SDL_SCANCODE_Q, SDLK_a, 65}, // AZERTY: the layout decides letters
        {SDL_SCANCODE_W, 0x0446, 87}, // Cyrillic layout: the position decides
        {SDL_SCANCODE_0, SDLK_0, 48},
        {SDL_SCANCODE_9, SDLK_9, 57},
        {SDL_SCANCODE_1, SDLK_AMPERSAND, 49}, // French digits row
        {SDL_SCANCODE_F1, SDLK_F1, 112},
        {SDL_SCANCODE_F12, SDLK_F12, 123},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, 37},
        {SDL_SCANCODE_UP, SDLK_UP, 38},
        {SDL_SCANCODE_RIGHT, SDLK_RIGHT, 39},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, 40},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, 13},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 13},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 27},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, 32},
        {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 8},
        {SDL_SCANCODE_TAB, SDLK_TAB, 9},
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 16},
        {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, 16},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, 17},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, 17},
        {SDL_SCANCODE_LALT, SDLK_LALT, 18},
        {SDL_SCANCODE_RALT, SDLK_RALT, 18},
        {SDL_SCANCODE_LGUI, SDLK_LGUI, 91},
        {SDL_SCANCODE_RGUI, SDLK_RGUI, 91},
        // Keypad digits keep their codes whatever Num Lock says.
        {SDL_SCANCODE_KP_8, SDLK_KP_8, 104},
        {SDL_SCANCODE_KP_8, SDLK_UP, 104},
        {SDL_SCANCODE_KP_0, SDLK_INSERT, 96},
        {SDL_SCANCODE_KP_9, SDLK_KP_9, 105},
        {SDL_SCANCODE_P, SDLK_p, 80},
        {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, 33},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, 46},
        {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, 186},
        {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, 192},
        {SDL_SCANCODE_F13, SDLK_F13, 124},
        {SDL_SCANCODE_AC_BACK, SDLK_AC_BACK, 0}, // no code: dropped
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VirtualKeyFromSdl(c.scancode, c.keycode), c.expected)
            << SDL_GetScancodeName(c.scancode);
    }
}

} // namespace
} // namespace platform

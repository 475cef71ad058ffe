// Translation of SDL's keys into the Windows virtual-key codes the game's key
// tables use. Takes SDL's scancode and keycode as plain integers so that the
// header stays free of SDL.
#pragma once

namespace platform {

// Letters follow the keyboard layout where it has Latin letters and the key's
// position otherwise (a Cyrillic layout still gives 'A'..'Z'); digits, the
// punctuation keys and the numeric keypad go by position (keypad digits are
// 96..105 whatever Num Lock says). Returns 0 for keys with no code.
int VirtualKeyFromSdl(int scancode, int keycode);

} // namespace platform

// The virtual-key codes of the game's key tables and events (the Windows
// numbering, which the settings file stores). Every layer names keys by these.
#pragma once

#include <cstdint>

constexpr std::uint16_t VK_BACK = 8;
constexpr std::uint16_t VK_TAB = 9;
constexpr std::uint16_t VK_RETURN = 13;
constexpr std::uint16_t VK_SHIFT = 16;
constexpr std::uint16_t VK_CONTROL = 17;
constexpr std::uint16_t VK_MENU = 18; // Alt
constexpr std::uint16_t VK_ESCAPE = 27;
constexpr std::uint16_t VK_SPACE = 32;
constexpr std::uint16_t VK_SNAPSHOT = 44; // Print Screen
constexpr std::uint16_t VK_LEFT = 37;
constexpr std::uint16_t VK_UP = 38;
constexpr std::uint16_t VK_RIGHT = 39;
constexpr std::uint16_t VK_DOWN = 40;
constexpr std::uint16_t VK_LWIN = 91;
constexpr std::uint16_t VK_NUMPAD2 = 98;
constexpr std::uint16_t VK_NUMPAD4 = 100;
constexpr std::uint16_t VK_NUMPAD6 = 102;
constexpr std::uint16_t VK_NUMPAD8 = 104;
constexpr std::uint16_t VK_F1 = 112;
constexpr std::uint16_t VK_F2 = 113;
constexpr std::uint16_t VK_F12 = 123;

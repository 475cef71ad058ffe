// The words every part of the game shares: the states of the state machine,
// the menu screens, the keys and modifier keys, the text colours and the code
// page 1251 literals. Game, menus, online and shell all include this header.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Surface.h"
#include "platform/KeyCodes.h"
#include "platform/Platform.h"

// GameState values.
constexpr std::uint8_t gsMenu = 1;
constexpr std::uint8_t gsPlaying = 2;
constexpr std::uint8_t gsExitAsk = 3;
constexpr std::uint8_t gsHeroDying = 4;
constexpr std::uint8_t gsLevelBanner = 5;
constexpr std::uint8_t gsGameOver = 6;
constexpr std::uint8_t gsPaused = 7;
constexpr std::uint8_t gsEnterName = 8;
constexpr std::uint8_t gsSendAsk = 9;
constexpr std::uint8_t gsSending = 10;
constexpr std::uint8_t gsSendFailed = 11;
constexpr std::uint8_t gsNextLevel = 12;

// MenuScreen values: the menu screens and the dialog windows over them.
constexpr std::uint8_t msMain = 1;
constexpr std::uint8_t msOptions = 2;
constexpr std::uint8_t msScores = 3;
constexpr std::uint8_t msHelp = 4;
constexpr std::uint8_t msExitAsk = 5;        // "ВЫЙТИ ИЗ ИГРЫ?"
constexpr std::uint8_t msClearScoresAsk = 6; // "ХОТИТЕ ОТЧИСТИТЬ РЕКОРДЫ?"
constexpr std::uint8_t msBossKeyPrompt = 7;  // "Нажмите нужную клавишу"
constexpr std::uint8_t msEnterName = 8;      // name and country after a game
constexpr std::uint8_t msSendAsk = 9;        // send the score?

// The modifier keys held with a key or pointer event.
struct TShiftKeys {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
};

enum class TMouseButton { mbLeft, mbRight };

// The menu text colour; highlighted answers are clRed.
constexpr TColor LightBlue = RGBColor(153, 204, 255);

// A screen text in code page 1251 from a UTF-8 literal of the sources.
inline std::string Ru(std::string_view utf8) {
    return platform::Utf8ToCp1251(utf8);
}

// The texts every scene draws on the back buffer's canvas, in one place.
#pragma once

#include <string_view>

#include "engine/Surface.h"

// Sets the canvas up as both frame loops do: clear brush, plain font, solid
// pen, Arial 16 in `color`.
void PrepareCanvas(TCanvas& canvas, TColor color);
// Draws `text` (code page 1251) at (x, y) in Arial of `size` and `color`.
void DrawText(TCanvas& canvas, int x, int y, std::string_view text, int size, TColor color);
// "ДА / НЕТ" of a dialog window at line `y`, the chosen answer in red.
void DrawAnswers(TCanvas& canvas, int y, bool yesSelected);
// The exit window's question, over the menus and over a game alike.
void DrawExitQuestion(TCanvas& canvas, bool yesSelected);

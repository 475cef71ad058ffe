#include "common/Drawing.h"

#include "common/Vocabulary.h"

void PrepareCanvas(TCanvas& canvas, TColor color) {
    canvas.Brush.Style = bsClear;
    canvas.Font.Style = TFontStyles{};
    canvas.Pen.Style = psSolid;
    canvas.Font.Color = color;
    canvas.Font.Name = "Arial";
    canvas.Font.Size = 16;
}

void DrawText(TCanvas& canvas, int x, int y, std::string_view text, int size, TColor color) {
    canvas.Font.Size = size;
    canvas.Font.Color = color;
    canvas.TextOut(x, y, text);
}

void DrawAnswers(TCanvas& canvas, int y, bool yesSelected) {
    DrawText(canvas, 360, y, Ru("ДА"), 16, yesSelected ? clRed : LightBlue);
    DrawText(canvas, 405, y, "/", 16, LightBlue);
    DrawText(canvas, 415, y, Ru("НЕТ"), 16, yesSelected ? LightBlue : clRed);
}

void DrawExitQuestion(TCanvas& canvas, bool yesSelected) {
    DrawText(canvas, 200, 165, Ru("ВЫХОД"), 16, LightBlue);
    DrawText(canvas, 320, 270, Ru("ВЫЙТИ ИЗ ИГРЫ?"), 16, LightBlue);
    DrawAnswers(canvas, 320, yesSelected);
}

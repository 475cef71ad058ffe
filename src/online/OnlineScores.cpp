#include "online/OnlineScores.h"

#include <exception>
#include <vector>

#include "common/Drawing.h"
#include "common/FormServices.h"
#include "common/TextCase.h"
#include "engine/DXClass.h"
#include "engine/DXDraw.h"
#include "engine/DXSprite.h"
#include "online/client/HttpClient.h"
#include "online/client/ScoreServer.h"
#include "online/codec/ScoreCodec.h"

namespace {

// Where a text of this width starts when centred on the 800-pixel screen.
int CentredX(TCanvas& canvas, const std::string& text) {
    PrepareCanvas(canvas, LightBlue);
    return 400 - canvas.TextWidth(text) / 2;
}

void DrawSendingTitle(TCanvas& canvas) {
    DrawText(canvas, 200, 165, Ru("ОТПРАВКА ОЧКОВ"), 16, LightBlue);
}

} // namespace

void TOnlineScores::AcceptNewEntry() {
    TFormServices& form = services_;
    form.EditMode = false;
    form.NewEntry.Score = form.GameScore();
    InsertNewScore(form.ConfigRecord, form.NewEntry);
    form.SaveConfig();
    form.GameState = gsSendAsk;
    form.MenuScreen = msSendAsk;
    form.Selected = 1;
    form.SelectItem();
}

void TOnlineScores::EnterNameAction() {
    TFormServices& form = services_;
    if (form.Selected == 1) {
        AcceptNewEntry();
    } else if (form.Selected == 2) {
        form.ReturnToMenus();
    }
}

void TOnlineScores::SendAskAction() {
    if (services_.Selected == 1) {
        SubmitScore();
    } else if (services_.Selected == 2) {
        LeaveGameToScores();
    }
}

void TOnlineScores::LeaveGameToScores() {
    TFormServices& form = services_;
    form.ReturnToMenus();
    form.Selected = 3;
    form.SelectItem();
    form.MenuAction(); // main-menu entry 3: the scores screen
}

void TOnlineScores::DrawWaitFrame() {
    TFormServices& form = services_;
    if (!form.Display().CanDraw()) {
        return;
    }
    TDirectDrawSurface& surface = *form.Display().Surface();
    surface.Fill(0);
    form.SpriteEngine().Draw();
    TCanvas& canvas = surface.Canvas();
    canvas.Brush.Style = bsClear;
    canvas.Font.Color = clRed;
    canvas.TextOut(300, 220, Ru("Пожалуйста ждите..."));
    canvas.Release();
    form.Display().Flip();
}

std::string TOnlineScores::FetchOrEmpty(const std::string& url) {
    std::string answer;
    try {
        services_.HttpClient().FetchUrl(url, answer);
    } catch (const std::exception&) {
        // Every failure reads as "no answer"; the caller shows the banner.
        answer.clear();
    }
    return answer;
}

void TOnlineScores::SubmitScore() {
    TFormServices& form = services_;
    DrawWaitFrame();
    form.GameState = gsSending;
    // The requests block the frame loop: keep the wait frame on screen and
    // the window's events drained.
    TFormServices* services = &services_;
    form.HttpClient().SetIdleCallback([services] { services->KeepWindowAlive(); });

    const std::string version = FetchOrEmpty(VersionUrl());
    if (version.substr(0, 2) != "OK") {
        form.MessageTimer = 1500;
        form.GameState = gsSendFailed;
        return;
    }
    const std::string submission =
        SubmissionText(form.NewEntry.Name.Text(), form.GameScore(), EchoValue(version),
                       form.ConfigRecord.Country.Text());
    const std::string answer = FetchOrEmpty(SubmitUrl(ToLetterCode(ToBinaryText(submission))));
    if (answer.substr(0, 2) == "OK") {
        form.GameState = gsSendAsk;
        form.Selected = 2;
        form.MenuAction(); // screen 9, "НЕТ": back to the menus on the scores screen
    } else {
        form.MessageTimer = 1500;
        form.GameState = gsSendFailed;
    }
}

void TOnlineScores::DrawEnterName(TCanvas& canvas) {
    TFormServices& form = services_;
    DrawText(canvas, 200, 165, Ru("ВЫШИ ОЧКИ: ") + std::to_string(form.GameScore()), 16, LightBlue);
    DrawText(canvas, 290, 230, Ru("ВВЕДИТЕ ВАШЕ ИМЯ:"), 16, LightBlue);
    const std::string countryTitle = Ru(" ВАША СТРАНА: ");
    DrawText(canvas, CentredX(canvas, countryTitle), 290, countryTitle, 16, LightBlue);
    ++form.BlinkCounter;

    const bool cursor = form.EditMode && form.BlinkCounter % 32 < 16;
    const std::string name = form.NewEntry.Name.Text();
    const std::string country = UpperCaseCp1251(form.ConfigRecord.Country.Text());
    const int nameX = CentredX(canvas, name);
    const int countryX = CentredX(canvas, country);
    const std::uint8_t selected = form.Selected;
    DrawText(canvas, nameX, 260, selected == 3 && cursor ? name + "|" : name, 16,
             selected == 3 ? clRed : LightBlue);
    DrawText(canvas, countryX, 320, selected == 4 && cursor ? country + "|" : country, 16,
             selected == 4 ? clRed : LightBlue);
    DrawText(canvas, 360, 350, Ru("ДА"), 16, selected == 1 ? clRed : LightBlue);
    DrawText(canvas, 405, 350, "/", 16, LightBlue);
    DrawText(canvas, 415, 350, Ru("НЕТ"), 16, selected == 2 ? clRed : LightBlue);
}

void TOnlineScores::DrawSendAsk(TCanvas& canvas) {
    DrawSendingTitle(canvas);
    DrawText(canvas, 310, 240, Ru("ОТПРАВИТЬ ОЧКИ"), 16, LightBlue);
    DrawText(canvas, 270, 280, Ru("НА СТРАНИЦУ РЕКОРДОВ?"), 16, LightBlue);
    DrawAnswers(canvas, 320, services_.Selected == 1);
}

void TOnlineScores::DrawOnlineOverlays(TCanvas& canvas) {
    TFormServices& form = services_;
    switch (form.GameState) {
    case gsEnterName:
        DrawEnterName(canvas);
        break;
    case gsSendAsk:
        DrawSendAsk(canvas);
        break;
    case gsSending:
        DrawSendingTitle(canvas);
        DrawText(canvas, 280, 240, Ru("Пожалуйста ждите..."), 16, clRed);
        break;
    case gsSendFailed:
        DrawSendingTitle(canvas);
        DrawText(canvas, 240, 240, Ru("НЕ МОГУ ПОДКЛЮЧИТЬ СЕРВЕР"), 16, clRed);
        form.MessageTimer -= 16;
        if (form.MessageTimer <= 0) {
            form.GameState = gsSendAsk; // ask again
        }
        break;
    default:
        break;
    }
}

void TOnlineScores::OpenScorePage() {
    services_.OpenWithDesktop(ScorePageUrl());
}

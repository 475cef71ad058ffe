#include "online/OnlineScores.h"

#include <exception>
#include <vector>

#include "engine/DXClass.h"
#include "engine/DXDraw.h"
#include "engine/DXSprite.h"
#include "online/HttpClient.h"
#include "online/ScoreCodec.h"
#include "online/ScoreServer.h"
#include "shell/MainForm.h"
#include "shell/TextCase.h"

namespace {

std::string Ru(std::string_view utf8) {
    return platform::Utf8ToCp1251(utf8);
}

// Where a text of this width starts when centred on the 800-pixel screen.
int CentredX(TCanvas& canvas, const std::string& text) {
    TmainForm::PrepareCanvas(canvas, LightBlue);
    return 400 - canvas.TextWidth(text) / 2;
}

void DrawAnswers(TCanvas& canvas, int y, bool yesSelected) {
    TmainForm::DrawText(canvas, 360, y, Ru("ДА"), 16, yesSelected ? clRed : LightBlue);
    TmainForm::DrawText(canvas, 405, y, "/", 16, LightBlue);
    TmainForm::DrawText(canvas, 415, y, Ru("НЕТ"), 16, yesSelected ? LightBlue : clRed);
}

void DrawSendingTitle(TCanvas& canvas) {
    TmainForm::DrawText(canvas, 200, 165, Ru("ОТПРАВКА ОЧКОВ"), 16, LightBlue);
}

} // namespace

void TOnlineScores::AcceptNewEntry() {
    TmainForm& form = *mainForm;
    form.EditMode = false;
    form.NewEntry.Score = form.Score;
    form.InsertNewScore();
    form.SaveConfig();
    form.GameState = gsSendAsk;
    form.MenuScreen = 9;
    form.Selected = 1;
    form.SelectItem();
}

void TOnlineScores::EnterNameAction() {
    TmainForm& form = *mainForm;
    if (form.Selected == 1) {
        AcceptNewEntry();
    } else if (form.Selected == 2) {
        form.GameState = gsMenu;
        form.DXSpriteEngine1->Engine().Clear();
        form.DXTimer2->SetEnabled(false);
        form.CreateMenuField();
        form.DXTimer1->SetEnabled(true);
    }
}

void TOnlineScores::SendAskAction() {
    if (mainForm->Selected == 1) {
        SubmitScore();
    } else if (mainForm->Selected == 2) {
        LeaveGameToScores();
    }
}

void TOnlineScores::LeaveGameToScores() {
    TmainForm& form = *mainForm;
    form.GameState = gsMenu;
    form.DXTimer2->SetEnabled(false);
    form.DestroyMenu();
    form.DXSpriteEngine1->Engine().Clear();
    form.CreateMenuField();
    form.Selected = 3;
    form.SelectItem();
    form.MenuAction(); // main-menu entry 3: the scores screen
    form.DXTimer1->SetEnabled(true);
}

void TOnlineScores::DrawWaitFrame() {
    TmainForm& form = *mainForm;
    if (!form.DXDraw->CanDraw()) {
        return;
    }
    TDirectDrawSurface& surface = *form.DXDraw->Surface();
    surface.Fill(0);
    form.DXSpriteEngine1->Draw();
    TCanvas& canvas = surface.Canvas();
    canvas.Brush.Style = bsClear;
    canvas.Font.Color = clRed;
    canvas.TextOut(300, 220, Ru("Пожалуйста ждите..."));
    canvas.Release();
    form.DXDraw->Flip();
}

std::string TOnlineScores::FetchOrEmpty(const std::string& url) {
    std::string answer;
    try {
        mainForm->HttpClient1->FetchUrl(url, answer);
    } catch (const std::exception&) {
        // Every failure reads as "no answer"; the caller shows the banner.
        answer.clear();
    }
    return answer;
}

void TOnlineScores::SubmitScore() {
    TmainForm& form = *mainForm;
    DrawWaitFrame();
    form.GameState = gsSending;
    if (!form.HttpClient1) {
        form.HttpClient1 = std::make_unique<THttpClient>();
    }
    // The requests block the frame loop: keep the wait frame on screen and
    // drain the window's events so they do not pile up. What the player does
    // meanwhile is dropped, as the dialog takes no input while it sends; only
    // a released key is noted.
    form.HttpClient1->SetIdleCallback([] {
        if (platform::IVideo* video = mainForm->Environment().Video) {
            std::vector<platform::Event> dropped;
            video->PollEvents(dropped);
            for (const platform::Event& event : dropped) {
                // A key released meanwhile must not leave the next press latched.
                if (event.type == platform::Event::Type::KeyUp) {
                    mainForm->KeyLatch = false;
                }
            }
        }
        if (mainForm->DXDraw->CanDraw()) {
            mainForm->DXDraw->Flip();
        }
    });

    const std::string version = FetchOrEmpty(VersionUrl());
    if (version.substr(0, 2) != "OK") {
        form.MessageTimer = 1500;
        form.GameState = gsSendFailed;
        return;
    }
    const std::string submission =
        SubmissionText(form.NewEntry.Name.Text(), form.Score, EchoValue(version),
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
    TmainForm& form = *mainForm;
    TmainForm::DrawText(canvas, 200, 165, Ru("ВЫШИ ОЧКИ: ") + std::to_string(form.Score), 16,
                        LightBlue);
    TmainForm::DrawText(canvas, 290, 230, Ru("ВВЕДИТЕ ВАШЕ ИМЯ:"), 16, LightBlue);
    const std::string countryTitle = Ru(" ВАША СТРАНА: ");
    TmainForm::DrawText(canvas, CentredX(canvas, countryTitle), 290, countryTitle, 16, LightBlue);
    ++form.BlinkCounter;

    const bool cursor = form.EditMode && form.BlinkCounter % 32 < 16;
    const std::string name = form.NewEntry.Name.Text();
    const std::string country = UpperCaseCp1251(form.ConfigRecord.Country.Text());
    const int nameX = CentredX(canvas, name);
    const int countryX = CentredX(canvas, country);
    const std::uint8_t selected = form.Selected;
    TmainForm::DrawText(canvas, nameX, 260, selected == 3 && cursor ? name + "|" : name, 16,
                        selected == 3 ? clRed : LightBlue);
    TmainForm::DrawText(canvas, countryX, 320, selected == 4 && cursor ? country + "|" : country,
                        16, selected == 4 ? clRed : LightBlue);
    TmainForm::DrawText(canvas, 360, 350, Ru("ДА"), 16, selected == 1 ? clRed : LightBlue);
    TmainForm::DrawText(canvas, 405, 350, "/", 16, LightBlue);
    TmainForm::DrawText(canvas, 415, 350, Ru("НЕТ"), 16, selected == 2 ? clRed : LightBlue);
}

void TOnlineScores::DrawSendAsk(TCanvas& canvas) {
    DrawSendingTitle(canvas);
    TmainForm::DrawText(canvas, 310, 240, Ru("ОТПРАВИТЬ ОЧКИ"), 16, LightBlue);
    TmainForm::DrawText(canvas, 270, 280, Ru("НА СТРАНИЦУ РЕКОРДОВ?"), 16, LightBlue);
    DrawAnswers(canvas, 320, mainForm->Selected == 1);
}

void TOnlineScores::DrawOnlineOverlays(TCanvas& canvas) {
    TmainForm& form = *mainForm;
    switch (form.GameState) {
    case gsEnterName:
        DrawEnterName(canvas);
        break;
    case gsSendAsk:
        DrawSendAsk(canvas);
        break;
    case gsSending:
        DrawSendingTitle(canvas);
        TmainForm::DrawText(canvas, 280, 240, Ru("Пожалуйста ждите..."), 16, clRed);
        break;
    case gsSendFailed:
        DrawSendingTitle(canvas);
        TmainForm::DrawText(canvas, 240, 240, Ru("НЕ МОГУ ПОДКЛЮЧИТЬ СЕРВЕР"), 16, clRed);
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
    mainForm->OpenWithDesktop(ScorePageUrl());
}

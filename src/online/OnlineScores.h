// The end-of-game score dialogs and the score submission, as part of the main
// window: screen 8 (name and country), screen 9 (send the score?), the states
// gsSending and gsSendFailed, the two requests of a submission and the public
// score page. The rest of the window is reached through the services the
// dialogs were made with.
//
// How the other parts call in:
// - the game tick, with the dialog windows over the field:
//   DrawOnlineOverlays(canvas) in every state (it does nothing outside
//   gsEnterName .. gsSendFailed; it runs the countdown of gsSendFailed);
// - MenuAction on screens 8 and 9: EnterNameAction() and SendAskAction();
// - Enter in the name field on screen 8 (Selected 3, EditMode set):
//   AcceptNewEntry();
// - the scores screen's item 2: OpenScorePage().
#pragma once

#include <cstdint>
#include <string>

class TCanvas;
class TFormServices;

class TOnlineScores {
public:
    explicit TOnlineScores(TFormServices& services) : services_(services) {}
    TOnlineScores(const TOnlineScores&) = delete;
    TOnlineScores& operator=(const TOnlineScores&) = delete;

    // Screen 8, "ДА" or Enter in the name field: stores NewEntry with the
    // game's score in the table and in "config.dat", then asks whether to send
    // it (screen 9).
    void AcceptNewEntry();
    // MenuAction on screen 8: item 1 accepts, item 2 returns to the main menu
    // without storing; the two text fields have no action.
    void EnterNameAction();
    // MenuAction on screen 9: item 1 runs SubmitScore, item 2 returns to the
    // menus and opens the scores screen.
    void SendAskAction();
    // Sends the stored entry: the version request, then the encoded score.
    // Blocks until both ended (the window is repainted meanwhile); ends on the
    // scores screen or in gsSendFailed.
    void SubmitScore();
    // The overlays of states 8 to 11 over the game field; counts gsSendFailed
    // down and asks again when it runs out.
    void DrawOnlineOverlays(TCanvas& canvas);
    // Asks the desktop to open the public score page.
    void OpenScorePage();

private:
    void LeaveGameToScores();
    void DrawEnterName(TCanvas& canvas);
    void DrawSendAsk(TCanvas& canvas);
    void DrawWaitFrame();
    std::string FetchOrEmpty(const std::string& url);

    TFormServices& services_;
};

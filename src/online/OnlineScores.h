// The end-of-game score dialogs and the score submission, as part of the main
// window.
#pragma once

class TOnlineScores {
public:
};

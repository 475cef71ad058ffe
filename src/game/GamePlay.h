// The game field and the game tick: the game-state variables and the
// operations of play, as part of the main window.
#pragma once

class TGamePlay {
public:
};

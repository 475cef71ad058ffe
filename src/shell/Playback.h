// The end of a recording played in a window: the player takes over at the
// main menu with his own settings.
#pragma once

class TmainForm;

// Leaves whatever the recording was doing (a game, a dialog, a sub-screen),
// reads the player's settings again, writes saves from now on, and shows the
// main menu with its timer running.
void ReturnToMenu(TmainForm& form);

// The menu scenes: sprites, item geometry, selection and actions, as part of
// the main window.
#pragma once

class TMenuSystem {
public:
};

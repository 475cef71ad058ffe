// What every game sprite needs from the main window: the form itself, its
// sprite engine root and the pictures of the game archive by name.
#pragma once

#include <string>

class TmainForm;
class TSpriteEngine;
class TPictureCollectionItem;

namespace game {

TmainForm& Form();
TSpriteEngine& Root();
// The game picture of that name; raises the picture collection's "not found"
// error when the archive lacks it.
TPictureCollectionItem* GameImage(const std::string& name);

} // namespace game

// What every game sprite reaches: the game field it belongs to, the main
// window's services, the sprite root and the game pictures by name. The one
// TGamePlay alive binds itself here while it exists.
#pragma once

#include <string>

class TFormServices;
class TGamePlay;
class TSpriteEngine;
class TPictureCollectionItem;

namespace game {

TGamePlay& Play();
TFormServices& Services();
TSpriteEngine& Root();
// The game picture of that name; raises the picture collection's "not found"
// error when the archive lacks it.
TPictureCollectionItem* GameImage(const std::string& name);

// Called by TGamePlay's constructor and destructor.
void BindPlay(TGamePlay* play);

} // namespace game

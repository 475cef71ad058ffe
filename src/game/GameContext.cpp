#include "game/GameContext.h"

#include "engine/DXSprite.h"
#include "engine/ImageList.h"
#include "shell/MainForm.h"

namespace game {

TmainForm& Form() {
    return *mainForm;
}

TSpriteEngine& Root() {
    return mainForm->DXSpriteEngine1->Engine();
}

TPictureCollectionItem* GameImage(const std::string& name) {
    return mainForm->DXImageList1->Items.Find(name);
}

} // namespace game

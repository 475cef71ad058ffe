#include "game/GameContext.h"

#include <cassert>

#include "common/FormServices.h"
#include "engine/ImageList.h"
#include "game/GamePlay.h"

namespace game {
namespace {

TGamePlay* bound = nullptr;

} // namespace

TGamePlay& Play() {
    assert(bound != nullptr);
    return *bound;
}

TFormServices& Services() {
    return Play().Services();
}

TSpriteEngine& Root() {
    return Services().SpriteRoot();
}

TPictureCollectionItem* GameImage(const std::string& name) {
    return Services().Images().Find(name);
}

void BindPlay(TGamePlay* play) {
    bound = play;
}

} // namespace game

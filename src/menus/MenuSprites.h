// The sprite classes of the menu scenes. They add nothing to their engine
// bases; they exist so that menu sprites have types of their own (and names
// in the state dump). The game scene uses TMenuBackground and TClosingWindow
// for its own background and dialog window.
#pragma once

#include "engine/DXSprite.h"

class TPictureCollection;

class TMenuBackground : public TBackgroundSprite {
public:
    using TBackgroundSprite::TBackgroundSprite;
    const char* ClassName() const override { return "TMenuBackground"; }
};

class TSubBackground : public TImageSprite {
public:
    using TImageSprite::TImageSprite;
    const char* ClassName() const override { return "TSubBackground"; }
};

class TMenuItem : public TImageSprite {
public:
    using TImageSprite::TImageSprite;
    const char* ClassName() const override { return "TMenuItem"; }
};

class TClosingWindow : public TImageSprite {
public:
    using TImageSprite::TImageSprite;
    const char* ClassName() const override { return "TClosingWindow"; }
};

// The help page picture: set up at creation as page 1 (picture 24) at
// (45, 187), Z 2, from the menu archive of the main window's image list.
class THelpImageSprite : public TImageSprite {
public:
    THelpImageSprite(TSprite* AParent, TPictureCollection& pictures);
    const char* ClassName() const override { return "THelpImageSprite"; }
};

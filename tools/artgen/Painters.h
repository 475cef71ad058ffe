// The painters of every object, each drawing at the origin of its own frame,
// so the archives and the help pages draw the same fish, icons and diver.
#pragma once

#include <string>
#include <vector>

#include "Art.h"

namespace art {

struct Size {
    int width;
    int height;
};

// Fish and sea creatures, kinds 1..13, facing left; frame 0..2.
Size FishSize(int kind);
void PaintFish(cairo_t* cr, int kind, int frame);
void PaintDeadFish(cairo_t* cr);
constexpr Size kDeadFishSize{48, 28};

// The diver facing right (frame 0..3), and his two bodies.
constexpr Size kHeroSize{113, 46};
void PaintDiver(cairo_t* cr, int frame);
enum class Death { Fish, Air };
void PaintDeadDiver(cairo_t* cr, Death death);
constexpr Size kHandEngineSize{34, 30};
void PaintHandEngine(cairo_t* cr);

// Bonus icons (38 x 38, drawn over the capsule's top-left corner).
constexpr int kIconSize = 38;
void PaintIcon(cairo_t* cr, const std::string& name);
constexpr Size kCapsuleSize{44, 46};
void PaintCapsule(cairo_t* cr, int frame);
constexpr Size kFloatSize{50, 36};
void PaintFloat(cairo_t* cr);
constexpr Size kLifeSize{22, 22};
void PaintLife(cairo_t* cr);

// Weapons.
// The shot's box is taller than the 7-row spear drawn in it, so it reaches
// the crab on the floor from the diver's lowest place; the spear lies
// kShotSpearTop rows down, and the diver's barrel and the tail follow it.
constexpr Size kShotSize{26, 12};
constexpr int kShotSpearTop = 3;
void PaintShot(cairo_t* cr);
constexpr Size kTailSize{72, 6 + kShotSpearTop};
void PaintTail(cairo_t* cr, int frame);
constexpr Size kNetSize{64, 190};
void PaintNet(cairo_t* cr, int frame);

// The sea floor's small things.
Size TreasureSize(int kind);
void PaintTreasure(cairo_t* cr, int kind);
Size AlgaeSize(int kind);
void PaintAlgae(cairo_t* cr, int kind, int frame);
int BubbleSize(int kind);
void PaintBubble(cairo_t* cr, int kind);

// Whole pictures.
std::vector<Picture> GamePictures();
std::vector<Picture> MenuPictures();
Picture DialogWindow(const std::string& name);

// Long pictures built in pieces.
std::vector<Picture> UpperRelief();
std::vector<Picture> LowerRelief();
Picture WaterBackground();
Picture StatusBar();
Picture AirScale();

// Shared backdrops: open water with its surface at surfaceY, and the
// brass-rimmed blue panel of the menus and dialogs.
void PaintSea(cairo_t* cr, int width, int height, double surfaceY, std::uint32_t seed);
void PaintPanel(cairo_t* cr, double x, double y, double w, double h, double radius,
                bool fill = true);
void Rivet(cairo_t* cr, double x, double y);
void Inset(cairo_t* cr, double x, double y, double w, double h);
// Gold lettering of labels, with a dark rim and a drop shadow.
void Label(cairo_t* cr, const std::string& text, double x, double y, double size,
           Align align = Align::Left);
void PaintTexture(cairo_t* cr, int width, int height, const std::function<double(int, int)>& shade);

// Help pages 1..7 (420 x 290).
Picture HelpPage(int page);

} // namespace art

#include <gtest/gtest.h>

#include "common/FakeServices.h"
#include "menus/MenuSystem.h"

namespace {

TEST(ItemGeometry, RectanglesIncludeTheirEdges) {
    TFakeServices services;
    const TMenuSystem menus(services);
    // Exit window "ДА": x 360..400, y 320..338.
    const struct {
        int screen, item, x, y;
        bool hit;
    } cases[] = {
        {5, 1, 360, 320, true},  {5, 1, 400, 338, true},  {5, 1, 359, 330, false},
        {5, 1, 401, 330, false}, {5, 1, 380, 339, false}, {5, 2, 415, 320, true},
        {5, 2, 445, 338, true},  {5, 2, 446, 338, false}, {6, 1, 360, 340, true},
        {8, 3, 330, 260, true},  {8, 3, 530, 278, true},  {8, 4, 549, 330, true},
        {2, 1, 474, 250, true},  {2, 1, 475, 250, false}, {2, 5, 195, 440, true},
        {9, 2, 430, 330, true},  {7, 1, 360, 320, false}, {0, 1, 0, 0, false},
        {10, 1, 0, 0, false},    {5, 7, 360, 320, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(menus.ItemHit(c.screen, c.item, c.x, c.y), c.hit)
            << c.screen << "/" << c.item << " at " << c.x << "," << c.y;
    }
}

TEST(ItemGeometry, CountsLeaveTheBackItemsOut) {
    TFakeServices services;
    const TMenuSystem menus(services);
    const int counts[] = {0, 6, 5, 2, 2, 2, 2, 0, 4, 2};
    for (int screen = 1; screen <= 9; ++screen) {
        EXPECT_EQ(menus.ItemCount[screen], counts[screen]) << screen;
    }
    EXPECT_EQ(menus.ItemX[2][6], 318);
    EXPECT_EQ(menus.ItemY[4][3], 504);
    EXPECT_EQ(menus.ItemY[1][6], 397);
}

} // namespace

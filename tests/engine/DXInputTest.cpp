#include "engine/DXInput.h"

#include <gtest/gtest.h>

#include "Fakes.h"
#include "engine/Errors.h"

namespace {

class InputTest : public ::testing::Test {
protected:
    InputTest() : input(&video) { input.Keyboard.Assigns = TKeyboard::FormAssigns(); }
    TDXInputStates Press(std::initializer_list<int> down, std::initializer_list<int> up = {}) {
        for (int key : down) {
            input.Keyboard.SetKeyDown(key, true);
        }
        for (int key : up) {
            input.Keyboard.SetKeyDown(key, false);
        }
        input.Update();
        return input.States;
    }
    static TDXInputStates Set(std::initializer_list<TDXInputState> states) {
        TDXInputStates set;
        for (TDXInputState s : states) {
            set.set(s);
        }
        return set;
    }

    FakeVideo video;
    TDXInput input;
};

TEST_F(InputTest, TwoKeysOfOneStateGiveItOnce) {
    EXPECT_EQ(Press({'W', 0x26}), Set({isUp}));
    EXPECT_EQ(Press({}, {'W'}), Set({isUp})); // the arrow still holds it
    EXPECT_EQ(Press({}, {0x26}), Set({}));
}

TEST_F(InputTest, TheFormTableMapsItsKeys) {
    struct Case {
        int key;
        TDXInputStates states;
    };
    const Case cases[] = {
        {'S', Set({isDown})},     {0x28, Set({isDown})},    {0x62, Set({isDown})},
        {'A', Set({isLeft})},     {0x64, Set({isLeft})},    {'D', Set({isRight})},
        {0x66, Set({isRight})},   {0x68, Set({isUp})},      {'Z', Set({isButton1})},
        {0x20, Set({isButton1})}, {0x10, Set({isButton2})}, {0x0D, Set({isButton2})},
        {0x71, Set({isButton9})}, {'K', Set({})},           {'X', Set({})},
    };
    for (const Case& c : cases) {
        input.Keyboard.ClearKeys();
        input.Update();
        EXPECT_EQ(Press({c.key}), c.states) << c.key;
    }
}

TEST_F(InputTest, DefaultTableOfAKeyboardWithoutFormData) {
    const TKeyAssignList assigns = TKeyboard::DefaultAssigns();
    EXPECT_EQ(assigns[isUp][0], 'K');
    EXPECT_EQ(assigns[isDown][0], 'J');
    EXPECT_EQ(assigns[isLeft][0], 'H');
    EXPECT_EQ(assigns[isRight][0], 'L');
    EXPECT_EQ(assigns[isButton2][0], 'X');
    EXPECT_EQ(assigns[isButton2][1], 0x0D);
}

TEST_F(InputTest, CodesOutsideOneTo255NeverMatch) {
    input.Keyboard.Assigns = {};
    input.Keyboard.Assigns[isButton3] = {0, 256, -1};
    input.Keyboard.Assigns[isButton4] = {0, 0, 255};
    input.Keyboard.SetKeyDown(0, true);
    input.Keyboard.SetKeyDown(256, true); // ignored
    EXPECT_EQ(Press({255}), Set({isButton4}));
}

TEST_F(InputTest, InBackgroundEverythingCountsAsReleased) {
    EXPECT_EQ(Press({'W', 'D'}), Set({isUp, isRight}));
    video.active = false;
    EXPECT_EQ(Press({}), Set({}));
    EXPECT_FALSE(input.Keyboard.KeyDown('W'));
    input.ActiveOnly = false; // unless it reads in the background too
    EXPECT_EQ(Press({}), Set({isUp, isRight}));
}

TEST_F(InputTest, StatesChangeOnlyOnPressAndRelease) {
    EXPECT_EQ(Press({0x20}), Set({isButton1}));
    input.States.reset(isButton1); // a handler consumed the press
    EXPECT_EQ(Press({}), Set({})); // still held: stays out
    Press({}, {0x20});
    EXPECT_EQ(Press({0x20}), Set({isButton1})); // pressed again
}

TEST_F(InputTest, BothDirectionsAtOnceAreBothReported) {
    EXPECT_EQ(Press({0x25, 0x27}), Set({isLeft, isRight}));
}

TEST_F(InputTest, DisabledOrUnboundDevicesGiveNothing) {
    input.Keyboard.SetEnabled(false);
    EXPECT_EQ(Press({'W'}), Set({}));
    input.Keyboard.SetEnabled(true);
    input.Keyboard.BindInputStates = false;
    EXPECT_EQ(Press({'W'}), Set({}));
    EXPECT_TRUE(input.Keyboard.States.test(isUp));
}

TEST_F(InputTest, JoystickDirectionsAndButtons) {
    struct Case {
        double x; // fraction of the half axis
        double y;
        TDXInputStates states;
        int expectedX;
    };
    const Case cases[] = {
        {-0.4, 0, Set({}), 0},           // inside the dead zone of 50
        {-0.75, 0, Set({isLeft}), -500}, //
        {1.0, 0, Set({isRight}), 1000},  //
        {0, -1.0, Set({isUp}), 0},       //
        {0, 0.6, Set({isDown}), 0},      //
    };
    video.joystick.present = true;
    for (const Case& c : cases) {
        video.joystick.x = static_cast<int>(c.x * 32768);
        video.joystick.y = static_cast<int>(c.y * 32768);
        input.Update();
        EXPECT_EQ(input.Joystick.States, c.states) << c.x << "," << c.y;
        EXPECT_EQ(input.Joystick.JoyState().X, c.expectedX) << c.x;
    }
    video.joystick.x = video.joystick.y = 0;
    video.joystick.buttons = {false, true, false, true};
    input.Update();
    EXPECT_EQ(input.Joystick.States, Set({isButton2, isButton4}));
    EXPECT_EQ(input.Joystick.JoyState().Buttons[1], 128);
    EXPECT_EQ(input.Joystick.ButtonCount(), 4);

    video.joystick.present = false;
    input.Update();
    EXPECT_EQ(input.Joystick.States, Set({}));
}

TEST(JoystickAxis, Conversion) {
    struct Case {
        int p, minimum, maximum, deadZone, range, expected;
    };
    const Case cases[] = {
        {32767, 0, 65535, 50, 1000, 0},    // centre
        {0, 0, 65535, 50, 1000, -1000},    // full left
        {65535, 0, 65535, 50, 1000, 1000}, // 1000.06
        {49151, 0, 65535, 50, 1000, 0},    // exactly the dead zone
        {8192, 0, 65535, 50, 1000, -500},  //
        {100, 0, 200, 0, 1000, 0},         //
        {150, 0, 200, 0, 1000, 500},       //
        {150, 0, 200, 100, 1000, 0},       // dead zone covers all
        {5, 5, 5, 0, 1000, 0},             // no travel at all
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TJoystick::ConvertAxis(c.p, c.minimum, c.maximum, c.deadZone, c.range),
                  c.expected)
            << c.p;
    }
}

TEST(JoystickSettings, AreClamped) {
    FakeVideo video;
    TDXInput input(&video);
    input.Joystick.SetDeadZoneX(150);
    input.Joystick.SetDeadZoneY(-5);
    input.Joystick.SetRangeZ(-1);
    EXPECT_EQ(input.Joystick.DeadZoneX(), 100);
    EXPECT_EQ(input.Joystick.DeadZoneY(), 0);
    EXPECT_EQ(input.Joystick.RangeZ(), 0);
}

TEST(DXInput, NeedsAWindow) {
    try {
        TDXInput input(nullptr);
        FAIL();
    } catch (const EDXInputError& e) {
        EXPECT_STREQ(e.what(), "Form not found");
    }
}

} // namespace

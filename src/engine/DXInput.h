// The input component: keyboard and joystick turned into one set of abstract
// states (four directions, 32 buttons) that the frame handlers read once per
// frame after Update.
//
// The keyboard does not read the machine itself: the shell feeds it the keys
// held according to the window's key events (SetKeyDown / ClearKeys), and
// Update takes a snapshot of them.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "platform/Platform.h"

enum TDXInputState {
    isUp,
    isDown,
    isLeft,
    isRight,
    isButton1,
    isButton2,
    isButton3,
    isButton4,
    isButton5,
    isButton6,
    isButton7,
    isButton8,
    isButton9,
    isButton10,
    isButton11,
    isButton12,
    isButton13,
    isButton14,
    isButton15,
    isButton16,
    isButton17,
    isButton18,
    isButton19,
    isButton20,
    isButton21,
    isButton22,
    isButton23,
    isButton24,
    isButton25,
    isButton26,
    isButton27,
    isButton28,
    isButton29,
    isButton30,
    isButton31,
    isButton32,
};

// Bit n = state n.
using TDXInputStates = std::bitset<40>;

// Up to three virtual-key codes per state; 0 is an empty slot, and codes
// outside 1 .. 255 never match.
using TKeyAssign = std::array<std::int32_t, 3>;
using TKeyAssignList = std::array<TKeyAssign, 36>;

// A device; the component creates them.
class TCustomInput {
public:
    virtual ~TCustomInput() = default;
    // Reads the device and sets States.
    virtual void Update() = 0;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value); // re-initialises the device
    void Initialize() { initialized_ = enabled_; }
    void Finalize();
    bool Initialized() const { return initialized_; }

    bool BindInputStates = true; // the states count in the component's States
    TDXInputStates States;

protected:
    // `activeOnly` is the component's ActiveOnly.
    TCustomInput(platform::IVideo& window, const bool& activeOnly)
        : window_(window), activeOnly_(activeOnly) {}
    // ActiveOnly and the window not in the foreground: the device reads nothing.
    bool MayRead() const;
    platform::IVideo& window_;
    const bool& activeOnly_;

private:
    friend class TDXInput;
    bool enabled_ = true;
    bool initialized_ = false;
};

class TKeyboard : public TCustomInput {
public:
    TKeyboard(platform::IVideo& window, const bool& activeOnly);
    void Update() override;

    // The window's key events. Codes outside 0 .. 255 are ignored.
    void SetKeyDown(int key, bool down);
    void ClearKeys();

    // The snapshot taken by the last Update (bit 7 set = down).
    const std::array<std::uint8_t, 256>& Keys() const { return keys_; }
    bool KeyDown(int key) const;

    TKeyAssignList Assigns;

    // The table of a keyboard created without form data (K J H L, X).
    static TKeyAssignList DefaultAssigns();
    // The table the game's form stores (W S A D, arrows, keypad; Shift).
    static TKeyAssignList FormAssigns();

private:
    std::array<std::uint8_t, 256> held_{};
    std::array<std::uint8_t, 256> keys_{};
};

class TJoystick : public TCustomInput {
public:
    TJoystick(platform::IVideo& window, const bool& activeOnly);
    void Update() override;

    bool AutoCenter = true;
    int ID = 0; // only the first joystick can be had from the platform

    int DeadZoneX() const { return deadZone_[0]; }
    int DeadZoneY() const { return deadZone_[1]; }
    int DeadZoneZ() const { return deadZone_[2]; }
    void SetDeadZoneX(int value); // percent of the half axis, clamped to 0 .. 100
    void SetDeadZoneY(int value);
    void SetDeadZoneZ(int value);
    int RangeX() const { return range_[0]; }
    int RangeY() const { return range_[1]; }
    int RangeZ() const { return range_[2]; }
    void SetRangeX(int value); // at least 0
    void SetRangeY(int value);
    void SetRangeZ(int value);

    // The state of the last Update: axes in -range .. range, buttons with
    // bit 7 set when pressed.
    struct TJoyState {
        int X = 0;
        int Y = 0;
        int Z = 0;
        std::array<std::uint8_t, 32> Buttons{};
    };
    const TJoyState& JoyState() const { return joyState_; }
    int ButtonCount() const { return buttonCount_; }

    // One axis from the platform's position p in minimum .. maximum, with a
    // dead zone in percent and an output range.
    static int ConvertAxis(int p, int minimum, int maximum, int deadZone, int range);

private:
    std::array<int, 3> deadZone_{50, 50, 50};
    std::array<int, 3> range_{1000, 1000, 1000};
    TJoyState joyState_;
    int buttonCount_ = 0;
};

class TDXInput {
public:
    // `window` decides the foreground and gives the joystick. Null: raises
    // EDXInputError "Form not found".
    explicit TDXInput(platform::IVideo* window);
    TDXInput(const TDXInput&) = delete;
    TDXInput& operator=(const TDXInput&) = delete;

    // Reads every device and updates States: a state enters on a press and
    // leaves on a release, so one a handler removed stays out until pressed
    // again.
    void Update();
    // Finalises and initialises every enabled device.
    void Initialize();

    bool ActiveOnly = true;
    TJoystick Joystick;
    TKeyboard Keyboard;
    TDXInputStates States;

private:
    platform::IVideo& Window(platform::IVideo* window);
    TDXInputStates oldStates_;
};

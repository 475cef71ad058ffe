#include "engine/DXInput.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/Errors.h"
#include "platform/KeyCodes.h"

// ------------------------------------------------------------ TCustomInput

void TCustomInput::SetEnabled(bool value) {
    if (enabled_ == value) {
        return;
    }
    enabled_ = value;
    Finalize();
    Initialize();
}

void TCustomInput::Finalize() {
    initialized_ = false;
    States.reset();
}

bool TCustomInput::MayRead() const {
    return !activeOnly_ || window_.IsActive();
}

// --------------------------------------------------------------- TKeyboard

namespace {

TKeyAssignList MakeAssigns(int up, int down, int left, int right, int button2) {
    TKeyAssignList assigns{};
    assigns[isUp] = {up, VK_UP, VK_NUMPAD8};
    assigns[isDown] = {down, VK_DOWN, VK_NUMPAD2};
    assigns[isLeft] = {left, VK_LEFT, VK_NUMPAD4};
    assigns[isRight] = {right, VK_RIGHT, VK_NUMPAD6};
    assigns[isButton1] = {'Z', VK_SPACE, 0};
    assigns[isButton2] = {button2, VK_RETURN, 0};
    assigns[isButton9] = {VK_F2, 0, 0};
    return assigns;
}

} // namespace

TKeyAssignList TKeyboard::DefaultAssigns() {
    return MakeAssigns('K', 'J', 'H', 'L', 'X');
}

TKeyAssignList TKeyboard::FormAssigns() {
    return MakeAssigns('W', 'S', 'A', 'D', VK_SHIFT);
}

TKeyboard::TKeyboard(platform::IVideo& window, const bool& activeOnly)
    : TCustomInput(window, activeOnly), Assigns(DefaultAssigns()) {}

void TKeyboard::SetKeyDown(int key, bool down) {
    if (key >= 0 && key <= 255) {
        held_[static_cast<std::size_t>(key)] = down ? 0x80 : 0;
    }
}

void TKeyboard::ClearKeys() {
    held_.fill(0);
}

bool TKeyboard::KeyDown(int key) const {
    return key >= 0 && key <= 255 && (keys_[static_cast<std::size_t>(key)] & 0x80) != 0;
}

void TKeyboard::Update() {
    keys_.fill(0);
    States.reset();
    if (!Initialized() || !MayRead()) {
        return;
    }
    keys_ = held_;
    for (std::size_t state = 0; state < Assigns.size(); ++state) {
        for (const std::int32_t key : Assigns[state]) {
            if (key >= 1 && key <= 255 && KeyDown(key)) {
                States.set(state);
                break;
            }
        }
    }
}

// --------------------------------------------------------------- TJoystick

TJoystick::TJoystick(platform::IVideo& window, const bool& activeOnly)
    : TCustomInput(window, activeOnly) {}

void TJoystick::SetDeadZoneX(int value) {
    deadZone_[0] = std::clamp(value, 0, 100);
}
void TJoystick::SetDeadZoneY(int value) {
    deadZone_[1] = std::clamp(value, 0, 100);
}
void TJoystick::SetDeadZoneZ(int value) {
    deadZone_[2] = std::clamp(value, 0, 100);
}
void TJoystick::SetRangeX(int value) {
    range_[0] = std::max(value, 0);
}
void TJoystick::SetRangeY(int value) {
    range_[1] = std::max(value, 0);
}
void TJoystick::SetRangeZ(int value) {
    range_[2] = std::max(value, 0);
}

int TJoystick::ConvertAxis(int p, int minimum, int maximum, int deadZone, int range) {
    const long long half = (static_cast<long long>(maximum) - minimum) / 2;
    const long long q = static_cast<long long>(p) - half;
    const long long d = half * deadZone / 100;
    if (half - d == 0 || std::llabs(q) <= d) {
        return 0;
    }
    const double scaled = q > 0
                              ? static_cast<double>(q - d) * range / static_cast<double>(half - d)
                              : static_cast<double>(q + d) * range / static_cast<double>(half - d);
    return static_cast<int>(std::nearbyint(scaled));
}

void TJoystick::Update() {
    joyState_ = TJoyState{};
    States.reset();
    if (!Initialized() || !MayRead() || ID != 0) {
        return;
    }
    const platform::JoystickState state = window_.ReadJoystick();
    if (!state.present) {
        buttonCount_ = 0;
        return;
    }
    // The platform gives -32768 .. 32767; the conversion counts from 0 like
    // the multimedia joystick positions.
    const auto axis = [](int value, int deadZone, int range) {
        return ConvertAxis(std::clamp(value, -32768, 32767) + 32768, 0, 65535, deadZone, range);
    };
    joyState_.X = axis(state.x, deadZone_[0], range_[0]);
    joyState_.Y = axis(state.y, deadZone_[1], range_[1]);
    joyState_.Z = axis(state.z, deadZone_[2], range_[2]);
    buttonCount_ = static_cast<int>(std::min<std::size_t>(state.buttons.size(), 32));
    for (int i = 0; i < buttonCount_; ++i) {
        if (state.buttons[static_cast<std::size_t>(i)]) {
            joyState_.Buttons[static_cast<std::size_t>(i)] = 128;
            States.set(static_cast<std::size_t>(isButton1 + i));
        }
    }
    if (joyState_.X < 0) {
        States.set(isLeft);
    } else if (joyState_.X > 0) {
        States.set(isRight);
    }
    if (joyState_.Y < 0) {
        States.set(isUp);
    } else if (joyState_.Y > 0) {
        States.set(isDown);
    }
}

// ---------------------------------------------------------------- TDXInput

platform::IVideo& TDXInput::Window(platform::IVideo* window) {
    if (window == nullptr) {
        throw EDXInputError("Form not found");
    }
    return *window;
}

TDXInput::TDXInput(platform::IVideo* window)
    : Joystick(Window(window), ActiveOnly), Keyboard(*window, ActiveOnly) {
    Initialize();
}

void TDXInput::Initialize() {
    Joystick.Finalize();
    Keyboard.Finalize();
    Joystick.Initialize();
    Keyboard.Initialize();
}

void TDXInput::Update() {
    TDXInputStates raw;
    for (TCustomInput* device :
         {static_cast<TCustomInput*>(&Joystick), static_cast<TCustomInput*>(&Keyboard)}) {
        device->Update();
        if (device->BindInputStates) {
            raw |= device->States;
        }
    }
    // Only presses and releases change States, so a state a handler took out
    // stays out until its key is pressed again.
    States |= raw & ~oldStates_;
    States &= ~(oldStates_ & ~raw);
    oldStates_ = raw;
}

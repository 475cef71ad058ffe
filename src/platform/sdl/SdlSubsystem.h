// Holds one start of SDL subsystems for as long as an object needs them.
// SDL counts the starts, so the video, the audio and the joystick can each
// hold their own and the last release shuts a subsystem down.
#pragma once

#include <SDL.h>

#include <string>

namespace platform {

class SdlSubsystem {
public:
    SdlSubsystem() = default;
    SdlSubsystem(const SdlSubsystem&) = delete;
    SdlSubsystem& operator=(const SdlSubsystem&) = delete;
    ~SdlSubsystem() { Release(); }

    // Returns false with `error` set when SDL refuses.
    bool Start(Uint32 flags, std::string& error) {
        Release();
        if (SDL_InitSubSystem(flags) != 0) {
            error = SDL_GetError();
            return false;
        }
        flags_ = flags;
        return true;
    }
    void Release() {
        if (flags_ != 0) {
            SDL_QuitSubSystem(flags_);
            flags_ = 0;
        }
    }
    bool Started() const { return flags_ != 0; }

private:
    Uint32 flags_ = 0;
};

} // namespace platform

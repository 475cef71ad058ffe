// The display component: the 800 x 600 back buffer every frame is composed
// in, its presentation through the platform's video, the notifications that
// keep the sprite engine and the image list in step with it, and the window
// and full-screen sequence of the form.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "engine/Surface.h"
#include "platform/Platform.h"

enum TDXDrawOption {
    doFullScreen,
    doNoWindowChange,
    doAllowReboot,
    doWaitVBlank,
    doAllowPalette256,
    doSystemMemory,
    doStretch,
    doCenter,
    doFlip,
    do3D,
    doDirectX7Mode,
    doRetainedMode,
    doHardware,
    doSelectDriver,
    doZBuffer,
};

// A set of TDXDrawOption (bit n = option n).
class TDXDrawOptions {
public:
    constexpr TDXDrawOptions() = default;
    constexpr TDXDrawOptions(std::initializer_list<TDXDrawOption> options) {
        for (TDXDrawOption option : options) {
            bits_ |= Bit(option);
        }
    }
    constexpr bool Contains(TDXDrawOption option) const { return (bits_ & Bit(option)) != 0; }
    constexpr TDXDrawOptions& Include(TDXDrawOption option) {
        bits_ |= Bit(option);
        return *this;
    }
    constexpr TDXDrawOptions& Exclude(TDXDrawOption option) {
        bits_ &= ~Bit(option);
        return *this;
    }
    constexpr std::uint32_t Bits() const { return bits_; }
    constexpr bool operator==(const TDXDrawOptions&) const = default;

private:
    static constexpr std::uint32_t Bit(TDXDrawOption option) { return 1u << option; }
    std::uint32_t bits_ = 0;
};

enum TDXDrawNotifyType {
    dxntDestroying,
    dxntInitializing,
    dxntInitialize,
    dxntInitializeSurface,
    dxntFinalize,
    dxntFinalizeSurface,
    dxntRestore,
    dxntSetSurfaceSize,
};

class TDXDraw;
using TDXDrawNotifyEvent = std::function<void(TDXDraw* Sender, TDXDrawNotifyType NotifyType)>;
using TNotifyEvent = std::function<void(TDXDraw* Sender)>;

// The full-screen display mode asked for.
struct TDXDrawDisplay {
    int Width = 640;
    int Height = 480;
    int BitCount = 8;
    bool FixedBitCount = true;
    bool FixedRatio = true;
    bool FixedSize = false;
};

enum TFormBorderStyle { bsNone, bsSingle };

class TDXDraw {
public:
    // `video` is the window the back buffer is presented in; headless runs give
    // one that shows nothing. Null: Initialize fails with "Form not found".
    explicit TDXDraw(platform::IVideo* video);
    virtual ~TDXDraw(); // finalises, then tells every listener dxntDestroying
    TDXDraw(const TDXDraw&) = delete;
    TDXDraw& operator=(const TDXDraw&) = delete;

    // Sets the display up; raises EDXDrawError and stays finalised on failure.
    void Initialize();
    // Releases everything; harmless when not initialised.
    void Finalize();
    // Initialised, not busy, and the back buffer usable (lost surfaces are
    // restored first).
    bool CanDraw();
    // Presents the back buffer (after the same check as CanDraw).
    void Flip();
    // Marks the surfaces lost, as when another program takes the display; the
    // next CanDraw or Flip restores them and sends dxntRestore.
    void LoseSurfaces();

    bool Initialized() const { return initialized_; }
    TDirectDrawSurface* Surface() const { return surface_.get(); }
    // Options take effect at the next Initialize, except doWaitVBlank,
    // doStretch and doCenter, which apply at once.
    void SetOptions(TDXDrawOptions value);
    TDXDrawOptions Options() const { return options_; }
    TDXDrawOptions NowOptions() const { return nowOptions_; }
    // True while the flip driver (full screen with doFlip) presents.
    bool FlipDriver() const { return flipDriver_; }

    platform::IVideo* Video() const { return video_; }

    // Listeners are called last registered first. Registering calls the
    // listener at once with dxntSetSurfaceSize and, if initialised, with the
    // notifications that bring it up to date; unregistering takes it down.
    void RegisterNotifyEvent(void* owner, TDXDrawNotifyEvent event);
    void UnRegisterNotifyEvent(void* owner);

    // The window around the display (the form's side of a mode switch).
    // CacheWindow remembers the placement; RestoreWindow gives it back once,
    // and does nothing when none was remembered (the platform keeps the
    // placement itself; these keep the bookkeeping of the sequence).
    void CacheWindow();
    bool RestoreWindow(); // true if a placement was restored
    bool WindowCached() const { return windowCached_; }
    TFormBorderStyle BorderStyle = bsSingle;

    // The mode switch: Finalize; to a window RestoreWindow, single border,
    // no doFullScreen, centred; to full screen CacheWindow, no border,
    // doFullScreen; then Initialize.
    void ChangeDisplayMode(bool windowed);

    bool AutoInitialize = true;
    bool AutoSize = true;
    TDXDrawDisplay Display;
    int SurfaceWidth = 800;
    int SurfaceHeight = 600;

    TNotifyEvent OnInitializing;
    TNotifyEvent OnInitialize;
    TNotifyEvent OnInitializeSurface;
    TNotifyEvent OnFinalize;
    TNotifyEvent OnFinalizeSurface;
    TNotifyEvent OnRestoreSurface;

protected:
    // Puts the platform window into the mode; false when it refuses.
    virtual bool ApplyDisplayMode(bool fullscreen);

private:
    struct Listener {
        void* owner;
        TDXDrawNotifyEvent event;
    };
    void Notify(TDXDrawNotifyType type);
    bool UpdateSurface(); // the surface check
    void Restore();
    void ComputeNowOptions();

    platform::IVideo* video_;
    TDXDrawOptions options_;
    TDXDrawOptions nowOptions_;
    std::unique_ptr<TDirectDrawSurface> surface_;
    std::vector<Listener> listeners_;
    bool initialized_ = false;
    bool initializing_ = false; // an initialisation has started
    bool surfaceInitialized_ = false;
    bool busy_ = false;
    bool initializingNow_ = false; // inside the notifications of Initialize
    bool flipDriver_ = false;
    bool windowCached_ = false;
};

#include "engine/DXDraw.h"

#include <algorithm>
#include <string>

#include "engine/Errors.h"

namespace {

// The form's setting of the display options.
constexpr TDXDrawOptions kFormOptions{doAllowReboot,  doWaitVBlank, doCenter,      doFlip,
                                      doDirectX7Mode, doHardware,   doSelectDriver};

void Fire(const TNotifyEvent& event, TDXDraw* sender) {
    if (event) {
        event(sender);
    }
}

} // namespace

TDXDraw::TDXDraw(platform::IVideo* video) : video_(video), options_(kFormOptions) {
    ComputeNowOptions();
}

TDXDraw::~TDXDraw() {
    Finalize();
    Notify(dxntDestroying);
    listeners_.clear();
}

void TDXDraw::ComputeNowOptions() {
    TDXDrawOptions now = options_;
    if (!now.Contains(doFullScreen)) {
        now.Exclude(doNoWindowChange)
            .Exclude(doAllowReboot)
            .Exclude(doAllowPalette256)
            .Exclude(doFlip);
    }
    if (!now.Contains(do3D)) {
        now.Exclude(doDirectX7Mode)
            .Exclude(doRetainedMode)
            .Exclude(doHardware)
            .Exclude(doSelectDriver)
            .Exclude(doZBuffer);
    }
    if (now.Contains(doSystemMemory)) {
        now.Exclude(doFlip);
    }
    if (now.Contains(doDirectX7Mode)) {
        now.Exclude(doRetainedMode);
    }
    now.Exclude(doHardware);
    nowOptions_ = now;
}

void TDXDraw::SetOptions(TDXDrawOptions value) {
    options_ = value;
    if (!initialized_) {
        ComputeNowOptions();
        return;
    }
    for (TDXDrawOption option : {doWaitVBlank, doStretch, doCenter}) {
        if (value.Contains(option)) {
            nowOptions_.Include(option);
        } else {
            nowOptions_.Exclude(option);
        }
    }
}

void TDXDraw::Notify(TDXDrawNotifyType type) {
    // Last registered first. A listener may unregister itself or others while
    // it runs, so the list is indexed afresh and each call runs on a copy.
    for (std::size_t i = listeners_.size(); i-- > 0;) {
        if (i >= listeners_.size()) {
            continue;
        }
        const TDXDrawNotifyEvent event = listeners_[i].event;
        event(this, type);
    }
}

void TDXDraw::RegisterNotifyEvent(void* owner, TDXDrawNotifyEvent event) {
    UnRegisterNotifyEvent(owner);
    listeners_.push_back(Listener{owner, event});
    event(this, dxntSetSurfaceSize);
    if (initialized_) {
        event(this, dxntInitialize);
        if (surfaceInitialized_) {
            event(this, dxntInitializeSurface);
        }
        if (!initializingNow_) {
            event(this, dxntRestore);
        }
    }
}

void TDXDraw::UnRegisterNotifyEvent(void* owner) {
    const auto at = std::find_if(listeners_.begin(), listeners_.end(),
                                 [owner](const Listener& l) { return l.owner == owner; });
    if (at == listeners_.end()) {
        return;
    }
    const TDXDrawNotifyEvent event = at->event;
    listeners_.erase(at);
    if (surfaceInitialized_) {
        event(this, dxntFinalizeSurface);
    }
    if (initialized_) {
        event(this, dxntFinalize);
    }
}

bool TDXDraw::ApplyDisplayMode(bool fullscreen) {
    video_->SetFullscreen(fullscreen);
    return true;
}

void TDXDraw::Initialize() {
    Finalize();
    if (video_ == nullptr) {
        throw EDXDrawError("Form not found");
    }
    initializing_ = true;
    Fire(OnInitializing, this);
    busy_ = true;
    Notify(dxntInitializing);
    try {
        ComputeNowOptions();
        flipDriver_ = nowOptions_.Contains(doFlip);
        const bool fullscreen = nowOptions_.Contains(doFullScreen);
        if (!ApplyDisplayMode(fullscreen) && fullscreen) {
            std::string message = engine::FormatMessage(
                "Display mode cannot be changed (%dx%d %dbit)", Display.Width);
            message = engine::FormatMessage(message, Display.Height);
            message = engine::FormatMessage(message, Display.BitCount);
            throw EDXDrawError(message);
        }
        if (AutoSize) {
            // The control fills the 800 x 600 client area.
            SurfaceWidth = 800;
            SurfaceHeight = 600;
        }
        surface_ = std::make_unique<TDirectDrawSurface>(std::max(SurfaceWidth, 1),
                                                        std::max(SurfaceHeight, 1));
        surface_->Fill(0);
        surfaceInitialized_ = true;

        initialized_ = true;
        busy_ = false;
        initializingNow_ = true;
        Notify(dxntSetSurfaceSize);
        Notify(dxntInitialize);
        Fire(OnInitialize, this);
        Notify(dxntInitializeSurface);
        Fire(OnInitializeSurface, this);
        initializingNow_ = false;
    } catch (...) {
        initializingNow_ = false;
        Finalize();
        throw;
    }
    Restore();
}

void TDXDraw::Finalize() {
    if (!initializing_) {
        return;
    }
    busy_ = true;
    if (surfaceInitialized_) {
        Fire(OnFinalizeSurface, this);
        Notify(dxntFinalizeSurface);
    }
    if (initialized_) {
        Fire(OnFinalize, this);
        Notify(dxntFinalize);
    }
    initializing_ = false;
    initialized_ = false;
    surfaceInitialized_ = false;
    busy_ = false;
    flipDriver_ = false;
    ComputeNowOptions();
    surface_.reset();
}

void TDXDraw::Restore() {
    if (!initialized_ || busy_) {
        return;
    }
    busy_ = true;
    if (surface_ && surface_->Restore()) {
        surface_->Fill(0);
        Notify(dxntRestore);
        Fire(OnRestoreSurface, this);
    }
    busy_ = false;
}

bool TDXDraw::UpdateSurface() {
    if (!surface_->IsLost()) {
        return true;
    }
    Restore();
    return !surface_->IsLost();
}

bool TDXDraw::CanDraw() {
    return initialized_ && !busy_ && surface_ && UpdateSurface();
}

void TDXDraw::Flip() {
    if (!CanDraw()) {
        return;
    }
    // Full screen presents only while the window is active, so the desktop
    // stays visible behind a full-screen game that lost the focus.
    if (flipDriver_ && !video_->IsActive()) {
        return;
    }
    const platform::PixelView frame = surface_->FrameView();
    video_->PresentChanges(frame, surface_->TakeChanges());
    // The next frame is composed where the window shows it, when it can be.
    surface_->UseMemory(video_->FrameBuffer(surface_->Width(), surface_->Height()));
}

void TDXDraw::LoseSurfaces() {
    if (surface_) {
        surface_->MarkLost();
    }
}

void TDXDraw::CacheWindow() {
    windowCached_ = true;
}

bool TDXDraw::RestoreWindow() {
    const bool restored = windowCached_;
    windowCached_ = false;
    return restored;
}

void TDXDraw::ChangeDisplayMode(bool windowed) {
    Finalize();
    if (windowed) {
        RestoreWindow();
        BorderStyle = bsSingle;
        SetOptions(TDXDrawOptions(options_).Exclude(doFullScreen));
    } else {
        CacheWindow();
        BorderStyle = bsNone;
        SetOptions(TDXDrawOptions(options_).Include(doFullScreen));
    }
    Initialize();
}

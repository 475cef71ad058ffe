// The game window over SDL2: presentation, event translation, the pointer and
// the first joystick.
//
// Presenting: where an accelerated renderer offers vsync, every frame goes
// through it (a streaming texture, scaled on the GPU), in the window and in
// full screen, and each present waits for the vertical blank. Otherwise, in
// a window at 1 : 1 the window surface is the cheapest path (one copy and a
// shared-memory put on X11). SDL would by default back that surface with its
// render API, which without a GPU means software OpenGL at more than a core,
// so the texture framebuffer is switched off. Full screen without vsync
// scales through a renderer where the GPU does the work, else with our own
// scalers straight into the window surface.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/Letterbox.h"
#include "platform/Platform.h"
#include "platform/Scaler.h"
#include "platform/TextCodec.h"
#include "platform/sdl/Host.h"
#include "platform/sdl/KeyMap.h"
#include "platform/sdl/SdlSubsystem.h"
#include "platform/sdl/WindowManager.h"

namespace platform {
namespace {

bool ContainsNoCase(std::string haystack, std::string needle) {
    auto lower = [](std::string s) {
        for (char& c : s) {
            c = static_cast<char>(SDL_tolower(static_cast<unsigned char>(c)));
        }
        return s;
    };
    return lower(std::move(haystack)).find(lower(std::move(needle))) != std::string::npos;
}

// True when the OpenGL behind `renderer` rasterises on the CPU (llvmpipe and
// friends): such a renderer costs more than the software stretch.
bool IsSoftwareGl(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0) {
        return true;
    }
    if ((info.flags & SDL_RENDERER_SOFTWARE) != 0 || (info.flags & SDL_RENDERER_ACCELERATED) == 0) {
        return true;
    }
    std::string name = info.name ? info.name : "";
    if (name.rfind("opengl", 0) != 0) {
        return false; // Vulkan, Direct3D, Metal: taken as hardware
    }
    using GetString = const unsigned char*(SDLCALL*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (getString == nullptr) {
        return true;
    }
    constexpr unsigned int kGlRenderer = 0x1F01;
    const unsigned char* text = getString(kGlRenderer);
    const std::string gl = text ? reinterpret_cast<const char*>(text) : "";
    return gl.empty() || ContainsNoCase(gl, "llvmpipe") || ContainsNoCase(gl, "softpipe") ||
           ContainsNoCase(gl, "swrast") || ContainsNoCase(gl, "software");
}

class SdlVideo final : public IVideo {
public:
    explicit SdlVideo(VSyncMode vsync) : vsyncMode_(vsync) {}
    ~SdlVideo() override { Close(); }

    bool Open(const std::string& title, int width, int height, std::string& error) override {
        Close();
        // Environment variables still win over these (normal priority).
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        const std::string utf8Title = Cp1251ToUtf8(title);
        SDL_SetHint(SDL_HINT_APP_NAME, utf8Title.c_str());
        OfferComposeCache();
        if (!video_.Start(SDL_INIT_VIDEO, error)) {
            error = "cannot start the video: " + error;
            return false;
        }
        width_ = std::max(width, 1);
        height_ = std::max(height, 1);
        const char* driver = SDL_GetCurrentVideoDriver();
        const std::string driverName = driver ? driver : "";
        // Drivers without a window system never report a focus: such a
        // window counts as always active.
        windowless_ = driverName == "dummy" || driverName == "offscreen";
        // The window is shown only once it has its renderer, if it may get
        // one (SDL would otherwise re-create it), and by our own hand: SDL
        // waits for the map without a limit.
        const bool tryVSync = !windowless_ && (vsyncMode_ == VSyncMode::On ||
                                               (vsyncMode_ == VSyncMode::Auto && MayHaveGpu()));
        window_ = SDL_CreateWindow(utf8Title.c_str(), SDL_WINDOWPOS_CENTERED,
                                   SDL_WINDOWPOS_CENTERED, width_, height_, SDL_WINDOW_HIDDEN);
        if (window_ == nullptr) {
            error = std::string("cannot open the window: ") + SDL_GetError();
            video_.Release();
            return false;
        }
        if (tryVSync) {
            CreateVSyncRenderer();
        }
        ShowWindowPatiently(window_);
        std::string ignored;
        if (joystick_.Start(SDL_INIT_GAMECONTROLLER, ignored)) {
            OpenFirstJoystick();
        }
        return true;
    }

    void SetFullscreen(bool fullscreen) override {
        if (window_ == nullptr || fullscreen == fullscreen_) {
            return;
        }
        if (HostFullscreen(window_, fullscreen)) {
            fullscreen_ = fullscreen;
            return;
        }
        clearedSurface_ = nullptr;
        lent_ = {};
        surfaceMayChange_ = true;
        if (fullscreen) {
            SDL_GetWindowPosition(window_, &savedX_, &savedY_);
            placementSaved_ = true;
            SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
            fullscreen_ = true;
            // Without a window manager nobody carries the request out: the
            // window would keep its size while SDL draws for the screen's.
            coveredByHand_ = !windowless_ && LacksWindowManager(window_);
            if (coveredByHand_) {
                SDL_Rect bounds;
                if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0),
                                         &bounds) == 0) {
                    CoverBounds(window_, bounds);
                }
            }
            if (!vsync_) {
                CreateHardwareRenderer();
            }
        } else {
            if (!vsync_) {
                DestroyRenderer();
            }
            SDL_SetWindowFullscreen(window_, 0);
            fullscreen_ = false;
            if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) != 0) {
                SDL_RestoreWindow(window_);
            }
            SDL_SetWindowBordered(window_, SDL_TRUE);
            SDL_SetWindowSize(window_, width_, height_);
            // Without a window system the cached place is applied at once. A
            // window manager restores the window itself, asynchronously, and
            // some misplace it by the height of the caption; moving it now,
            // while the frame is not back, would err the same way. So the
            // place is checked when the window manager has moved the window.
            leftFullscreenAt_ = SDL_GetTicks();
            if (placementSaved_ && (windowless_ || coveredByHand_)) {
                SDL_SetWindowPosition(window_, savedX_, savedY_);
                placementSaved_ = false;
            }
        }
    }

    void Present(PixelView frame) override {
        if (window_ == nullptr || frame.pixels == nullptr || frame.width <= 0 ||
            frame.height <= 0) {
            return;
        }
        if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0) {
            return;
        }
        if (renderer_ != nullptr) {
            PresentWithRenderer(frame);
        } else {
            PresentToSurface(frame);
        }
        presented_ = true;
    }

    void PresentChanges(PixelView frame, const FrameChanges& changes) override {
        changes_ = &changes;
        Present(frame);
        changes_ = nullptr;
    }

    // Lends the window surface's pixels in a window at 1 : 1 without a
    // renderer: the frame is then composed in place and presenting it is
    // only the put to the screen.
    PixelView FrameBuffer(int width, int height) override {
        lent_ = {};
        if (window_ == nullptr || renderer_ != nullptr || !presented_) {
            return {};
        }
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (surface == nullptr || surface->w != width || surface->h != height ||
            surface->pitch != width * static_cast<int>(sizeof(std::uint32_t)) ||
            SDL_MUSTLOCK(surface) || !SameLayout(surface)) {
            return {};
        }
        surfaceMayChange_ = false;
        lent_ = PixelView{static_cast<std::uint32_t*>(surface->pixels), width, height, width};
        return lent_;
    }

    double VBlankRate() override {
        if (!vsync_ || renderer_ == nullptr) {
            return 0;
        }
        SDL_DisplayMode mode;
        if (SDL_GetCurrentDisplayMode(std::max(SDL_GetWindowDisplayIndex(window_), 0), &mode) !=
            0) {
            return 0;
        }
        return mode.refresh_rate;
    }

    void WaitVBlank() override {
        if (vsync_ && renderer_ != nullptr) {
            RenderTexture();
        }
    }

    std::uint64_t VBlankCount() override { return vblanks_; }

    void PollEvents(std::vector<Event>& out) override {
        if (window_ == nullptr) {
            return;
        }
        while (!held_.empty()) {
            SDL_Event ev = held_.front();
            held_.pop_front();
            Translate(ev, out);
        }
        SDL_Event ev;
        while (SDL_PollEvent(&ev) != 0) {
            Translate(ev, out);
        }
        if (fullscreen_ && HostLeftFullscreen(window_)) {
            fullscreen_ = false;
            Event e;
            e.type = Event::Type::FullscreenLeft;
            out.push_back(e);
        }
    }

    bool WaitEvent(int timeoutMs) override {
        if (window_ == nullptr) {
            return false;
        }
        if (!held_.empty()) {
            return true;
        }
        SDL_Event ev;
        if (SDL_WaitEventTimeout(&ev, std::max(timeoutMs, 0)) == 0) {
            return false;
        }
        held_.push_back(ev);
        return true;
    }

    void Minimize() override { HideForBossKey(window_); }

    bool IsActive() override {
        if (window_ == nullptr) {
            return false;
        }
        if (windowless_) {
            return true;
        }
        const Uint32 flags = SDL_GetWindowFlags(window_);
        return (flags & SDL_WINDOW_INPUT_FOCUS) != 0 && (flags & SDL_WINDOW_MINIMIZED) == 0;
    }

    void ShowCursor(bool show) override {
        if (window_ != nullptr) {
            SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
        }
    }

    void SetCursorPos(int x, int y) override {
        if (window_ == nullptr) {
            return;
        }
        int wx = x;
        int wy = y;
        PictureToOutput(MouseBox(), width_, height_, x, y, wx, wy);
        SDL_WarpMouseInWindow(window_, wx, wy);
    }

    JoystickState ReadJoystick() override {
        JoystickState state;
        if (pad_ != nullptr) {
            ReadPad(state);
        } else if (stick_ != nullptr) {
            ReadStick(state);
        }
        return state;
    }

private:
    void Close() {
        CloseJoystick();
        joystick_.Release();
        DestroyRenderer();
        vsync_ = false;
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
            window_ = nullptr;
        }
        held_.clear();
        lent_ = {};
        presented_ = false;
        focus_ = Focus::Unknown;
        fullscreen_ = false;
        placementSaved_ = false;
        video_.Release();
    }

    // Where the picture lies in window coordinates (those of mouse events).
    Rect MouseBox() const {
        int w = width_;
        int h = height_;
        if (window_ != nullptr) {
            SDL_GetWindowSize(window_, &w, &h);
        }
        return PlacePicture(w, h, width_, height_).box;
    }

    // The renderer every frame goes through while presents wait for the
    // vertical blank. `Auto` takes only one the GPU draws for.
    void CreateVSyncRenderer() {
        const bool driverForced = SDL_GetHint(SDL_HINT_RENDER_DRIVER) != nullptr;
        renderer_ =
            SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (renderer_ == nullptr) {
            softwareOnly_ = true;
            return;
        }
        SDL_RendererInfo info;
        const bool waits = SDL_GetRendererInfo(renderer_, &info) == 0 &&
                           (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
        const bool slow = vsyncMode_ == VSyncMode::Auto && !driverForced && IsSoftwareGl(renderer_);
        if (!waits || slow || !CreateTexture()) {
            DestroyRenderer();
            softwareOnly_ = slow;
            return;
        }
        vsync_ = true;
    }

    bool CreateTexture() {
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                     width_, height_);
        return texture_ != nullptr;
    }

    void CreateHardwareRenderer() {
        if (softwareOnly_ || renderer_ != nullptr) {
            return;
        }
        const bool driverForced = SDL_GetHint(SDL_HINT_RENDER_DRIVER) != nullptr;
        if (!driverForced && !MayHaveGpu()) {
            softwareOnly_ = true;
            return;
        }
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        if (renderer_ == nullptr) {
            softwareOnly_ = true;
            return;
        }
        // A renderer the user asked for by name is kept even if it is slow.
        if (!driverForced && IsSoftwareGl(renderer_)) {
            DestroyRenderer();
            softwareOnly_ = true;
            return;
        }
        if (!CreateTexture()) {
            DestroyRenderer();
            softwareOnly_ = true;
        }
    }

    void DestroyRenderer() {
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
            texture_ = nullptr;
        }
        if (renderer_ != nullptr) {
            SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
        }
    }

    void PresentWithRenderer(PixelView frame) {
        if (SDL_UpdateTexture(texture_, nullptr, frame.pixels,
                              frame.pitch * static_cast<int>(sizeof(std::uint32_t))) != 0) {
            return;
        }
        RenderTexture();
    }

    void RenderTexture() {
        int w = 0;
        int h = 0;
        SDL_GetRendererOutputSize(renderer_, &w, &h);
        const Placement placement = PlacePicture(w, h, width_, height_);
        const SDL_Rect dst{placement.box.x, placement.box.y, placement.box.w, placement.box.h};
        SDL_SetTextureScaleMode(texture_,
                                placement.scale > 0 ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
        SDL_RenderPresent(renderer_);
        if (vsync_) {
            CountVBlank();
        }
    }

    // A present counts as a vertical blank only if it waited for one: some
    // drivers ignore the swap interval, and the pacer then falls back to
    // its clock instead of presenting as fast as it can.
    void CountVBlank() {
        const Uint64 now = SDL_GetPerformanceCounter();
        const double rate = VBlankRate() > 0 ? VBlankRate() : 60.0;
        const auto leastGap =
            static_cast<Uint64>(static_cast<double>(SDL_GetPerformanceFrequency()) / (4 * rate));
        if (now - lastVBlank_ >= leastGap) {
            ++vblanks_;
            lastVBlank_ = now;
        }
    }

    static bool SameLayout(const SDL_Surface* surface) {
        const Uint32 format = surface->format->format;
        return format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
    }

    void PresentToSurface(PixelView frame) {
        if (lent_.pixels != nullptr && frame.pixels == lent_.pixels) {
            // Composed in place. SDL refuses when the window was resized
            // before its event reached us.
            if (!surfaceMayChange_ && SDL_UpdateWindowSurface(window_) == 0) {
                return;
            }
            // Asking for the resized window's surface frees the memory the
            // frame lies in, so the frame is taken out first.
            spare_.assign(frame.pixels,
                          frame.pixels + static_cast<std::ptrdiff_t>(frame.pitch) * frame.height);
            frame.pixels = spare_.data();
        }
        lent_ = {};
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (surface == nullptr) {
            return;
        }
        const int srcPitch = frame.pitch * static_cast<int>(sizeof(std::uint32_t));
        const bool sameLayout = SameLayout(surface);
        if (surface->w == frame.width && surface->h == frame.height) {
            CopyToSurface(frame, surface, srcPitch);
        } else if (sameLayout && surface->pitch % 4 == 0) {
            if (ScaleToSurface(frame, surface)) {
                // Only what changed goes to the screen.
                if (!updates_.empty()) {
                    SDL_UpdateWindowSurfaceRects(window_, updates_.data(),
                                                 static_cast<int>(updates_.size()));
                }
                return;
            }
        } else {
            SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
                frame.pixels, frame.width, frame.height, 32, srcPitch, SDL_PIXELFORMAT_RGB888);
            if (source == nullptr) {
                return;
            }
            const Rect box = LetterboxRect(surface->w, surface->h, frame.width, frame.height);
            SDL_Rect dst{box.x, box.y, box.w, box.h};
            SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
            SDL_BlitScaled(source, nullptr, surface, &dst);
            SDL_FreeSurface(source);
        }
        SDL_UpdateWindowSurface(window_);
    }

    // Full screen on the processor: the bars are cleared once per surface,
    // then only the picture's box is written each frame, and of the filtered
    // picture only the parts whose source changed. Returns true when
    // updates_ holds the parts of the surface to show, false for all of it.
    bool ScaleToSurface(PixelView frame, SDL_Surface* surface) {
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
            return false;
        }
        bool whole = false;
        if (clearedSurface_ != surface || clearedWidth_ != surface->w ||
            clearedHeight_ != surface->h) {
            SDL_FillRect(surface, nullptr, 0);
            clearedSurface_ = surface;
            clearedWidth_ = surface->w;
            clearedHeight_ = surface->h;
            scaler_.Forget();
            whole = true;
        }
        const Placement placement = PlacePicture(surface->w, surface->h, frame.width, frame.height);
        const int pitch = surface->pitch / 4;
        PixelView target{static_cast<std::uint32_t*>(surface->pixels) +
                             static_cast<std::ptrdiff_t>(placement.box.y) * pitch + placement.box.x,
                         placement.box.w, placement.box.h, pitch};
        updates_.clear();
        if (placement.scale > 0) {
            ScaleWhole(frame, target, placement.scale);
            const Rect& box = placement.box;
            updates_.push_back(SDL_Rect{box.x, box.y, box.w, box.h});
        } else {
            const std::vector<Rect>& parts = changes_ != nullptr
                                                 ? scaler_.ScaleChanges(frame, target, *changes_)
                                                 : scaler_.ScaleChanges(frame, target);
            for (const Rect& part : parts) {
                updates_.push_back(
                    SDL_Rect{placement.box.x + part.x, placement.box.y + part.y, part.w, part.h});
            }
        }
        if (SDL_MUSTLOCK(surface)) {
            SDL_UnlockSurface(surface);
        }
        return !whole;
    }

    static void CopyToSurface(PixelView frame, SDL_Surface* surface, int srcPitch) {
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
            return;
        }
        const Uint32 format = surface->format->format;
        if (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888) {
            const auto rowBytes = static_cast<std::size_t>(frame.width) * sizeof(std::uint32_t);
            auto* dst = static_cast<unsigned char*>(surface->pixels);
            const auto* src = reinterpret_cast<const unsigned char*>(frame.pixels);
            if (surface->pitch == srcPitch && rowBytes == static_cast<std::size_t>(srcPitch)) {
                // One block: large copies take the faster streaming path.
                std::memcpy(dst, src, rowBytes * static_cast<std::size_t>(frame.height));
            } else {
                for (int y = 0; y < frame.height; ++y) {
                    std::memcpy(dst + static_cast<std::ptrdiff_t>(y) * surface->pitch,
                                src + static_cast<std::ptrdiff_t>(y) * srcPitch, rowBytes);
                }
            }
        } else {
            SDL_ConvertPixels(frame.width, frame.height, SDL_PIXELFORMAT_RGB888, frame.pixels,
                              srcPitch, format, surface->pixels, surface->pitch);
        }
        if (SDL_MUSTLOCK(surface)) {
            SDL_UnlockSurface(surface);
        }
    }

    // Shows the last frame again after the window was uncovered.
    void Refresh() {
        if (renderer_ != nullptr) {
            RenderTexture();
        } else if (lent_.pixels != nullptr && surfaceMayChange_) {
            // Asking for the resized surface would free the lent memory;
            // the next frame shows soon enough.
        } else if (SDL_GetWindowSurface(window_) != nullptr) {
            SDL_UpdateWindowSurface(window_);
        }
    }

    static void Modifiers(Event& e, Uint16 mod) {
        e.shift = (mod & KMOD_SHIFT) != 0;
        e.ctrl = (mod & KMOD_CTRL) != 0;
        e.alt = (mod & KMOD_ALT) != 0;
    }

    Event MouseEvent(Event::Type type, int wx, int wy, bool& inside) const {
        Event e;
        e.type = type;
        inside = OutputToPicture(MouseBox(), width_, height_, wx, wy, e.x, e.y);
        Modifiers(e, static_cast<Uint16>(SDL_GetModState()));
        return e;
    }

    void Translate(const SDL_Event& ev, std::vector<Event>& out) {
        switch (ev.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            TranslateKey(ev.key, out);
            break;
        case SDL_TEXTINPUT:
            for (char32_t cp : DecodeUtf8(ev.text.text)) {
                // Characters the code page lacks cannot be typed into the game.
                if (auto byte = ToCp1251(cp); byte && *byte >= 0x20) {
                    Event e;
                    e.type = Event::Type::Char;
                    e.ch = *byte;
                    Modifiers(e, static_cast<Uint16>(SDL_GetModState()));
                    out.push_back(e);
                }
            }
            break;
        case SDL_MOUSEMOTION: {
            bool inside = false;
            out.push_back(MouseEvent(Event::Type::MouseMove, ev.motion.x, ev.motion.y, inside));
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            TranslateButton(ev.button, out);
            break;
        case SDL_WINDOWEVENT:
            TranslateWindow(ev.window, out);
            break;
        case SDL_QUIT: {
            // The close box arrives as a window event; this is the session
            // or the system asking the application to end.
            Event e;
            e.type = Event::Type::Close;
            out.push_back(e);
            break;
        }
        case SDL_JOYDEVICEADDED:
            if (pad_ == nullptr && stick_ == nullptr && OpenJoystick(ev.jdevice.which)) {
                Event e;
                e.type = Event::Type::JoystickAdded;
                out.push_back(e);
            }
            break;
        case SDL_JOYDEVICEREMOVED:
            if (OpenInstance() == ev.jdevice.which) {
                CloseJoystick();
                OpenFirstJoystick();
            }
            break;
        default:
            break;
        }
    }

    void TranslateKey(const SDL_KeyboardEvent& key, std::vector<Event>& out) {
        const int vk = VirtualKeyFromSdl(key.keysym.scancode, key.keysym.sym);
        if (vk == 0) {
            return;
        }
        Event e;
        e.type = key.type == SDL_KEYDOWN ? Event::Type::KeyDown : Event::Type::KeyUp;
        e.key = vk;
        e.repeat = key.repeat != 0;
        Modifiers(e, key.keysym.mod);
        out.push_back(e);
        // These keys type a control character on Windows; SDL's text input
        // leaves them out.
        if (e.type == Event::Type::KeyDown && !e.alt && !e.ctrl &&
            (vk == 8 || vk == 13 || vk == 27)) {
            Event c = e;
            c.type = Event::Type::Char;
            c.key = 0;
            c.ch = static_cast<std::uint8_t>(vk);
            out.push_back(c);
        }
    }

    void TranslateButton(const SDL_MouseButtonEvent& button, std::vector<Event>& out) {
        if (button.button != SDL_BUTTON_LEFT && button.button != SDL_BUTTON_RIGHT) {
            return;
        }
        const bool down = button.type == SDL_MOUSEBUTTONDOWN;
        bool inside = false;
        Event e = MouseEvent(down ? Event::Type::MouseDown : Event::Type::MouseUp, button.x,
                             button.y, inside);
        e.button = button.button == SDL_BUTTON_LEFT ? Event::Button::Left : Event::Button::Right;
        out.push_back(e);
        if (e.button != Event::Button::Left) {
            return;
        }
        if (down) {
            leftDownInside_ = inside;
        } else {
            // A click is a press and a release both on the picture.
            if (leftDownInside_ && inside) {
                Event click = e;
                click.type = Event::Type::Click;
                out.push_back(click);
            }
            leftDownInside_ = false;
        }
    }

    void TranslateWindow(const SDL_WindowEvent& window, std::vector<Event>& out) {
        Event e;
        switch (window.event) {
        // Only changes are reported: a full-screen switch may hand the focus
        // to the window again, and each activation restarts the music.
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (focus_ == Focus::Gained) {
                return;
            }
            focus_ = Focus::Gained;
            e.type = Event::Type::Activate;
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (focus_ == Focus::Lost) {
                return;
            }
            focus_ = Focus::Lost;
            e.type = Event::Type::Deactivate;
            break;
        case SDL_WINDOWEVENT_CLOSE:
            e.type = Event::Type::Close;
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            e.type = Event::Type::Maximize;
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            Refresh();
            return;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            clearedSurface_ = nullptr;
            surfaceMayChange_ = true;
            return;
        case SDL_WINDOWEVENT_MOVED:
            if (placementSaved_ && !fullscreen_) {
                placementSaved_ = false;
                // A move long after the switch is the player's own.
                const bool fromSwitch = SDL_GetTicks() - leftFullscreenAt_ < 1000;
                if (fromSwitch && (window.data1 != savedX_ || window.data2 != savedY_)) {
                    SDL_SetWindowPosition(window_, savedX_, savedY_);
                }
            }
            return;
        default:
            return;
        }
        out.push_back(e);
    }

    // Joystick: a known game pad through the game-controller mapping (its
    // sticks and buttons have fixed meanings), anything else as raw axes.
    void OpenFirstJoystick() {
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (OpenJoystick(i)) {
                return;
            }
        }
    }

    bool OpenJoystick(int index) {
        if (!joystick_.Started()) {
            return false;
        }
        if (SDL_IsGameController(index)) {
            pad_ = SDL_GameControllerOpen(index);
            if (pad_ != nullptr) {
                return true;
            }
        }
        stick_ = SDL_JoystickOpen(index);
        return stick_ != nullptr;
    }

    SDL_JoystickID OpenInstance() const {
        if (pad_ != nullptr) {
            return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad_));
        }
        if (stick_ != nullptr) {
            return SDL_JoystickInstanceID(stick_);
        }
        return -1;
    }

    void CloseJoystick() {
        if (pad_ != nullptr) {
            SDL_GameControllerClose(pad_);
            pad_ = nullptr;
        }
        if (stick_ != nullptr) {
            SDL_JoystickClose(stick_);
            stick_ = nullptr;
        }
    }

    void ReadPad(JoystickState& state) {
        state.present = true;
        state.x = SDL_GameControllerGetAxis(pad_, SDL_CONTROLLER_AXIS_LEFTX);
        state.y = SDL_GameControllerGetAxis(pad_, SDL_CONTROLLER_AXIS_LEFTY);
        // Triggers share one axis, as the usual pad drivers report them.
        state.z = std::clamp(SDL_GameControllerGetAxis(pad_, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) -
                                 SDL_GameControllerGetAxis(pad_, SDL_CONTROLLER_AXIS_TRIGGERLEFT),
                             -32768, 32767);
        auto pressed = [&](SDL_GameControllerButton b) {
            return SDL_GameControllerGetButton(pad_, b) != 0;
        };
        // The cross steers like the stick.
        if (pressed(SDL_CONTROLLER_BUTTON_DPAD_LEFT)) {
            state.x = -32768;
        } else if (pressed(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) {
            state.x = 32767;
        }
        if (pressed(SDL_CONTROLLER_BUTTON_DPAD_UP)) {
            state.y = -32768;
        } else if (pressed(SDL_CONTROLLER_BUTTON_DPAD_DOWN)) {
            state.y = 32767;
        }
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            if (b >= SDL_CONTROLLER_BUTTON_DPAD_UP && b <= SDL_CONTROLLER_BUTTON_DPAD_RIGHT) {
                continue;
            }
            state.buttons.push_back(pressed(static_cast<SDL_GameControllerButton>(b)));
        }
    }

    void ReadStick(JoystickState& state) {
        state.present = true;
        const int axes = SDL_JoystickNumAxes(stick_);
        state.x = axes > 0 ? SDL_JoystickGetAxis(stick_, 0) : 0;
        state.y = axes > 1 ? SDL_JoystickGetAxis(stick_, 1) : 0;
        state.z = axes > 2 ? SDL_JoystickGetAxis(stick_, 2) : 0;
        if (SDL_JoystickNumHats(stick_) > 0) {
            const Uint8 hat = SDL_JoystickGetHat(stick_, 0);
            if ((hat & SDL_HAT_LEFT) != 0) {
                state.x = -32768;
            } else if ((hat & SDL_HAT_RIGHT) != 0) {
                state.x = 32767;
            }
            if ((hat & SDL_HAT_UP) != 0) {
                state.y = -32768;
            } else if ((hat & SDL_HAT_DOWN) != 0) {
                state.y = 32767;
            }
        }
        const int buttons = std::min(SDL_JoystickNumButtons(stick_), 32);
        for (int b = 0; b < buttons; ++b) {
            state.buttons.push_back(SDL_JoystickGetButton(stick_, b) != 0);
        }
    }

    VSyncMode vsyncMode_;
    bool vsync_ = false; // the renderer waits for the vertical blank
    std::uint64_t vblanks_ = 0;
    Uint64 lastVBlank_ = 0;      // performance counter at the last blank counted
    bool coveredByHand_ = false; // full screen placed without a window manager
    AreaScaler scaler_;
    const FrameChanges* changes_ = nullptr; // during PresentChanges
    std::vector<SDL_Rect> updates_;         // the parts of a scaled frame that changed
    bool presented_ = false;                // a first frame was shown
    PixelView lent_;                        // the window surface's pixels, lent out
    bool surfaceMayChange_ = false;         // resized since lent: SDL makes a new surface
    std::vector<std::uint32_t> spare_;
    const SDL_Surface* clearedSurface_ = nullptr; // whose bars are black
    int clearedWidth_ = 0;
    int clearedHeight_ = 0;
    SdlSubsystem video_;
    SdlSubsystem joystick_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool softwareOnly_ = false; // a hardware renderer was tried and not had
    int width_ = 800;
    int height_ = 600;
    bool fullscreen_ = false;
    bool windowless_ = false;
    bool placementSaved_ = false;
    int savedX_ = 0;
    int savedY_ = 0;
    Uint32 leftFullscreenAt_ = 0;
    bool leftDownInside_ = false;
    enum class Focus { Unknown, Gained, Lost } focus_ = Focus::Unknown;
    std::deque<SDL_Event> held_; // taken from the queue by WaitEvent
    SDL_GameController* pad_ = nullptr;
    SDL_Joystick* stick_ = nullptr;
};

} // namespace

std::unique_ptr<IVideo> CreateSdlVideo(VSyncMode vsync) {
    return std::make_unique<SdlVideo>(vsync);
}

} // namespace platform

// The seam between the game and the machine. Game, menu and engine code see
// only these interfaces; src/platform/sdl implements them over SDL2 and
// src/platform/headless stands in for them in tests and --headless runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The window's caption and the title of message boxes.
inline constexpr const char* kGameTitle = "Brinehold";

// A view of 32-bit pixels (0x00RRGGBB), top row first. Pitch counts pixels.
struct PixelView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
};

// Where a frame may differ from the frame presented before it, as the code
// that composed it knows: `words` 64-bit words per pixel row, bit i standing
// for pixels [i * 16, i * 16 + 16) of the row. Frames are numbered from 1 in
// the order they are presented; no rows: everything may have changed.
struct FrameChanges {
    static constexpr int kBlockShift = 4;
    std::uint64_t frame = 0; // this frame's number, 0: not numbered
    std::uint64_t since = 0; // the frame the rows are counted from
    int words = 0;
    const std::uint64_t* rows = nullptr; // words * the frame's height
};

// A rectangle of pixels; right and bottom are exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Millisecond clock of the frame timer. Headless runs use a virtual clock.
class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since some fixed point; wraps like a 32-bit counter.
    virtual std::uint32_t NowMs() = 0;
    // Sleeps until NowMs() reaches `deadline` (never busy-waits).
    virtual void SleepUntilMs(std::uint32_t deadline) = 0;
};

// What the window and the input devices report, already translated to the
// game's terms: virtual-key codes, code page 1251 characters, and pointer
// positions in pixels of the 800 x 600 picture.
struct Event {
    enum class Type {
        KeyDown,    // key: virtual-key code; repeat: auto-repeat
        KeyUp,      // key
        Char,       // ch: one code page 1251 byte
        MouseMove,  // x, y
        MouseDown,  // x, y, button
        MouseUp,    // x, y, button
        Click,      // x, y (left button pressed and released)
        Activate,   // the application got the focus
        Deactivate, // the application lost the focus
        Close,      // the window's close box
        Maximize,   // the system command "maximize"
        CaptionDoubleClick,
        JoystickAdded,
        FullscreenLeft, // the host left full screen by itself (the browser's Esc)
    };
    enum class Button { Left, Right };

    Type type = Type::KeyDown;
    int key = 0;
    bool repeat = false;
    std::uint8_t ch = 0;
    int x = 0;
    int y = 0;
    Button button = Button::Left;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// Font rendering for the back buffer's canvas. Texts are code page 1251.
struct TextStyle {
    std::string fontName = "Arial";
    int sizePoints = 16; // Windows points at 96 dpi: em height round(size * 96 / 72) px
    bool bold = false;
    bool italic = false;
    std::uint32_t color = 0xFFFFFF; // 0x00RRGGBB
};

class IFontRasterizer {
public:
    virtual ~IFontRasterizer() = default;
    // Draws with a transparent background; (x, y) is the top-left of the text
    // cell, as a text-out call places it. Clipped to the view. Returns a
    // rectangle that holds every pixel it may have changed.
    virtual PixelRect DrawText(PixelView target, int x, int y, std::string_view text,
                               const TextStyle& style) = 0;
    virtual int TextWidth(std::string_view text, const TextStyle& style) = 0;
    virtual int TextHeight(std::string_view text, const TextStyle& style) = 0;
};

// The state of the first joystick or game pad, axes scaled to -32768..32767.
struct JoystickState {
    bool present = false;
    int x = 0;
    int y = 0;
    int z = 0;
    std::vector<bool> buttons;
};

// The window, its presentation and the desktop around it.
class IVideo {
public:
    virtual ~IVideo() = default;
    // Opens the window (or nothing, headless). Returns false with `error` set
    // when no window can be had.
    virtual bool Open(const std::string& title, int width, int height, std::string& error) = 0;
    // Windowed: single border, centred, back at the placement cached before
    // full screen. Full screen: the desktop's mode, the picture scaled with
    // its aspect kept and black bars (see PlacePicture); the display mode is
    // never changed, and the window covers the screen even where no window
    // manager runs.
    virtual void SetFullscreen(bool fullscreen) = 0;
    // Shows one 800 x 600 frame. Waits for the vertical blank only while
    // VBlankRate() is above 0.
    virtual void Present(PixelView frame) = 0;
    // The same, told where the frame differs from the one before; the
    // changes are valid only during the call.
    virtual void PresentChanges(PixelView frame, const FrameChanges& /*changes*/) {
        Present(frame);
    }
    // Memory the next frames may be composed in, so that Present need not
    // copy them: the window's own pixels where they have the frame's size
    // and layout (pitch == width), else an empty view. Offered only after a
    // first frame was presented. The memory stays valid until the next
    // Present, SetFullscreen or the video's end; ask again after each.
    virtual PixelView FrameBuffer(int /*width*/, int /*height*/) { return {}; }
    // The display's refresh rate in Hz while presents wait for its vertical
    // blank; 0 when they do not, or when the rate is unknown.
    virtual double VBlankRate() { return 0; }
    // Shows the last frame for one more refresh: returns at the next
    // vertical blank (at once while VBlankRate() is 0).
    virtual void WaitVBlank() {}
    // Vertical blanks waited for so far by Present and WaitVBlank.
    virtual std::uint64_t VBlankCount() { return 0; }
    // Moves all pending events into `out` (appends).
    virtual void PollEvents(std::vector<Event>& out) = 0;
    // Waits at most `timeoutMs` for an event (the frame loop's sleep while no
    // timer runs). Returns true if an event may be pending.
    virtual bool WaitEvent(int timeoutMs) = 0;
    virtual void Minimize() = 0;
    virtual bool IsActive() = 0;
    virtual void ShowCursor(bool show) = 0;
    virtual void SetCursorPos(int x, int y) = 0;
    virtual JoystickState ReadJoystick() = 0;
};

class IDesktop {
public:
    virtual ~IDesktop() = default;
    // A modal message box with the game's title. Text is code page 1251.
    virtual void MessageBox(std::string_view text) = 0;
    // Asks the desktop to open a file or a URL; a ".url" file is opened by the
    // URL it holds. Failures are ignored.
    virtual void Open(const std::string& target) = 0;
};

// A clock for headless runs: the time stands still until AdvanceMs moves it,
// so a run goes as fast as the machine allows and is the same every time.
class VirtualClock final : public IClock {
public:
    explicit VirtualClock(std::uint32_t startMs = 0) : now_(startMs) {}
    std::uint32_t NowMs() override { return now_; }
    // Returns at once: virtual time moves only through AdvanceMs, so a caller
    // that loops until the deadline must advance the clock itself.
    void SleepUntilMs(std::uint32_t) override {}
    void AdvanceMs(std::uint32_t ms) { now_ += ms; }

private:
    std::uint32_t now_;
};

// Whether presents wait for the vertical blank: `Auto` where an accelerated
// renderer offers it, `On` also on a renderer that draws on the processor.
enum class VSyncMode { Auto, On, Off };

// Factories. The SDL objects start only the SDL subsystems they need, when
// they need them; the headless ones never touch a display.
std::unique_ptr<IVideo> CreateSdlVideo(VSyncMode vsync = VSyncMode::Auto);
std::unique_ptr<IVideo> CreateHeadlessVideo();
std::unique_ptr<IClock> CreateSystemClock();
std::unique_ptr<VirtualClock> CreateVirtualClock();
// Works without a display (headless screenshots show text too).
std::unique_ptr<IFontRasterizer> CreateFontRasterizer();
std::unique_ptr<IDesktop> CreateSdlDesktop();
// Performs nothing; the shell logs what was asked.
std::unique_ptr<IDesktop> CreateHeadlessDesktop();

// Text conversion between the game's code page 1251 and UTF-8.
std::string Cp1251ToUtf8(std::string_view text);
// Characters with no code page 1251 byte become '?'.
std::string Utf8ToCp1251(std::string_view text);

} // namespace platform

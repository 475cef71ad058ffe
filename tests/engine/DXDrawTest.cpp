#include "engine/DXDraw.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Fakes.h"
#include "engine/DXSprite.h"
#include "engine/Errors.h"

namespace {

const char* const kNames[] = {"Destroying", "Initializing",    "Initialize", "InitializeSurface",
                              "Finalize",   "FinalizeSurface", "Restore",    "SetSurfaceSize"};

// Records the notifications and events of a display in one journal. Declared
// before the display, so it outlives the events the display fires as it goes.
struct Recorder {
    void Hook(TDXDraw& draw) {
        draw.OnInitializing = Event("OnInitializing");
        draw.OnInitialize = Event("OnInitialize");
        draw.OnInitializeSurface = Event("OnInitializeSurface");
        draw.OnFinalize = Event("OnFinalize");
        draw.OnFinalizeSurface = Event("OnFinalizeSurface");
        draw.OnRestoreSurface = Event("OnRestoreSurface");
    }
    TNotifyEvent Event(std::string name) {
        return [this, name](TDXDraw*) { journal.push_back(name); };
    }
    TDXDrawNotifyEvent Listener(std::string who) {
        return [this, who](TDXDraw*, TDXDrawNotifyType type) {
            journal.push_back(who + " " + kNames[type]);
        };
    }
    std::vector<std::string> Take() { return std::exchange(journal, {}); }
    std::vector<std::string> journal;
};

using Lines = std::vector<std::string>;

TEST(DXDraw, InitializeAndFinalizeNotifyInOrderLastListenerFirst) {
    FakeVideo video;
    Recorder r;
    TDXDraw draw(&video);
    r.Hook(draw);
    int first = 0;
    int second = 0;
    draw.RegisterNotifyEvent(&first, r.Listener("1"));
    draw.RegisterNotifyEvent(&second, r.Listener("2"));
    EXPECT_EQ(r.Take(), (Lines{"1 SetSurfaceSize", "2 SetSurfaceSize"}));

    draw.Initialize();
    EXPECT_EQ(r.Take(),
              (Lines{"OnInitializing", "2 Initializing", "1 Initializing", "2 SetSurfaceSize",
                     "1 SetSurfaceSize", "2 Initialize", "1 Initialize", "OnInitialize",
                     "2 InitializeSurface", "1 InitializeSurface", "OnInitializeSurface",
                     "2 Restore", "1 Restore", "OnRestoreSurface"}));
    EXPECT_TRUE(draw.Initialized());
    EXPECT_TRUE(draw.CanDraw());
    ASSERT_NE(draw.Surface(), nullptr);
    EXPECT_EQ(draw.Surface()->Width(), 800);
    EXPECT_EQ(draw.Surface()->Height(), 600);

    int late = 0; // joining an initialised display replays what it missed
    draw.RegisterNotifyEvent(&late, r.Listener("3"));
    EXPECT_EQ(r.Take(),
              (Lines{"3 SetSurfaceSize", "3 Initialize", "3 InitializeSurface", "3 Restore"}));
    draw.UnRegisterNotifyEvent(&late);
    EXPECT_EQ(r.Take(), (Lines{"3 FinalizeSurface", "3 Finalize"}));

    draw.Finalize();
    EXPECT_EQ(r.Take(), (Lines{"OnFinalizeSurface", "2 FinalizeSurface", "1 FinalizeSurface",
                               "OnFinalize", "2 Finalize", "1 Finalize"}));
    EXPECT_FALSE(draw.CanDraw());
    EXPECT_EQ(draw.Surface(), nullptr);
    draw.Finalize(); // harmless again
    EXPECT_TRUE(r.Take().empty());
}

TEST(DXDraw, DestroyingFinalisesThenTellsEveryListener) {
    FakeVideo video;
    Recorder r;
    TDXSpriteEngine sprites;
    auto draw = std::make_unique<TDXDraw>(&video);
    r.Hook(*draw);
    sprites.SetDXDraw(draw.get());
    draw->Initialize();
    EXPECT_EQ(sprites.Engine().Surface(), draw->Surface());
    EXPECT_EQ(sprites.Engine().Width, 800);
    int owner = 0;
    draw->RegisterNotifyEvent(&owner, r.Listener("x"));
    r.Take();
    draw.reset();
    EXPECT_EQ(r.Take(), (Lines{"OnFinalizeSurface", "x FinalizeSurface", "OnFinalize", "x Finalize",
                               "x Destroying"}));
    EXPECT_EQ(sprites.DXDraw(), nullptr);
    EXPECT_EQ(sprites.Engine().Surface(), nullptr);
}

TEST(DXDraw, SpriteEngineDrawsOnlyWhileTheDisplayIsInitialised) {
    FakeVideo video;
    TDXDraw draw(&video);
    TDXSpriteEngine sprites;
    sprites.SetDXDraw(&draw);
    auto* sprite = new TSprite(&sprites.Engine());
    sprite->Width = sprite->Height = 10;
    sprites.Draw();
    EXPECT_EQ(sprites.Engine().DrawCount(), 0);
    draw.Initialize();
    sprites.Draw();
    EXPECT_EQ(sprites.Engine().DrawCount(), 1);
    draw.Finalize();
    EXPECT_EQ(sprites.Engine().Surface(), nullptr);
    EXPECT_EQ(sprites.Engine().SurfaceRect(), (TRect{0, 0, 800, 600})); // kept
}

struct OptionsCase {
    TDXDrawOptions options;
    TDXDrawOptions now;
};

TEST(DXDraw, OptionsInEffect) {
    const TDXDrawOptions form{doAllowReboot,  doWaitVBlank, doCenter,      doFlip,
                              doDirectX7Mode, doHardware,   doSelectDriver};
    const OptionsCase cases[] = {
        {form, {doWaitVBlank, doCenter}},
        {TDXDrawOptions(form).Include(doFullScreen),
         {doFullScreen, doAllowReboot, doWaitVBlank, doCenter, doFlip}},
        {{doFullScreen, doFlip, doSystemMemory}, {doFullScreen, doSystemMemory}},
        {{do3D, doDirectX7Mode, doRetainedMode, doHardware}, {do3D, doDirectX7Mode}},
        {{doFlip, doNoWindowChange, doAllowPalette256, doStretch}, {doStretch}},
    };
    FakeVideo video;
    TDXDraw draw(&video);
    EXPECT_EQ(draw.Options(), form); // the game's setting
    for (const OptionsCase& c : cases) {
        draw.SetOptions(c.options);
        EXPECT_EQ(draw.NowOptions().Bits(), c.now.Bits()) << c.options.Bits();
    }
}

TEST(DXDraw, OptionsChangedWhileInitialisedWaitForTheNextInitialisation) {
    FakeVideo video;
    TDXDraw draw(&video);
    draw.Initialize();
    draw.SetOptions(TDXDrawOptions{doFullScreen, doFlip, doStretch});
    EXPECT_EQ(draw.NowOptions(), (TDXDrawOptions{doStretch}));
    EXPECT_FALSE(draw.FlipDriver());
    draw.Initialize();
    EXPECT_EQ(draw.NowOptions(), (TDXDrawOptions{doFullScreen, doFlip, doStretch}));
    EXPECT_TRUE(draw.FlipDriver());
}

TEST(DXDraw, ModeSwitchSequence) {
    FakeVideo video;
    Recorder r;
    TDXDraw draw(&video);
    r.Hook(draw);
    int owner = 0;
    draw.RegisterNotifyEvent(&owner, r.Listener("l"));
    draw.ChangeDisplayMode(true); // start-up: windowed, nothing cached
    EXPECT_EQ(video.modes, (std::vector<bool>{false}));
    EXPECT_EQ(draw.BorderStyle, bsSingle);
    EXPECT_FALSE(draw.WindowCached());
    r.Take();

    for (int round = 0; round < 2; ++round) {
        draw.ChangeDisplayMode(false);
        EXPECT_TRUE(draw.NowOptions().Contains(doFullScreen));
        EXPECT_TRUE(draw.FlipDriver());
        EXPECT_EQ(draw.BorderStyle, bsNone);
        EXPECT_TRUE(draw.WindowCached());
        const Lines toFull = r.Take();
        ASSERT_GE(toFull.size(), 4u);
        EXPECT_EQ(toFull[0], "OnFinalizeSurface"); // finalised before the switch
        EXPECT_EQ(toFull[1], "l FinalizeSurface");
        EXPECT_EQ(toFull.back(), "OnRestoreSurface");

        draw.ChangeDisplayMode(true);
        EXPECT_FALSE(draw.NowOptions().Contains(doFullScreen));
        EXPECT_FALSE(draw.FlipDriver());
        EXPECT_EQ(draw.BorderStyle, bsSingle);
        EXPECT_FALSE(draw.WindowCached()); // placement given back once
        r.Take();
    }
    EXPECT_EQ(video.modes, (std::vector<bool>{false, true, false, true, false}));
    EXPECT_FALSE(draw.RestoreWindow()); // nothing stored: nothing restored
}

TEST(DXDraw, FlipWithoutFullScreenUsesTheBlitDriver) {
    FakeVideo video;
    TDXDraw draw(&video);
    draw.SetOptions(TDXDrawOptions{doFlip});
    draw.Initialize();
    EXPECT_FALSE(draw.FlipDriver());
    video.active = false; // a window presents even without the focus
    draw.Flip();
    EXPECT_EQ(video.presents, 1);
}

TEST(DXDraw, FramesAreComposedInTheMemoryTheWindowLends) {
    FakeVideo video;
    TDXDraw draw(&video);
    draw.Initialize();
    TDirectDrawSurface* back = draw.Surface();
    back->SetPixel(5, 7, 0x123456);
    draw.Flip(); // the first frame is copied; the window lends from then on
    EXPECT_EQ(video.presented, back->Pixels());
    video.window.assign(800u * 600u, 0xDEADu);
    draw.Flip();
    ASSERT_EQ(back->Pixels(), video.window.data());
    EXPECT_EQ(video.window[7 * 800 + 5], 0x123456u); // the picture moved along
    EXPECT_EQ(video.window[0], 0u);
    back->Fill(0x00FF00);
    back->SetPixel(1, 1, 0xABCDEF);
    draw.Flip();
    EXPECT_EQ(video.presented, video.window.data());
    EXPECT_EQ(video.window[800 + 1], 0xABCDEFu);
    EXPECT_EQ(video.window[2], 0x00FF00u);
    // The window stops lending (a full-screen switch): the surface goes back
    // to its own pixels, reading as black, and leaves the window's alone.
    video.window.assign(7, 0);
    draw.Flip();
    EXPECT_NE(back->Pixels(), video.window.data());
    EXPECT_EQ(back->Pixel(1, 1), 0u);
}

TEST(DXDraw, FullScreenPresentsOnlyWhileActive) {
    FakeVideo video;
    TDXDraw draw(&video);
    draw.ChangeDisplayMode(false);
    draw.Flip();
    EXPECT_EQ(video.presents, 1);
    video.active = false;
    draw.Flip();
    EXPECT_EQ(video.presents, 1);
    EXPECT_TRUE(draw.CanDraw()); // the game keeps running
}

TEST(DXDraw, LostSurfacesAreRestoredClearedAndAnnounced) {
    FakeVideo video;
    Recorder r;
    TDXDraw draw(&video);
    r.Hook(draw);
    draw.Initialize();
    r.Take();
    draw.Surface()->Fill(0xABCDEF);
    draw.LoseSurfaces();
    draw.Flip();
    EXPECT_EQ(r.Take(), (Lines{"OnRestoreSurface"}));
    EXPECT_EQ(video.presents, 1);
    EXPECT_EQ(draw.Surface()->Pixel(5, 5), 0u);
    EXPECT_TRUE(draw.CanDraw());
    EXPECT_TRUE(r.Take().empty());
}

class RefusingDraw : public TDXDraw {
public:
    using TDXDraw::TDXDraw;

protected:
    bool ApplyDisplayMode(bool fullscreen) override { return !fullscreen; }
};

TEST(DXDraw, FailuresLeaveTheDisplayFinalised) {
    TDXDraw noWindow(nullptr);
    try {
        noWindow.Initialize();
        FAIL();
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Form not found");
    }
    EXPECT_FALSE(noWindow.Initialized());

    FakeVideo video;
    Recorder r;
    RefusingDraw draw(&video);
    draw.Display = TDXDrawDisplay{800, 600, 32, true, true, true};
    r.Hook(draw);
    draw.SetOptions(TDXDrawOptions(draw.Options()).Include(doFullScreen));
    try {
        draw.Initialize();
        FAIL();
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Display mode cannot be changed (800x600 32bit)");
    }
    EXPECT_FALSE(draw.Initialized());
    EXPECT_FALSE(draw.CanDraw());
    EXPECT_EQ(r.Take(), (Lines{"OnInitializing"}));
    draw.ChangeDisplayMode(true); // back to a window works
    EXPECT_TRUE(draw.CanDraw());
}

} // namespace

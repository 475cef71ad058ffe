// The whole way an archive takes into the game: read into the image list's
// collection, then, when the pictures are of a size the fuzzer can afford,
// joined to an initialised display so every item builds its surfaces and cuts
// its patterns, and every pattern is drawn.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/Errors.h"
#include "assets/Stream.h"
#include "engine/DXDraw.h"
#include "engine/ImageList.h"
#include "platform/Platform.h"

namespace {

class NullVideo : public platform::IVideo {
public:
    bool Open(const std::string&, int, int, std::string&) override { return true; }
    void SetFullscreen(bool) override {}
    void Present(platform::PixelView) override {}
    void PollEvents(std::vector<platform::Event>&) override {}
    bool WaitEvent(int) override { return false; }
    void Minimize() override {}
    bool IsActive() override { return true; }
    void ShowCursor(bool) override {}
    void SetCursorPos(int, int) override {}
    platform::JoystickState ReadJoystick() override { return {}; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static NullVideo video;
    static TDXDraw draw(&video);
    static TDirectDrawSurface target(256, 256);
    if (!draw.Initialized()) {
        draw.Initialize();
    }

    TDXImageList list;
    TMemoryView stream(data, size);
    try {
        list.Items.ReadArchiveStream(stream);
    } catch (const EAssetError&) {
        // The items read before the failure stay, as in the game.
    }
    long long pixels = 0;
    for (int i = 0; i < list.Items.Count(); ++i) {
        const TDIB& picture = list.Items.Items(i)->Picture;
        pixels += static_cast<long long>(picture.Width()) * picture.Height();
    }
    if (pixels > 1 << 22) {
        return 0;
    }
    list.SetDXDraw(&draw); // builds every item's surfaces and patterns
    for (int i = 0; i < list.Items.Count(); ++i) {
        TPictureCollectionItem* item = list.Items.Items(i);
        const int count = item->PatternCount();
        for (int pattern = -1; pattern <= count && pattern < 4096; ++pattern) {
            item->Draw(&target, -3, -3, pattern);
            (void)item->PatternRects(pattern);
        }
        // Lookups by the item's own name, as the sprites do.
        (void)list.Items.IndexOf(item->Name());
    }
    return 0;
}

// brinehold-artgen: draws every picture of the game and writes the two image
// archives; also makes contact sheets of any image archive for review.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "Archives.h"
#include "ContactSheet.h"
#include "Icon.h"
#include "Painters.h"
#include "assets/ArchiveWriter.h"
#include "assets/ImageArchive.h"
#include "platform/Platform.h"

namespace {

void Usage() {
    std::puts("usage: brinehold-artgen DATA_DIR\n"
              "         writes DATA_DIR/menu.dxg and DATA_DIR/gamegraphic.dxg\n"
              "       brinehold-artgen --contact-sheet ARCHIVE OUT.png\n"
              "         one PNG with every picture of an image archive: index, name,\n"
              "         size, and each pattern framed (key-coloured pixels show as a\n"
              "         checkerboard)\n"
              "       brinehold-artgen --png DIR\n"
              "         every generated picture as its own PNG, for quick review\n"
              "       brinehold-artgen --icons THEME_DIR APP_ID\n"
              "         the application icon in the hicolor theme's sizes and as SVG");
}

std::vector<art::SheetItem> FromArchive(const std::string& path) {
    std::vector<art::SheetItem> out;
    ImageArchiveHandler handler;
    handler.Item = [&out](ImageItemData&& data) {
        art::SheetItem item;
        item.name = platform::Cp1251ToUtf8(data.Name);
        item.width = data.Picture.Width();
        item.height = data.Picture.Height();
        item.patternWidth = data.PatternWidth;
        item.patternHeight = data.PatternHeight;
        item.skipWidth = data.SkipWidth;
        item.skipHeight = data.SkipHeight;
        item.transparent = data.Transparent;
        item.key = ColorToSurfacePixel(data.TransparentColor);
        item.pixels.assign(static_cast<std::size_t>(item.width) * item.height, 0);
        if (item.width > 0 && item.height > 0) {
            data.Picture.CopyBlock(
                0, 0, item.width, item.height,
                platform::PixelView{item.pixels.data(), item.width, item.height, item.width});
        }
        out.push_back(std::move(item));
    };
    handler.Clear = [&out] { out.clear(); };
    handler.ColorTable = [](const std::array<std::uint8_t, 1024>&) {};
    ReadImageArchiveFile(path, handler);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
            Usage();
            return 0;
        }
        if (args.size() == 3 && args[0] == "--contact-sheet") {
            art::WriteContactSheet(FromArchive(args[1]),
                                   std::filesystem::path(args[1]).filename().string(), args[2]);
            return 0;
        }
        if (args.size() == 3 && args[0] == "--icons") {
            art::WriteIcons(args[1], args[2]);
            return 0;
        }
        if (args.size() == 2 && args[0] == "--png") {
            std::filesystem::create_directories(args[1]);
            for (auto* list : {&art::MenuPictures, &art::GamePictures}) {
                int index = 0;
                for (const art::Picture& p : list()) {
                    const std::string prefix = list == &art::MenuPictures ? "menu-" : "game-";
                    art::WritePicturePng(art::SheetItem::From(p), args[1] + "/" + prefix +
                                                                      std::to_string(index++) +
                                                                      "-" + p.name + ".png");
                }
            }
            return 0;
        }
        if (args.size() == 1 && args[0].rfind("--", 0) != 0) {
            std::filesystem::create_directories(args[0]);
            WriteImageArchive(args[0] + "/menu.dxg", art::ToSpecs(art::MenuPictures()));
            WriteImageArchive(args[0] + "/gamegraphic.dxg", art::ToSpecs(art::GamePictures()));
            return 0;
        }
        Usage();
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "brinehold-artgen: %s\n", e.what());
        return 1;
    }
}

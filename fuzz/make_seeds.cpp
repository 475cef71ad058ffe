// Writes the seed corpora of the fuzz targets into DIR/TARGET: archives made
// by the writer with every picture layout, the bitmaps and waves of the test
// data, HTTP answers as servers give them, and the score server's requests.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/ArchiveWriter.h"
#include "assets/Wave.h"
#include "online/codec/ScoreCodec.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path dir = argv[1];
    for (const char* sub :
         {"image_archive", "wave_archive", "bitmap", "http_response", "score_request"}) {
        fs::create_directories(dir / sub);
    }
    const DibEncoding encodings[] = {{1, 0},
                                     {4, 0},
                                     {4, 2},
                                     {8, 0},
                                     {8, 1},
                                     {8, 0, false, true},
                                     {8, 0, false, false, true},
                                     {16, 0},
                                     {16, 3, true},
                                     {24, 0},
                                     {32, 3}};
    std::vector<ImageItemSpec> items;
    int n = 0;
    for (const DibEncoding& encoding : encodings) {
        std::vector<std::uint32_t> pixels;
        for (int i = 0; i < 12 * 5; ++i) {
            pixels.push_back(static_cast<std::uint32_t>((i % 5 < 3 ? i / 5 : i * 7) % 2) *
                             0xFF00FF);
        }
        std::vector<std::uint8_t> dib = EncodeDib(12, 5, pixels, encoding);
        Write(dir / "bitmap" / ("made-" + std::to_string(n) + ".dib"), dib);
        ImageItemSpec item;
        item.Name = "item" + std::to_string(n);
        item.DibData = dib;
        item.PatternWidth = 4;
        item.TransparentColor = 0xFF00FF;
        Write(dir / "image_archive" / ("one-" + std::to_string(n) + ".dxg"),
              ImageArchiveBytes({item}));
        items.push_back(item);
        ++n;
    }
    Write(dir / "image_archive" / "all.dxg", ImageArchiveBytes(items));
    Write(dir / "image_archive" / "empty.dxg", ImageArchiveBytes({}));

    const fs::path testdata = BRINEHOLD_TESTDATA_DIR;
    int bmp = 0;
    for (const char* folder : {"g", "q"}) {
        for (const auto& entry : fs::directory_iterator(testdata / "bitmaps" / folder)) {
            std::vector<std::uint8_t> file = Read(entry.path());
            if (file.size() > 14 && file.size() < 64 * 1024) {
                Write(dir / "bitmap" / ("bmpsuite-" + std::to_string(bmp++) + ".dib"),
                      std::vector<std::uint8_t>(file.begin() + 14, file.end()));
            }
        }
    }

    std::vector<WaveItemSpec> waves;
    WaveItemSpec pcm;
    pcm.Name = "pcm";
    pcm.MaxPlayingCount = 2;
    pcm.Data = {1, 2, 3, 4, 5, 6};
    waves.push_back(pcm);
    int w = 0;
    for (const auto& entry : fs::directory_iterator(testdata / "waves")) {
        if (!entry.is_regular_file() || entry.file_size() > 64 * 1024) {
            continue;
        }
        // The foreign wave image goes in whole, through a raw block.
        WaveItemSpec itemSpec;
        itemSpec.Name = "w" + std::to_string(w);
        itemSpec.Looped = w % 2 == 0;
        std::vector<WaveItemSpec> one = {itemSpec};
        std::vector<std::uint8_t> archive = SoundArchiveBytes(one);
        const std::vector<std::uint8_t> image = MakeWaveImage(MakePcmFormat(1, 22050, 16), {});
        const std::vector<std::uint8_t> foreign = Read(entry.path());
        // Swap the written image for the foreign one and fix the block length.
        auto at = std::search(archive.begin(), archive.end(), image.begin(), image.end());
        if (at != archive.end()) {
            const std::size_t offset = static_cast<std::size_t>(at - archive.begin());
            archive.erase(at, at + static_cast<std::ptrdiff_t>(image.size()));
            archive.insert(archive.begin() + static_cast<std::ptrdiff_t>(offset), foreign.begin(),
                           foreign.end());
            const auto length = static_cast<std::uint32_t>(foreign.size());
            for (int i = 0; i < 4; ++i) {
                archive[offset - 4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
            }
            Write(dir / "wave_archive" / ("foreign-" + std::to_string(w) + ".dxw"), archive);
        }
        ++w;
    }
    Write(dir / "wave_archive" / "made.dxw", SoundArchiveBytes(waves));

    // HTTP answers; the first byte chooses the sizes of the pieces received.
    const std::string answers[] = {
        "HTTP/1.1 200 OK\r\nContent-Length: 27\r\n\r\nOK|1.0|Brinehold|0|ABCDEF|\n",
        "HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nOK"
        "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nSet-Cookie: a=b; path=/; "
        "expires=Wed, 09 Jun 2027 10:18:14 GMT\r\n\r\n4\r\nOK|1\r\n0\r\n\r\n",
        "HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1/x\r\n\r\n",
        "HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n\r\nnope!",
        "HTTP/1.1 200 OK\r\n\r\nbody until the connection closes",
    };
    int a = 0;
    for (const std::string& answer : answers) {
        std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(a * 5)};
        bytes.insert(bytes.end(), answer.begin(), answer.end());
        Write(dir / "http_response" / ("answer-" + std::to_string(a++)), bytes);
    }

    // Score server queries, and a submission as the game encodes it.
    const std::string code =
        ToLetterCode(ToBinaryText(SubmissionText("Diver", 1234, "ABCDEF", "Mars")));
    const std::string queries[] = {
        "prg=Brinehold&version",
        "prg=Brinehold&show&type=0",
        "prg=Brinehold&hs&inf=" + code,
        code,
    };
    int q = 0;
    for (const std::string& query : queries) {
        Write(dir / "score_request" / ("query-" + std::to_string(q++)),
              std::vector<std::uint8_t>(query.begin(), query.end()));
    }
    return 0;
}

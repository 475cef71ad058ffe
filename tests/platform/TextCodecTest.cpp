#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "platform/TextCodec.h"

namespace platform {
namespace {

TEST(TextCodec, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(TextCodec, CyrillicBothWays) {
    const std::string utf8 = "ВЫЙТИ ИЗ ИГРЫ? Ёж №1 ёлка";
    const std::string cp1251 = "\xC2\xDB\xC9\xD2\xC8 \xC8\xC7 \xC8\xC3\xD0\xDB? \xA8\xE6 \xB9"
                               "1 \xB8\xEB\xEA\xE0";
    EXPECT_EQ(Utf8ToCp1251(utf8), cp1251);
    EXPECT_EQ(Cp1251ToUtf8(cp1251), utf8);
}

TEST(TextCodec, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    struct Case {
        const char* utf8;
        const char* cp1251;
    };
    const Case cases[] = {
        {"a\xE2\x9C\x93z", "a?z"}, // U+2713 check mark
        {"\xF0\x9F\x90\x9F", "?"}, // a fish beyond the BMP
        {"\xC3\xA9", "?"},         // e acute: not in the code page
        {"\xE2\x82\xAC", "\x88"},  // the euro sign is
        {"\xC3", "?"},             // truncated sequence
        {"\xC0\xAF", "??"},        // overlong form
        {"\xED\xA0\x80", "???"},   // surrogate
        {"\xFF"
         "A",
         "?A"},             // bad lead byte
        {"\xE0\x80", "??"}, // truncated and overlong
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251) << c.utf8;
    }
}

TEST(TextCodec, SingleCodePoints) {
    EXPECT_EQ(ToCp1251(U'Я'), 0xDF);
    EXPECT_EQ(ToCp1251(U'ї'), 0xBF);
    EXPECT_EQ(ToCp1251(0x0098), 0x98);
    EXPECT_FALSE(ToCp1251(U'ä').has_value());
    EXPECT_FALSE(ToCp1251(0x1F41F).has_value());
    EXPECT_EQ(FromCp1251(0xC0), U'А');
}

} // namespace
} // namespace platform

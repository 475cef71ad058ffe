#include "online/codec/ScoreCodec.h"

#include <gtest/gtest.h>

#include "online/client/ScoreServer.h"

namespace {

TEST(ScoreCodec, EncodesToLetters) {
    struct Case {
        std::string text; // bytes, or binary digits when `binary`
        bool binary;
        std::string code;
    };
    const Case cases[] = {
        {"abcde", false, "NFTGG3DF"}, // 40 digits, no prefix
        {"abc", false, "GC2VD"},      // 24 digits get one "0" in front
        {"00000", true, "A"},
        {"11111", true, "9"},
        {"1", true, "B"}, // "00001"
        {"", false, ""},
        {std::string("\xFF\x00", 2), false, "B92A"}, // 16 digits get four "0"s
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ToLetterCode(c.binary ? c.text : ToBinaryText(c.text)), c.code);
    }
}

TEST(ScoreCodec, BinaryTextIsEightDigitsPerByteMostSignificantFirst) {
    EXPECT_EQ(ToBinaryText(std::string("\x00\x01\x80\xC0\xFF", 5)),
              "0000000000000001100000001100000011111111");
    EXPECT_EQ(CodeAlphabet.size(), 32u);
}

TEST(ScoreCodec, EchoValueIsTheFifthField) {
    struct Case {
        std::string answer;
        std::string echo;
    };
    const Case cases[] = {
        {"OK|1|2|3|4|5|", "4"},
        {"OK|1|2", ""},
        {"OK|1|2|3|4", ""}, // the fifth "|" is missing
        {"OK|||||", ""},
        {"OK|" + std::string(300, 'v') + "|2|3|token|", "token"}, // no wrap at 255
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        EXPECT_EQ(EchoValue(c.answer), c.echo);
    }
}

TEST(ScoreCodec, SubmissionTextIsPaddedToFiveAndDecodesBack) {
    const std::string text = SubmissionText("Diver", 1234, "p9", "ru");
    EXPECT_EQ(text, "type=0|name=Diver|score=1234|key=B|p=p9|add=ru|z=0");
    EXPECT_EQ(text.size() % 5, 0u);

    // The longest entry: ten-character name and country, a five-digit score.
    const std::string longest =
        SubmissionText("\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9", 65535, "ABCDEFGH", "abcdefghij");
    const std::string code = ToLetterCode(ToBinaryText(longest));
    EXPECT_EQ(longest.size() % 5, 0u);
    EXPECT_EQ(code.size(), longest.size() / 5 * 8);
    EXPECT_EQ(code.find_first_not_of(CodeAlphabet), std::string::npos);
    const auto binary = FromLetterCode(code);
    ASSERT_TRUE(binary);
    EXPECT_EQ(FromBinaryText(*binary), longest);
}

TEST(ScoreCodec, DecodingRejectsWhatNoEncoderWrites) {
    EXPECT_FALSE(FromLetterCode("ABI")); // I is not in the alphabet
    EXPECT_FALSE(FromLetterCode("a"));
    EXPECT_FALSE(FromBinaryText("100000001")); // the prefix digit must be 0
    EXPECT_FALSE(FromBinaryText("0000000x"));
    EXPECT_EQ(FromBinaryText(*FromLetterCode("GC2VD")), "abc");
}

TEST(ScoreServer, OverrideWinsAndBuildsTheThreeUrls) {
    SetScoreServer("127.0.0.1:9");
    EXPECT_EQ(ScoreServer(), "127.0.0.1:9");
    EXPECT_EQ(VersionUrl(), "http://127.0.0.1:9/cgi/version.pl?version&prg=Brinehold");
    EXPECT_EQ(SubmitUrl("NFTG"), "http://127.0.0.1:9/cgi/version.pl?hs&prg=Brinehold&inf=NFTG");
    EXPECT_EQ(ScorePageUrl(), "http://127.0.0.1:9/cgi/version.pl?prg=Brinehold&show&type=0");
}

} // namespace

// brinehold-scored, started on a free loopback port and driven through the
// game's own client and encoding.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "online/HttpClient.h"
#include "online/ScoreCodec.h"
#include "online/ScoredProcess.h"

namespace {

std::string Get(THttpClient& client, const std::string& url) {
    std::string body;
    client.FetchUrl(url, body);
    return body;
}

std::string Encode(std::string text) {
    text.append((5 - text.size() % 5) % 5, '0');
    return ToLetterCode(ToBinaryText(text));
}

class ScoredTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(scored::kProgram)) << scored::kProgram;
        database_ = testing::TempDir() + "scored-" + std::to_string(getpid()) + ".sqlite";
        std::filesystem::remove(database_);
        server_ = std::make_unique<scored::ScoredProcess>(database_, 60);
        ASSERT_GT(server_->Port(), 0);
    }
    void TearDown() override {
        client_.Disconnect(); // the server would wait for the kept connection
        server_.reset();
        std::filesystem::remove(database_);
    }
    std::string Token() { return EchoValue(Get(client_, server_->Url("version&prg=Brinehold"))); }
    std::string Submit(const std::string& text) {
        return Get(client_, server_->Url("hs&prg=Brinehold&inf=" + Encode(text)));
    }

    std::string database_;
    std::unique_ptr<scored::ScoredProcess> server_;
    THttpClient client_;
};

TEST_F(ScoredTest, StoresASubmissionAndShowsItOnThePage) {
    const std::string version = Get(client_, server_->Url("version&prg=Brinehold"));
    EXPECT_EQ(version.rfind("OK|", 0), 0u) << version;
    const std::string token = EchoValue(version);
    EXPECT_EQ(token.size(), 16u) << version;

    // "Ива" in code page 1251, as the game sends a typed Cyrillic name.
    EXPECT_EQ(Submit(SubmissionText("\xC8\xE2\xE0 2", 4321, token, "ru")), "OK");
    EXPECT_EQ(Submit(SubmissionText("Low", 7, Token(), "")), "OK");
    EXPECT_EQ(Submit(SubmissionText("Top", 65535, Token(), "Deep Sea")), "OK");
    EXPECT_EQ(Submit(SubmissionText("Again", 1, token, "ru")), "ERROR|bad token")
        << "a token is good once";

    const std::string page = Get(client_, server_->Url("prg=Brinehold&show&type=0"));
    const std::size_t top = page.find("<td>Top</td><td>Deep Sea</td><td>65535</td>");
    const std::size_t middle =
        page.find("<td>\xD0\x98\xD0\xB2\xD0\xB0 2</td><td>ru</td><td>4321</td>");
    const std::size_t low = page.find("<td>Low</td><td></td><td>7</td>");
    EXPECT_NE(top, std::string::npos) << page;
    EXPECT_NE(middle, std::string::npos) << page;
    EXPECT_NE(low, std::string::npos) << page;
    EXPECT_LT(top, middle);
    EXPECT_LT(middle, low);

    // The scores outlive the process.
    client_.Disconnect();
    server_ = std::make_unique<scored::ScoredProcess>(database_, 60);
    EXPECT_NE(Get(client_, server_->Url("prg=Brinehold&show&type=0")).find("<td>Top</td>"),
              std::string::npos);
}

TEST_F(ScoredTest, RejectsWhatTheGameNeverSends) {
    struct Case {
        std::string text; // before padding; TOKEN is replaced by a fresh token
        std::string answer;
    };
    const Case cases[] = {
        {"type=0|name=A|score=65536|key=B|p=TOKEN|add=|z=", "ERROR|bad score"},
        {"type=0|name=A|score=0123|key=B|p=TOKEN|add=|z=", "ERROR|bad score"},
        {"type=0|name=A|score=|key=B|p=TOKEN|add=|z=", "ERROR|bad score"},
        {"type=0|name=ElevenChars|score=5|key=B|p=TOKEN|add=|z=", "ERROR|bad name"},
        {"type=0|name=<b>x</b>|score=5|key=B|p=TOKEN|add=|z=", "ERROR|bad name"},
        {"type=0|name=A|score=5|key=B|p=TOKEN|add=ElevenChars|z=", "ERROR|bad country"},
        {"type=0|name=A|score=5|key=C|p=TOKEN|add=|z=", "ERROR|bad key"},
        {"type=0|name=A|score=5|key=B|p=unknown|add=|z=", "ERROR|bad token"},
        {"type=1|name=A|score=5|key=B|p=TOKEN|add=|z=", "ERROR|bad fields"},
        {"type=0|name=A|score=5|key=B|p=TOKEN|add=|extra=1|z=", "ERROR|bad fields"},
        {"type=0|name=A|score=5|key=B|p=TOKEN|add=|z=11111", "ERROR|bad fields"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        if (const std::size_t at = text.find("TOKEN"); at != std::string::npos) {
            text.replace(at, 5, Token());
        }
        EXPECT_EQ(Submit(text), c.answer);
    }
    const std::string badCodes[] = {"", "AAAAAAA", "IIIIIIII", std::string(800, 'A')};
    for (const std::string& code : badCodes) {
        SCOPED_TRACE(code);
        EXPECT_EQ(Get(client_, server_->Url("hs&prg=Brinehold&inf=" + code)), "ERROR|bad encoding");
    }
    EXPECT_EQ(Get(client_, server_->Url("version&prg=Other")), "ERROR|unknown program");
    const std::string page = Get(client_, server_->Url("prg=Brinehold&show&type=0"));
    EXPECT_EQ(page.find("<td>A</td>"), std::string::npos) << "nothing rejected was stored";
}

} // namespace

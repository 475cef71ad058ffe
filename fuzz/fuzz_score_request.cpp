// The score server's decoding of a request's query: the request kinds, the
// letter code of a submission, its fields, its token. The database is SQLite
// in memory, so a submission that passes every check is stored too.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ScoreService.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static StorePool pool(":memory:");
    static ScoreService service(pool, TokenSigner("fuzzing", 600));
    constexpr std::int64_t kNow = 1800000000;
    const std::string_view query(reinterpret_cast<const char*>(data), size);
    (void)service.Handle(query, kNow);
    // The same bytes as the letter code of a submission, past the request
    // parsing that the fuzzer would otherwise have to learn first.
    (void)service.Submit(query, kNow);
    return 0;
}

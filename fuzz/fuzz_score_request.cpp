// The score server's decoding of a request's query: the request kinds, the
// letter code of a submission, its fields and their checks. The database is
// in memory, so a submission that passes every check is stored too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ScoreService.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScoreService service(":memory:", std::chrono::seconds(60));
    const std::string_view query(reinterpret_cast<const char*>(data), size);
    bool html = false;
    (void)service.Handle(query, html);
    // The same bytes as the letter code of a submission, past the request
    // parsing that the fuzzer would otherwise have to learn first.
    (void)service.Submit(query);
    return 0;
}

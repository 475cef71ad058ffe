#include "engine/Errors.h"

namespace engine {
namespace {

std::string Fill(const std::string& format, const char* tag, const std::string& text) {
    const auto at = format.find(tag);
    if (at == std::string::npos) {
        return format;
    }
    return format.substr(0, at) + text + format.substr(at + 2);
}

} // namespace

std::string FormatMessage(const std::string& format, const std::string& value) {
    return Fill(format, "%s", value);
}

std::string FormatMessage(const std::string& format, long long value) {
    return Fill(format, "%d", std::to_string(value));
}

} // namespace engine

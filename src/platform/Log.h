// The side-effect log of --log: one line per sound, music call, message box,
// desktop action, HTTP request, mode change, cursor action, save and exit.
// Code anywhere reports the event; the shell installs the sink that prefixes
// the tick and writes the file. Without a sink, nothing is written.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

using LogSink = std::function<void(std::string_view line)>;

inline LogSink& LogSinkSlot() {
    static LogSink sink;
    return sink;
}

inline void SetLogSink(LogSink sink) {
    LogSinkSlot() = std::move(sink);
}

// `line` is the event without its tick, e.g. "sound herogun" (UTF-8).
inline void LogEvent(std::string_view line) {
    if (auto& sink = LogSinkSlot()) {
        sink(line);
    }
}

} // namespace platform

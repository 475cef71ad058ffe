#include "assets/ArchiveRoot.h"

#include <cstring>

bool SameTextAscii(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool TArchiveRoot::ReadProperty(TReader& reader, const std::string& name) {
    if (SameTextAscii(name, "List")) {
        if (!reader.ReadCollection(list_ != nullptr ? &items_ : nullptr)) {
            list_ = nullptr;
        }
        return true;
    }
    if (SameTextAscii(name, "Tag")) {
        reader.ReadInteger();
        return true;
    }
    if (SameTextAscii(name, "Name")) {
        std::string text = reader.ReadText();
        if (!IsValidComponentName(text)) {
            throw EComponentError("''" + text + "'' is not a valid component name");
        }
        name_ = text;
        return true;
    }
    return false;
}

TPersistentReadable* TArchiveRoot::ObjectProperty(const std::string& name) {
    return SameTextAscii(name, "List") ? list_ : nullptr;
}

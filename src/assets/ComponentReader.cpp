#include "assets/ComponentReader.h"

#include <array>
#include <cstring>
#include <string_view>

#include "assets/Errors.h"
#include "assets/Stream.h"
#include "platform/Platform.h"

namespace {

// Nested lists and collections deeper than this are taken for damage; it
// keeps a hostile file from exhausting the stack while values are skipped.
constexpr int kMaxNesting = 64;

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Names of components that exist for the whole run; a stream's root that
// bears one of them gets a numbered suffix instead.
constexpr std::array<std::string_view, 1> kApplicationComponents = {"mainForm"};

struct ColorName {
    std::string_view name;
    std::uint32_t value;
};

constexpr std::array<ColorName, 52> kColorNames = {{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clDefault", 0x20000000},
    {"clNone", 0x1FFFFFFF},
    {"clScrollBar", 0xFF000000},
    {"clBackground", 0xFF000001},
    {"clActiveCaption", 0xFF000002},
    {"clInactiveCaption", 0xFF000003},
    {"clMenu", 0xFF000004},
    {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006},
    {"clMenuText", 0xFF000007},
    {"clWindowText", 0xFF000008},
    {"clCaptionText", 0xFF000009},
    {"clActiveBorder", 0xFF00000A},
    {"clInactiveBorder", 0xFF00000B},
    {"clAppWorkSpace", 0xFF00000C},
    {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E},
    {"clBtnFace", 0xFF00000F},
    {"clBtnShadow", 0xFF000010},
    {"clGrayText", 0xFF000011},
    {"clBtnText", 0xFF000012},
    {"clInactiveCaptionText", 0xFF000013},
    {"clBtnHighlight", 0xFF000014},
    {"cl3DDkShadow", 0xFF000015},
    {"cl3DLight", 0xFF000016},
    {"clInfoText", 0xFF000017},
    {"clInfoBk", 0xFF000018},
    {"clHotLight", 0xFF00001A},
    {"clGradientActiveCaption", 0xFF00001B},
    {"clGradientInactiveCaption", 0xFF00001C},
    {"clMenuHighlight", 0xFF00001D},
    {"clMenuBar", 0xFF00001E},
}};

std::string Utf16ToUtf8(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    };
    const std::size_t count = bytes.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = '?'; // a lone surrogate
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t dot = path.find('.', start);
        parts.push_back(path.substr(start, dot == std::string::npos ? dot : dot - start));
        if (dot == std::string::npos) {
            return parts;
        }
        start = dot + 1;
    }
}

} // namespace

bool IsValidComponentName(const std::string& name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) {
            return false;
        }
    }
    return true;
}

bool ColorFromIdent(const std::string& ident, std::uint32_t& color) {
    for (const auto& entry : kColorNames) {
        if (SameText(entry.name, ident)) {
            color = entry.value;
            return true;
        }
    }
    return false;
}

void TReader::ReadContainerHeader() {
    const std::uint64_t start = stream_.Position();
    std::uint8_t header[79] = {};
    const std::size_t got = stream_.Read(header, sizeof header);
    if (got < 3 || header[0] != 0xFF || header[1] != 10 || header[2] != 0) {
        throw EReadError(assets::kInvalidStreamFormat);
    }
    // The name must end inside what was read; a missing terminator is damage.
    const void* zero = std::memchr(header + 3, 0, got - 3);
    if (zero == nullptr) {
        throw EReadError(assets::kInvalidStreamFormat);
    }
    const std::size_t nameLength = static_cast<const std::uint8_t*>(zero) - (header + 3);
    stream_.SetPosition(start + nameLength + 10);
}

void TReader::ReadRootComponent(TPersistentReadable& root) {
    std::uint8_t signature[4] = {};
    const std::size_t got = stream_.Read(signature, 4);
    if (got == 0) {
        throw EStreamError(assets::kStreamReadError);
    }
    if (got < 4 || std::memcmp(signature, "TPF0", 4) != 0) {
        throw EReadError(assets::kInvalidStreamFormat);
    }
    if ((NextValue() & 0xF0) == 0xF0) {
        const std::uint8_t flags = ReadValueType() & 0x0F;
        if (flags & 2) {
            ReadInteger();
        }
    }
    ReadShortString(); // class name: the reader knows what it reads
    std::string name = ReadShortString();
    if (!IsValidComponentName(name)) {
        throw EComponentError("''" + name + "'' is not a valid component name");
    }
    for (std::string_view taken : kApplicationComponents) {
        if (SameText(taken, name)) {
            name += "_1";
        }
    }
    root.SetComponentName(name);
    while (!EndOfList()) {
        ReadPropertyEntry(root);
    }
    ReadListEnd();
    if (!EndOfList()) {
        // A child component: archives have none and no class of one is known.
        if ((NextValue() & 0xF0) == 0xF0) {
            const std::uint8_t flags = ReadValueType() & 0x0F;
            if (flags & 2) {
                ReadInteger();
            }
        }
        throw EClassNotFound("Class " + ReadShortString() + " not found");
    }
    ReadListEnd();
}

void TReader::ReadPropertyEntry(TPersistentReadable& owner) {
    const std::string path = ReadShortString();
    try {
        const std::vector<std::string> segments = SplitPath(path);
        TPersistentReadable* object = &owner;
        for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
            object = object->ObjectProperty(segments[i]);
            if (object == nullptr) {
                throw EReadError(assets::kInvalidPropertyPath);
            }
        }
        const std::string& last = segments.back();
        if (!object->ReadProperty(*this, last) && !object->ReadStoredData(*this, last)) {
            throw EReadError("Property " + last + " does not exist");
        }
    } catch (EAssetError& error) {
        error.SetMessage("Error reading " + owner.ErrorName() + "." + path + ": " +
                         error.Message());
        throw;
    }
}

std::uint8_t TReader::ReadValueType() {
    return stream_.ReadByte();
}

std::uint8_t TReader::NextValue() {
    const std::uint8_t value = stream_.ReadByte();
    stream_.SetPosition(stream_.Position() - 1);
    return value;
}

bool TReader::EndOfList() {
    return NextValue() == ValueEnd;
}

void TReader::ReadListEnd() {
    const std::uint8_t type = ReadValueType();
    if (type != ValueEnd) {
        SkipValueOfType(type);
        throw EReadError(assets::kInvalidPropertyValue);
    }
}

std::string TReader::ReadShortString() {
    const std::uint8_t length = stream_.ReadByte();
    std::string text(length, '\0');
    stream_.ReadBuffer(text.data(), length);
    return text;
}

std::uint32_t TReader::ReadLength() {
    const std::uint32_t length = stream_.ReadU32();
    // Checked before anything of that size is reserved.
    if (length > stream_.Remaining()) {
        throw EStreamError(assets::kStreamReadError);
    }
    return length;
}

void TReader::SkipBytes(std::uint64_t count) {
    stream_.Skip(count);
}

void TReader::SkipValue() {
    SkipValueOfType(ReadValueType());
}

void TReader::SkipValueOfType(std::uint8_t type) {
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) {
            if (++depth > kMaxNesting) {
                --depth;
                throw EReadError(assets::kInvalidPropertyValue);
            }
        }
        ~Depth() { --depth; }
    };
    switch (type) {
    case ValueList: {
        Depth guard(depth_);
        while (!EndOfList()) {
            SkipValue();
        }
        ReadListEnd();
        break;
    }
    case ValueInt8:
        SkipBytes(1);
        break;
    case ValueInt16:
        SkipBytes(2);
        break;
    case ValueInt32:
    case ValueSingle:
        SkipBytes(4);
        break;
    case ValueExtended:
        SkipBytes(10);
        break;
    case ValueString:
    case ValueIdent:
        SkipBytes(stream_.ReadByte());
        break;
    case ValueBlock:
    case ValueLString:
    case ValueUtf8String:
        SkipBytes(stream_.ReadU32());
        break;
    case ValueWString:
        SkipBytes(std::uint64_t{stream_.ReadU32()} * 2);
        break;
    case ValueSet:
        for (std::uint8_t length = stream_.ReadByte(); length != 0; length = stream_.ReadByte()) {
            SkipBytes(length);
        }
        break;
    case ValueCurrency:
    case ValueDate:
    case ValueInt64:
        SkipBytes(8);
        break;
    case ValueCollection: {
        Depth guard(depth_);
        while (!EndOfList()) {
            const std::uint8_t next = NextValue();
            if (next >= ValueInt8 && next <= ValueInt32) {
                SkipValue();
            }
            SkipBytes(1); // the list tag
            while (!EndOfList()) {
                ReadShortString();
                SkipValue();
            }
            ReadListEnd();
        }
        ReadListEnd();
        break;
    }
    default: // end marker, nil, truth values and unknown tags carry nothing
        break;
    }
}

void TReader::FailValue() {
    throw EReadError(assets::kInvalidPropertyValue);
}

std::int32_t TReader::ReadInteger() {
    const std::uint8_t type = ReadValueType();
    switch (type) {
    case ValueInt8:
        return static_cast<std::int8_t>(stream_.ReadByte());
    case ValueInt16:
        return static_cast<std::int16_t>(stream_.ReadU16());
    case ValueInt32:
        return static_cast<std::int32_t>(stream_.ReadU32());
    default:
        SkipValueOfType(type);
        FailValue();
    }
}

bool TReader::ReadBoolean() {
    const std::uint8_t type = ReadValueType();
    switch (type) {
    case ValueFalse:
        return false;
    case ValueTrue:
        return true;
    case ValueIdent: {
        const std::string ident = ReadShortString();
        if (SameText(ident, "False")) {
            return false;
        }
        if (SameText(ident, "True")) {
            return true;
        }
        FailValue();
    }
    default:
        SkipValueOfType(type);
        FailValue();
    }
}

std::uint32_t TReader::ReadColor() {
    if (NextValue() == ValueIdent) {
        ReadValueType();
        std::uint32_t color = 0;
        if (!ColorFromIdent(ReadShortString(), color)) {
            FailValue();
        }
        return color;
    }
    return static_cast<std::uint32_t>(ReadInteger());
}

std::string TReader::ReadText() {
    const std::uint8_t type = ReadValueType();
    switch (type) {
    case ValueString: {
        const std::uint8_t length = stream_.ReadByte();
        std::string text(length, '\0');
        stream_.ReadBuffer(text.data(), length);
        return text;
    }
    case ValueLString: {
        std::string text(ReadLength(), '\0');
        stream_.ReadBuffer(text.data(), text.size());
        return text;
    }
    case ValueWString: {
        const std::uint64_t bytes = std::uint64_t{stream_.ReadU32()} * 2;
        if (bytes > stream_.Remaining()) {
            throw EStreamError(assets::kStreamReadError);
        }
        std::vector<std::uint8_t> units(bytes);
        stream_.ReadBuffer(units.data(), units.size());
        return platform::Utf8ToCp1251(Utf16ToUtf8(units));
    }
    case ValueUtf8String: {
        std::string text(ReadLength(), '\0');
        stream_.ReadBuffer(text.data(), text.size());
        return platform::Utf8ToCp1251(text);
    }
    default:
        SkipValueOfType(type);
        FailValue();
    }
}

std::vector<std::uint8_t> TReader::ReadBlock() {
    const std::uint8_t type = ReadValueType();
    if (type != ValueBlock) {
        SkipValueOfType(type);
        FailValue();
    }
    std::vector<std::uint8_t> block(ReadLength());
    stream_.ReadBuffer(block.data(), block.size());
    return block;
}

void TReader::ReadBlockInPlace(const std::function<void(TStream& block)>& read) {
    const std::uint8_t type = ReadValueType();
    if (type != ValueBlock) {
        SkipValueOfType(type);
        FailValue();
    }
    const std::uint32_t length = ReadLength();
    const std::uint64_t end = stream_.Position() + length;
    TStreamWindow block(stream_, length);
    read(block);
    stream_.SetPosition(end);
}

bool TReader::ReadCollection(TCollectionReadable* collection) {
    const std::uint8_t type = ReadValueType();
    if (type == ValueNil) {
        return false;
    }
    if (type != ValueCollection || collection == nullptr) {
        SkipValueOfType(type);
        FailValue();
    }
    if (!EndOfList()) {
        collection->Clear();
    }
    while (!EndOfList()) {
        const std::uint8_t next = NextValue();
        if (next >= ValueInt8 && next <= ValueInt32) {
            ReadInteger(); // the item's index: not needed
        }
        TPersistentReadable& item = collection->NewItem();
        try {
            if (const std::uint8_t tag = ReadValueType(); tag != ValueList) {
                SkipValueOfType(tag);
                FailValue();
            }
            while (!EndOfList()) {
                ReadPropertyEntry(item);
            }
            ReadListEnd();
        } catch (...) {
            // What the item received so far stays in the collection.
            collection->ItemDone();
            throw;
        }
        collection->ItemDone();
    }
    ReadListEnd();
    return true;
}

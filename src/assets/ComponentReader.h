// The component stream shared by the image and the sound archive: container
// header, "TPF0" signature, tagged values, dotted property paths and the
// "Error reading ..." wrapping. Used by the archive readers; objects being
// read describe their properties through TPersistentReadable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TStream;
class TReader;

// An object of the stream: its published properties, object properties (the
// segments of a dotted path) and its own stored data.
class TPersistentReadable {
public:
    virtual ~TPersistentReadable() = default;
    virtual const char* ClassName() const = 0;
    // The name used in "Error reading %s...": a component's name, or its
    // class name when it has none or is no component.
    virtual std::string ErrorName() const { return ClassName(); }
    // The root component receives the component name of the stream.
    virtual void SetComponentName(const std::string& name) { (void)name; }
    // Reads the value of the published property `name` (compared without
    // regard to case); false when there is no such property.
    virtual bool ReadProperty(TReader& reader, const std::string& name) = 0;
    // The object held by the object property `name`, or nullptr when there
    // is no such object property or it holds no object.
    virtual TPersistentReadable* ObjectProperty(const std::string& name) {
        (void)name;
        return nullptr;
    }
    // Offers an entry to the object's stored data; false when none takes it.
    virtual bool ReadStoredData(TReader& reader, const std::string& name) {
        (void)reader;
        (void)name;
        return false;
    }
};

// A collection being read: NewItem appends a default item and returns it;
// ItemDone is called once the item is read, or failed (then before the error
// goes on), so that the item stays in the collection either way.
class TCollectionReadable {
public:
    virtual ~TCollectionReadable() = default;
    virtual void Clear() = 0;
    virtual TPersistentReadable& NewItem() = 0;
    virtual void ItemDone() = 0;
};

enum StreamValueType : std::uint8_t {
    ValueEnd = 0x00,
    ValueList = 0x01,
    ValueInt8 = 0x02,
    ValueInt16 = 0x03,
    ValueInt32 = 0x04,
    ValueExtended = 0x05,
    ValueString = 0x06,
    ValueIdent = 0x07,
    ValueFalse = 0x08,
    ValueTrue = 0x09,
    ValueBlock = 0x0A,
    ValueSet = 0x0B,
    ValueLString = 0x0C,
    ValueNil = 0x0D,
    ValueCollection = 0x0E,
    ValueSingle = 0x0F,
    ValueCurrency = 0x10,
    ValueDate = 0x11,
    ValueWString = 0x12,
    ValueInt64 = 0x13,
    ValueUtf8String = 0x14,
};

class TReader {
public:
    explicit TReader(TStream& stream) : stream_(stream) {}

    TStream& Stream() { return stream_; }

    // The container header: 0xFF, type 10, a zero-terminated name, flags and
    // size. Leaves the stream at the component stream.
    void ReadContainerHeader();
    // "TPF0", the optional prefix, class name and component name (checked,
    // then given to the root); then the root's properties and its (empty)
    // child list.
    void ReadRootComponent(TPersistentReadable& root);

    // One property entry of `owner`: name, then value; failures after the
    // name are re-raised as "Error reading OWNER.PATH: message".
    void ReadPropertyEntry(TPersistentReadable& owner);

    std::uint8_t ReadValueType();
    std::uint8_t NextValue();
    bool EndOfList();
    // Reads the end marker 0x00 or fails with "Invalid property value".
    void ReadListEnd();
    void SkipValue();

    // Value readers by property type. A wrong tag is skipped, then fails
    // with "Invalid property value".
    std::int32_t ReadInteger();
    bool ReadBoolean();
    std::uint32_t ReadColor();
    std::string ReadText(); // code page 1251
    std::vector<std::uint8_t> ReadBlock();
    // A block value read in place, without a copy: `read` gets a stream of
    // exactly the block's bytes and may leave some unread; the reader goes
    // on after the block.
    void ReadBlockInPlace(const std::function<void(TStream& block)>& read);
    // A collection value into `collection`; a nil value returns false
    // (the property then holds no object).
    bool ReadCollection(TCollectionReadable* collection);

    std::string ReadShortString();

    [[noreturn]] void FailValue(); // skips the value just tagged, then fails

private:
    void SkipBytes(std::uint64_t count);
    std::uint32_t ReadLength();
    void SkipValueOfType(std::uint8_t type);

    TStream& stream_;
    int depth_ = 0;
};

// True for an empty name or a letter or underscore followed by letters,
// digits and underscores.
bool IsValidComponentName(const std::string& name);

// The colour of a colour identifier ("clFuchsia", compared without regard to
// case); false when it is not one.
bool ColorFromIdent(const std::string& ident, std::uint32_t& color);

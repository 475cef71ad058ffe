// Hand-made component streams for the reader tests: every byte where the
// test wants it, including the damaged ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Bytes {
    std::vector<std::uint8_t> data;

    Bytes& U8(std::uint32_t v) {
        data.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Bytes& U16(std::uint32_t v) { return U8(v).U8(v >> 8); }
    Bytes& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bytes& Raw(const std::string& s) {
        data.insert(data.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& Raw(const std::vector<std::uint8_t>& v) {
        data.insert(data.end(), v.begin(), v.end());
        return *this;
    }
    Bytes& Raw(const Bytes& b) { return Raw(b.data); }
    Bytes& Short(const std::string& s) { return U8(static_cast<std::uint32_t>(s.size())).Raw(s); }

    // Tagged values.
    Bytes& Int8(int v) { return U8(0x02).U8(static_cast<std::uint32_t>(v)); }
    Bytes& Int16(int v) { return U8(0x03).U16(static_cast<std::uint32_t>(v)); }
    Bytes& Int32(std::int64_t v) { return U8(0x04).U32(static_cast<std::uint32_t>(v)); }
    Bytes& String(const std::string& s) { return U8(0x06).Short(s); }
    Bytes& Ident(const std::string& s) { return U8(0x07).Short(s); }
    Bytes& False() { return U8(0x08); }
    Bytes& True() { return U8(0x09); }
    Bytes& Block(const std::vector<std::uint8_t>& b) {
        return U8(0x0A).U32(static_cast<std::uint32_t>(b.size())).Raw(b);
    }
    Bytes& End() { return U8(0x00); }
    Bytes& Property(const std::string& name) { return Short(name); }
};

// A container header with `resourceName`, then "TPF0", the class name, an
// empty component name, `rootProperties`, and the two end markers.
inline std::vector<std::uint8_t>
Archive(const Bytes& rootProperties, const std::string& className = "TPictureCollectionComponent",
        const std::string& componentName = "", const std::string& resourceName = "ARCHIVE") {
    Bytes b;
    b.U8(0xFF).U16(10).Raw(resourceName).U8(0).U16(0x1030).U32(0);
    b.Raw("TPF0").Short(className).Short(componentName).Raw(rootProperties).End().End();
    return b.data;
}

// "List" with the given items (each a property list without its markers).
inline Bytes List(const std::vector<Bytes>& items) {
    Bytes b;
    b.Property("List").U8(0x0E);
    for (const Bytes& item : items) {
        b.U8(0x01).Raw(item).End();
    }
    b.End();
    return b;
}

// "Picture.Data" with a class name and graphic data.
inline Bytes PictureData(const std::vector<std::uint8_t>& graphic,
                         const std::string& className = "TDIB") {
    Bytes block;
    block.Short(className).Raw(graphic);
    Bytes b;
    b.Property("Picture.Data").Block(block.data);
    return b;
}

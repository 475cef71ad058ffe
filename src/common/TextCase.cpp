#include "common/TextCase.h"

#include <cstdint>

char UpperCaseCp1251(char ch) {
    const auto c = static_cast<std::uint8_t>(ch);
    if ((c >= 'a' && c <= 'z') || c >= 0xE0) {
        return static_cast<char>(c - 0x20); // a..z and а..я
    }
    switch (c) {
    case 0xB8:
        return static_cast<char>(0xA8); // ё
    case 0xA2:
        return static_cast<char>(0xA1); // ў
    case 0xB3:
        return static_cast<char>(0xB2); // і
    case 0xB4:
        return static_cast<char>(0xA5); // ґ
    case 0xBA:
        return static_cast<char>(0xAA); // є
    case 0xBF:
        return static_cast<char>(0xAF); // ї
    case 0xBC:
        return static_cast<char>(0xA3); // ј
    case 0xBE:
        return static_cast<char>(0xBD); // ѕ
    case 0x83:
        return static_cast<char>(0x81); // ѓ
    case 0x90:
        return static_cast<char>(0x80); // ђ
    case 0x9A:
        return static_cast<char>(0x8A); // љ
    case 0x9C:
        return static_cast<char>(0x8C); // њ
    case 0x9D:
        return static_cast<char>(0x8D); // ќ
    case 0x9E:
        return static_cast<char>(0x8E); // ћ
    case 0x9F:
        return static_cast<char>(0x8F); // џ
    default:
        return ch;
    }
}

std::string UpperCaseCp1251(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = UpperCaseCp1251(c);
    }
    return upper;
}

#include "common/TextCase.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"

namespace {

TEST(TextCase, UpperCasesLatinAndCyrillic) {
    const struct {
        const char* utf8;
        const char* upper;
    } cases[] = {
        {"russia", "RUSSIA"},   {"Россия", "РОССИЯ"},         {"ёжик", "ЁЖИК"},
        {"україна", "УКРАЇНА"}, {"беларусь 1", "БЕЛАРУСЬ 1"}, {"ABC xyz 09", "ABC XYZ 09"},
        {"яЯ", "ЯЯ"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::Cp1251ToUtf8(UpperCaseCp1251(platform::Utf8ToCp1251(c.utf8))), c.upper)
            << c.utf8;
    }
}

} // namespace

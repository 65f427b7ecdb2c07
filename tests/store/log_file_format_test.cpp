#include "store/log_file_format.h"

#include <gtest/gtest.h>

#include <string>

#include "store/log_image.h"

namespace tankora {
namespace {

std::string bytesOf(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

TEST(EmptyLogTemplate, HeaderBytesAreTheLayout) {
    const std::string_view t = emptyLogTemplate();
    ASSERT_EQ(t.size(), 836u);
    EXPECT_EQ(std::string(t.substr(0, 28)),
              bytesOf({0x57, 0x45, 0x44, 0x42, 0x00, 0x00, 0x01, 0x00, 0x50, 0xFA, 0xA4, 0x8F, 0xFE, 0x57,
                       0xE3, 0x40, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x55, 0x00, 0x00, 0x00}));
    EXPECT_EQ(std::string(t.substr(28, 84)), std::string(84, '\0'));
    EXPECT_EQ(std::string(t.substr(112, 4)), bytesOf({0x0A, 0x00, 0x00, 0x00}));
    EXPECT_DOUBLE_EQ(test::doubleAt(std::string(t), 8), 39615.955034722225);
}

TEST(EmptyLogTemplate, FieldEntriesHoldTheTenNamesTypesOffsetsAndWidths) {
    struct Expected {
        std::string name;
        int type, offset, width;
    };
    const Expected expected[] = {
        {bytesOf({0xD0, 0xF2, 0xBA, 0xC5}), 3, 4, 0},
        {bytesOf({0xC8, 0xD5, 0xC6, 0xDA}), 8, 8, 0},
        {bytesOf({0xC0, 0xEF, 0xB3, 0xCC, 0xB1, 0xED, 0xB6, 0xC1, 0xCA, 0xFD}), 6, 16, 0},
        {bytesOf({0xD0, 0xD0, 0xCA, 0xB9, 0xC0, 0xEF, 0xB3, 0xCC}), 6, 24, 0},
        {bytesOf({0xBC, 0xD3, 0xD3, 0xCD, 0xC1, 0xBF}), 6, 32, 0},
        {bytesOf({0xC8, 0xBC, 0xD3, 0xCD, 0xC0, 0xE0, 0xD0, 0xCD}), 10, 40, 20},
        {bytesOf({0xBD, 0xF0, 0xB6, 0xEE}), 6, 60, 0},
        {bytesOf({0xBC, 0xD3, 0xC2, 0xFA}), 7, 68, 0},
        {bytesOf({0xD3, 0xCD, 0xBA, 0xC4, 0xB9, 0xC0, 0xBC, 0xC6}), 6, 69, 0},
        {bytesOf({0xB5, 0xA5, 0xBC, 0xDB}), 6, 77, 0},
    };
    const std::string t(emptyLogTemplate());
    for (std::size_t i = 0; i < 10; ++i) {
        SCOPED_TRACE(i + 1);
        const std::size_t entry = 116 + 72 * i;
        std::string name = expected[i].name;
        name.resize(20, '\0');
        EXPECT_EQ(t.substr(entry, 20), name);
        EXPECT_EQ(test::int32At(t, entry + 20), expected[i].type);
        EXPECT_EQ(test::int32At(t, entry + 24), expected[i].offset);
        EXPECT_EQ(test::int32At(t, entry + 28), expected[i].width);
        EXPECT_EQ(t.substr(entry + 32, 40), std::string(40, '\0'));
    }
}

TEST(FuelRecordLayout, FieldsCoverTheRecordAfterTheIdWithoutGapsOrOverlaps) {
    std::int64_t next = kRecordIdLength;
    for (const LogFieldLayout& field : kFuelRecordFields) {
        EXPECT_EQ(field.offset, next);
        next += fieldWidthOfType(field.type, field.textWidth);
    }
    EXPECT_EQ(next, kLogRecordLength);
    EXPECT_EQ(kLogDataStart, 836);
}

TEST(FuelRecordLayout, WidthsOfEveryTypeCode) {
    const std::int64_t widths[] = {1, 2, 4, 8, 4, 8, 1, 8, 4, 33, 4, 4};
    for (int type = 1; type <= 12; ++type) EXPECT_EQ(fieldWidthOfType(type, 33), widths[type - 1]) << type;
}

}  // namespace
}  // namespace tankora

#include <gtest/gtest.h>

#include <string>

#include "text/gbk_codec.h"

namespace tankora {
namespace {

constexpr char kReplacement[] = "\xef\xbf\xbd";  // U+FFFD in UTF-8

TEST(GbkCodec, ChineseTextsRoundTrip) {
    const struct {
        const char* gbk;
        const char* utf8;
    } cases[] = {
        {"\xbc\xd3\xc2\xfa", "\xe5\x8a\xa0\xe6\xbb\xa1"},  // 加满
        {"\xd3\xc3\xbb\xa7\xd7\xa2\xd2\xe2.txt",
         "\xe7\x94\xa8\xe6\x88\xb7\xe6\xb3\xa8\xe6\x84\x8f.txt"},  // 用户注意.txt
        {"93", "93"},
        {"", ""},
        {"\xa3\xb1\xa3\xb2\xa3\xae\xa3\xb5", "\xef\xbc\x91\xef\xbc\x92\xef\xbc\x8e\xef\xbc\x95"},  // １２．５
        {"2005\xc4\xea"
         "3\xd4\xc2",
         "2005\xe5\xb9\xb4"
         "3\xe6\x9c\x88"},  // 2005年3月
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gbkToUtf8(c.gbk), c.utf8) << c.gbk;
        EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk) << c.utf8;
    }
}

TEST(GbkCodec, BrokenGbkBecomesReplacementCharacters) {
    using namespace std::string_literals;
    EXPECT_EQ(gbkToUtf8("ab\xbc"), "ab"s + kReplacement);  // a lead byte cut off at the end
    EXPECT_EQ(gbkToUtf8("\xbc"), kReplacement);
    EXPECT_EQ(gbkToUtf8("\x81\x20x"), kReplacement + " x"s);  // no valid second byte: go on after the lead
    EXPECT_EQ(gbkToUtf8("\xff\xbc\xd3"), kReplacement + "\xe5\x8a\xa0"s);
    EXPECT_EQ(gbkToUtf8("a\0b"s), "a\0b"s);
}

TEST(GbkCodec, WhatGbkCannotHoldBecomesQuestionMarks) {
    EXPECT_EQ(utf8ToGbk("\xf0\x9f\x98\x80"), "?");  // an emoji
    EXPECT_EQ(utf8ToGbk("a\xf0\x9f\x98\x80"
                        "b"),
              "a?b");
    EXPECT_EQ(utf8ToGbk("\xff"
                        "a"),
              "?a");                         // not UTF-8
    EXPECT_EQ(utf8ToGbk("\xe5\x8a"), "??");  // a cut character
    EXPECT_EQ(utf8ToGbk("\xc0\x80"), "??");  // an overlong zero
    EXPECT_EQ(utf8ToGbk("\xed\xa0\x80"
                        "x")
                  .back(),
              'x');  // a lone surrogate
}

// Every double-byte code that decodes must encode back to the same two bytes.
TEST(GbkCodec, EveryDoubleByteCodeRoundTrips) {
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = gbkToUtf8(gbk);
            if (utf8.starts_with(kReplacement)) continue;  // an unassigned code
            ASSERT_EQ(utf8ToGbk(utf8), gbk) << std::hex << lead << " " << trail;
        }
    }
}

TEST(GbkCodec, LongAndHostileTexts) {
    const std::string leads(1 << 20, '\xff');
    std::string expected;
    for (int i = 0; i < (1 << 20); ++i) expected += kReplacement;
    EXPECT_EQ(gbkToUtf8(leads), expected);
    std::string chinese;
    for (int i = 0; i < (1 << 18); ++i) chinese += "\xbc\xd3\xc2\xfa";
    EXPECT_EQ(utf8ToGbk(gbkToUtf8(chinese)), chinese);
    EXPECT_EQ(utf8ToGbk(std::string(1 << 20, '\x80')), std::string(1 << 20, '?'));
}

}  // namespace
}  // namespace tankora

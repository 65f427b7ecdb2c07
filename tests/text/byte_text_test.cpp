#include <gtest/gtest.h>

#include <string>

#include "text/value_text.h"

namespace tankora {
namespace {

using namespace std::string_literals;

TEST(ByteText, BytesAndBlanks) {
    EXPECT_EQ(textToBytes(""), "");
    EXPECT_EQ(textToBytes("a\xbc\xd3"s + '\0' + "b"), "a\xbc\xd3"s + '\0' + "b");  // no terminator added
    EXPECT_EQ(blankText(3), "   ");
    EXPECT_EQ(blankText(0), "");
    EXPECT_EQ(blankText(-5), "");
    EXPECT_EQ(blankText(-2147483647 - 1), "");
}

TEST(ByteText, LeftAndRightCountBytes) {
    const std::string t =
        "ab\xb1\xed"
        "cd";  // ab表cd
    const struct {
        int count;
        const char* left;
        const char* right;
    } cases[] = {
        {-1, "", ""},
        {0, "", ""},
        {1, "a", "d"},
        {3, "ab\xb1",
         "\xed"
         "cd"},  // a two-byte character may be cut
        {4, "ab\xb1\xed",
         "\xb1\xed"
         "cd"},
        {6,
         "ab\xb1\xed"
         "cd",
         "ab\xb1\xed"
         "cd"},
        {2147483647,
         "ab\xb1\xed"
         "cd",
         "ab\xb1\xed"
         "cd"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(leftText(t, c.count), c.left) << c.count;
        EXPECT_EQ(rightText(t, c.count), c.right) << c.count;
    }
    EXPECT_EQ(leftText("", 3), "");
    EXPECT_EQ(rightText("", 3), "");
}

TEST(FindText, MatchesOnlyWhereACharacterStarts) {
    const struct {
        std::string text, sought;
        bool ignoreCase;
        int position;
    } cases[] = {
        {"ab\xb1\xed"
         "cd",
         "cd", false, 5},
        {"ABC", "bc", true, 2},
        {"ABC", "bc", false, -1},
        {"abc", "", false, 1},
        {"", "", true, -1},
        {"", "a", false, -1},
        {"ab", "abc", false, -1},
        {"\xb1\x41"
         "A",
         "A", false, 3},  // 0x41 is the second byte of a character
        {"\xb1\x61"
         "A",
         "a", true, 3},
        {"\xc1\xb1\xed", "\xb1\xed", false, -1},  // straddles two characters only
        {"x\xc1\xb1\xb1\xed", "\xb1\xed", false, 4},
        {"aab\xbc\xd3", "\xbc\xd3", false, 4},
        {"aaaaab", "aab", false, 4},
        {"[\\]^_`", "[\\]^_`", true, 1},  // the bytes beside the letters do not fold
        {"[", "{", true, -1},
        {"Z", "z", true, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(findText(c.text, c.sought, c.ignoreCase), c.position) << c.text;
}

TEST(FindText, LongRepetitiveTexts) {
    const std::string text = std::string(1 << 20, 'a') + "b";
    EXPECT_EQ(findText(text, std::string(1 << 19, 'a') + "b", false), (1 << 19) + 1);
    EXPECT_EQ(findText(text, std::string(1 << 19, 'A') + "B", true), (1 << 19) + 1);
    EXPECT_EQ(findText(text, std::string(1 << 19, 'a') + "c", false), -1);
    // An even run of 0xB1 pairs up and leaves "b" a character of its own; an odd run
    // makes the last 0xB1 the lead of "\xb1b".
    const std::string leads = std::string(1 << 20, '\xb1') + "b";
    EXPECT_EQ(findText(leads,
                       "\xb1"
                       "b",
                       false),
              -1);
    EXPECT_EQ(findText("\xb1" + leads,
                       "\xb1"
                       "b",
                       false),
              static_cast<int>(leads.size()));
}

}  // namespace
}  // namespace tankora

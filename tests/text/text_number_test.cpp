#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "text/value_text.h"

namespace tankora {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

double trusted(std::string ascii) {
    for (char& c : ascii)
        if (c == 'd' || c == 'D') c = 'e';
    const char* begin = ascii.data();
    if (!ascii.empty() && ascii[0] == '+') ++begin;
    double value = 0;
    if (std::from_chars(begin, ascii.data() + ascii.size(), value).ec == std::errc()) return value;
    return std::strtod(ascii.c_str(), nullptr);  // out of range: the C library's infinity or zero
}

// The full-width form of an ASCII text: every byte '!' to '~' as 0xA3, byte + 0x80.
std::string fullWidth(std::string_view ascii) {
    std::string wide;
    for (char c : ascii) {
        wide += '\xa3';
        wide += static_cast<char>(static_cast<unsigned char>(c) + 0x80);
    }
    return wide;
}

struct TextCase {
    std::string text;
    double value;
};

TEST(TextToNumber, Examples) {
    const TextCase cases[] = {
        {"", 0},
        {"12.5", 12.5},
        {"  12.5\xb9\xab\xc0\xef", 12.5},            // 公里
        {"\xa3\xb1\xa3\xb2\xa3\xae\xa3\xb5", 12.5},  // １２．５
        {"12.5\xd4\xaa", 12.5},                      // 元
        {"1,234", 1},
        {"-3", -3},
        {"+.5", 0.5},
        {"5.", 5},
        {"1e3", 1000},
        {"2d2", 200},
        {"1d2", 100},
        {"1D-2", 0.01},
        {"12e", 12},
        {"12e+", 12},
        {"12d-x", 12},
        {"abc", 0},
        {"0x10", 0},
        {"1e400", kInf},
        {"-1e400", -kInf},
        {".", 0},
        {"-", 0},
        {"+-1", 0},
        {"-.e5", 0},
        {" \t\n\v\f\r7", 7},
        {"\xa1\xa1"
         "8",
         8},                       // ideographic space
        {"\xa3\xad\xa3\xb3", -3},  // －３
        {"1\xa3\xc5"
         "2",
         100},  // 1Ｅ2
        {"1\xa3\xe5\xa3\xab"
         "2",
         100},  // 1ｅ＋2
        {"1\xa3\xe4"
         "2",
         100},  // 1ｄ2
        {"\xbc\xd3"
         "5",
         0},           // 加5: another character stops the number
        {"5\xa3", 5},  // a lead byte standing last is dropped
        {"\xa3", 0},
        {"1.5.5", 1.5},
        {"00012", 12},
        {"-0", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(textToNumber(c.text), c.value) << c.text;
    EXPECT_TRUE(std::signbit(textToNumber("-0")));
    EXPECT_TRUE(std::signbit(textToNumber("-1e-999")));
    EXPECT_EQ(textToNumber(std::int32_t{-2147483647 - 1}), -2147483648.0);
    EXPECT_EQ(textToNumber(std::int32_t{77}), 77.0);
}

TEST(TextToNumber, TinyAndHugeValuesRoundCorrectly) {
    const TextCase cases[] = {
        {"4.9406564584124654e-324", 4.9406564584124654e-324},
        {"2.4703282292062328e-324", 4.9406564584124654e-324},  // just above half the least
        {"2.4703282292062327e-324", 0},                        // just below it
        {"2.47032822920623272088e-324", 0},                    // a hair below the half
        {"7.4109846876186982e-324", 9.8813129168249309e-324},  // a hair above 1.5 of the least
        {"1e-310", 1e-310},
        {"2.2250738585072011e-308", 2.2250738585072009e-308},
        {"2.2250738585072012e-308", 2.2250738585072014e-308},  // rounds up into the normals
        {"1e-400", 0},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"1.7976931348623158e308", 1.7976931348623157e308},
        {"1.7976931348623159e308", kInf},
        {"1e999999999", kInf},
        {"-1e999999999", -kInf},
        {"1e-999999999", 0},
        {"1e99999999999999999999999", kInf},
        {"0e999999999", 0},
        {"0.000000000000000000000000001e26", 0.1},
    };
    for (const auto& c : cases) EXPECT_EQ(textToNumber(c.text), c.value) << c.text;
}

TEST(TextToNumber, MegabyteOfDigits) {
    const std::string ones(1 << 20, '1');
    EXPECT_EQ(textToNumber(ones), kInf);
    EXPECT_EQ(textToNumber("-" + ones), -kInf);
    EXPECT_EQ(textToNumber("0." + ones), trusted("0." + ones));
    EXPECT_EQ(textToNumber("0." + std::string(1 << 20, '0') + "1"), 0);
    EXPECT_EQ(textToNumber("0." + std::string(1 << 20, '0') + "15e1048577"), 1.5);
    EXPECT_EQ(textToNumber("1" + std::string(1 << 20, '0') + "e-1048576"), 1);
    // A subnormal whose digits run on far beyond those that decide it.
    const std::string least = "4940656458412465441765687928682213723651" + std::string(1 << 20, '0');
    EXPECT_EQ(textToNumber(least + "e-1048939"), trusted(least + "e-1048939"));
    EXPECT_EQ(textToNumber(fullWidth(std::string(1 << 19, '9'))), kInf);
    EXPECT_EQ(textToNumber(std::string(1 << 20, ' ') + "3"), 3);
    EXPECT_EQ(textToNumber(std::string(1 << 20, '\xa3')), 0);  // lead bytes pairing with lead bytes
}

// The exact decimal digits of k x 5^n.
std::string digitsOfFivePower(int n, long long k) {
    std::vector<int> digits;  // least significant first
    for (; k > 0; k /= 10) digits.push_back(static_cast<int>(k % 10));
    for (int i = 0; i < n; ++i) {
        int carry = 0;
        for (int& d : digits) {
            const int v = d * 5 + carry;
            d = v % 10;
            carry = v / 10;
        }
        for (; carry > 0; carry /= 10) digits.push_back(carry % 10);
    }
    std::string text;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) text += static_cast<char>('0' + *it);
    return text;
}

// Exact halves between neighbouring subnormals (k x 2^-1075, k odd) need all their
// 750-odd digits, and a digit far beyond them still decides which way they go.
TEST(TextToNumber, HalvesBetweenSubnormals) {
    const double least = std::numeric_limits<double>::denorm_min();
    const std::string far(2000, '0');
    for (int k : {1, 3, 5, 7, 9001}) {
        const std::string half = digitsOfFivePower(1075, k);
        const double below = (k / 2) * least, above = (k / 2 + 1) * least;
        const double even = (k / 2) % 2 == 0 ? below : above;
        EXPECT_EQ(textToNumber(half + "e-1075"), even) << k;
        EXPECT_EQ(textToNumber(half + far + "1e-3076"), above) << k;
        std::string justBelow = half;
        justBelow.back() = static_cast<char>(justBelow.back() - 1);  // the digits end in 5
        EXPECT_EQ(textToNumber(justBelow + std::string(2000, '9') + "e-3075"), below) << k;
        EXPECT_EQ(textToNumber("-" + half + far + "1e-3076"), -above) << k;
    }
    // The half between the largest subnormal and the smallest normal.
    const std::string top = digitsOfFivePower(1075, (1LL << 53) - 1);
    EXPECT_EQ(textToNumber(top + "e-1075"), std::numeric_limits<double>::min());
    std::string justBelow = top;
    justBelow.back() = static_cast<char>(justBelow.back() - 1);
    EXPECT_EQ(textToNumber(justBelow + "9e-1076"), std::numeric_limits<double>::min() - least);
}

std::string randomDecimal(std::mt19937_64& random, int maxExponent) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string text;
    if (pick(3) == 0) text += pick(2) ? '-' : '+';
    const int whole = pick(4) == 0 ? 0 : 1 + pick(20);
    const int fraction = whole == 0 ? 1 + pick(25) : pick(3) == 0 ? 0 : pick(25);
    for (int i = 0; i < whole; ++i) text += static_cast<char>('0' + pick(10));
    if (fraction > 0 || pick(2)) text += '.';
    for (int i = 0; i < fraction; ++i) text += static_cast<char>('0' + pick(10));
    if (pick(4) != 0) {
        text += "eEdD"[pick(4)];
        if (pick(2)) text += pick(2) ? '-' : '+';
        text += std::to_string(pick(maxExponent));
    }
    return text;
}

TEST(TextToNumber, AgreesWithTheCorrectlyRoundedConversion) {
    std::mt19937_64 random(38418);
    for (int i = 0; i < 200000; ++i) {
        const std::string text = randomDecimal(random, i % 2 ? 30 : 360);
        const double expected = trusted(text);
        ASSERT_EQ(textToNumber(text), expected) << text;
        ASSERT_EQ(textToNumber(fullWidth(text)), expected) << text;
    }
}

TEST(TextToNumber, SubnormalsAgreeWithTheCorrectlyRoundedConversion) {
    std::mt19937_64 random(1899);
    for (int i = 0; i < 100000; ++i) {
        std::string text = "0.";
        const int digits = 1 + static_cast<int>(random() % (i % 10 == 0 ? 800 : 20));
        text += static_cast<char>('1' + random() % 9);
        for (int k = 1; k < digits; ++k) text += static_cast<char>('0' + random() % 10);
        text += "e-" + std::to_string(300 + random() % 30);
        ASSERT_EQ(textToNumber(text), trusted(text)) << text;
        ASSERT_EQ(textToNumber("-" + text), -trusted(text)) << text;
    }
}

// A locale that writes "1,5" must not change what the conversions read or write.
TEST(ValueText, IgnoresTheProcessLocale) {
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8", "nl_NL.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr && *std::localeconv()->decimal_point == ',') {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr) {
        std::setlocale(LC_ALL, "C");
        GTEST_SKIP() << "no locale with a decimal comma on this machine (try: localedef -i de_DE -f UTF-8 "
                        "de_DE.UTF-8)";
    }
    const std::string written = numberToText(1234567.891);
    const double readPoint = textToNumber("12.5");
    const double readComma = textToNumber("12,5");
    const std::string small = numberToText(0.000012345);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(written, "1234567.891") << chosen;
    EXPECT_EQ(small, "1.2345e-005") << chosen;
    EXPECT_EQ(readPoint, 12.5) << chosen;
    EXPECT_EQ(readComma, 12) << chosen;
}

}  // namespace
}  // namespace tankora

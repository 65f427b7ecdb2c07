#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "text/value_text.h"

namespace tankora {
namespace {

double fromBits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

struct NumberCase {
    double value;
    const char* text;
};

TEST(NumberToText, RealExamples) {
    const NumberCase cases[] = {
        {12.5, "12.5"},
        {0.1 + 0.2, "0.3"},
        {1234567.891, "1234567.891"},
        {1e20, "1e+020"},
        {1e13, "1e+013"},
        {9999999999999.0, "9999999999999"},
        {9999999999999.5, "1e+013"},
        {123456789012345.0, "1.234567890123e+014"},
        {123456789.12345679, "123456789.1235"},
        {1.0 / 3, "0.3333333333333"},
        {2.0 / 3, "0.6666666666667"},
        {100.0 / 7, "14.28571428571"},
        {9.99999999999995, "10"},
        {35.0, "35"},
        {-7.25, "-7.25"},
        {-0.0, "0"},
        {0.0, "0"},
        {0.0001, "0.0001"},
        {0.00001, "1e-005"},
        {0.000012345, "1.2345e-005"},
        // Limits of the two forms and of the exponent width.
        {1.7976931348623157e308, "1.797693134862e+308"},
        {-2.2250738585072014e-308, "-2.225073858507e-308"},
        {4.9406564584124654e-324, "4.940656458412e-324"},
        {0.00012345678901234, "0.0001234567890123"},
        {-999999999999.9999, "-1000000000000"},
        {1.5e-5, "1.5e-005"},
        {1.0, "1"},
        {1e100, "1e+100"},
        {-1e-100, "-1e-100"},
    };
    for (const auto& c : cases) EXPECT_EQ(numberToText(c.value), c.text) << c.text;
}

TEST(NumberToText, NonFiniteTextsFollowTheBitPattern) {
    const NumberCase cases[] = {
        {std::numeric_limits<double>::infinity(), "1.#INF"},
        {-std::numeric_limits<double>::infinity(), "-1.#INF"},
        {fromBits(0xFFF8000000000000), "-1.#IND"},  // what 0/0 gives
        {fromBits(0x7FF8000000000000), "1.#QNAN"},
        {fromBits(0x7FF8000000000001), "1.#QNAN"},
        {fromBits(0xFFF8000000000001), "-1.#QNAN"},
        {fromBits(0xFFFFFFFFFFFFFFFF), "-1.#QNAN"},
        {fromBits(0x7FF0000000000001), "1.#SNAN"},
        {fromBits(0x7FF4000000000000), "1.#SNAN"},
        {fromBits(0xFFF0000000000001), "-1.#SNAN"},
        {fromBits(0xFFF7FFFFFFFFFFFF), "-1.#SNAN"},
    };
    for (const auto& c : cases) EXPECT_EQ(numberToText(c.value), c.text) << c.text;
    volatile double zero = 0.0;
    EXPECT_EQ(numberToText(zero / zero), "-1.#IND");
}

TEST(NumberToText, Integers) {
    EXPECT_EQ(numberToText(std::int32_t{0}), "0");
    EXPECT_EQ(numberToText(std::int32_t{-15}), "-15");
    EXPECT_EQ(numberToText(std::int32_t{2147483647}), "2147483647");
    EXPECT_EQ(numberToText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

// The rule's own 13 digits, worked out on the integer of the 17 digits.
double expectedShownValue(double x) {
    char exact[40];
    char* end =
        std::to_chars(exact, exact + sizeof exact, std::fabs(x), std::chars_format::scientific, 16).ptr;
    *end = '\0';
    std::uint64_t digits = 0;
    for (int i = 0; i < 18; ++i)
        if (i != 1) digits = digits * 10 + static_cast<std::uint64_t>(exact[i] - '0');
    const int exponent = std::atoi(exact + 19);
    const std::uint64_t shown = (digits + 5000) / 10000;  // half up at the 14th digit
    const std::string text = std::to_string(shown) + "e" + std::to_string(exponent - 12);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return std::signbit(x) ? -value : value;
}

double correctlyRoundedTo13(double x) {
    char text[40];
    char* end = std::to_chars(text, text + sizeof text, x, std::chars_format::scientific, 12).ptr;
    double value = 0;
    std::from_chars(text, end, value);
    return value;
}

// The C library's "%.13g" with the exponent widened to three digits.
std::string libraryText(double x) {
    char text[48];
    std::snprintf(text, sizeof text, "%.13g", x);
    std::string s = text;
    const auto e = s.find('e');
    if (e != std::string::npos && s.size() - e == 4) s.insert(e + 2, "0");
    return s;
}

TEST(NumberToText, RandomDoublesOfAllMagnitudes) {
    std::mt19937_64 random(20050307);
    for (int i = 0; i < 300000; ++i) {
        double x = fromBits(random());
        if (!std::isfinite(x)) continue;
        if (i % 3 == 0)
            x = std::ldexp(static_cast<double>(random() >> 11), -40 + static_cast<int>(random() % 80));
        const std::string text = numberToText(x);
        const double expected = expectedShownValue(x);
        ASSERT_EQ(textToNumber(text), expected) << text;
        // Where the 17-digit step rounds differently only the value check above applies.
        if (expected == correctlyRoundedTo13(x)) {
            ASSERT_EQ(text, libraryText(x));
        }
    }
}

TEST(NumberToText, CarryThroughNines) {
    // Every power of ten approached from below by a 14th-digit five rounds up to it.
    for (int p = -300; p <= 300; ++p) {
        const std::string nines = "9.99999999999950000e" + std::to_string(p - 1);
        double value = 0;
        std::from_chars(nines.data(), nines.data() + nines.size(), value);
        char exact[40];
        std::to_chars(exact, exact + sizeof exact, value, std::chars_format::scientific, 16);
        if (exact[14] != '5') value = std::nextafter(value, 10.0 * value);  // d14 of the 17 digits
        if (numberToText(value) == numberToText(std::pow(10.0, p))) continue;
        ADD_FAILURE() << nines << " gave " << numberToText(value);
    }
}

struct RoundCase {
    double value;
    int places;
    double result;
};

TEST(RoundTo, Examples) {
    const RoundCase cases[] = {
        {2.675, 2, 2.68},    {-2.675, 2, -2.68},    {0.125, 2, 0.13},        {1234567.891, 2, 1234567.89},
        {2.5, 2, 2.5},       {100.0 / 7, 2, 14.29}, {100.0 / 7, 1, 14.3},    {100.0 / 7, 0, 14},
        {2.5, 0, 3},         {-2.5, 0, -3},         {0.0049999999999, 2, 0}, {1250, -2, 1300},
        {1.005, 2, 1.01},    {1.115, 2, 1.12},      {1.4999999999999, 0, 2}, {1.499999999, 0, 1},
        {0.1 + 0.2, 2, 0.3}, {-1249, -2, -1200},    {1e300, 2, 1e300},       {5e-324, 2, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roundTo(c.value, c.places), c.result) << c.value << " to " << c.places;
    }
    EXPECT_EQ(roundTo(2.675), 3);
    EXPECT_EQ(numberToText(roundTo(2.675, 2)), "2.68");
    EXPECT_EQ(numberToText(roundTo(0.1 + 0.2, 2)), "0.3");
}

TEST(RoundTo, SpecialValuesAndAbsurdPlaces) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(roundTo(inf, 2), inf);
    EXPECT_EQ(roundTo(-inf, -3), -inf);
    EXPECT_TRUE(std::isnan(roundTo(std::nan(""), 2)));
    EXPECT_TRUE(std::signbit(roundTo(-0.0, 2)));
    // Places far beyond a double's digits leave the value; far above it give zero.
    EXPECT_EQ(roundTo(1.25, 400), 1.25);
    EXPECT_EQ(roundTo(1.25, std::numeric_limits<int>::max()), 1.25);
    EXPECT_EQ(roundTo(123.0, -400), 0);
    EXPECT_EQ(roundTo(123.0, std::numeric_limits<int>::min()), 0);
    EXPECT_EQ(roundTo(7e307, -308), 1e308);
}

TEST(TruncateToInteger, CutsTowardZeroAndSaturates) {
    const struct {
        double value;
        std::int32_t result;
    } cases[] = {
        {2.9, 2},
        {-2.9, -2},
        {0.9999999, 0},
        {-0.0, 0},
        {2147483646.99, 2147483646},
        {2147483647.0, 2147483647},
        {2147483647.9, 2147483647},
        {1e300, 2147483647},
        {std::numeric_limits<double>::infinity(), 2147483647},
        {-2147483648.9, -2147483647 - 1},
        {-2147483647.5, -2147483647},
        {-1e300, -2147483647 - 1},
        {-std::numeric_limits<double>::infinity(), -2147483647 - 1},
        {std::nan(""), 0},
        {fromBits(0xFFF8000000000000), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(truncateToInteger(c.value), c.result) << c.value;
}

}  // namespace
}  // namespace tankora

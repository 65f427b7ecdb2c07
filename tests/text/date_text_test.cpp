#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "text/value_text.h"

namespace tankora {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct Civil {
    long long year;
    unsigned month, day;
};

// Days since 1970-01-01 to a proleptic Gregorian date, by eras of 400 years.
Civil civilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const unsigned day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
    const unsigned month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2), month, day};
}

constexpr long long kUnixDayOfZero = -25569;  // 1899-12-30

std::string expectedDateText(long long dayCount, int seconds) {
    const Civil c = civilFromDays(dayCount + kUnixDayOfZero);
    std::string text = std::to_string(c.year) + "\xc4\xea" + std::to_string(c.month) + "\xd4\xc2" +
                       std::to_string(c.day) + "\xc8\xd5";  // 年 月 日
    const int h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (s != 0)
        return text + std::to_string(h) + "\xca\xb1" + std::to_string(m) + "\xb7\xd6" + std::to_string(s) +
               "\xc3\xeb";
    if (m != 0) return text + std::to_string(h) + "\xca\xb1" + std::to_string(m) + "\xb7\xd6";  // 时 分
    if (h != 0) return text + std::to_string(h) + "\xca\xb1";
    return text;
}

double at(int day, int hour, int minute, int second) {
    return day + (hour * 3600 + minute * 60 + second) / 86400.0;
}

TEST(DateToText, Examples) {
    const struct {
        double dateTime;
        const char* text;
    } cases[] = {
        {38418.0,
         "2005\xc4\xea"
         "3\xd4\xc2"
         "7\xc8\xd5"},
        {38418.5,
         "2005\xc4\xea"
         "3\xd4\xc2"
         "7\xc8\xd5"
         "12\xca\xb1"},
        {at(38418, 13, 5, 0),
         "2005\xc4\xea"
         "3\xd4\xc2"
         "7\xc8\xd5"
         "13\xca\xb1"
         "5\xb7\xd6"},
        {at(38418, 13, 5, 9),
         "2005\xc4\xea"
         "3\xd4\xc2"
         "7\xc8\xd5"
         "13\xca\xb1"
         "5\xb7\xd6"
         "9\xc3\xeb"},
        {at(38418, 0, 0, 9),
         "2005\xc4\xea"
         "3\xd4\xc2"
         "7\xc8\xd5"
         "0\xca\xb1"
         "0\xb7\xd6"
         "9\xc3\xeb"},
        {38418.999999,
         "2005\xc4\xea"
         "3\xd4\xc2"
         "8\xc8\xd5"},
        {38418 + 86399.6 / 86400,
         "2005\xc4\xea"
         "3\xd4\xc2"
         "8\xc8\xd5"},
        {-1.25,
         "1899\xc4\xea"
         "12\xd4\xc2"
         "29\xc8\xd5"
         "6\xca\xb1"},
        {-0.25,
         "1899\xc4\xea"
         "12\xd4\xc2"
         "30\xc8\xd5"
         "6\xca\xb1"},
        {0.0,
         "1899\xc4\xea"
         "12\xd4\xc2"
         "30\xc8\xd5"},
        {2.0,
         "1900\xc4\xea"
         "1\xd4\xc2"
         "1\xc8\xd5"},
        {36526.0,
         "2000\xc4\xea"
         "1\xd4\xc2"
         "1\xc8\xd5"},
        {3000000.0,
         "9999\xc4\xea"
         "12\xd4\xc2"
         "31\xc8\xd5"},
        {kInf,
         "9999\xc4\xea"
         "12\xd4\xc2"
         "31\xc8\xd5"},
        {std::nan(""),
         "9999\xc4\xea"
         "12\xd4\xc2"
         "31\xc8\xd5"},
        {-std::nan(""),
         "9999\xc4\xea"
         "12\xd4\xc2"
         "31\xc8\xd5"},
        {2958465.9,
         "9999\xc4\xea"
         "12\xd4\xc2"
         "31\xc8\xd5"},
        {-657434.0,
         "100\xc4\xea"
         "1\xd4\xc2"
         "1\xc8\xd5"},
        {-1e300,
         "100\xc4\xea"
         "1\xd4\xc2"
         "1\xc8\xd5"},
        {-kInf,
         "100\xc4\xea"
         "1\xd4\xc2"
         "1\xc8\xd5"},
    };
    for (const auto& c : cases) EXPECT_EQ(dateToText(c.dateTime), c.text) << c.dateTime;
}

TEST(DateToText, EveryDayOfTheValidRange) {
    for (long long day = -657434; day <= 2958465; ++day) {
        const double dateTime = static_cast<double>(day);
        const std::string text = dateToText(dateTime);
        if (text != expectedDateText(day, 0)) {
            FAIL() << day << ": " << text;
        }
        if (dateOnly(dateTime) != dateTime) FAIL() << "dateOnly " << day;
    }
}

TEST(DateToText, TimesOfDayAcrossTheRange) {
    std::mt19937_64 random(730);
    for (int i = 0; i < 300000; ++i) {
        const long long day = -657434 + static_cast<long long>(random() % (2958465 + 657434));
        const int seconds = static_cast<int>(random() % 86400);
        // Before day zero the fraction is still the time of day, counted on the absolute value.
        const double fraction = seconds / 86400.0;
        const double dateTime = day >= 0 ? day + fraction : day - fraction;
        ASSERT_EQ(dateToText(dateTime), expectedDateText(day, seconds)) << dateTime;
        ASSERT_EQ(dateOnly(dateTime), static_cast<double>(day)) << dateTime;
    }
}

TEST(DateToText, HalfSecondRounding) {
    // 23:59:59.6 is the next day; 23:59:59.4 stays.
    EXPECT_EQ(dateToText(38418 + 86399.4 / 86400), expectedDateText(38418, 86399));
    EXPECT_EQ(dateToText(38418 + 86399.6 / 86400), expectedDateText(38419, 0));
    EXPECT_EQ(dateToText(38418 + 12.6 / 86400), expectedDateText(38418, 13));
    // Before day zero the day grows away from zero.
    EXPECT_EQ(dateToText(-5 - 86399.6 / 86400), expectedDateText(-6, 0));
    EXPECT_EQ(dateOnly(-5 - 86399.6 / 86400), -6.0);
}

TEST(DateOnly, Examples) {
    EXPECT_EQ(dateOnly(38418.75), 38418.0);
    EXPECT_EQ(dateOnly(38418.9999999), 38419.0);
    EXPECT_EQ(dateOnly(-1.25), -1.0);
    EXPECT_EQ(dateOnly(-0.25), 0.0);
    EXPECT_FALSE(std::signbit(dateOnly(-0.25)));
    EXPECT_EQ(dateOnly(std::nan("")), 2958465.0);
    EXPECT_EQ(dateOnly(kInf), 2958465.0);
    EXPECT_EQ(dateOnly(-kInf), -657434.0);
    EXPECT_EQ(dateOnly(-657434.9), -657434.0);
}

TEST(DaysBetween, LinearDayScale) {
    const struct {
        double later, earlier, days;
    } cases[] = {
        {38418.0, 38400.0, 18},
        {38418.75, 38418.25, 0.5},
        {38400.0, 38418.0, -18},
        {0.5, -0.5, 0},
        {-1.25, -2.0, 1.25},  // 29 Dec 06:00 after 28 Dec 00:00
        {0.25, -1.25, 1.0},   // 30 Dec 06:00 after 29 Dec 06:00
        {3e6, 2958465.0, 0},  // both the last valid day
        {kInf, -kInf, 2958465.0 + 657434.0},
        {std::nan(""), 2958465.0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(daysBetween(c.later, c.earlier), c.days) << c.later << " " << c.earlier;
    EXPECT_EQ(daysBetween(std::nan(""), std::nan("")), 0);
}

}  // namespace
}  // namespace tankora

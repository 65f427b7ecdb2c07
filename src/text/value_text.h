// Conversions between numbers, date-times and texts. Every figure the program shows
// or writes passes through these. Texts are GBK byte strings; lengths count bytes.
// None of them throws, traps or depends on the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tankora {

// A date-time is days since 1899-12-30 00:00; the fraction is the time of day.
inline constexpr double kFirstValidDate = -657434.0;  // 0100-01-01
inline constexpr double kLastValidDate = 2958465.0;   // 9999-12-31

// Plain decimal, "%d" style: "0", "-15", "2147483647".
std::string numberToText(std::int32_t value);
// 13 significant digits from the correctly rounded 17, three-digit exponents
// ("1e+020"), "1.#INF", "-1.#IND" and the other non-finite texts.
std::string numberToText(double value);

// Brings a date-time into [kFirstValidDate, kLastValidDate]; NaN and +inf go to the top.
double clampDate(double dateTime);
// "2005年3月7日", then the time of day as far as it is not zero ("12时", "13时5分9秒").
std::string dateToText(double dateTime);

// Longest numeric prefix after folding full-width forms and skipping blanks; 0 when none.
double textToNumber(std::string_view text);
double textToNumber(std::int32_t value);

// Half away from zero, with the 1e-12 nudge; zero, NaN and infinities unchanged.
double roundTo(double value, int places = 0);

// Cuts toward zero. Outside the int32 range it saturates at the nearest bound; NaN gives 0.
std::int32_t truncateToInteger(double value);

// later minus earlier in days, on the linear day scale (negative date-times mirrored).
double daysBetween(double later, double earlier);
// The date at 00:00 after rounding to the nearest second.
double dateOnly(double dateTime);

// Byte-counting text operations.
std::string textToBytes(std::string_view text);
std::string blankText(int count);
std::string leftText(std::string_view text, int count);
std::string rightText(std::string_view text, int count);
// 1-based byte position of the first match starting on a character boundary, or -1.
int findText(std::string_view text, std::string_view sought, bool ignoreCase);

}  // namespace tankora

#include "text/value_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <vector>

namespace tankora {

namespace {

constexpr char kYear[] = "\xc4\xea";    // 年
constexpr char kMonth[] = "\xd4\xc2";   // 月
constexpr char kDay[] = "\xc8\xd5";     // 日
constexpr char kHour[] = "\xca\xb1";    // 时
constexpr char kMinute[] = "\xb7\xd6";  // 分
constexpr char kSecond[] = "\xc3\xeb";  // 秒

constexpr int kShownDigits = 13;
constexpr int kExactDigits = 17;
constexpr double kHalfSecond = 5.787037037037037e-6;  // in days
constexpr int kSecondsPerDay = 86400;

// ---------------------------------------------------------------- number to text

std::string nonFiniteText(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t quietBit = std::uint64_t{1} << 51;
    std::string text = negative ? "-" : "";
    if (fraction == 0) return text + "1.#INF";
    if (negative && fraction == quietBit) return "-1.#IND";  // what 0/0 produces
    return text + ((fraction & quietBit) != 0 ? "1.#QNAN" : "1.#SNAN");
}

// Appends the decimal digits of a non-negative exponent, at least `width` of them.
void appendPadded(std::string& out, int value, int width) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (int n = static_cast<int>(end - digits); n < width; ++n) out += '0';
    out.append(digits, end);
}

// ---------------------------------------------------------------- text to number

// Reads a GBK text as the bytes it becomes once full-width forms are folded to ASCII.
// A two-byte character that does not fold reads as one byte 0x80, which no number
// contains; a lead byte standing last is dropped.
class FoldedReader {
public:
    explicit FoldedReader(std::string_view text)
        : pos_(reinterpret_cast<const unsigned char*>(text.data())), end_(pos_ + text.size()) {
        decode();
    }
    int peek() const { return current_; }
    void next() {
        pos_ += width_;
        decode();
    }
    const unsigned char* position() const { return pos_; }
    void reset(const unsigned char* pos) {
        pos_ = pos;
        decode();
    }
    bool folded() const { return width_ == 2; }

private:
    void decode() {
        width_ = 1;
        if (pos_ == end_ || (*pos_ >= 0x80 && pos_ + 1 == end_)) {
            current_ = -1;
            return;
        }
        const unsigned char lead = *pos_;
        current_ = lead;
        if (lead < 0x80) return;
        width_ = 2;
        current_ = 0x80;
        const unsigned char trail = pos_[1];
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            current_ = trail - 0x80;
        } else if (lead == 0xA1) {
            if (trail == 0xA1) current_ = ' ';
            if (trail == 0xAB) current_ = '~';
            if (trail == 0xEE || trail == 0xEF) current_ = '*';
        }
    }

    const unsigned char* pos_;
    const unsigned char* end_;
    int current_ = -1;
    int width_ = 1;
};

bool isDigit(int c) { return c >= '0' && c <= '9'; }

// The numeric prefix of a text: where it lies in the text and whether it must be
// rewritten (folded characters, a "d" exponent, a leading "+") before conversion.
struct NumericPrefix {
    const unsigned char* begin = nullptr;
    const unsigned char* end = nullptr;
    bool needsRewrite = false;
};

NumericPrefix findNumericPrefix(std::string_view text) {
    FoldedReader in(text);
    while (in.peek() == ' ' || (in.peek() >= '\t' && in.peek() <= '\r')) in.next();
    NumericPrefix prefix;
    prefix.begin = in.position();
    bool rewrite = false;
    auto take = [&] {
        rewrite = rewrite || in.folded();
        in.next();
    };
    if (in.peek() == '+' || in.peek() == '-') {
        rewrite = rewrite || in.peek() == '+';
        take();
    }
    bool anyDigit = false;
    while (isDigit(in.peek())) {
        take();
        anyDigit = true;
    }
    if (in.peek() == '.') {
        take();
        while (isDigit(in.peek())) {
            take();
            anyDigit = true;
        }
    }
    if (!anyDigit) return {};
    const auto* mantissaEnd = in.position();
    const bool mantissaRewrite = rewrite;
    const int letter = in.peek();
    if (letter == 'e' || letter == 'E' || letter == 'd' || letter == 'D') {
        rewrite = rewrite || letter == 'd' || letter == 'D';
        take();
        if (in.peek() == '+' || in.peek() == '-') take();
        if (isDigit(in.peek())) {
            while (isDigit(in.peek())) take();
        } else {
            in.reset(mantissaEnd);  // a letter without a valid exponent is not part of it
            rewrite = mantissaRewrite;
        }
    }
    prefix.end = in.position();
    prefix.needsRewrite = rewrite;
    return prefix;
}

// The prefix as plain ASCII that std::from_chars takes: folded, "e" for "d", no "+".
std::string rewritePrefix(const NumericPrefix& prefix) {
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(prefix.end - prefix.begin));
    FoldedReader in(std::string_view(reinterpret_cast<const char*>(prefix.begin),
                                     static_cast<std::size_t>(prefix.end - prefix.begin)));
    for (int c = in.peek(); c != -1; in.next(), c = in.peek()) {
        if (c == '+' && ascii.empty()) continue;
        ascii += (c == 'd' || c == 'D') ? 'e' : static_cast<char>(c);
    }
    return ascii;
}

// A decimal number split for exact work: its significant digits run from the first
// non-zero digit, and it equals 0.D x 10^pointExponent. No significant digit: zero.
struct DecimalDigits {
    std::string_view mantissa;  // digits and at most one '.', from the first non-zero digit
    long long pointExponent = 0;
    bool zero = true;
};

DecimalDigits splitDecimal(std::string_view number) {
    constexpr long long kExponentCap = 1'000'000'000'000'000LL;
    DecimalDigits result;
    std::size_t i = 0;
    if (i < number.size() && (number[i] == '-' || number[i] == '+')) ++i;
    const std::size_t mantissaBegin = i;
    while (i < number.size() && (isDigit(number[i]) || number[i] == '.')) ++i;
    const std::string_view mantissa = number.substr(mantissaBegin, i - mantissaBegin);
    long long exponent = 0;
    if (i < number.size()) {  // the exponent letter
        ++i;
        bool negative = false;
        if (i < number.size() && (number[i] == '-' || number[i] == '+')) negative = number[i++] == '-';
        for (; i < number.size() && isDigit(number[i]); ++i)
            exponent = std::min(kExponentCap, exponent * 10 + (number[i] - '0'));
        if (negative) exponent = -exponent;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return result;
    result.zero = false;
    result.mantissa = mantissa.substr(first);
    const long long shift =
        first < point ? static_cast<long long>(point - first) : -static_cast<long long>(first - point - 1);
    result.pointExponent = shift + exponent;
    return result;
}

// The decimal digits of 2^-1022 (= 5^1022 x 10^-1022): 715 digits, the first one in
// the place 10^-308.
const std::string& smallestNormalDigits() {
    static const std::string digits = [] {
        std::vector<std::uint32_t> limbs{1};  // base 10^9, least significant first
        for (int i = 0; i < 1022; ++i) {
            std::uint64_t carry = 0;
            for (auto& limb : limbs) {
                const std::uint64_t v = std::uint64_t{limb} * 5 + carry;
                limb = static_cast<std::uint32_t>(v % 1'000'000'000);
                carry = v / 1'000'000'000;
            }
            if (carry != 0) limbs.push_back(static_cast<std::uint32_t>(carry));
        }
        std::string text = std::to_string(limbs.back());
        for (auto it = limbs.rbegin() + 1; it != limbs.rend(); ++it) {
            const std::string part = std::to_string(*it);
            text.append(9 - part.size(), '0');
            text += part;
        }
        return text;
    }();
    return digits;
}

// Correctly rounds a positive decimal below 2^-1022 onto the subnormal grid. Adding
// 2^-1022 moves it into the binade whose spacing is exactly that grid, so one normal
// conversion rounds it right (ties to even included) and subtracting 2^-1022 is exact.
double roundBelowSmallestNormal(const DecimalDigits& decimal) {
    // Place i holds the digit of 10^-(308+i); 800 places reach past every halfway
    // point of the grid (multiples of 2^-1075 end at 10^-1075).
    constexpr long long kPlaces = 800;
    if (decimal.zero) return 0.0;
    if (decimal.pointExponent > -307) return std::numeric_limits<double>::min();  // not below
    std::vector<int> places(kPlaces, 0);
    const std::string& constant = smallestNormalDigits();
    for (std::size_t i = 0; i < constant.size(); ++i) places[i] = constant[i] - '0';
    bool sticky = false;
    long long place = -307 - decimal.pointExponent;
    for (char c : decimal.mantissa) {
        if (c == '.') continue;
        if (place >= kPlaces) {
            if (c != '0') {
                sticky = true;
                break;
            }
            continue;
        }
        places[static_cast<std::size_t>(place++)] += c - '0';
    }
    for (long long i = kPlaces - 1; i > 0; --i) {
        places[i - 1] += places[i] / 10;
        places[i] %= 10;
    }
    std::string shifted = "0.";
    for (int digit : places) shifted += static_cast<char>('0' + digit);
    if (sticky) shifted += '1';
    shifted += "e-307";
    double value = 0.0;
    std::from_chars(shifted.data(), shifted.data() + shifted.size(), value);
    return value - std::numeric_limits<double>::min();
}

// Converts a validated ASCII number ("-12.5e3", no "+") to the nearest double.
double convertDecimal(std::string_view ascii) {
    double value = 0.0;
    const std::errc error = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value).ec;
    const bool negative = !ascii.empty() && ascii.front() == '-';
    if (error == std::errc() && std::isnormal(value)) return value;
    const DecimalDigits decimal = splitDecimal(ascii);
    double magnitude = 0.0;
    if (error != std::errc() && decimal.pointExponent > 0) {
        magnitude = std::numeric_limits<double>::infinity();
    } else {
        magnitude = roundBelowSmallestNormal(decimal);
    }
    return negative ? -magnitude : magnitude;
}

// ---------------------------------------------------------------- dates

struct CalendarFields {
    int year, month, day, hour, minute, second;
    std::int32_t dayCount;  // days from 1899-12-30
};

CalendarFields calendarFields(double dateTime) {
    const double clamped = clampDate(dateTime);
    const double rounded = clamped >= 0 ? clamped + kHalfSecond : clamped - kHalfSecond;
    const double whole = std::trunc(rounded);
    const double magnitude = std::fabs(rounded);
    const double fraction = magnitude - std::floor(magnitude);
    const int seconds = std::min(kSecondsPerDay - 1, static_cast<int>(fraction * kSecondsPerDay));

    CalendarFields fields{};
    fields.dayCount = static_cast<std::int32_t>(whole);
    using namespace std::chrono;
    constexpr sys_days kDayZero = sys_days{year{1899} / December / 30};
    const year_month_day date{kDayZero + days{fields.dayCount}};
    fields.year = static_cast<int>(date.year());
    fields.month = static_cast<int>(static_cast<unsigned>(date.month()));
    fields.day = static_cast<int>(static_cast<unsigned>(date.day()));
    fields.hour = seconds / 3600;
    fields.minute = seconds / 60 % 60;
    fields.second = seconds % 60;
    return fields;
}

double linearDay(double dateTime) {
    const double d = clampDate(dateTime);
    if (d >= 0) return d;
    const double c = std::ceil(d);
    return c - (d - c);
}

// ---------------------------------------------------------------- rounding

double powerOfTen(int exponent) {
    static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (exponent < static_cast<int>(std::size(kExact))) return kExact[exponent];
    return std::pow(10.0, exponent);
}

// The whole part of z, one up when the rest is a half or more (z is not negative).
double roundHalfUp(double z) {
    double i = std::floor(z);
    if (z - i >= 0.5) i = i + 1;
    return i;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string numberToText(std::int32_t value) {
    char digits[16];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

std::string numberToText(double value) {
    if (value == 0) return "0";
    if (!std::isfinite(value)) return nonFiniteText(value);

    // "d.dddddddddddddddde[+-]xx": the 17 correctly rounded significant digits.
    char exact[32];
    const char* exactEnd = std::to_chars(exact, exact + sizeof exact, std::fabs(value),
                                         std::chars_format::scientific, kExactDigits - 1)
                               .ptr;
    char digits[kExactDigits];
    digits[0] = exact[0];
    std::memcpy(digits + 1, exact + 2, kExactDigits - 1);
    int exponent = 0;
    const char* sign = exact + kExactDigits + 2;  // "d" "." 16 digits "e", then the sign
    std::from_chars(sign + 1, exactEnd, exponent);
    if (*sign == '-') exponent = -exponent;

    if (digits[kShownDigits] >= '5') {
        int i = kShownDigits - 1;
        for (; i >= 0 && digits[i] == '9'; --i) digits[i] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            digits[0] = '1';
            ++exponent;
        }
    }
    int shown = kShownDigits;
    while (shown > 1 && digits[shown - 1] == '0') --shown;

    std::string text;
    text.reserve(24);
    if (value < 0) text += '-';
    if (exponent < -4 || exponent >= kShownDigits) {
        text += digits[0];
        if (shown > 1) {
            text += '.';
            text.append(digits + 1, static_cast<std::size_t>(shown - 1));
        }
        text += 'e';
        text += exponent < 0 ? '-' : '+';
        appendPadded(text, std::abs(exponent), 3);
    } else if (exponent >= 0) {
        const int whole = exponent + 1;
        text.append(digits, static_cast<std::size_t>(whole));
        if (shown > whole) {
            text += '.';
            text.append(digits + whole, static_cast<std::size_t>(shown - whole));
        }
    } else {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text.append(digits, static_cast<std::size_t>(shown));
    }
    return text;
}

std::string dateToText(double dateTime) {
    const CalendarFields f = calendarFields(dateTime);
    std::string text;
    text.reserve(32);
    auto field = [&text](int value, const char* unit) {
        appendPadded(text, value, 1);
        text += unit;
    };
    field(f.year, kYear);
    field(f.month, kMonth);
    field(f.day, kDay);
    if (f.second != 0) {
        field(f.hour, kHour);
        field(f.minute, kMinute);
        field(f.second, kSecond);
    } else if (f.minute != 0) {
        field(f.hour, kHour);
        field(f.minute, kMinute);
    } else if (f.hour != 0) {
        field(f.hour, kHour);
    }
    return text;
}

double textToNumber(std::string_view text) {
    const NumericPrefix prefix = findNumericPrefix(text);
    if (prefix.begin == prefix.end) return 0.0;
    if (!prefix.needsRewrite) {
        return convertDecimal(std::string_view(reinterpret_cast<const char*>(prefix.begin),
                                               static_cast<std::size_t>(prefix.end - prefix.begin)));
    }
    return convertDecimal(rewritePrefix(prefix));
}

double textToNumber(std::int32_t value) { return static_cast<double>(value); }

double roundTo(double value, int places) {
    if (value == 0 || std::isnan(value) || std::isinf(value)) return value;
    const bool negative = value < 0;
    const double a = std::fabs(value);
    double result = 0;
    if (places > 0) {
        const double s = powerOfTen(places);
        const double y = a * s;
        // No digit of a lies that far right: it is its own rounding.
        if (!std::isfinite(y)) return value;
        const double z = y + 1e-12;
        result = roundHalfUp(z) / s;
    } else if (places == 0) {
        result = roundHalfUp(a + 1e-12);
    } else {
        const double s = powerOfTen(-static_cast<long long>(places) > 400 ? 400 : -places);
        if (std::isinf(s)) return negative ? -0.0 : 0.0;  // every finite value is under half of it
        const double y = a / s;
        const double z = y + 1e-12;
        result = roundHalfUp(z) * s;
    }
    return negative ? -result : result;
}

double daysBetween(double later, double earlier) {
    if (later == earlier) return 0;
    return linearDay(later) - linearDay(earlier);
}

double dateOnly(double dateTime) { return static_cast<double>(calendarFields(dateTime).dayCount); }

std::string textToBytes(std::string_view text) { return std::string(text); }

std::string blankText(int count) { return count < 1 ? std::string() : std::string(count, ' '); }

std::string leftText(std::string_view text, int count) {
    if (count <= 0) return {};
    return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

std::string rightText(std::string_view text, int count) {
    if (count <= 0) return {};
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
    return std::string(text.substr(text.size() - n));
}

int findText(std::string_view text, std::string_view sought, bool ignoreCase) {
    if (sought.empty()) return text.empty() ? -1 : 1;
    if (sought.size() > text.size()) return -1;
    auto same = [ignoreCase](char a, char b) { return ignoreCase ? asciiLower(a) == asciiLower(b) : a == b; };
    // Knuth-Morris-Pratt keeps a long text with a long, repetitive sought text linear.
    const std::size_t m = sought.size();
    std::vector<std::size_t> border(m, 0);
    for (std::size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && !same(sought[i], sought[k])) k = border[k - 1];
        if (same(sought[i], sought[k])) ++k;
        border[i] = k;
    }
    // startsChar[i]: a character starts at byte i; kept for the bytes a match may span.
    std::vector<char> startsChar(text.size(), 0);
    std::size_t nextStart = 0;
    for (std::size_t i = 0, k = 0; i < text.size(); ++i) {
        if (i == nextStart) {
            startsChar[i] = 1;
            nextStart += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
        }
        while (k > 0 && !same(text[i], sought[k])) k = border[k - 1];
        if (same(text[i], sought[k])) ++k;
        if (k == m) {
            const std::size_t start = i + 1 - m;
            if (startsChar[start] && start <= static_cast<std::size_t>(std::numeric_limits<int>::max() - 1))
                return static_cast<int>(start) + 1;
            k = border[k - 1];
        }
    }
    return -1;
}

double clampDate(double dateTime) {
    if (std::isnan(dateTime) || dateTime > kLastValidDate) return kLastValidDate;
    if (dateTime < kFirstValidDate) return kFirstValidDate;
    return dateTime;
}

std::int32_t truncateToInteger(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);  // in range: the cast cuts toward zero
}

}  // namespace tankora

// The value texts on arbitrary bytes, doubles of every bit pattern and any counts:
// nothing may crash or hang, number texts must read back as the number they show,
// and the byte operations must agree with plain reference versions.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "text/value_text.h"

namespace {

using namespace tankora;

double doubleFromBits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// 13 significant digits: the text must lie within half a unit of the 13th digit.
void checkReadsBack(double value) {
    const std::string text = numberToText(value);
    FUZZ_CHECK(!text.empty() && text.size() <= 20);
    for (char c : text)
        FUZZ_CHECK(std::string_view("0123456789.+-e#INFDQAS").find(c) != std::string_view::npos);
    if (!std::isfinite(value)) return;
    const double back = textToNumber(text);
    FUZZ_CHECK(std::fabs(back - value) <= std::fabs(value) * 6e-13 + 1e-323);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The first match that starts on a character boundary, found the slow way.
int referenceFind(std::string_view text, std::string_view sought, bool ignoreCase) {
    if (sought.empty()) return text.empty() ? -1 : 1;
    for (std::size_t start = 0; start + sought.size() <= text.size();
         start += static_cast<unsigned char>(text[start]) >= 0x80 ? 2 : 1) {
        bool same = true;
        for (std::size_t i = 0; same && i < sought.size(); ++i) {
            same = ignoreCase ? lowerAscii(text[start + i]) == lowerAscii(sought[i])
                              : text[start + i] == sought[i];
        }
        if (same) return static_cast<int>(start) + 1;
    }
    return -1;
}

void checkDates(double value, double other) {
    const double clamped = clampDate(value);
    FUZZ_CHECK(clamped >= kFirstValidDate && clamped <= kLastValidDate);
    const double day = dateOnly(value);
    FUZZ_CHECK(day >= kFirstValidDate && day <= kLastValidDate && day == std::trunc(day));
    const std::string text = dateToText(value);
    FUZZ_CHECK(text.find("\xc4\xea") != std::string::npos && text.size() <= 48);  // 年
    FUZZ_CHECK(std::isfinite(daysBetween(value, other)));
}

void checkTruncation(double value) {
    const std::int32_t cut = truncateToInteger(value);
    if (std::isnan(value)) {
        FUZZ_CHECK(cut == 0);
    } else if (value >= 2147483647.0) {
        FUZZ_CHECK(cut == INT32_MAX);
    } else if (value <= -2147483648.0) {
        FUZZ_CHECK(cut == INT32_MIN);
    } else {
        FUZZ_CHECK(static_cast<double>(cut) == std::trunc(value));
    }
}

void checkRounding(double value, int places) {
    const double rounded = roundTo(value, places);
    if (std::isnan(value)) {
        FUZZ_CHECK(std::isnan(rounded));
        return;
    }
    if (std::isinf(value) || value == 0.0) {
        FUZZ_CHECK(rounded == value);
        return;
    }
    if (places >= 0 && places <= 12 && std::fabs(value) < 1e12) {
        const double halfUnit = 0.5 * std::pow(10.0, -places);
        FUZZ_CHECK(std::fabs(rounded - value) <= halfUnit * (1 + 1e-9) + std::fabs(value) * 1e-12);
    }
}

void checkByteTexts(std::string_view text, std::string_view sought, int count, bool ignoreCase) {
    FUZZ_CHECK(textToBytes(text) == text);
    const std::size_t kept = count <= 0 ? 0 : std::min(text.size(), static_cast<std::size_t>(count));
    const std::string left = leftText(text, count);
    FUZZ_CHECK(left == text.substr(0, kept));
    const std::string right = rightText(text, count);
    FUZZ_CHECK(right == text.substr(text.size() - kept));
    const int blanks = count % 70000;
    const std::string blank = blankText(blanks);
    FUZZ_CHECK(blank.size() == static_cast<std::size_t>(std::max(blanks, 0)) &&
               blank.find_first_not_of(' ') == std::string::npos);
    FUZZ_CHECK(findText(text, sought, ignoreCase) == referenceFind(text, sought, ignoreCase));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const double value = doubleFromBits(input.ConsumeIntegral<std::uint64_t>());
    const double other = doubleFromBits(input.ConsumeIntegral<std::uint64_t>());
    const std::int32_t integer = input.ConsumeIntegral<std::int32_t>();
    const int places = input.ConsumeIntegral<int>();
    const int count = input.ConsumeIntegral<int>();
    const bool ignoreCase = input.ConsumeBool();
    const std::string sought = input.ConsumeRandomLengthString(64);
    const std::string text = input.ConsumeRemainingBytesAsString();

    checkReadsBack(value);
    checkReadsBack(textToNumber(text));
    FUZZ_CHECK(numberToText(integer) == std::to_string(integer));
    FUZZ_CHECK(textToNumber(integer) == static_cast<double>(integer));
    checkTruncation(value);
    checkRounding(value, places);
    checkRounding(textToNumber(text), places % 16);
    checkDates(value, other);
    checkDates(textToNumber(sought), value);
    checkByteTexts(text, sought, count, ignoreCase);
    return 0;
}

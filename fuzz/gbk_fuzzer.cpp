// The GBK <-> UTF-8 crossing on arbitrary bytes both ways: the results are well formed,
// bounded in length, and whatever decoded cleanly comes back unchanged.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "text/gbk_codec.h"

namespace {

using namespace tankora;

constexpr std::string_view kReplacement = "\xef\xbf\xbd";  // U+FFFD

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool isWellFormedUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char c = static_cast<unsigned char>(text[i + k]);
            if (k == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF)) return false;
        }
        i += length;
    }
    return true;
}

std::size_t countOf(std::string_view text, char c) {
    std::size_t n = 0;
    for (char x : text) n += x == c;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // As GBK.
    const std::string unicode = gbkToUtf8(bytes);
    FUZZ_CHECK(isWellFormedUtf8(unicode));
    FUZZ_CHECK(unicode.size() <= 3 * bytes.size());
    if (unicode.find(kReplacement) == std::string::npos) FUZZ_CHECK(utf8ToGbk(unicode) == bytes);

    // As UTF-8.
    const std::string gbk = utf8ToGbk(bytes);
    FUZZ_CHECK(gbk.size() <= bytes.size());
    const std::string back = gbkToUtf8(gbk);
    FUZZ_CHECK(back.find(kReplacement) == std::string::npos);
    if (isWellFormedUtf8(bytes) && countOf(gbk, '?') == countOf(bytes, '?')) FUZZ_CHECK(back == bytes);
    return 0;
}

#include "text/gbk_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

namespace tankora {

namespace {

constexpr char kReplacementUtf8[] = "\xef\xbf\xbd";  // U+FFFD
constexpr char kUnmappable = '?';
constexpr char kGbkCharset[] = "CP936";
constexpr char kUtf8Charset[] = "UTF-8";

// The length of the well-formed UTF-8 character at the start of `text`, or 0.
std::size_t utf8CharLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
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
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

// How to get past bytes that do not convert: what to write and how many bytes to skip.
struct Unconvertible {
    std::string_view written;
    std::size_t skipped;
};

// Converts with iconv; each sequence it refuses is handed to `onError`, which says
// what stands in its place. Without the converter every non-ASCII byte is refused.
template <typename OnError>
std::string convert(std::string_view in, const char* to, const char* from, OnError onError) {
    std::string out;
    out.resize(in.size() * 3 + 16);
    std::size_t written = 0;
    iconv_t cd = iconv_open(to, from);
    const bool haveConverter = cd != reinterpret_cast<iconv_t>(-1);
    std::size_t pos = 0;
    while (pos < in.size()) {
        if (out.size() - written < 16) out.resize(out.size() * 2);
        char* inPtr = const_cast<char*>(in.data() + pos);
        std::size_t inLeft = in.size() - pos;
        char* outPtr = out.data() + written;
        std::size_t outLeft = out.size() - written;
        int error = 0;
        if (haveConverter) {
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) error = errno;
        } else {
            while (inLeft > 0 && outLeft > 0 && static_cast<unsigned char>(*inPtr) < 0x80) {
                *outPtr++ = *inPtr++;
                --inLeft;
                --outLeft;
            }
            if (inLeft > 0 && outLeft > 0) error = EILSEQ;
        }
        pos = static_cast<std::size_t>(inPtr - in.data());
        written = static_cast<std::size_t>(outPtr - out.data());
        if (error == E2BIG || error == 0) continue;
        const Unconvertible step = onError(in.substr(pos));
        if (out.size() - written < step.written.size()) out.resize(out.size() * 2 + step.written.size());
        std::copy(step.written.begin(), step.written.end(),
                  out.begin() + static_cast<std::ptrdiff_t>(written));
        written += step.written.size();
        pos += step.skipped;
        if (haveConverter) iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    if (haveConverter) iconv_close(cd);
    out.resize(written);
    return out;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk) {
    return convert(gbk, kUtf8Charset, kGbkCharset, [](std::string_view) {
        return Unconvertible{kReplacementUtf8, 1};
    });
}

std::string utf8ToGbk(std::string_view utf8) {
    return convert(utf8, kGbkCharset, kUtf8Charset, [](std::string_view rest) {
        // A whole character GBK lacks is one "?"; a malformed byte is one "?" too.
        const std::size_t length = utf8CharLength(rest);
        return Unconvertible{std::string_view(&kUnmappable, 1), length == 0 ? 1 : length};
    });
}

}  // namespace tankora

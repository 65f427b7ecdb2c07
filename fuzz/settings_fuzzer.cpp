// The settings reader and writer on arbitrary files: reads never crash and stay within
// the value buffer; a clean value written under a key reads back as written; the write
// leaves every other key's value as it was.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/settings_file.h"
#include "app/whole_file.h"
#include "fuzz_check.h"
#include "scratch_folder.h"

namespace {

using namespace tankora;

const std::string kSection = "Tankora";
const std::string kDefault = "\x01no value";
const std::array<std::string, 4> kKeys{
    "\xce\xbb\xd6\xc3",                                                   // 位置
    "\xd3\xcd\xba\xc4\xd0\xc5\xcf\xa2.\xc8\xbc\xd3\xcd\xc0\xe0\xd0\xcd",  // 油耗信息.燃油类型
    "Position",
    "x",
};

const std::string& settingsPath() {
    static const std::string path = scratchFolder() + "/settings.ini";
    return path;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

// A value that the file form carries unchanged: one line, no blanks at its ends, not
// wrapped in quotes, within the buffer.
bool isClean(std::string_view value) {
    if (value.size() > kMaxSettingLength) return false;
    if (value.find_first_of("\r\n") != std::string_view::npos) return false;
    if (!value.empty() && (isBlank(value.front()) || isBlank(value.back()))) return false;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return false;
    return true;
}

// A key that can stand on a key line: not empty, no "=", no line break, no blank ends,
// and not taken for a section line.
bool isUsableKey(std::string_view key) {
    if (key.empty() || key.find_first_of("=\r\n") != std::string_view::npos) return false;
    if (isBlank(key.front()) || isBlank(key.back()) || key.front() == '[') return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool fileExists = input.ConsumeBool();
    std::string key = kKeys[input.ConsumeIntegralInRange<std::size_t>(0, kKeys.size() - 1)];
    const std::string ownKey = input.ConsumeRandomLengthString(24);
    if (input.ConsumeBool() && isUsableKey(ownKey)) key = ownKey;
    const std::string value = input.ConsumeRandomLengthString(256);
    const std::string file = input.ConsumeRemainingBytesAsString();

    const std::string& path = settingsPath();
    ::unlink(path.c_str());
    if (fileExists) FUZZ_CHECK(writeWholeFile(path, file));

    std::array<std::string, kKeys.size()> before;
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        before[i] = readSetting(path, kSection, kKeys[i], kDefault);
        FUZZ_CHECK(before[i].size() <= kMaxSettingLength && before[i].find('\n') == std::string::npos);
    }
    FUZZ_CHECK(readSetting(path, "", key, kDefault).size() <= kMaxSettingLength);

    FUZZ_CHECK(writeSetting(path, kSection, key, value));
    const std::string stored = readSetting(path, kSection, key, kDefault);
    if (isClean(value)) FUZZ_CHECK(stored == value);
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (!sameKey(kKeys[i], key)) FUZZ_CHECK(readSetting(path, kSection, kKeys[i], kDefault) == before[i]);
    }
    return 0;
}

#include "app/settings_file.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "app/whole_file.h"

namespace tankora {
namespace {

constexpr std::string_view kNewLineEnding = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool isLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Names compare without ASCII letter case; a double-byte character, its trail byte
// included, must match exactly.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (isLeadByte(a[i])) {
            if (a[i] != b[i]) return false;
            if (i + 1 < a.size() && a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// At most `limit` bytes, cut where a character starts so no half character remains.
std::string cutToLength(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    std::size_t end = 0;
    while (end < limit) {
        std::size_t step = isLeadByte(text[end]) ? 2 : 1;
        if (end + step > limit) break;
        end += step;
    }
    return std::string(text.substr(0, end));
}

struct Line {
    std::string_view content;  // without its line break
    std::string_view ending;   // "\r\n", "\n" or empty for a last line without one
};

std::vector<Line> splitLines(std::string_view bytes) {
    std::vector<Line> lines;
    while (!bytes.empty()) {
        std::size_t newline = bytes.find('\n');
        if (newline == std::string_view::npos) {
            lines.push_back({bytes, {}});
            break;
        }
        std::size_t contentEnd = (newline > 0 && bytes[newline - 1] == '\r') ? newline - 1 : newline;
        lines.push_back({bytes.substr(0, contentEnd), bytes.substr(contentEnd, newline + 1 - contentEnd)});
        bytes.remove_prefix(newline + 1);
    }
    return lines;
}

// The name of a "[name]" line, blanks around it removed; nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view content) {
    std::string_view line = trimmed(content);
    if (line.empty() || line.front() != '[') return std::nullopt;
    std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trimmed(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view content) {
    std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return KeyLine{trimmed(content.substr(0, equals)), trimmed(content.substr(equals + 1))};
}

std::string_view withoutEnclosingQuotes(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

// Where a section and, inside it, a key stand among the lines.
struct Place {
    std::optional<std::size_t> sectionLine;
    std::optional<std::size_t> keyLine;
    std::size_t lastFilledLine = 0;  // the section's last line that is not blank
};

Place find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Place place;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::optional<std::string_view> name = sectionName(lines[i].content);
        if (!place.sectionLine) {
            if (name && sameName(*name, section)) {
                place.sectionLine = i;
                place.lastFilledLine = i;
            }
            continue;
        }
        if (name) break;  // the next section
        if (!trimmed(lines[i].content).empty()) place.lastFilledLine = i;
        if (!place.keyLine) {
            std::optional<KeyLine> entry = keyLine(lines[i].content);
            if (entry && sameName(entry->key, key)) place.keyLine = i;
        }
    }
    return place;
}

std::string firstLineOf(const std::string& value) { return value.substr(0, value.find_first_of("\r\n")); }

}  // namespace

std::string readSetting(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& defaultValue) {
    FileContents file = readWholeFile(path);
    if (file.outcome != ReadOutcome::Read) return cutToLength(defaultValue, kMaxSettingLength);
    std::vector<Line> lines = splitLines(file.bytes);
    Place place = find(lines, section, key);
    if (!place.keyLine) return cutToLength(defaultValue, kMaxSettingLength);
    std::string_view value = keyLine(lines[*place.keyLine].content)->value;
    return cutToLength(withoutEnclosingQuotes(value), kMaxSettingLength);
}

bool writeSetting(const std::string& path, const std::string& section, const std::string& key,
                  const std::string& value) {
    if (path.empty()) return false;
    FileContents file = readWholeFile(path);
    if (file.outcome == ReadOutcome::Failed) return false;
    std::vector<Line> lines = splitLines(file.bytes);
    Place place = find(lines, section, key);
    std::string stored = firstLineOf(value);

    std::string result;
    result.reserve(file.bytes.size() + section.size() + key.size() + stored.size() + 8);
    auto appendLine = [&result](std::string_view content, std::string_view ending) {
        result += content;
        result += ending;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (place.keyLine && i == *place.keyLine) {
            // The key keeps its spelling in the file and its line its own break.
            appendLine(std::string(keyLine(lines[i].content)->key) + "=" + stored, lines[i].ending);
            continue;
        }
        bool addHere = place.sectionLine && !place.keyLine && i == place.lastFilledLine;
        appendLine(lines[i].content, addHere && lines[i].ending.empty() ? kNewLineEnding : lines[i].ending);
        if (addHere) appendLine(key + "=" + stored, kNewLineEnding);
    }
    if (!place.sectionLine) {
        if (!result.empty() && result.back() != '\n') result += kNewLineEnding;
        appendLine("[" + section + "]", kNewLineEnding);
        appendLine(key + "=" + stored, kNewLineEnding);
    }
    return replaceFile(path, result);
}

SettingsFile::SettingsFile(std::string path, std::string section)
    : path_(std::move(path)), section_(std::move(section)) {}

std::string SettingsFile::readSetting(const std::string& key, const std::string& defaultValue) {
    return tankora::readSetting(path_, section_, key, defaultValue);
}

void SettingsFile::writeSetting(const std::string& key, const std::string& value) {
    tankora::writeSetting(path_, section_, key, value);
}

}  // namespace tankora

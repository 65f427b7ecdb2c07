// The settings file: INI text of GBK bytes, read and written the way the old
// private-profile calls did. Section and key names match without ASCII letter case; a
// value is the text after the first "=", blanks around it and one pair of enclosing
// double quotes removed, at most kMaxSettingLength bytes. A write changes only the
// key's own line (or adds one) and keeps every other byte.
#pragma once

#include <cstddef>
#include <string>

#include "ui/toolkit.h"

namespace tankora {

// Values come back through a buffer of 10240 bytes, its last one the terminator.
inline constexpr std::size_t kMaxSettingLength = 10239;

// The stored value, or `defaultValue` when the file, the section or the key is missing.
std::string readSetting(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& defaultValue);
// Stores the value (up to its first line break), creating the file or the section as
// needed. False when the file was not replaced; a file that exists but cannot be read is
// left alone rather than rewritten from nothing.
bool writeSetting(const std::string& path, const std::string& section, const std::string& key,
                  const std::string& value);

// One section of one settings file, as the handlers use it; write failures are ignored.
class SettingsFile : public Settings {
public:
    SettingsFile() = default;
    SettingsFile(std::string path, std::string section);
    std::string readSetting(const std::string& key, const std::string& defaultValue) override;
    void writeSetting(const std::string& key, const std::string& value) override;

    const std::string& path() const { return path_; }
    const std::string& section() const { return section_; }

private:
    std::string path_;
    std::string section_;
};

}  // namespace tankora

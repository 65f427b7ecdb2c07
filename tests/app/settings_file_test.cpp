#include "app/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "app/temp_home.h"

namespace tankora {
namespace {

using testing::exists;
using testing::readFileBytes;
using testing::writeFileBytes;
using testing::TempHome;

const std::string kSection = "Tankora";
const std::string kPlace = "\xce\xbb\xd6\xc3";  // 位置
const std::string kFuelType =
    "\xd3\xcd\xba\xc4\xd0\xc5\xcf\xa2.\xc8\xbc\xd3\xcd\xc0\xe0\xd0\xcd";  // 油耗信息.燃油类型
const std::string kTable = "\xb1\xed";                                    // 表, two bytes

class SettingsFileTest : public ::testing::Test {
protected:
    std::string path() const { return home.path() + "/Raveltsoft.p"; }
    TempHome home;
};

TEST_F(SettingsFileTest, ReadsValuesTheWayThePrivateProfileDid) {
    struct Case {
        const char* what;
        std::string file;
        std::string key;
        std::string expected;
    };
    const Case cases[] = {
        {"CR LF", "[Tankora]\r\n" + kPlace + "=3\r\n", kPlace, "3"},
        {"LF", "[Tankora]\n" + kPlace + "=3\n", kPlace, "3"},
        {"no final line break", "[Tankora]\r\n" + kPlace + "=3", kPlace, "3"},
        {"other section first", "[Other]\r\n" + kPlace + "=9\r\n[Tankora]\r\n" + kPlace + "=2\r\n", kPlace,
         "2"},
        {"key only in another section", "[Other]\r\n" + kPlace + "=9\r\n", kPlace, "dflt"},
        {"key before any section", kPlace + "=5\r\n[Tankora]\r\nx=1\r\n", kPlace, "dflt"},
        {"section letter case", "[tANKORA]\r\n" + kPlace + "=3\r\n", kPlace, "3"},
        {"key letter case", "[Tankora]\r\nfUELtYPE=95\r\n", "FuelType", "95"},
        {"GBK key with ASCII in it", "[Tankora]\r\n" + kFuelType + "=97\r\n", kFuelType, "97"},
        {"blanks around everything", "  [ Tankora ]  \r\n \t" + kPlace + " \t=  \t3 \t \r\n", kPlace, "3"},
        {"quoted", "[Tankora]\r\n" + kPlace + "=\"3\"\r\n", kPlace, "3"},
        {"quoted blanks kept", "[Tankora]\r\n" + kPlace + "= \" 3 \" \r\n", kPlace, " 3 "},
        {"one pair of quotes only", "[Tankora]\r\n" + kPlace + "=\"\"3\"\"\r\n", kPlace, "\"3\""},
        {"unbalanced quote kept", "[Tankora]\r\n" + kPlace + "=\"3\r\n", kPlace, "\"3"},
        {"empty value", "[Tankora]\r\n" + kPlace + "=\r\n", kPlace, ""},
        {"text after the first equals sign", "[Tankora]\r\n" + kPlace + "=a=b\r\n", kPlace, "a=b"},
        {"first of two", "[Tankora]\r\n" + kPlace + "=1\r\n" + kPlace + "=2\r\n", kPlace, "1"},
        {"first of two sections", "[Tankora]\r\nx=1\r\n[Tankora]\r\n" + kPlace + "=2\r\n", kPlace, "dflt"},
        {"key missing", "[Tankora]\r\nother=1\r\n", kPlace, "dflt"},
        {"section missing", "[Other]\r\nx=1\r\n", kPlace, "dflt"},
        {"unclosed bracket is no section", "[Tankora\r\n" + kPlace + "=3\r\n", kPlace, "dflt"},
        {"line without equals is no key", "[Tankora]\r\n" + kPlace + "\r\n", kPlace, "dflt"},
        {"empty file", "", kPlace, "dflt"},
        // 0x81 0x41 and 0x81 0x61 are two different characters: their trail bytes are not letters.
        {"trail bytes are not folded", "[Tankora]\r\n\x81\x41=1\r\n", "\x81\x61", "dflt"},
    };
    for (const Case& c : cases) {
        writeFileBytes(path(), c.file);
        EXPECT_EQ(readSetting(path(), kSection, c.key, "dflt"), c.expected) << c.what;
    }
}

TEST_F(SettingsFileTest, AMissingFileGivesTheDefault) {
    EXPECT_EQ(readSetting(path(), kSection, kPlace, "0"), "0");
    EXPECT_EQ(readSetting(home.path() + "/no/such/file", kSection, kPlace, "93"), "93");
    EXPECT_EQ(readSetting(home.path(), kSection, kPlace, "93"), "93");  // a folder
    EXPECT_FALSE(exists(path()));
}

TEST_F(SettingsFileTest, LongValuesComeBackCutToTheBuffer) {
    writeFileBytes(path(),
            "[Tankora]\r\nlong=" + std::string(20000, 'x') + "\r\nat=" + std::string(10239, 'y') + "\r\n");
    EXPECT_EQ(readSetting(path(), kSection, "long", ""), std::string(10239, 'x'));
    EXPECT_EQ(readSetting(path(), kSection, "at", ""), std::string(10239, 'y'));
    // A two-byte character that would straddle the end is left out whole.
    std::string tables;
    for (int i = 0; i < 6000; ++i) tables += kTable;
    writeFileBytes(path(), "[Tankora]\r\nwide=" + tables + "\r\n");
    std::string wide = readSetting(path(), kSection, "wide", "");
    EXPECT_EQ(wide.size(), 10238u);
    EXPECT_EQ(wide, tables.substr(0, 10238));
}

TEST_F(SettingsFileTest, WritesChangeOnlyTheKeysLine) {
    struct Case {
        const char* what;
        std::string before;
        std::string key;
        std::string value;
        std::string after;
    };
    const std::string place = kPlace;
    const Case cases[] = {
        {"new file", "", place, "3", "[Tankora]\r\n" + place + "=3\r\n"},
        {"replaced in place, CR LF",
         "; note\r\n[Other]\r\n" + place + "=9\r\n[Tankora]\r\n a = 1 \r\n" + place + " = \"0\"\r\nb=2\r\n",
         place, "3",
         "; note\r\n[Other]\r\n" + place + "=9\r\n[Tankora]\r\n a = 1 \r\n" + place + "=3\r\nb=2\r\n"},
        {"replaced in place, LF kept", "[Tankora]\n" + place + "=0\nb=2\n", place, "2",
         "[Tankora]\n" + place + "=2\nb=2\n"},
        {"last line without a break stays so", "[Tankora]\n" + place + "=0", place, "3",
         "[Tankora]\n" + place + "=3"},
        {"key spelling in the file kept", "[tankora]\r\nFUELTYPE=1\r\n", "FuelType", "95",
         "[tankora]\r\nFUELTYPE=95\r\n"},
        {"added at the end of its section", "[Tankora]\r\na=1\r\n\r\n[Other]\r\nx=1\r\n", place, "3",
         "[Tankora]\r\na=1\r\n" + place + "=3\r\n\r\n[Other]\r\nx=1\r\n"},
        {"added to an empty last section", "[Other]\nx=1\n[Tankora]", place, "3",
         "[Other]\nx=1\n[Tankora]\r\n" + place + "=3\r\n"},
        {"added after a last line without break", "[Tankora]\na=1", place, "3",
         "[Tankora]\na=1\r\n" + place + "=3\r\n"},
        {"section appended", "[Other]\r\nx=1\r\n", place, "3",
         "[Other]\r\nx=1\r\n[Tankora]\r\n" + place + "=3\r\n"},
        {"section appended after a last line without break", "[Other]\nx=1", place, "3",
         "[Other]\nx=1\r\n[Tankora]\r\n" + place + "=3\r\n"},
        {"a line break ends the value", "", place, "3\r\n[Evil]\r\nx=1", "[Tankora]\r\n" + place + "=3\r\n"},
        {"odd lines kept byte for byte", "\xff\xfe junk\r\n[Tankora\r\n\r\n[Tankora]\r\n\t\r\n", place, "0",
         "\xff\xfe junk\r\n[Tankora\r\n\r\n[Tankora]\r\n" + place + "=0\r\n\t\r\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path());
        if (!c.before.empty()) writeFileBytes(path(), c.before);
        EXPECT_TRUE(writeSetting(path(), kSection, c.key, c.value)) << c.what;
        EXPECT_EQ(readFileBytes(path()), c.after) << c.what;
    }
}

TEST_F(SettingsFileTest, WhatIsWrittenReadsBack) {
    std::string longValue(12000, 'v');
    ASSERT_TRUE(writeSetting(path(), kSection, kFuelType, "97"));
    ASSERT_TRUE(writeSetting(path(), kSection, kPlace, "3"));
    ASSERT_TRUE(writeSetting(path(), kSection, "long", longValue));
    ASSERT_TRUE(writeSetting(path(), kSection, kPlace, "2"));
    EXPECT_EQ(readSetting(path(), kSection, kFuelType, "93"), "97");
    EXPECT_EQ(readSetting(path(), kSection, kPlace, "0"), "2");
    EXPECT_EQ(readSetting(path(), kSection, "long", ""), longValue.substr(0, kMaxSettingLength));
}

TEST_F(SettingsFileTest, AWriteReplacesTheFileWholeAndLeavesNothingBeside) {
    writeFileBytes(path(), "[Tankora]\r\n" + kPlace + "=0\r\n");
    ASSERT_EQ(::chmod(path().c_str(), 0640), 0);
    ASSERT_TRUE(writeSetting(path(), kSection, kPlace, "3"));
    struct stat info {};
    ASSERT_EQ(::stat(path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.path())) {
        EXPECT_EQ(entry.path().filename(), "Raveltsoft.p");
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(SettingsFileTest, AFailedWriteChangesNothing) {
    EXPECT_FALSE(writeSetting(home.path() + "/missing/Raveltsoft.p", kSection, kPlace, "3"));
    EXPECT_FALSE(exists(home.path() + "/missing"));
    EXPECT_FALSE(writeSetting(home.path(), kSection, kPlace, "3"));  // a folder is not a settings file
    EXPECT_TRUE(std::filesystem::is_directory(home.path()));
    EXPECT_FALSE(writeSetting("", kSection, kPlace, "3"));
}

TEST_F(SettingsFileTest, SettingsFileWorksOnItsPathAndSection) {
    SettingsFile settings(path(), kSection);
    EXPECT_EQ(settings.readSetting(kPlace, "0"), "0");
    settings.writeSetting(kPlace, "3");
    EXPECT_EQ(settings.readSetting(kPlace, "0"), "3");
    EXPECT_EQ(readSetting(path(), kSection, kPlace, ""), "3");
    EXPECT_EQ(readSetting(path(), "Other", kPlace, "none"), "none");

    SettingsFile unwritable(home.path() + "/missing/file", kSection);
    unwritable.writeSetting(kPlace, "3");  // ignored
    EXPECT_EQ(unwritable.readSetting(kPlace, "0"), "0");
}

}  // namespace
}  // namespace tankora

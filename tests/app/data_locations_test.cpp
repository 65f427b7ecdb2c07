#include "app/data_locations.h"

#include <gtest/gtest.h>

#include <string>

#include "app/temp_home.h"

namespace tankora {
namespace {

using testing::exists;
using testing::readFileBytes;
using testing::isFolder;
using testing::writeFileBytes;
using testing::TempHome;

// "用户注意.txt" as the file system names it.
const std::string kNoticeName = "\xe7\x94\xa8\xe6\x88\xb7\xe6\xb3\xa8\xe6\x84\x8f.txt";
// 本目录为数据保存目录,用户请勿手动修改或删除本目录下任何文件,以免相应的软件运行出错 and CR LF, in GBK.
const std::string kNoticeBytes =
    "\xb1\xbe\xc4\xbf\xc2\xbc\xce\xaa\xca\xfd\xbe\xdd\xb1\xa3\xb4\xe6\xc4\xbf\xc2\xbc,"
    "\xd3\xc3\xbb\xa7\xc7\xeb"
    "\xce\xf0\xca\xd6\xb6\xaf\xd0\xde\xb8\xc4\xbb\xf2\xc9\xbe\xb3\xfd\xb1\xbe\xc4\xbf\xc2\xbc\xcf\xc2\xc8\xce"
    "\xba\xce\xce\xc4\xbc\xfe,"
    "\xd2\xd4\xc3\xe2\xcf\xe0\xd3\xa6\xb5\xc4\xc8\xed\xbc\xfe\xd4\xcb\xd0\xd0\xb3\xf6"
    "\xb4\xed\r\n";

TEST(WithTrailingSeparator, AddsTheSeparatorOnlyWhenMissing) {
    struct Case {
        std::string path, expected;
    };
    for (const Case& c : {Case{"", "/"}, Case{"/", "/"}, Case{"/home/u", "/home/u/"},
                          Case{"/home/u/", "/home/u/"}, Case{"rel", "rel/"}, Case{"a\\", "a\\/"}}) {
        EXPECT_EQ(withTrailingSeparator(c.path), c.expected) << c.path;
    }
}

TEST(TextBeforeFirst, CutsBeforeTheFirstMatchIgnoringLetterCase) {
    struct Case {
        std::string text, separator, expected;
    };
    for (const Case& c : {Case{"C:\\Windows", ":", "C"}, Case{"abXcdx", "x", "ab"}, Case{"abxcd", "X", "ab"},
                          Case{":abc", ":", ""}, Case{"abc", ":", ""}, Case{"", ":", ""},
                          // 表 is 0xB1 0xED: the match is found after the whole character.
                          Case{"\xb1\xed:x", ":", "\xb1\xed"}}) {
        EXPECT_EQ(textBeforeFirst(c.text, c.separator), c.expected) << c.text << " / " << c.separator;
    }
}

TEST(SpecialFolder, MapsTheFolderNumbersOntoTheEnvironment) {
    TempHome home;
    std::string tempDir = home.path() + "/tmp";
    ASSERT_TRUE(std::filesystem::create_directory(tempDir));
    std::string plainFile = home.path() + "/plain";
    writeFileBytes(plainFile, "x");
    std::string h = home.path() + "/";

    struct Case {
        int number;
        Environment environment;
        std::string expected;
    };
    Environment bare = home.environment();
    auto with = [&](auto change) {
        Environment environment = bare;
        change(environment);
        return environment;
    };
    const Case cases[] = {
        {10, bare, h + ".config/"},
        {10, with([](Environment& e) { e.xdgConfigHome = "/etc/xdg-test"; }), "/etc/xdg-test/"},
        {10, with([](Environment& e) { e.xdgConfigHome = "relative/config"; }), h + ".config/"},
        {37, bare, h + ".config/"},
        {11, bare, "/tmp/"},
        {11, with([&](Environment& e) { e.tmpDir = tempDir; }), tempDir + "/"},
        {11, with([&](Environment& e) { e.tmpDir = tempDir + "/"; }), tempDir + "/"},
        {11, with([&](Environment& e) { e.tmpDir = plainFile; }), "/tmp/"},
        {11, with([&](Environment& e) { e.tmpDir = h + "missing"; }), "/tmp/"},
        {3, bare, h + "Desktop/"},
        {3, with([](Environment& e) { e.xdgDesktopDir = "/srv/desk"; }), "/srv/desk/"},
        {0, bare, h + "Desktop/"},
        {5, bare, h + "Documents/"},
        {2, bare, h},
        {9, bare, "/"},
        {26, with([](Environment& e) { e.xdgDataHome = "/srv/data"; }), "/srv/data/"},
        {999, bare, ""},
        {-1, bare, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(specialFolder(c.number, c.environment), c.expected) << c.number;
}

TEST(NoticeFile, HoldsExactlyTheNoticeAndReplacesWhatWasThere) {
    TempHome home;
    std::string folder = home.path() + "/";
    writeFileBytes(folder + kNoticeName, std::string(500, 'z'));
    ASSERT_TRUE(writeNoticeFile(folder));
    EXPECT_EQ(readFileBytes(folder + kNoticeName), kNoticeBytes);
    EXPECT_EQ(kNoticeBytes.size(), 84u);
    EXPECT_FALSE(writeNoticeFile(folder + "missing/"));
}

TEST(DataRoot, IsCreatedBelowTheDataHomeWithTheNotice) {
    TempHome home;
    std::string root = home.path() + "/.local/share/Ravelt/";
    EXPECT_EQ(resolveDataRoot(home.environment()), root);
    EXPECT_TRUE(isFolder(root));
    EXPECT_EQ(readFileBytes(root + kNoticeName), kNoticeBytes);
    EXPECT_FALSE(exists(home.path() + "/.3d"));
}

TEST(DataRoot, FollowsAnAbsoluteXdgDataHomeAndIgnoresARelativeOne) {
    TempHome home;
    Environment environment = home.environment();
    environment.xdgDataHome = home.path() + "/data/home";
    EXPECT_EQ(resolveDataRoot(environment), home.path() + "/data/home/Ravelt/");
    EXPECT_EQ(readFileBytes(home.path() + "/data/home/Ravelt/" + kNoticeName), kNoticeBytes);

    environment.xdgDataHome = "data/relative";
    EXPECT_EQ(resolveDataRoot(environment), home.path() + "/.local/share/Ravelt/");
}

TEST(DataRoot, EveryProbeRewritesTheNotice) {
    TempHome home;
    std::string notice = home.path() + "/.local/share/Ravelt/" + kNoticeName;
    resolveDataRoot(home.environment());
    writeFileBytes(notice, "changed");
    resolveDataRoot(home.environment());
    EXPECT_EQ(readFileBytes(notice), kNoticeBytes);
    writeFileBytes(notice, "changed");
    resolveSettingsPath(home.environment());
    EXPECT_EQ(readFileBytes(notice), kNoticeBytes);
}

TEST(SettingsPath, LiesInTheWritableDataRootAndIsNotCreated) {
    TempHome home;
    std::string path = resolveSettingsPath(home.environment());
    EXPECT_EQ(path, home.path() + "/.local/share/Ravelt/Raveltsoft.p");
    EXPECT_FALSE(exists(path));
}

TEST(UnwritableDataRoot, MovesSettingsToTheConfigFolderAndDataToTheFallback) {
    TempHome home;
    // A data home below a regular file cannot be created, whoever runs the test.
    writeFileBytes(home.path() + "/blocker", "x");
    Environment environment = home.environment();
    environment.xdgDataHome = home.path() + "/blocker/data";

    EXPECT_EQ(resolveSettingsPath(environment), home.path() + "/.config/Quorbane.txt");
    EXPECT_TRUE(isFolder(home.path() + "/.config"));
    EXPECT_FALSE(exists(home.path() + "/.config/Quorbane.txt"));

    EXPECT_EQ(resolveDataRoot(environment), home.path() + "/.3d/");
    EXPECT_TRUE(isFolder(home.path() + "/.3d"));
    EXPECT_FALSE(exists(home.path() + "/.3d/" + kNoticeName));
}

TEST(UnwritableDataRoot, UsesTheConfiguredConfigFolder) {
    TempHome home;
    writeFileBytes(home.path() + "/blocker", "x");
    Environment environment = home.environment();
    environment.xdgDataHome = home.path() + "/blocker";
    environment.xdgConfigHome = home.path() + "/conf";
    EXPECT_EQ(resolveSettingsPath(environment), home.path() + "/conf/Quorbane.txt");
}

TEST(FallbackDataRoot, CreatesTheHomeAndTheFolderInIt) {
    TempHome home;
    Environment environment = home.environment();
    environment.home = home.path() + "/new-home";
    EXPECT_EQ(fallbackDataRoot(environment), home.path() + "/new-home/.3d/");
    EXPECT_TRUE(isFolder(home.path() + "/new-home/.3d"));
}

}  // namespace
}  // namespace tankora

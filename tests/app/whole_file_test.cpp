#include "app/whole_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/temp_home.h"

namespace tankora {
namespace {

using testing::readFileBytes;
using testing::writeFileBytes;
using testing::TempHome;

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    return names;
}

TEST(CreateNewFile, WritesOnlyWhereNothingIs) {
    TempHome home;
    std::string path = home.path() + "/car.mdb";
    ASSERT_TRUE(createNewFile(path, "first"));
    EXPECT_EQ(readFileBytes(path), "first");
    EXPECT_FALSE(createNewFile(path, "second"));
    EXPECT_EQ(readFileBytes(path), "first");
    writeFileBytes(path, "");
    EXPECT_FALSE(createNewFile(path, "third"));
    EXPECT_EQ(readFileBytes(path), "");
    EXPECT_EQ(namesIn(home.path()), std::vector<std::string>{"car.mdb"});
    EXPECT_FALSE(createNewFile(home.path() + "/missing/car.mdb", "x"));
}

TEST(ReadWholeFile, TellsAMissingFileFromAnUnreadableOne) {
    TempHome home;
    writeFileBytes(home.path() + "/f", std::string("a\0b", 3));
    FileContents read = readWholeFile(home.path() + "/f");
    EXPECT_EQ(read.outcome, ReadOutcome::Read);
    EXPECT_EQ(read.bytes, std::string("a\0b", 3));
    EXPECT_EQ(readWholeFile(home.path() + "/none").outcome, ReadOutcome::Missing);
    EXPECT_EQ(readWholeFile(home.path() + "/f/below").outcome, ReadOutcome::Missing);
    EXPECT_EQ(readWholeFile(home.path()).outcome, ReadOutcome::Failed);
}

TEST(ReplaceFile, SwapsTheBytesAndLeavesNoTemporaryFile) {
    TempHome home;
    std::string path = home.path() + "/settings";
    ASSERT_TRUE(replaceFile(path, "one"));
    ASSERT_TRUE(replaceFile(path, "two"));
    EXPECT_EQ(readFileBytes(path), "two");
    EXPECT_EQ(namesIn(home.path()), std::vector<std::string>{"settings"});
    EXPECT_FALSE(replaceFile(home.path() + "/missing/settings", "x"));
}

TEST(CreateFolderTree, MakesEveryMissingLevel) {
    TempHome home;
    createFolderTree(home.path() + "/a/b/c/");
    EXPECT_TRUE(testing::isFolder(home.path() + "/a/b/c"));
    writeFileBytes(home.path() + "/file", "x");
    createFolderTree(home.path() + "/file/d");  // ignored failure
    EXPECT_EQ(readFileBytes(home.path() + "/file"), "x");
}

}  // namespace
}  // namespace tankora

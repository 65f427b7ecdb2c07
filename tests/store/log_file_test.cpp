#include "store/log_file.h"

#include <fcntl.h>
#include <unistd.h>

#include "store/log_image.h"

namespace tankora {
namespace {

class PosixLogFile : public test::LogFileTest {
protected:
    std::shared_ptr<LogFileOpener> opener = posixLogFileOpener();
};

TEST_F(PosixLogFile, ReadsAndWritesAtOffsetsAndReportsTheEndOfTheFile) {
    put("0123456789");
    std::unique_ptr<LogFile> file = opener->open(path);
    ASSERT_NE(file, nullptr);
    char buffer[8] = {};
    EXPECT_EQ(file->readAt(6, buffer, sizeof buffer), 4);
    EXPECT_EQ(std::string(buffer, 4), "6789");
    EXPECT_EQ(file->readAt(10, buffer, sizeof buffer), 0);
    EXPECT_EQ(file->readAt(-1, buffer, 1), -1);
    EXPECT_TRUE(file->writeAt(12, "AB", 2));
    EXPECT_FALSE(file->writeAt(-4, "AB", 2));
    EXPECT_EQ(file->length(), 14);
    EXPECT_TRUE(file->setLength(11));
    EXPECT_FALSE(file->setLength(-1));
    EXPECT_TRUE(file->sync());
    file.reset();
    EXPECT_EQ(bytes(), std::string("0123456789\0", 11));
}

TEST_F(PosixLogFile, OpensOnlyExistingRegularFilesAndTellsThemApart) {
    EXPECT_EQ(opener->open(path), nullptr);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(opener->open(dir.path().string()), nullptr);
    EXPECT_EQ(opener->open("/dev/null"), nullptr);
    put("a");
    test::writeFileBytes(dir.file("other"), "b");
    const auto first = opener->open(path);
    const auto again = opener->open(dir.file("./car.mdb"));
    const auto other = opener->open(dir.file("other"));
    ASSERT_TRUE(first && again && other);
    EXPECT_EQ(first->identity(), again->identity());
    EXPECT_FALSE(first->identity() == other->identity());
}

TEST_F(PosixLogFile, LocksOfTwoDescriptionsInOneProcessConflict) {
    put(std::string(100, '\0'));
    const auto first = opener->open(path);
    const auto second = opener->open(path);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->lock(0, 0x7FFFFFFF), LockResult::Granted);
    EXPECT_EQ(second->lock(16, 1), LockResult::Refused);
    first->unlock(0, 0x7FFFFFFF);
    EXPECT_EQ(second->lock(16, 1), LockResult::Granted);
    EXPECT_EQ(first->lock(0, 0x7FFFFFFF), LockResult::Refused);
    EXPECT_EQ(first->lock(17, 1), LockResult::Granted);
    EXPECT_EQ(first->lock(std::int64_t{1} << 62, 1), LockResult::Granted) << "far offsets are fine";
}

}  // namespace
}  // namespace tankora

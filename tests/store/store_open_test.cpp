#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "store/fuel_log_store.h"
#include "store/log_image.h"

namespace tankora {
namespace {

using test::int32At;
using test::putInt32;

class StoreOpen : public test::LogFileTest {};

TEST_F(StoreOpen, TemplateOpensAsAnEmptyLogAndStaysUntouched) {
    put(std::string(emptyLogTemplate()));
    FuelLogStore store;
    ASSERT_TRUE(store.open(path));
    EXPECT_EQ(store.recordCount(), 0);
    EXPECT_EQ(store.position(), 0);
    store.close(path);
    EXPECT_FALSE(store.isOpen());
    EXPECT_EQ(bytes(), std::string(emptyLogTemplate()));
}

struct RepairCase {
    const char* name;
    int wholeRecords;
    int tailBytes;
    int headerCount;
    int expectedCount;
};

TEST_F(StoreOpen, RepairsTheCountAndTheTail) {
    const RepairCase cases[] = {
        {"partial tail", 3, 40, 3, 3},  {"surplus records", 7, 0, 5, 5},
        {"count too high", 7, 0, 9, 7}, {"count too high over a partial tail", 2, 84, 4, 2},
        {"exact", 4, 0, 4, 4},
    };
    for (const RepairCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string image = test::logWithRecords(c.wholeRecords) + std::string(c.tailBytes, '\x5A');
        putInt32(image, test::kHeaderCountAt, c.headerCount);
        put(image);
        FuelLogStore store;
        ASSERT_TRUE(store.open(path));
        EXPECT_EQ(store.recordCount(), c.expectedCount);
        store.close(path);
        const std::string after = bytes();
        EXPECT_EQ(after.size(), 836u + 85u * c.expectedCount);
        EXPECT_EQ(int32At(after, test::kHeaderCountAt), c.expectedCount);
        EXPECT_EQ(after, image.substr(0, 16) + after.substr(16, 4) + image.substr(20, after.size() - 20));
    }
}

TEST_F(StoreOpen, RepairStaysWhenALaterCheckRefusesTheFile) {
    std::string image = test::logWithRecords(2) + std::string(10, '\x01');
    putInt32(image, test::kHeaderCountAt, 6);
    putInt32(image, 116 + 72 * 3 + 20, 13);  // fourth field: no such type
    put(image);
    FuelLogStore store;
    EXPECT_FALSE(store.open(path));
    EXPECT_EQ(store.lastFailure(), StoreFailure::BadFieldTable);
    const std::string after = bytes();
    EXPECT_EQ(after.size(), 836u + 85u * 2);
    EXPECT_EQ(int32At(after, test::kHeaderCountAt), 2);
}

struct HeaderCase {
    const char* name;
    void (*change)(std::string&);
    bool accepted;
};

TEST_F(StoreOpen, AcceptsOrRefusesByTheHeaderAndFieldTable) {
    const std::size_t firstEntry = 116;
    const std::size_t fuelTypeEntry = 116 + 72 * 5;
    const HeaderCase cases[] = {
        {"magic", [](std::string& b) { b[3] = 'C'; }, false},
        {"version 0x00010001", [](std::string& b) { putInt32(b, 4, 0x00010001); }, false},
        {"older version", [](std::string& b) { putInt32(b, 4, 1); }, true},
        {"negative version", [](std::string& b) { putInt32(b, 4, INT_MIN); }, true},
        {"record length 0", [](std::string& b) { putInt32(b, 0x18, 0); }, false},
        {"negative record length", [](std::string& b) { putInt32(b, 0x18, -85); }, false},
        {"negative count", [](std::string& b) { putInt32(b, 0x10, -1); }, false},
        {"next id 0", [](std::string& b) { putInt32(b, 0x14, 0); }, false},
        {"field count 0", [](std::string& b) { putInt32(b, 0x70, 0); }, false},
        {"negative field count", [](std::string& b) { putInt32(b, 0x70, -10); }, false},
        {"field count past the file", [](std::string& b) { putInt32(b, 0x70, 12); }, false},
        {"field count 2^31-1", [](std::string& b) { putInt32(b, 0x70, INT_MAX); }, false},
        {"fewer fields than the table holds", [](std::string& b) { putInt32(b, 0x70, 9); }, true},
        {"name without zero in 17 bytes",
         [](std::string& b) { b.replace(firstEntry, 17, std::string(17, 'N')); }, false},
        {"name of 16 bytes", [](std::string& b) { b.replace(firstEntry, 16, std::string(16, 'N')); }, true},
        {"text width 0", [](std::string& b) { putInt32(b, fuelTypeEntry + 28, 0); }, false},
        {"negative text width", [](std::string& b) { putInt32(b, fuelTypeEntry + 28, -20); }, false},
        {"negative offset", [](std::string& b) { putInt32(b, firstEntry + 24, -1); }, false},
        {"type 0", [](std::string& b) { putInt32(b, firstEntry + 20, 0); }, false},
        {"type 13", [](std::string& b) { putInt32(b, firstEntry + 20, 13); }, false},
        {"type 1", [](std::string& b) { putInt32(b, firstEntry + 20, 1); }, true},
        {"type 12", [](std::string& b) { putInt32(b, firstEntry + 20, 12); }, true},
        {"header cut short", [](std::string& b) { b.resize(100); }, false},
        {"no field count", [](std::string& b) { b.resize(114); }, false},
        {"field table cut short", [](std::string& b) { b.resize(800); }, false},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string image = test::logWithRecords(1);
        c.change(image);
        put(image);
        FuelLogStore store;
        EXPECT_EQ(store.open(path), c.accepted);
        EXPECT_EQ(store.isOpen(), c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(bytes(), image) << "a refused file stays as it was";
        }
    }
}

TEST_F(StoreOpen, FieldTableDeclaringGigabytesInASmallFileIsRefused) {
    std::string image(200, '\0');
    image.replace(0, 4, "WEDB");
    putInt32(image, 0x18, 85);
    putInt32(image, 0x14, 1);
    putInt32(image, 0x70, INT_MAX);
    put(image);
    FuelLogStore store;
    EXPECT_FALSE(store.open(path));
    EXPECT_EQ(store.lastFailure(), StoreFailure::BadFieldTable);
}

TEST_F(StoreOpen, FailsWithoutCreatingOnEmptyMissingAndOtherKindsOfPath) {
    FuelLogStore store;
    EXPECT_FALSE(store.open(""));
    EXPECT_EQ(store.lastFailure(), StoreFailure::EmptyPath);
    EXPECT_FALSE(store.open(path));
    EXPECT_EQ(store.lastFailure(), StoreFailure::CannotOpen);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(store.open(dir.path().string()));
    const std::string fifo = dir.file("pipe.mdb");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(store.open(fifo));
    put(std::string(emptyLogTemplate()));
    ::chmod(path.c_str(), 0400);
    if (::geteuid() != 0) {
        EXPECT_FALSE(store.open(path)) << "read-only file";
    }
}

TEST_F(StoreOpen, SecondOpenOfTheSameFileFailsUntilClosed) {
    put(test::logWithRecords(2));
    const std::string link = dir.file("other-name.mdb");
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    FuelLogStore first;
    FuelLogStore second;
    ASSERT_TRUE(first.open(path));
    EXPECT_FALSE(second.open(path));
    EXPECT_EQ(second.lastFailure(), StoreFailure::AlreadyOpen);
    EXPECT_FALSE(second.open(dir.file("./x/../car.mdb")));
    EXPECT_FALSE(second.open(link)) << "a hard link is the same file";
    EXPECT_FALSE(first.open(link)) << "one store holds one file";
    first.close(path);
    EXPECT_TRUE(second.open(link));
    EXPECT_EQ(second.recordCount(), 2);
}

TEST_F(StoreOpen, ClosesByFullPathOrBareNameInAnyLetterCase) {
    put(std::string(emptyLogTemplate()));
    std::string upperPath = path;
    for (char& c : upperPath) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct CloseCase {
        std::string text;
        bool closes;
    };
    const CloseCase cases[] = {
        {"", false},
        {"car.mdb", false},
        {"cars", false},
        {dir.file("carx.mdb"), false},
        {"car", true},
        {"CAR", true},
        {path, true},
        {upperPath, true},
        {dir.file("sub/../car.mdb"), true},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.text);
        FuelLogStore store;
        ASSERT_TRUE(store.open(path));
        store.close(c.text);
        EXPECT_EQ(store.isOpen(), !c.closes);
    }
}

TEST_F(StoreOpen, RelativePathIsTakenFromTheCurrentFolder) {
    put(std::string(emptyLogTemplate()));
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    FuelLogStore store;
    EXPECT_TRUE(store.open("car.mdb"));
    FuelLogStore other;
    EXPECT_FALSE(other.open(path));
    store.close("car.mdb");
    EXPECT_FALSE(store.isOpen());
    std::filesystem::current_path(previous);
}

TEST_F(StoreOpen, DestroyingAnOpenStoreLetsTheFileOpenAgain) {
    put(std::string(emptyLogTemplate()));
    {
        FuelLogStore store;
        ASSERT_TRUE(store.open(path));
    }
    FuelLogStore again;
    EXPECT_TRUE(again.open(path));
}

}  // namespace
}  // namespace tankora

// Six processes on one log at once: four append 2,500 entries each, retrying what a lock
// refused; one reads the whole log over and over as the list refresh does; one adds and
// deletes entries of its own and purges. At the end the log holds exactly the 10,000
// appended entries, whole, once each, with ids unique and ascending.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "reliability/log_records.h"
#include "store/fuel_log_store.h"
#include "store/log_file.h"

namespace tankora {
namespace {

constexpr int kAppenders = 4;
constexpr int kEntriesEach = 2500;
constexpr unsigned kChildSeconds = 50;  // a child still running then is killed by SIGALRM
constexpr int kOdometerAt = 16;
const std::string kAppendedFuel = "92";
const std::string kPurgerFuel = "P";

std::vector<OptionalFieldValue> entry(double key, const std::string& fuel) {
    return {FieldValue::ofReal(0),        FieldValue::ofDateTime(40000.0), FieldValue::ofReal(key),
            FieldValue::ofReal(0.0),      FieldValue::ofReal(30.0),        FieldValue::ofText(fuel),
            FieldValue::ofReal(key / 10), FieldValue::ofLogical(true),     FieldValue::ofReal(0.0),
            FieldValue::ofReal(7.0)};
}

void pause() { std::this_thread::sleep_for(std::chrono::microseconds(200)); }

void openRetrying(FuelLogStore& store, const std::string& path) {
    while (!store.open(path)) {
        if (store.lastFailure() != StoreFailure::Locked) ::_exit(3);
        pause();
    }
}

[[noreturn]] void append(const std::string& path, int process) {
    ::alarm(kChildSeconds);
    FuelLogStore store;
    openRetrying(store, path);
    for (int i = 0; i < kEntriesEach; ++i) {
        while (!store.addRecord(entry(process * 100000 + i, kAppendedFuel))) {
            if (store.lastFailure() != StoreFailure::Locked) ::_exit(4);
            pause();
        }
    }
    store.close(path);
    ::_exit(0);
}

// The list refresh's walk: per record, its serial rewritten, its fields read, a step on.
[[noreturn]] void readUntil(const std::string& path, const std::string& stopFile) {
    ::alarm(kChildSeconds);
    FuelLogStore store;
    while (::access(stopFile.c_str(), F_OK) != 0) {
        openRetrying(store, path);
        const std::int32_t count = store.recordCount();
        for (std::int32_t i = 1; i <= count; ++i) {
            store.writeField(kSerialField, FieldValue::ofInteger(i));
            for (int field : {1, 2, 3, 5, 6, 7, 8, 9}) store.readField(field);
            store.skip();
        }
        store.close(path);
    }
    ::_exit(0);
}

// Deletes every entry of its own that it finds; true when a purge then succeeded.
bool deleteOwnAndPurge(FuelLogStore& store) {
    const std::int32_t count = store.recordCount();
    for (std::int32_t n = 1; n <= count; ++n) {
        if (store.goTo(n) && store.readField(kFuelTypeField).text == kPurgerFuel) store.deleteRecord();
    }
    return store.purgeDeleted();
}

[[noreturn]] void purgeUntil(const std::string& path, const std::string& stopFile) {
    ::alarm(kChildSeconds);
    FuelLogStore store;
    for (int i = 0; ::access(stopFile.c_str(), F_OK) != 0; ++i) {
        openRetrying(store, path);
        store.addRecord(entry(900000 + i, kPurgerFuel));
        deleteOwnAndPurge(store);
        store.close(path);
    }
    // None of its own may be left: every one marked, and a purge that went through.
    for (;;) {
        openRetrying(store, path);
        bool clean = deleteOwnAndPurge(store);
        for (std::int32_t n = 1; clean && n <= store.recordCount(); ++n)
            clean = store.goTo(n) && store.readField(kFuelTypeField).text == kAppendedFuel;
        store.close(path);
        if (clean) break;
        pause();
    }
    ::_exit(0);
}

template <typename Body>
pid_t spawn(Body body) {
    const pid_t child = ::fork();
    if (child == 0) body();
    return child;
}

// Memory-backed when possible: the test is about locks, not about disk speed.
std::string scratchFolderFor(const test::TempDir& fallback) {
    static int serial = 0;
    if (::access("/dev/shm", W_OK) == 0) {
        std::string folder =
            "/dev/shm/tankora-concurrency-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        if (::mkdir(folder.c_str(), 0700) == 0) return folder;
    }
    return fallback.path().string();
}

TEST(ConcurrentProcesses, FourAppendersAReaderAndAPurgerLoseAndDoubleNothing) {
    test::TempDir dir;
    const std::string folder = scratchFolderFor(dir);
    const std::string path = folder + "/car.mdb";
    const std::string stopFile = folder + "/appenders-done";
    testing::writeFileBytes(path, std::string(emptyLogTemplate()));

    std::vector<pid_t> appenders;
    for (int p = 1; p <= kAppenders; ++p) appenders.push_back(spawn([&] { append(path, p); }));
    const pid_t reader = spawn([&] { readUntil(path, stopFile); });
    const pid_t purger = spawn([&] { purgeUntil(path, stopFile); });

    auto expectCleanExit = [](pid_t child, const char* role) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << role << (WIFSIGNALED(status) ? " was killed (time bound passed?)" : " failed");
    };
    for (pid_t a : appenders) expectCleanExit(a, "appender");
    testing::writeFileBytes(stopFile, "");
    expectCleanExit(reader, "reader");
    expectCleanExit(purger, "purger");

    FuelLogStore store;
    ASSERT_TRUE(store.open(path));
    EXPECT_EQ(store.recordCount(), kAppenders * kEntriesEach);
    store.close(path);
    const std::string file = testing::readFileBytes(path);
    const std::vector<test::StoredRecord> records = test::recordsIn(file);
    ASSERT_EQ(records.size(), static_cast<std::size_t>(kAppenders * kEntriesEach));
    std::map<int, int> seen;
    std::int32_t lastId = 0;
    for (const test::StoredRecord& r : records) {
        ASSERT_GT(r.id, lastId) << "ids unique and ascending";
        lastId = r.id;
        const double key = test::doubleAt(r.bytes, kOdometerAt);
        ++seen[static_cast<int>(key)];
        // Whole and untorn: every byte as appended, but the serial the reader rewrote.
        ASSERT_EQ(test::doubleAt(r.bytes, 60), key / 10) << "record id " << r.id;
        ASSERT_EQ(r.bytes.substr(40, 3), std::string("92\0", 3)) << "record id " << r.id;
        ASSERT_EQ(test::doubleAt(r.bytes, 77), 7.0) << "record id " << r.id;
    }
    for (int p = 1; p <= kAppenders; ++p)
        for (int i = 0; i < kEntriesEach; ++i) {
            ASSERT_EQ(seen[p * 100000 + i], 1) << "entry " << p << "/" << i;
        }
    std::filesystem::remove_all(folder);
}

// Locks belong to the open file description: another open and close of the same file
// in the process holding them leaves them in force for everyone else.
TEST(ConcurrentProcesses, AnUnrelatedOpenAndCloseKeepsTheLocks) {
    test::TempDir dir;
    const std::string path = dir.file("car.mdb");
    testing::writeFileBytes(path, std::string(emptyLogTemplate()));
    std::unique_ptr<LogFile> holder = posixLogFileOpener()->open(path);
    ASSERT_TRUE(holder);
    ASSERT_EQ(holder->lock(16, 1), LockResult::Granted);
    const int unrelated = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(unrelated, 0);
    ::close(unrelated);

    const pid_t child = spawn([&] {
        FuelLogStore store;
        if (!store.open(path)) ::_exit(5);  // open takes the whole file: refused while held
        ::_exit(store.addRecord(entry(1, kAppendedFuel)) ? 1 : 0);
    });
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 5) << "the other process got past a lock this one holds";
    holder->unlock(16, 1);

    const pid_t second = spawn([&] {
        FuelLogStore store;
        ::_exit(store.open(path) && store.addRecord(entry(1, kAppendedFuel)) ? 0 : 6);
    });
    ASSERT_EQ(::waitpid(second, &status, 0), second);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "released, the lock lets others in";
}

}  // namespace
}  // namespace tankora

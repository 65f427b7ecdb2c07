#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "store/fuel_log_store.h"
#include "store/lock_table.h"
#include "store/log_image.h"
#include "support/fault_injecting_file.h"

namespace tankora {
namespace {

constexpr std::int64_t kWholeFile = 0x7FFFFFFF;

// Another open file description of the log holding a lock, as another program would.
class LockHolder {
public:
    LockHolder(const std::string& path, std::int64_t offset, std::int64_t length)
        : fd_(::open(path.c_str(), O_RDWR | O_CLOEXEC)), offset_(offset), length_(length) {
        EXPECT_GE(fd_, 0);
        EXPECT_EQ(set(F_WRLCK), 0) << "the holder could not take its lock";
    }
    ~LockHolder() { ::close(fd_); }
    void letGo() { set(F_UNLCK); }

private:
    int set(short type) {
        struct flock request {};
        request.l_type = type;
        request.l_whence = SEEK_SET;
        request.l_start = offset_;
        request.l_len = length_;
        return ::fcntl(fd_, F_OFD_SETLK, &request);
    }
    int fd_;
    std::int64_t offset_;
    std::int64_t length_;
};

class StoreLocks : public test::LogFileTest {
protected:
    void SetUp() override {
        put(test::logWithRecords(3));
        ASSERT_TRUE(store.open(path));
        ASSERT_TRUE(store.goTo(2));
    }
    // The store counts its patience in whole milliseconds of a monotonic tick, so the
    // wait it gives up after may measure up to one millisecond short of it here.
    static constexpr std::int64_t kGivesUpAfterMs = 2000 - 1;
    static std::int64_t elapsedMs(std::chrono::steady_clock::time_point since) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since)
            .count();
    }
    FuelLogStore store;
};

struct Held {
    const char* name;
    std::int64_t offset;
    std::int64_t length;
};
const Held kCountByte{"byte 16", 16, 1};
const Held kRecordByte{"first byte of record 2", 836 + 85, 1};
const Held kWhole{"whole file", 0, kWholeFile};

struct Operation {
    const char* name;
    std::function<bool(FuelLogStore&)> run;
    bool failsUnder[3];  // byte 16, record 2's first byte, whole file
};

TEST_F(StoreLocks, ALockHeldElsewhereFailsEachOperationAtOnceOrLetsItThrough) {
    const Operation operations[] = {
        {"readField",
         [](FuelLogStore& s) { return s.readField(kOdometerField) == FieldValue::ofReal(1020.0); },
         {false, true, true}},
        {"writeField",
         [](FuelLogStore& s) { return s.writeField(kSerialField, FieldValue::ofInteger(2)); },
         {false, true, true}},
        {"modifyRecord",
         [](FuelLogStore& s) {
             return s.modifyRecord({std::nullopt, FieldValue::ofDateTime(1)});
         },
         {false, true, true}},
        {"deleteRecord", [](FuelLogStore& s) { return s.deleteRecord(); }, {false, true, true}},
        {"addRecord",
         [](FuelLogStore& s) { return s.addRecord({FieldValue::ofReal(4)}); },
         {true, false, true}},
        {"purgeDeleted", [](FuelLogStore& s) { return s.purgeDeleted(); }, {true, true, true}},
    };
    const Held held[] = {kCountByte, kRecordByte, kWhole};
    for (int h = 0; h < 3; ++h) {
        for (const Operation& op : operations) {
            SCOPED_TRACE(std::string(held[h].name) + ": " + op.name);
            put(test::logWithRecords(3));
            ASSERT_TRUE(store.goTo(2));
            LockHolder holder(path, held[h].offset, held[h].length);
            const std::string before = bytes();
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(op.run(store), !op.failsUnder[h]);
            EXPECT_LT(elapsedMs(start), 1000) << "no waiting";
            if (op.failsUnder[h]) {
                EXPECT_EQ(store.lastFailure(), StoreFailure::Locked);
                EXPECT_EQ(bytes(), before);
            }
            holder.letGo();
        }
    }
}

TEST_F(StoreLocks, OpenFailsWhileAnyPartOfTheFileIsHeld) {
    store.close(path);
    for (const Held& held : {kCountByte, kRecordByte, kWhole}) {
        SCOPED_TRACE(held.name);
        LockHolder holder(path, held.offset, held.length);
        EXPECT_FALSE(store.open(path));
        EXPECT_EQ(store.lastFailure(), StoreFailure::Locked);
        holder.letGo();
        EXPECT_TRUE(store.open(path));
        store.close(path);
    }
}

TEST_F(StoreLocks, CountReadsWaitTwoSecondsForByteSixteenThenGiveNothing) {
    LockHolder holder(path, 16, 1);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(store.recordCount(), 0);
    EXPECT_EQ(store.lastFailure(), StoreFailure::Locked);
    EXPECT_GE(elapsedMs(start), kGivesUpAfterMs);

    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(store.goTo(3));
    EXPECT_EQ(store.position(), 1) << "goTo that fails leaves the position";
    EXPECT_GE(elapsedMs(start), kGivesUpAfterMs);
}

TEST_F(StoreLocks, SkipWaitsForTheWholeFileLikewise) {
    LockHolder holder(path, 0, kWholeFile);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(store.skip());
    EXPECT_EQ(store.position(), 1);
    EXPECT_GE(elapsedMs(start), kGivesUpAfterMs);
    EXPECT_TRUE(store.skip(0)) << "a step of 0 reads nothing";
}

TEST_F(StoreLocks, CountReadSucceedsWhenTheHolderLetsGoInTime) {
    LockHolder holder(path, 16, 1);
    std::thread release([&holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        holder.letGo();
    });
    EXPECT_EQ(store.recordCount(), 3);
    release.join();
}

// A child process holds a range until told to let go through a pipe.
class ChildHolder {
public:
    ChildHolder(const std::string& path, std::int64_t offset, std::int64_t length) {
        int ready[2];
        int go[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(go), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(go[1]);
            const int fd = ::open(path.c_str(), O_RDWR);
            struct flock request {};
            request.l_type = F_WRLCK;
            request.l_whence = SEEK_SET;
            request.l_start = offset;
            request.l_len = length;
            const char ok = (fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &request) == 0) ? 'y' : 'n';
            (void)!::write(ready[1], &ok, 1);
            char ignored;
            (void)!::read(go[0], &ignored, 1);  // returns when the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(go[0]);
        go_ = go[1];
        char ok = 'n';
        EXPECT_EQ(::read(ready[0], &ok, 1), 1);
        EXPECT_EQ(ok, 'y');
        ::close(ready[0]);
    }
    ~ChildHolder() { letGo(); }
    void letGo() {
        if (go_ < 0) return;
        ::close(go_);
        go_ = -1;
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }

private:
    pid_t pid_ = -1;
    int go_ = -1;
};

TEST_F(StoreLocks, AnotherProcessHoldingARecordOrTheCountBlocksTheSameOperations) {
    {
        ChildHolder child(path, 836 + 85, 1);
        EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(0));
        EXPECT_EQ(store.lastFailure(), StoreFailure::Locked);
        EXPECT_TRUE(store.addRecord({FieldValue::ofReal(4)}));
        ASSERT_TRUE(store.goTo(2));
        child.letGo();
        EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(2));
    }
    ChildHolder child(path, 16, 1);
    EXPECT_FALSE(store.addRecord({FieldValue::ofReal(5)}));
    std::thread release([&child] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        child.letGo();
    });
    EXPECT_EQ(store.recordCount(), 4);
    release.join();
}

TEST_F(StoreLocks, AddTakesTheCountByteThenTheSlotAndReleasesInReverse) {
    store.close(path);
    auto plan = std::make_shared<FaultPlan>();
    FuelLogStore traced(std::make_shared<FaultInjectingOpener>(plan));
    ASSERT_TRUE(traced.open(path));
    plan->clearJournal();
    ASSERT_TRUE(traced.addRecord({FieldValue::ofReal(4)}));
    std::vector<std::pair<FileOp, std::int64_t>> locks;
    for (const FileOpRecord& r : plan->journal()) {
        if (r.op == FileOp::Lock || r.op == FileOp::Unlock) locks.emplace_back(r.op, r.offset);
    }
    const std::int64_t slot = 836 + 3 * 85;
    EXPECT_EQ(locks,
              (std::vector<std::pair<FileOp, std::int64_t>>{
                  {FileOp::Lock, 16}, {FileOp::Lock, slot}, {FileOp::Unlock, slot}, {FileOp::Unlock, 16}}));
}

TEST_F(StoreLocks, HoldCountsTakeEachRangeOnceAndNothingInsideTheWholeFile) {
    auto plan = std::make_shared<FaultPlan>();
    FaultInjectingOpener opener(plan);
    std::unique_ptr<LogFile> file = opener.open(path);
    ASSERT_NE(file, nullptr);
    LockTable table;
    auto osLocks = [&plan] {
        std::vector<std::tuple<FileOp, std::int64_t, std::int64_t>> ops;
        for (const FileOpRecord& r : plan->journal()) ops.emplace_back(r.op, r.offset, r.size);
        plan->clearJournal();
        return ops;
    };
    using Ops = std::vector<std::tuple<FileOp, std::int64_t, std::int64_t>>;

    EXPECT_EQ(table.acquire(*file, 900, 1), LockResult::Granted);
    EXPECT_EQ(table.acquire(*file, 900, 1), LockResult::Granted);
    table.release(*file, 900, 1);
    EXPECT_EQ(osLocks(), (Ops{{FileOp::Lock, 900, 1}}));
    EXPECT_EQ(table.holds(900, 1), 1);

    EXPECT_EQ(table.acquire(*file, 0, kWholeFile), LockResult::Granted);
    EXPECT_EQ(table.acquire(*file, 16, 1), LockResult::Granted);
    table.release(*file, 16, 1);
    table.release(*file, 900, 1);
    EXPECT_EQ(osLocks(), (Ops{{FileOp::Lock, 0, kWholeFile}}))
        << "no unlock punches a hole in the whole file";
    EXPECT_TRUE(table.holdsWholeFile());

    EXPECT_EQ(table.acquire(*file, 920, 1), LockResult::Granted);
    table.release(*file, 0, kWholeFile);
    EXPECT_EQ(osLocks(), (Ops{{FileOp::Unlock, 0, kWholeFile}, {FileOp::Lock, 920, 1}}))
        << "a range still held keeps its own lock once the whole file goes";
    table.release(*file, 920, 1);
    EXPECT_EQ(osLocks(), (Ops{{FileOp::Unlock, 920, 1}}));

    LockHolder other(path, 950, 1);
    EXPECT_EQ(table.acquire(*file, 950, 1), LockResult::Refused);
    EXPECT_EQ(table.holds(950, 1), 0);
}

}  // namespace
}  // namespace tankora

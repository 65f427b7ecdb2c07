// A child process appends, modifies, deletes and purges and is stopped dead: at every
// write of its script (whole, or cut after a few bytes) and at random moments by
// SIGKILL. It reports through a pipe what it tries and what the store said was done.
// After each stop the log opens, every entry reported saved is there exactly once with
// its bytes, and nothing appears that was never written.
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <random>
#include <set>

#include "reliability/log_records.h"
#include "store/fuel_log_store.h"
#include "support/fault_injecting_file.h"

namespace tankora {
namespace {

using test::StoredRecord;

constexpr int kBaseRecords = 300;
constexpr int kOdometerAt = 16;
constexpr int kAmountAt = 60;

// One line of the child's report: what it is about to do, or what was done.
struct Report {
    char what;         // 'T' try add, 'S' saved; 'M' try modify, 'm' modified; 'D' try delete, 'd' marked
    std::int32_t key;  // the entry's odometer reading, unique per entry
    double amount;     // the amount an add or modify stores
};

std::vector<OptionalFieldValue> entry(std::int32_t key, double amount) {
    return {FieldValue::ofReal(key),    FieldValue::ofDateTime(40000.0 + key),
            FieldValue::ofReal(key),    FieldValue::ofReal(0.0),
            FieldValue::ofReal(20.0),   FieldValue::ofText("92"),
            FieldValue::ofReal(amount), FieldValue::ofLogical(key % 2 == 0),
            FieldValue::ofReal(0.0),    FieldValue::ofReal(6.5)};
}

void send(int fd, Report report) {
    if (::write(fd, &report, sizeof report) != static_cast<ssize_t>(sizeof report)) ::_exit(2);
}

// Finds the record whose odometer is `key` and makes it current.
bool goToKey(FuelLogStore& store, std::int32_t key) {
    const std::int32_t count = store.recordCount();
    for (std::int32_t n = 1; n <= count; ++n) {
        if (!store.goTo(n)) return false;
        if (store.readField(kOdometerField).real == key) return true;
    }
    return false;
}

// The child's script: rounds of three adds, a modify, a delete and a purge, each step
// through its own open and close as the program's handlers do.
[[noreturn]] void runScript(const std::string& path, std::shared_ptr<LogFileOpener> opener, int rounds,
                            int fd) {
    FuelLogStore store(std::move(opener));
    std::int32_t nextKey = 100000;
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 3; ++i) {
            const std::int32_t key = nextKey++;
            const double amount = 100.0 + key;
            send(fd, {'T', key, amount});
            if (store.open(path)) {
                if (store.addRecord(entry(key, amount))) send(fd, {'S', key, amount});
                store.close(path);
            }
        }
        const std::int32_t modified = round % 2 ? nextKey - 2 : 1 + round;  // a new entry or a base one
        if (store.open(path)) {
            if (goToKey(store, modified)) {
                std::vector<OptionalFieldValue> values = entry(modified, 5000.0 + round);
                values[0] = std::nullopt;
                send(fd, {'M', modified, 5000.0 + round});
                if (store.modifyRecord(values)) send(fd, {'m', modified, 5000.0 + round});
            }
            store.close(path);
        }
        const std::int32_t deleted = round % 2 ? nextKey - 3 : 2 * round + 40;
        if (store.open(path)) {
            if (goToKey(store, deleted)) {
                send(fd, {'D', deleted, 0});
                if (store.deleteRecord()) send(fd, {'d', deleted, 0});
            }
            store.purgeDeleted();
            store.close(path);
        }
    }
    ::_exit(0);
}

// What the parent knows of one entry from the reports.
struct Known {
    bool saved = false;                // reported saved, or in the base log
    bool deleting = false;             // a delete was tried
    bool deleted = false;              // reported marked
    std::set<double> amounts;          // the amounts it may hold
    std::set<double> inFlightAmounts;  // a modify that was tried but not reported done
};

double amountIn(const std::string& record) { return test::doubleAt(record, kAmountAt); }

class CrashTest : public test::LogFileTest {
protected:
    void SetUp() override {
        base = test::logWithRecords(kBaseRecords);
        for (int n = 1; n <= kBaseRecords; ++n) {
            // Odometers of the base log are 1 .. kBaseRecords, so they are the keys.
            test::putDouble(base, test::recordAt(n - 1) + kOdometerAt, n);
        }
    }

    // Starts the child on a fresh copy of the base log; returns its pid and the read end.
    pid_t start(std::shared_ptr<LogFileOpener> opener, int rounds, int& readEnd) {
        put(base);
        int fds[2];
        EXPECT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(fds[0]);
            runScript(path, std::move(opener), rounds, fds[1]);
        }
        ::close(fds[1]);
        readEnd = fds[0];
        return child;
    }

    std::map<std::int32_t, Known> collect(int readEnd) {
        std::map<std::int32_t, Known> known;
        for (int n = 1; n <= kBaseRecords; ++n) {
            known[n].saved = true;
            known[n].amounts.insert(amountIn(base.substr(test::recordAt(n - 1), test::kRecordBytes)));
        }
        Report report;
        while (::read(readEnd, &report, sizeof report) == static_cast<ssize_t>(sizeof report)) {
            Known& k = known[report.key];
            switch (report.what) {
                case 'T':
                    k.inFlightAmounts.insert(report.amount);
                    break;
                case 'S':
                    k.saved = true;
                    k.amounts = {report.amount};
                    k.inFlightAmounts.clear();
                    break;
                case 'M':
                    k.inFlightAmounts.insert(report.amount);
                    break;
                case 'm':
                    k.amounts = {report.amount};
                    k.inFlightAmounts.clear();
                    break;
                case 'D':
                    k.deleting = true;
                    break;
                case 'd':
                    k.deleted = true;
                    break;
            }
        }
        ::close(readEnd);
        return known;
    }

    // The file after a stop, against what the child reported.
    void check(const std::map<std::int32_t, Known>& known) {
        FuelLogStore store;
        ASSERT_TRUE(store.open(path)) << "the log no longer opens";
        store.close(path);
        std::map<std::int32_t, int> seen;
        std::set<std::int32_t> ids;
        for (const StoredRecord& r : test::liveRecordsIn(bytes())) {
            ASSERT_TRUE(ids.insert(r.id).second) << "id " << r.id << " twice";
            const auto key = static_cast<std::int32_t>(test::doubleAt(r.bytes, kOdometerAt));
            ++seen[key];
            const auto it = known.find(key);
            ASSERT_NE(it, known.end()) << "an entry that was never written: odometer " << key;
            const Known& k = it->second;
            ASSERT_FALSE(k.deleted) << "entry " << key << " was reported deleted";
            const double amount = amountIn(r.bytes);
            ASSERT_TRUE(k.amounts.count(amount) || k.inFlightAmounts.count(amount))
                << "entry " << key << " holds amount " << amount;
            ++recordsChecked;
        }
        for (const auto& [key, k] : known) {
            if (k.saved && !k.deleting) {
                ASSERT_EQ(seen[key], 1) << "saved entry " << key;
            }
            ASSERT_LE(seen[key], 1) << "entry " << key;
        }
    }

    std::string base;
    int recordsChecked = 0;
};

// The child's script, stopped at each of its writes in turn: before the write, with the
// write cut inside the record id, and cut inside the fields.
TEST_F(CrashTest, StoppedAtEveryWriteOfTheScript) {
    constexpr int kRounds = 2;
    int stops = 0;
    for (std::size_t kept : {std::size_t{0}, std::size_t{3}, std::size_t{40}}) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE(::testing::Message() << "write " << n << ", " << kept << " bytes of it");
            auto plan = std::make_shared<FaultPlan>();
            plan->stopAtNthWrite(n, kept);
            int readEnd = -1;
            const pid_t child = start(std::make_shared<FaultInjectingOpener>(plan), kRounds, readEnd);
            ASSERT_GT(child, 0);
            const auto known = collect(readEnd);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            check(known);
            if (HasFailure()) return;
            if (WEXITSTATUS(status) == 0) break;  // the script ran out of writes
            ASSERT_EQ(WEXITSTATUS(status), FaultPlan::kStopExitCode);
            ++stops;
        }
    }
    EXPECT_GT(stops, 3 * 20);
    RecordProperty("stops", stops);
    RecordProperty("recordsChecked", recordsChecked);
}

TEST_F(CrashTest, KilledAtRandomMoments) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayMicroseconds(0, 60000);
    int kills = 0;
    for (int attempt = 0; attempt < 40; ++attempt) {
        SCOPED_TRACE(::testing::Message() << "attempt " << attempt);
        int readEnd = -1;
        const pid_t child = start(posixLogFileOpener(), 1000, readEnd);
        ASSERT_GT(child, 0);
        const timespec pause{0, 1000L * delayMicroseconds(random)};
        ::nanosleep(&pause, nullptr);
        ::kill(child, SIGKILL);
        const auto known = collect(readEnd);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        kills += WIFSIGNALED(status);
        check(known);
        if (HasFailure()) return;
    }
    EXPECT_GT(kills, 30);
    RecordProperty("kills", kills);
}

}  // namespace
}  // namespace tankora

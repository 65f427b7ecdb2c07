// Every read, write, length change and sync of an operation failed in turn, n = 1, 2, ...
// until the operation runs clean; then the same with writes cut short. After each
// fault the operation has said so, the file still opens, and every record but the one
// being changed is there exactly once, byte for byte.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "reliability/log_records.h"
#include "store/fuel_log_store.h"
#include "support/fault_injecting_file.h"

namespace tankora {
namespace {

using test::StoredRecord;

// Three purge chunks of 1927 records, with marks in the first, at a chunk's edge and
// in the last.
constexpr int kRecords = 4000;
const std::vector<int> kMarked = {3, 1927, 1928, 2500, 3999};
constexpr int kChangedRecord = 2000;

const std::vector<OptionalFieldValue> kNewEntry = {
    FieldValue::ofReal(kRecords + 1), FieldValue::ofDateTime(45000.5), FieldValue::ofReal(123456.0),
    FieldValue::ofReal(0.0),          FieldValue::ofReal(40.25),       FieldValue::ofText("95"),
    FieldValue::ofReal(300.5),        FieldValue::ofLogical(true),     FieldValue::ofReal(0.0),
    FieldValue::ofReal(7.47)};

enum class Fault { FailAny, CutWriteInId, CutWriteInFields };

const char* nameOf(Fault fault) {
    switch (fault) {
        case Fault::FailAny:
            return "failed read, write, length change or sync";
        case Fault::CutWriteInId:
            return "write cut after 3 bytes";
        case Fault::CutWriteInFields:
            return "write cut after 40 bytes";
    }
    return "";
}

struct Operation {
    const char* name;
    std::string image;
    bool opensUnderFault;  // the fault is armed before open, not after it
    std::function<bool(FuelLogStore&)> run;
    // What the file must hold after a fault (or after a clean run when `clean`).
    std::function<void(const std::string& before, const std::string& after, bool reportedDone)> check;
};

class FaultSweep : public test::LogFileTest {
protected:
    // Arms the n-th fault of the kind and runs the operation. False once the operation
    // completed without meeting the fault.
    bool runWithFault(const Operation& operation, Fault fault, int n, bool& reportedDone) {
        put(operation.image);
        auto plan = std::make_shared<FaultPlan>();
        FuelLogStore store(std::make_shared<FaultInjectingOpener>(plan));
        if (!operation.opensUnderFault) {
            EXPECT_TRUE(store.open(path));
            if (!store.isOpen()) return false;
        }
        const int writesBefore = plan->count(FileOp::Write);
        if (fault == Fault::FailAny) {
            plan->failNthOfAny(n);
        } else {
            plan->partialNthWrite(n, fault == Fault::CutWriteInId ? 3 : 40);
        }
        plan->clearJournal();
        reportedDone = operation.run(store);
        store.close(path);
        bool faultMet = false;
        for (const FileOpRecord& r : plan->journal()) faultMet = faultMet || r.failed;
        if (fault != Fault::FailAny) faultMet = plan->count(FileOp::Write) - writesBefore >= n;
        return faultMet;
    }

    void sweep(const Operation& operation) {
        for (Fault fault : {Fault::FailAny, Fault::CutWriteInId, Fault::CutWriteInFields}) {
            // The mark is one 4-byte write of the negated id; cut inside it, the id is left
            // neither live nor marked. Known and left: no disk tears a 4-byte write.
            if (fault == Fault::CutWriteInId && std::string_view(operation.name) == "delete") continue;
            int n = 1;
            for (;; ++n) {
                SCOPED_TRACE(::testing::Message() << operation.name << ", " << nameOf(fault) << " #" << n);
                bool reportedDone = false;
                const bool faultMet = runWithFault(operation, fault, n, reportedDone);
                if (faultMet) {
                    EXPECT_FALSE(reportedDone) << "a fault was reported as success";
                }
                if (!faultMet) {
                    EXPECT_TRUE(reportedDone) << "the clean run failed";
                }

                FuelLogStore reopened;
                ASSERT_TRUE(reopened.open(path)) << "the file no longer opens";
                reopened.close(path);
                operation.check(operation.image, bytes(), reportedDone);
                if (::testing::Test::HasFailure()) return;
                if (!faultMet) break;
            }
            faultsInjected += n - 1;
        }
    }

    int faultsInjected = 0;
};

// The records of `before` other than record `exceptNumber` (0: none) are in `after`
// unchanged and at their places.
void expectOthersUnchanged(const std::string& before, const std::string& after, int exceptNumber) {
    const std::vector<StoredRecord> old = test::recordsIn(before);
    const std::vector<StoredRecord> now = test::recordsIn(after);
    ASSERT_GE(now.size(), old.size());
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (static_cast<int>(i) + 1 == exceptNumber) continue;
        ASSERT_EQ(now[i].bytes, old[i].bytes) << "record " << i + 1;
    }
}

std::string recordOf(const std::string& file, int number) {
    return file.substr(test::recordAt(number - 1), test::kRecordBytes);
}

TEST_F(FaultSweep, OpenWithRepairCutsOnlyTheTornTail) {
    std::string image = test::logWithRecords(kRecords) + std::string(40, '\x5a');
    test::putInt32(image, test::kHeaderCountAt, kRecords + 2);
    sweep({"open with repair", image, true, [this](FuelLogStore& s) { return s.open(path); },
           [](const std::string& before, const std::string& after, bool) {
               ASSERT_EQ(after.size(), test::recordAt(kRecords));
               EXPECT_EQ(test::int32At(after, test::kHeaderCountAt), kRecords);
               EXPECT_EQ(after.substr(test::kHeaderCountAt + 4),
                         before.substr(test::kHeaderCountAt + 4, after.size() - 20));
           }});
    EXPECT_GT(faultsInjected, 0);
}

TEST_F(FaultSweep, AddKeepsEveryOldRecordAndAddsAtMostTheOneEntry) {
    sweep({"add", test::logWithRecords(kRecords), false,
           [](FuelLogStore& s) { return s.addRecord(kNewEntry); },
           [](const std::string& before, const std::string& after, bool reportedDone) {
               expectOthersUnchanged(before, after, 0);
               const std::int32_t count = test::int32At(after, test::kHeaderCountAt);
               if (reportedDone) {
                   EXPECT_EQ(count, kRecords + 1);
               }
               ASSERT_TRUE(count == kRecords || count == kRecords + 1) << count;
               if (count == kRecords + 1) {
                   // A fault after the count reached the file (a failed last sync) may keep
                   // the entry; then it is whole.
                   const std::string added = recordOf(after, kRecords + 1);
                   EXPECT_EQ(test::int32At(added, 0), kRecords + 1);
                   EXPECT_EQ(test::doubleAt(added, 77), 7.47);
                   EXPECT_EQ(test::int32At(after, test::kHeaderNextIdAt), kRecords + 2);
               }
           }});
    EXPECT_GT(faultsInjected, 0);
}

TEST_F(FaultSweep, ModifyChangesNothingButItsRecord) {
    std::vector<OptionalFieldValue> changed = kNewEntry;
    changed[0] = std::nullopt;
    const std::string image = test::logWithRecords(kRecords);
    const std::string old = recordOf(image, kChangedRecord);
    sweep({"modify", image, false,
           [changed](FuelLogStore& s) { return s.goTo(kChangedRecord) && s.modifyRecord(changed); },
           [old](const std::string& before, const std::string& after, bool reportedDone) {
               expectOthersUnchanged(before, after, kChangedRecord);
               EXPECT_EQ(after.size(), before.size());
               const std::string now = recordOf(after, kChangedRecord);
               EXPECT_EQ(now.substr(0, 8), old.substr(0, 8)) << "id and serial are kept";
               if (reportedDone) {
                   EXPECT_EQ(test::doubleAt(now, 77), 7.47);
               }
           }});
    EXPECT_GT(faultsInjected, 0);
}

TEST_F(FaultSweep, DeleteMarksOnlyItsRecord) {
    sweep({"delete", test::logWithRecords(kRecords), false,
           [](FuelLogStore& s) { return s.goTo(kChangedRecord) && s.deleteRecord(); },
           [](const std::string& before, const std::string& after, bool reportedDone) {
               expectOthersUnchanged(before, after, kChangedRecord);
               const std::string now = recordOf(after, kChangedRecord);
               const std::int32_t id = test::int32At(now, 0);
               EXPECT_TRUE(id == kChangedRecord || id == -kChangedRecord) << id;
               if (reportedDone) {
                   EXPECT_EQ(id, -kChangedRecord);
               }
               EXPECT_EQ(now.substr(4), recordOf(before, kChangedRecord).substr(4));
           }});
    EXPECT_GT(faultsInjected, 0);
}

TEST_F(FaultSweep, PurgeKeepsEveryLiveRecordOnceAndInOrder) {
    sweep({"purge", test::logWithMarked(kRecords, kMarked), false,
           [](FuelLogStore& s) { return s.purgeDeleted(); },
           [](const std::string& before, const std::string& after, bool reportedDone) {
               const std::vector<StoredRecord> live = test::liveRecordsIn(before);
               const std::vector<StoredRecord> now = test::liveRecordsIn(after);
               ASSERT_EQ(now.size(), live.size()) << "a live record was lost or doubled";
               for (std::size_t i = 0; i < live.size(); ++i) {
                   ASSERT_EQ(now[i].bytes, live[i].bytes) << "live " << i;
               }
               for (const StoredRecord& r : test::recordsIn(after)) {
                   if (r.id > 0) continue;
                   // Only marked records may remain beside them, and only as they were.
                   // (a marked record, or a marked leftover copy of a live one; its id may be
                   // torn, but it stays negative).
                   bool wasMarked = false;
                   for (const StoredRecord& old : test::recordsIn(before)) {
                       wasMarked |= old.bytes.substr(4) == r.bytes.substr(4);
                   }
                   ASSERT_TRUE(wasMarked) << "record id " << r.id;
               }
               if (reportedDone) {
                   EXPECT_EQ(test::recordsIn(after).size(), live.size());
               }
           }});
    EXPECT_GT(faultsInjected, 0);
}

// The real file: a write refused by the system (here the file size limit, EFBIG) fails
// the append and leaves the log as it was.
TEST_F(FaultSweep, AWriteTheSystemRefusesFailsTheAppend) {
    const std::string image = test::logWithRecords(10);
    put(image);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = image.size() + 40;
        rlimit r{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(3);
        FuelLogStore store;
        if (!store.open(path)) ::_exit(4);
        ::_exit(store.addRecord(kNewEntry) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: reported saved, 3/4: set-up failed";
    FuelLogStore store;
    ASSERT_TRUE(store.open(path));
    EXPECT_EQ(store.recordCount(), 10);
    store.close(path);
    EXPECT_EQ(bytes(), image);
}

}  // namespace
}  // namespace tankora

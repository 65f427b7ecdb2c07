#include <memory>

#include "store/fuel_log_store.h"
#include "store/log_image.h"
#include "support/fault_injecting_file.h"

namespace tankora {
namespace {

using test::int32At;

struct Change {
    FileOp op;
    std::int64_t offset;
    std::int64_t size;
    friend bool operator==(const Change&, const Change&) = default;
};

std::vector<Change> changesOf(const FaultPlan& plan) {
    std::vector<Change> result;
    for (const FileOpRecord& r : plan.changes()) result.push_back({r.op, r.offset, r.size});
    return result;
}

class StoreFaults : public test::LogFileTest {
protected:
    void openWith(const std::string& image) {
        put(image);
        ASSERT_TRUE(store.open(path));
        plan->clearJournal();
    }
    std::shared_ptr<FaultPlan> plan = std::make_shared<FaultPlan>();
    FuelLogStore store{std::make_shared<FaultInjectingOpener>(plan)};
};

const std::int64_t kRecord3 = 836 + 2 * 85;
const std::int64_t kSlot4 = 836 + 3 * 85;

TEST_F(StoreFaults, EachChangeReachesTheDiskBeforeSuccessIsReported) {
    openWith(test::logWithRecords(3));
    ASSERT_TRUE(store.addRecord({FieldValue::ofReal(4)}));
    EXPECT_EQ(
        changesOf(*plan),
        (std::vector<Change>{
            {FileOp::Write, kSlot4, 85}, {FileOp::Sync, 0, 0}, {FileOp::Write, 20, 4}, {FileOp::Write, 16, 4},
            {FileOp::Sync, 0, 0}}))
        << "the record is on disk before the count that makes it part of the log";

    plan->clearJournal();
    ASSERT_TRUE(store.goTo(3));
    ASSERT_TRUE(store.modifyRecord({std::nullopt, FieldValue::ofDateTime(2.0)}));
    EXPECT_EQ(changesOf(*plan),
              (std::vector<Change>{{FileOp::Write, kRecord3 + 4, 81}, {FileOp::Sync, 0, 0}}));

    plan->clearJournal();
    ASSERT_TRUE(store.deleteRecord());
    EXPECT_EQ(changesOf(*plan), (std::vector<Change>{{FileOp::Write, kRecord3, 4}, {FileOp::Sync, 0, 0}}));

    plan->clearJournal();
    ASSERT_TRUE(store.writeField(kSerialField, FieldValue::ofInteger(3)));
    EXPECT_EQ(changesOf(*plan), (std::vector<Change>{{FileOp::Write, kRecord3 + 4, 4}}))
        << "serials need no sync";

    plan->clearJournal();
    ASSERT_TRUE(store.purgeDeleted());
    EXPECT_EQ(changesOf(*plan), (std::vector<Change>{{FileOp::Write, kRecord3, 85},
                                                     {FileOp::Sync, 0, 0},
                                                     {FileOp::Write, 16, 4},
                                                     {FileOp::SetLength, 836 + 3 * 85, 0},
                                                     {FileOp::Sync, 0, 0}}));
}

struct FaultCase {
    const char* name;
    FileOp op;
    int nth;
    bool (*run)(FuelLogStore&);
    std::int32_t countAfterReopen;
};

bool add(FuelLogStore& s) { return s.addRecord({FieldValue::ofReal(4)}); }
bool modify(FuelLogStore& s) {
    return s.goTo(3) && s.modifyRecord({std::nullopt, FieldValue::ofDateTime(2.0)});
}
bool remove(FuelLogStore& s) { return s.goTo(3) && s.deleteRecord(); }
bool removeAndPurge(FuelLogStore& s) { return s.goTo(2) && s.deleteRecord() && s.purgeDeleted(); }

TEST_F(StoreFaults, AFailedWriteOrSyncIsAFailureAndLeavesAWholeLog) {
    const FaultCase cases[] = {
        {"add: record write", FileOp::Write, 1, add, 3},
        {"add: first sync", FileOp::Sync, 1, add, 3},
        {"add: next id write", FileOp::Write, 2, add, 3},
        {"add: count write", FileOp::Write, 3, add, 3},
        {"add: second sync", FileOp::Sync, 2, add, 4},
        {"modify: write", FileOp::Write, 1, modify, 3},
        {"modify: sync", FileOp::Sync, 1, modify, 3},
        {"delete: sync", FileOp::Sync, 1, remove, 3},
        {"purge: compaction write", FileOp::Write, 2, removeAndPurge, 3},
        // The moved record stands twice until the next open finishes the purge.
        {"purge: first sync", FileOp::Sync, 2, removeAndPurge, 2},
        {"purge: count write", FileOp::Write, 3, removeAndPurge, 2},
        {"purge: cut", FileOp::SetLength, 1, removeAndPurge, 2},
        {"purge: last sync", FileOp::Sync, 3, removeAndPurge, 2},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        openWith(test::logWithRecords(3));
        plan->failNth(c.op, c.nth);
        EXPECT_FALSE(c.run(store));
        store.close(path);
        FuelLogStore reopened;
        ASSERT_TRUE(reopened.open(path));
        EXPECT_EQ(reopened.recordCount(), c.countAfterReopen);
        reopened.close(path);
        EXPECT_EQ(bytes().size(), 836u + 85u * c.countAfterReopen);
    }
}

TEST_F(StoreFaults, FailingTheNthOperationOfAnyKindCountsThemTogether) {
    openWith(test::logWithRecords(3));
    // addRecord: read counts (1), write record (2), sync (3), write counts (4), sync (5).
    plan->failNthOfAny(3);
    EXPECT_FALSE(add(store));
    EXPECT_EQ(store.lastFailure(), StoreFailure::SyncFailed);
    EXPECT_EQ(int32At(bytes(), 16), 3);
}

TEST_F(StoreFaults, APartialRecordWriteIsCutOffByTheNextOpen) {
    openWith(test::logWithRecords(3));
    plan->partialNthWrite(1, 30);
    EXPECT_FALSE(add(store));
    EXPECT_EQ(store.lastFailure(), StoreFailure::ShortWrite);
    EXPECT_EQ(store.position(), 0) << "the position stays where it was";
    store.close(path);
    EXPECT_EQ(bytes().size(), 836u + 3 * 85u + 30u);
    FuelLogStore reopened;
    ASSERT_TRUE(reopened.open(path));
    EXPECT_EQ(reopened.recordCount(), 3);
    reopened.close(path);
    EXPECT_EQ(bytes(), test::logWithRecords(3));
}

TEST_F(StoreFaults, PowerCutDuringAnAppendLosesAtMostThatAppend) {
    const std::string image = test::logWithRecords(3);
    struct Cut {
        int write;         // 1 the record, 2 nextRecordId, 3 storedRecords
        std::size_t kept;  // bytes of it that reached the file
        std::int32_t countAfterReopen;
    };
    const Cut cuts[] = {{1, 0, 3}, {1, 50, 3}, {2, 0, 3}, {2, 2, 3}, {3, 0, 3}, {3, 4, 4}};
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(::testing::Message() << "write " << cut.write << ", " << cut.kept << " bytes");
        openWith(image);
        plan->stopAtNthWrite(cut.write, cut.kept);
        EXPECT_EXIT(add(store), ::testing::ExitedWithCode(FaultPlan::kStopExitCode), "");
        store.close(path);
        FuelLogStore reopened;
        ASSERT_TRUE(reopened.open(path));
        EXPECT_EQ(reopened.recordCount(), cut.countAfterReopen);
        reopened.close(path);
        const std::string after = bytes();
        EXPECT_EQ(after.size(), 836u + 85u * cut.countAfterReopen);
        EXPECT_EQ(after.substr(24, image.size() - 24), image.substr(24)) << "the old records are intact";
    }
}

TEST_F(StoreFaults, PowerCutDuringAPurgeLosesNoLiveRecord) {
    openWith(test::logWithRecords(5));
    ASSERT_TRUE(store.goTo(2));
    ASSERT_TRUE(store.deleteRecord());
    plan->stopAtNthWrite(2);  // after the compaction, before the count
    EXPECT_EXIT(store.purgeDeleted(), ::testing::ExitedWithCode(FaultPlan::kStopExitCode), "");
    store.close(path);
    FuelLogStore reopened;
    ASSERT_TRUE(reopened.open(path));
    std::set<std::int32_t> ids;
    const std::string after = bytes();
    for (std::int32_t i = 0; i < reopened.recordCount(); ++i) ids.insert(int32At(after, test::recordAt(i)));
    for (std::int32_t live : {1, 3, 4, 5}) EXPECT_TRUE(ids.count(live)) << live;
}

}  // namespace
}  // namespace tankora

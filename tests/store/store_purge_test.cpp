#include <memory>
#include <set>

#include "store/fuel_log_store.h"
#include "store/log_image.h"
#include "support/fault_injecting_file.h"

namespace tankora {
namespace {

using test::int32At;

// The recordIds of the file's records in order, as the header counts them.
std::vector<std::int32_t> idsIn(const std::string& bytes) {
    std::vector<std::int32_t> ids;
    const std::int32_t count = int32At(bytes, test::kHeaderCountAt);
    for (std::int32_t i = 0; i < count; ++i) ids.push_back(int32At(bytes, test::recordAt(i)));
    return ids;
}

std::string withMarked(std::string image, std::initializer_list<int> recordNumbers) {
    for (int n : recordNumbers) test::putInt32(image, test::recordAt(n - 1), -n);
    return image;
}

class StorePurge : public test::LogFileTest {
protected:
    std::shared_ptr<FaultPlan> plan = std::make_shared<FaultPlan>();
    FuelLogStore store{std::make_shared<FaultInjectingOpener>(plan)};
};

TEST_F(StorePurge, NothingMarkedLeavesTheFileByteForByteAndRecordOneCurrent) {
    const std::string image = test::logWithRecords(4);
    put(image);
    ASSERT_TRUE(store.open(path));
    ASSERT_TRUE(store.goTo(3));
    plan->clearJournal();
    EXPECT_TRUE(store.purgeDeleted());
    EXPECT_EQ(store.position(), 0);
    EXPECT_TRUE(plan->changes().empty());
    store.close(path);
    EXPECT_EQ(bytes(), image);
}

TEST_F(StorePurge, EveryRecordMarkedLeavesTheBareHeaderAndTheNextId) {
    put(withMarked(test::logWithRecords(3), {1, 2, 3}));
    ASSERT_TRUE(store.open(path));
    EXPECT_TRUE(store.purgeDeleted());
    EXPECT_EQ(store.recordCount(), 0);
    store.close(path);
    const std::string after = bytes();
    EXPECT_EQ(after.size(), 836u);
    EXPECT_EQ(int32At(after, test::kHeaderNextIdAt), 4);
}

TEST_F(StorePurge, MarkedSecondAndFourthOfFiveLeaveOneThreeFiveInOrder) {
    put(withMarked(test::logWithRecords(5), {2, 4}));
    ASSERT_TRUE(store.open(path));
    EXPECT_TRUE(store.purgeDeleted());
    ASSERT_EQ(store.recordCount(), 3);
    for (std::int32_t expectedSerial : {1, 3, 5}) {
        EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(expectedSerial));
        store.skip();
    }
    store.close(path);
    const std::string after = bytes();
    EXPECT_EQ(idsIn(after), (std::vector<std::int32_t>{1, 3, 5}));
    EXPECT_EQ(after.size(), 836u + 3 * 85u);
    EXPECT_EQ(after.substr(test::recordAt(1), 85), test::logRecord(3, 3));
}

TEST_F(StorePurge, IdsSurviveAPurgeAndAreNeverReused) {
    put(std::string(emptyLogTemplate()));
    ASSERT_TRUE(store.open(path));
    for (int i = 1; i <= 3; ++i) ASSERT_TRUE(store.addRecord({FieldValue::ofReal(i)}));
    ASSERT_TRUE(store.goTo(2));
    ASSERT_TRUE(store.deleteRecord());
    ASSERT_TRUE(store.purgeDeleted());
    ASSERT_TRUE(store.addRecord({FieldValue::ofReal(3)}));
    store.close(path);
    const std::string after = bytes();
    EXPECT_EQ(idsIn(after), (std::vector<std::int32_t>{1, 3, 4}));
    EXPECT_EQ(int32At(after, test::kHeaderNextIdAt), 5);
}

TEST_F(StorePurge, CompactsAcrossChunksHoldingOneChunkAndRewritingNothingBeforeTheFirstDrop) {
    const int records = 4100;  // more than two chunks of 1927 records
    const std::set<int> marked = {1927, 1928, 2000, 3854, 3855, 4100};
    std::string image = test::logWithRecords(records);
    for (int n : marked) test::putInt32(image, test::recordAt(n - 1), -n);
    put(image);
    ASSERT_TRUE(store.open(path));
    plan->clearJournal();
    ASSERT_TRUE(store.purgeDeleted());
    for (const FileOpRecord& op : plan->journal()) {
        if (op.op == FileOp::Read || op.op == FileOp::Write) {
            EXPECT_LE(op.size, 1927 * 85);
        }
        if (op.op == FileOp::Write && op.offset != test::kHeaderCountAt) {
            EXPECT_GE(op.offset, static_cast<std::int64_t>(test::recordAt(1926)));
        }
        if (op.op == FileOp::Lock) {
            EXPECT_EQ(op.size, 0x7FFFFFFF) << "no byte locks inside the whole-file lock";
        }
    }
    store.close(path);
    const std::string after = bytes();
    std::vector<std::int32_t> expected;
    for (int n = 1; n <= records; ++n) {
        if (!marked.count(n)) expected.push_back(n);
    }
    EXPECT_EQ(idsIn(after), expected);
    ASSERT_EQ(after.size(), 836u + 85u * expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(after.substr(test::recordAt(static_cast<int>(i)), 85),
                  test::logRecord(expected[i], expected[i]))
            << i;
    }
}

TEST_F(StorePurge, ADropInTheSecondChunkLeavesTheFirstChunkUnwritten) {
    put(withMarked(test::logWithRecords(3000), {2500}));
    ASSERT_TRUE(store.open(path));
    plan->clearJournal();
    ASSERT_TRUE(store.purgeDeleted());
    const std::vector<FileOpRecord> changes = plan->changes();
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.front().op, FileOp::Write);
    EXPECT_EQ(changes.front().offset, static_cast<std::int64_t>(test::recordAt(2499)));
    EXPECT_EQ(changes.front().size, 500 * 85);
}

TEST_F(StorePurge, DataAreaShorterThanItsCountFailsWithNothingWritten) {
    put(withMarked(test::logWithRecords(3), {1}));
    ASSERT_TRUE(store.open(path));
    std::string damaged = bytes();
    test::putInt32(damaged, test::kHeaderCountAt, 5);  // another process raised the count
    put(damaged);
    EXPECT_FALSE(store.purgeDeleted());
    store.close(path);
    EXPECT_EQ(bytes(), damaged);
}

TEST_F(StorePurge, UnreadableChunkFailsAndTheNextPurgeEndsAsACleanOneWould) {
    const int records = 5000;
    const std::set<int> marked = {3, 1930, 4500};
    std::string image = test::logWithRecords(records);
    for (int n : marked) test::putInt32(image, test::recordAt(n - 1), -n);
    put(image);
    ASSERT_TRUE(store.open(path));
    // Reads of the purge: the count, then chunk 1, chunk 2, chunk 3.
    plan->failNth(FileOp::Read, 4);
    EXPECT_FALSE(store.purgeDeleted());
    EXPECT_EQ(store.recordCount(), records) << "the count is left for the next purge";
    std::set<std::int32_t> live;
    for (std::int32_t id : idsIn(bytes())) {
        if (id > 0) {
            EXPECT_TRUE(live.insert(id).second) << "live record " << id << " twice";
        }
    }
    EXPECT_EQ(live.size(), records - marked.size());

    ASSERT_TRUE(store.purgeDeleted());
    store.close(path);
    std::vector<std::int32_t> expected;
    for (int n = 1; n <= records; ++n) {
        if (!marked.count(n)) expected.push_back(n);
    }
    EXPECT_EQ(idsIn(bytes()), expected);
    EXPECT_EQ(bytes().size(), 836u + 85u * expected.size());
}

}  // namespace
}  // namespace tankora

#include <climits>

#include "store/fuel_log_store.h"
#include "store/log_image.h"

namespace tankora {
namespace {

class StoreCursor : public test::LogFileTest {
protected:
    void openWith(int records) {
        put(test::logWithRecords(records));
        ASSERT_TRUE(store.open(path));
    }
    FuelLogStore store;
};

TEST_F(StoreCursor, EmptyLogHasRecordOneCurrentButNothingToReadSkipOrDelete) {
    openWith(0);
    EXPECT_EQ(store.recordCount(), 0);
    EXPECT_TRUE(store.goTo(1));
    EXPECT_EQ(store.position(), 0);
    EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(0));
    EXPECT_EQ(store.lastFailure(), StoreFailure::OutOfFile);
    EXPECT_FALSE(store.skip());
    EXPECT_FALSE(store.skip(-1));
    EXPECT_FALSE(store.deleteRecord());
    EXPECT_FALSE(store.modifyRecord({FieldValue::ofReal(1.0)}));
    EXPECT_FALSE(store.writeField(kSerialField, FieldValue::ofInteger(1)));
    EXPECT_EQ(bytes(), std::string(emptyLogTemplate()));
}

TEST_F(StoreCursor, GoToClampsIntoTheRecords) {
    openWith(5);
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {0, 0}, {1, 0}, {3, 2}, {5, 4}, {9, 4}, {-7, 0}, {INT_MIN, 0}, {INT_MAX, 4},
    };
    for (const auto& [number, index] : cases) {
        SCOPED_TRACE(number);
        ASSERT_TRUE(store.goTo(3));  // start somewhere else
        EXPECT_TRUE(store.goTo(number));
        EXPECT_EQ(store.position(), index);
    }
}

TEST_F(StoreCursor, SkipReachesOneBeyondEachEndAndNoFurther) {
    openWith(3);
    ASSERT_TRUE(store.goTo(3));
    EXPECT_TRUE(store.skip());
    EXPECT_EQ(store.position(), 3);
    EXPECT_EQ(store.readField(kDateField), FieldValue::ofDateTime(0.0));
    EXPECT_FALSE(store.skip());
    EXPECT_EQ(store.position(), 3);
    EXPECT_TRUE(store.skip(0));

    ASSERT_TRUE(store.goTo(1));
    EXPECT_TRUE(store.skip(-1));
    EXPECT_EQ(store.position(), -1);
    EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(0));
    EXPECT_EQ(store.lastFailure(), StoreFailure::BadPosition);
    EXPECT_FALSE(store.deleteRecord());
    EXPECT_FALSE(store.skip(-1));
    EXPECT_EQ(store.position(), -1);

    EXPECT_TRUE(store.skip(INT_MAX));
    EXPECT_EQ(store.position(), 3);
    EXPECT_TRUE(store.skip(INT_MIN));
    EXPECT_EQ(store.position(), -1);
    EXPECT_TRUE(store.skip(2));
    EXPECT_EQ(store.position(), 1);
}

TEST_F(StoreCursor, RefreshWalkRenumbersSerialsAsPositions) {
    std::string image = test::logWithRecords(4);
    for (int i = 0; i < 4; ++i) test::putInt32(image, test::recordAt(i) + 4, 100 - i);
    put(image);
    ASSERT_TRUE(store.open(path));
    const std::int32_t count = store.recordCount();
    ASSERT_EQ(count, 4);
    for (std::int32_t i = 1; i <= count; ++i) {
        EXPECT_TRUE(store.writeField(kSerialField, FieldValue::ofInteger(i)));
        EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(i));
        EXPECT_EQ(store.readField(kOdometerField), FieldValue::ofReal(1000.0 + 10.0 * i));
        EXPECT_TRUE(store.skip());
    }
    EXPECT_FALSE(store.skip());
    store.close(path);
    const std::string after = bytes();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(test::int32At(after, test::recordAt(i) + 4), i + 1);
}

TEST_F(StoreCursor, OperationsOnAStoreNeverOpenedFail) {
    EXPECT_EQ(store.recordCount(), 0);
    EXPECT_FALSE(store.goTo(1));
    EXPECT_FALSE(store.skip());
    EXPECT_FALSE(store.writeField(1, FieldValue::ofInteger(1)));
    EXPECT_FALSE(store.addRecord({}));
    EXPECT_FALSE(store.modifyRecord({}));
    EXPECT_FALSE(store.deleteRecord());
    EXPECT_FALSE(store.purgeDeleted());
    EXPECT_EQ(store.lastFailure(), StoreFailure::NotOpen);
    store.close(path);  // nothing to close: no effect
    EXPECT_FALSE(store.isOpen());
}

}  // namespace
}  // namespace tankora

#include <climits>
#include <cmath>
#include <limits>

#include "store/fuel_log_store.h"
#include "store/log_image.h"
#include "text/value_text.h"

namespace tankora {
namespace {

using test::doubleAt;
using test::int32At;

// The values a new entry is saved with: serial as a real, then the dialog's kinds.
std::vector<OptionalFieldValue> entry(double serial, const std::string& fuelType = "93") {
    return {FieldValue::ofReal(serial), FieldValue::ofDateTime(39500.5), FieldValue::ofReal(1234.5),
            FieldValue::ofReal(0.0),    FieldValue::ofReal(40.25),       FieldValue::ofText(fuelType),
            FieldValue::ofReal(200.0),  FieldValue::ofLogical(true),     FieldValue::ofReal(0.0),
            FieldValue::ofReal(4.97)};
}

class StoreFields : public test::LogFileTest {
protected:
    void openWith(const std::string& image) {
        put(image);
        ASSERT_TRUE(store.open(path));
    }
    FuelLogStore store;
};

TEST_F(StoreFields, AppendToTheTemplateTakesIdOneAndRaisesTheCounts) {
    openWith(std::string(emptyLogTemplate()));
    ASSERT_TRUE(store.addRecord(entry(1.0)));
    EXPECT_EQ(store.position(), 0);
    EXPECT_EQ(store.recordCount(), 1);
    EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(1));
    EXPECT_EQ(store.readField(kDateField), FieldValue::ofDateTime(39500.5));
    EXPECT_EQ(store.readField(kFuelTypeField), FieldValue::ofText("93"));
    EXPECT_EQ(store.readField(kFullTankField), FieldValue::ofLogical(true));
    EXPECT_EQ(store.readField(kUnitPriceField), FieldValue::ofReal(4.97));
    store.close(path);
    const std::string after = bytes();
    ASSERT_EQ(after.size(), 836u + 85u);
    EXPECT_EQ(int32At(after, 0x10), 1);
    EXPECT_EQ(int32At(after, 0x14), 2);
    EXPECT_EQ(int32At(after, 836), 1);
    EXPECT_EQ(after.substr(836 + 40, 20), std::string("93") + std::string(18, '\0'));
}

TEST_F(StoreFields, NumericKindsCutTowardZeroAndOtherKindsAreRefused) {
    openWith(test::logWithRecords(1));
    ASSERT_TRUE(store.addRecord(entry(3.9)));
    EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(3));
    ASSERT_TRUE(store.addRecord(entry(-3.9)));
    EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(-3));
    ASSERT_TRUE(store.addRecord(entry(1e300)));
    EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(INT_MAX));
    ASSERT_TRUE(store.addRecord(entry(std::nan(""))));
    EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(0));
    ASSERT_TRUE(store.writeField(kOdometerField, FieldValue::ofInteger(77)));
    EXPECT_EQ(store.readField(kOdometerField), FieldValue::ofReal(77.0));
    store.close(path);

    const std::string before = bytes();
    ASSERT_TRUE(store.open(path));
    ASSERT_TRUE(store.goTo(1));
    struct Mismatch {
        int field;
        FieldValue value;
    };
    const Mismatch mismatches[] = {
        {kDateField, FieldValue::ofReal(39000.0)},   {kDateField, FieldValue::ofInteger(3)},
        {kSerialField, FieldValue::ofText("1")},     {kOdometerField, FieldValue::ofDateTime(1.0)},
        {kFuelTypeField, FieldValue::ofInteger(93)}, {kFullTankField, FieldValue::ofInteger(1)},
        {kAmountField, FieldValue::ofLogical(true)},
    };
    for (const Mismatch& m : mismatches) {
        SCOPED_TRACE(m.field);
        EXPECT_FALSE(store.writeField(m.field, m.value));
        EXPECT_EQ(store.lastFailure(), StoreFailure::KindMismatch);
        std::vector<OptionalFieldValue> values = entry(9.0);
        values[m.field - 1] = m.value;
        EXPECT_FALSE(store.addRecord(values));
        EXPECT_FALSE(store.modifyRecord(values));
        EXPECT_EQ(store.lastFailure(), StoreFailure::KindMismatch);
    }
    EXPECT_EQ(store.recordCount(), 5);
    store.close(path);
    EXPECT_EQ(bytes(), before);
}

TEST_F(StoreFields, TextsAreCutAtTheWidthOrEndedByAZeroByte) {
    openWith(std::string(emptyLogTemplate()));
    const std::string twenty =
        "\xc8\xbc\xd3\xcd"
        "0123456789abcdef";
    const std::string cutInHalf = std::string(19, 'x') + "\xbc\xd3";
    ASSERT_TRUE(store.addRecord(entry(1, twenty)));
    EXPECT_EQ(store.readField(kFuelTypeField), FieldValue::ofText(twenty));
    ASSERT_TRUE(store.addRecord(entry(2, twenty + "Z")));
    EXPECT_EQ(store.readField(kFuelTypeField), FieldValue::ofText(twenty));
    ASSERT_TRUE(store.addRecord(entry(3, cutInHalf)));
    EXPECT_EQ(store.readField(kFuelTypeField), FieldValue::ofText(cutInHalf.substr(0, 20)));
    ASSERT_TRUE(store.addRecord(entry(4, std::string("9\0"
                                                     "7",
                                                     3))));
    EXPECT_EQ(store.readField(kFuelTypeField), FieldValue::ofText("9"));
    ASSERT_TRUE(store.addRecord(entry(5, "")));
    EXPECT_EQ(store.readField(kFuelTypeField), FieldValue::ofText(""));
    store.close(path);
    const std::string after = bytes();
    EXPECT_EQ(after.substr(test::recordAt(0) + 40, 20), twenty);
    EXPECT_EQ(doubleAt(after, test::recordAt(1) + 60), 200.0) << "a long text does not spill";
    EXPECT_EQ(after.substr(test::recordAt(3) + 40, 5), std::string("9\0"
                                                                   "7\0\0",
                                                                   5));
    EXPECT_EQ(after.substr(test::recordAt(4) + 40, 20), std::string(20, '\0'));
}

TEST_F(StoreFields, ModifyKeepsOmittedFieldsAndTextTailsWhileWriteFieldZeroFills) {
    std::string image = test::logWithRecords(2);
    image.replace(test::recordAt(1) + 40, 20, "ABCDEFGHIJKLMNOPQRST");
    openWith(image);
    ASSERT_TRUE(store.goTo(2));
    std::vector<OptionalFieldValue> values = entry(99.0, "95");
    values[0].reset();
    values[3].reset();
    ASSERT_TRUE(store.modifyRecord(values));
    EXPECT_EQ(store.position(), 1);
    EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(2));
    EXPECT_EQ(store.readField(kDistanceField), FieldValue::ofReal(0.0));
    EXPECT_EQ(store.readField(kOdometerField), FieldValue::ofReal(1234.5));
    std::string after = bytes();
    EXPECT_EQ(int32At(after, test::recordAt(1)), 2) << "recordId kept";
    EXPECT_EQ(after.substr(test::recordAt(1) + 40, 20), std::string("95\0DEFGHIJKLMNOPQRST", 20));

    ASSERT_TRUE(store.writeField(kFuelTypeField, FieldValue::ofText("90")));
    after = bytes();
    EXPECT_EQ(after.substr(test::recordAt(1) + 40, 20), std::string("90") + std::string(18, '\0'));
    ASSERT_TRUE(store.writeField(kFuelTypeField, std::nullopt));
    EXPECT_EQ(store.readField(kFuelTypeField), FieldValue::ofText(""));
    ASSERT_TRUE(store.writeField(kAmountField, std::nullopt));
    EXPECT_EQ(store.readField(kAmountField), FieldValue::ofReal(0.0));
    EXPECT_EQ(bytes().size(), image.size());
}

TEST_F(StoreFields, DatesAreClampedOnReadWithTheStoredBytesLeftAlone) {
    const std::pair<double, double> cases[] = {
        {-700000.0, -657434.0},
        {3000000.0, 2958465.0},
        {39615.5, 39615.5},
        {std::numeric_limits<double>::quiet_NaN(), 2958465.0},
        {-std::numeric_limits<double>::infinity(), -657434.0},
    };
    std::string image = test::logWithRecords(5);
    for (int i = 0; i < 5; ++i) test::putDouble(image, test::recordAt(i) + 8, cases[i].first);
    openWith(image);
    for (const auto& [stored, read] : cases) {
        EXPECT_EQ(store.readField(kDateField), FieldValue::ofDateTime(read)) << stored;
        store.skip();
    }
    store.close(path);
    EXPECT_EQ(bytes(), image);
}

TEST_F(StoreFields, AnyNonzeroLogicalByteIsTrue) {
    std::string image = test::logWithRecords(3);
    image[test::recordAt(0) + 68] = 2;
    image[test::recordAt(1) + 68] = 0;
    image[test::recordAt(2) + 68] = '\xff';
    openWith(image);
    for (bool expected : {true, false, true}) {
        EXPECT_EQ(store.readField(kFullTankField), FieldValue::ofLogical(expected));
        store.skip();
    }
    ASSERT_TRUE(store.goTo(1));
    ASSERT_TRUE(store.writeField(kFullTankField, FieldValue::ofLogical(true)));
    EXPECT_EQ(bytes()[test::recordAt(0) + 68], 1);
}

TEST_F(StoreFields, ValuesPairWithFieldsInOrderAndMissingOnesStayZero) {
    openWith(std::string(emptyLogTemplate()));
    std::vector<OptionalFieldValue> eleven = entry(1.0);
    eleven.push_back(FieldValue::ofInteger(5));
    ASSERT_TRUE(store.addRecord(eleven));
    ASSERT_TRUE(store.addRecord({FieldValue::ofInteger(2), FieldValue::ofDateTime(40000.0)}));
    EXPECT_EQ(store.readField(kOdometerField), FieldValue::ofReal(0.0));
    EXPECT_EQ(store.readField(kFuelTypeField), FieldValue::ofText(""));
    store.close(path);
    const std::string after = bytes();
    EXPECT_EQ(after.size(), 836u + 170u);
    EXPECT_EQ(after.substr(test::recordAt(1) + 16, 69), std::string(69, '\0'));
}

TEST_F(StoreFields, DeleteMarksOnceAndKeepsTheRecordReadable) {
    openWith(test::logWithRecords(3));
    ASSERT_TRUE(store.goTo(2));
    EXPECT_TRUE(store.deleteRecord());
    EXPECT_TRUE(store.deleteRecord());
    EXPECT_EQ(store.position(), 1);
    EXPECT_EQ(store.recordCount(), 3);
    EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(2));
    EXPECT_EQ(int32At(bytes(), test::recordAt(1)), -2);
    ASSERT_TRUE(store.goTo(3));
    ASSERT_TRUE(store.skip());
    EXPECT_FALSE(store.deleteRecord());
    EXPECT_EQ(store.lastFailure(), StoreFailure::OutOfFile);
}

TEST_F(StoreFields, WriteFieldOfAFieldTheFileLacksFailsWithoutWriting) {
    openWith(test::logWithRecords(1));
    EXPECT_FALSE(store.writeField(0, FieldValue::ofInteger(1)));
    EXPECT_FALSE(store.writeField(11, FieldValue::ofInteger(1)));
    store.close(path);
    EXPECT_EQ(bytes(), test::logWithRecords(1));
}

// A log whose first field is of `type`, the others as usual.
std::string logWithFirstFieldType(std::int32_t type) {
    std::string image = test::logWithRecords(1);
    test::putInt32(image, 116 + 20, type);
    return image;
}

TEST_F(StoreFields, FieldsOfTypesTheLogDoesNotUseAreOpaque) {
    for (std::int32_t type : {1, 2, 4, 5, 9, 11, 12}) {
        SCOPED_TRACE(type);
        const std::string image = logWithFirstFieldType(type);
        openWith(image);
        EXPECT_EQ(store.readField(1), FieldValue{});
        EXPECT_EQ(store.lastFailure(), StoreFailure::KindMismatch);
        EXPECT_EQ(store.readField(kDateField), FieldValue::ofDateTime(39001.0))
            << "other fields read as usual";
        EXPECT_FALSE(store.writeField(1, FieldValue::ofInteger(1)));
        EXPECT_FALSE(store.writeField(1, std::nullopt));
        EXPECT_FALSE(store.modifyRecord({FieldValue::ofInteger(1)}));
        EXPECT_TRUE(store.modifyRecord({std::nullopt, FieldValue::ofDateTime(5.0)}));
        EXPECT_TRUE(store.addRecord({std::nullopt, FieldValue::ofDateTime(6.0)}));
        store.close(path);
        const std::string after = bytes();
        EXPECT_EQ(after.substr(test::recordAt(0) + 4, 4), image.substr(test::recordAt(0) + 4, 4));
        EXPECT_EQ(int32At(after, test::recordAt(1) + 4), 0);
    }
}

TEST_F(StoreFields, FieldsLyingOutsideTheRecordFailAloneAndNeverSpill) {
    std::string image = test::logWithRecords(2);
    test::putInt32(image, 116 + 72 * 9 + 24, 80);       // 单价: 8 bytes from 80 in an 85-byte record
    test::putInt32(image, 116 + 72 * 2 + 24, INT_MAX);  // 里程表读数 far away
    test::putInt32(image, 116 + 72 * 5 + 28, INT_MAX);  // 燃油类型 2^31-1 bytes wide
    openWith(image);
    for (int field : {kUnitPriceField, kOdometerField, kFuelTypeField}) {
        SCOPED_TRACE(field);
        const FieldValue value = store.readField(field);
        EXPECT_EQ(store.lastFailure(), StoreFailure::FieldOutsideRecord);
        EXPECT_TRUE(value == FieldValue::ofReal(0.0) || value == FieldValue::ofText(""));
        std::vector<OptionalFieldValue> values(10);
        values[field - 1] = value;
        EXPECT_FALSE(store.writeField(field, value));
        EXPECT_FALSE(store.modifyRecord(values));
        EXPECT_FALSE(store.addRecord(values));
    }
    EXPECT_EQ(store.readField(kAmountField), FieldValue::ofReal(151.0));
    EXPECT_TRUE(store.writeField(kAmountField, FieldValue::ofReal(1.5)));
    store.close(path);
    std::string expected = image;
    test::putDouble(expected, test::recordAt(0) + 60, 1.5);
    EXPECT_EQ(bytes(), expected);
}

TEST_F(StoreFields, RecordsTooShortForTheirIdCannotBeAddedOrMarked) {
    std::string image(emptyLogTemplate());
    test::putInt32(image, 0x18, 2);
    test::putInt32(image, 0x70, 1);
    test::putInt32(image, 116 + 20, 7);
    test::putInt32(image, 116 + 24, 1);
    image.resize(116 + 72);
    image += std::string("\x01\x01\x00\x00", 4);
    test::putInt32(image, 0x10, 2);
    openWith(image);
    EXPECT_EQ(store.recordCount(), 2);
    EXPECT_EQ(store.readField(1), FieldValue::ofLogical(true));
    EXPECT_FALSE(store.addRecord({FieldValue::ofLogical(true)}));
    EXPECT_FALSE(store.deleteRecord());
    EXPECT_TRUE(store.purgeDeleted());
    store.close(path);
    EXPECT_EQ(bytes(), image);
}

TEST_F(StoreFields, HugeCountsAndLengthsWrittenAfterOpenFailWithoutOverflowOrAllocation) {
    std::string image(emptyLogTemplate());
    test::putInt32(image, 0x18, INT_MAX);
    openWith(image);
    // Another process now claims 2^31-1 records of 2^31-1 bytes.
    std::string claimed = bytes();
    test::putInt32(claimed, 0x10, INT_MAX);
    test::putInt32(claimed, 0x14, 5);
    put(claimed);
    EXPECT_EQ(store.recordCount(), INT_MAX);
    ASSERT_TRUE(store.goTo(INT_MAX));
    EXPECT_EQ(store.position(), INT_MAX - 1);
    EXPECT_EQ(store.readField(kSerialField), FieldValue::ofInteger(0));
    EXPECT_EQ(store.lastFailure(), StoreFailure::OutOfFile);
    EXPECT_FALSE(store.writeField(kSerialField, FieldValue::ofInteger(1)));
    EXPECT_FALSE(store.modifyRecord({std::nullopt, FieldValue::ofDateTime(1.0)}));
    EXPECT_FALSE(store.deleteRecord());
    EXPECT_TRUE(store.skip());
    EXPECT_EQ(store.position(), INT_MAX);
    EXPECT_FALSE(store.skip());
    EXPECT_FALSE(store.addRecord({}));
    EXPECT_EQ(store.lastFailure(), StoreFailure::CountLimit);
    EXPECT_FALSE(store.purgeDeleted());
    store.close(path);
    EXPECT_EQ(bytes(), claimed);
}

TEST_F(StoreFields, AppendRefusesToLeaveAHoleWhenTheCountWasRaisedPastTheRecords) {
    openWith(test::logWithRecords(3));
    std::string claimed = bytes();
    test::putInt32(claimed, 0x10, 1000000);
    put(claimed);
    EXPECT_FALSE(store.addRecord(entry(4.0)));
    EXPECT_EQ(store.lastFailure(), StoreFailure::OutOfFile);
    store.close(path);
    EXPECT_EQ(bytes(), claimed);
}

TEST_F(StoreFields, ModifyOfAHugeRecordInAShortFileFailsBeforeReading) {
    std::string image(emptyLogTemplate());
    test::putInt32(image, 0x18, INT_MAX);
    image += std::string(100, '\x07');
    openWith(image);  // the open cuts the 100 bytes: no whole record
    std::string claimed = bytes() + std::string(100, '\x07');
    test::putInt32(claimed, 0x10, 1);
    put(claimed);
    EXPECT_FALSE(store.modifyRecord({std::nullopt, FieldValue::ofDateTime(1.0)}));
    EXPECT_EQ(store.lastFailure(), StoreFailure::ShortRead);
    EXPECT_FALSE(store.purgeDeleted());
    EXPECT_EQ(store.readField(kDateField),
              FieldValue::ofDateTime(clampDate(test::doubleAt(claimed, 836 + 8))));
    store.close(path);
    EXPECT_EQ(bytes(), claimed);
}

}  // namespace
}  // namespace tankora

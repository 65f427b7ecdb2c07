// The byte layout of the log file, stated once. Everything is little-endian, nothing
// is aligned or padded.
//
//   offset        length             content
//   0x00          4                  magic "WEDB"
//   0x04          4                  formatVersion, int32 (0x00010000; higher is refused)
//   0x08          8                  createdAt, real day count; never read or changed
//   0x10          4                  storedRecords, int32 (deleted-marked records included)
//   0x14          4                  nextRecordId, int32 (starts at 1, only grows)
//   0x18          4                  recordLength, int32 (recordId included)
//   0x1C          84                 reserved, zero
//   0x70          4                  fieldCount, int32
//   0x74          72 x fieldCount    field table, one entry per field:
//                                      +0  20  fieldName, GBK, zero byte within the first 17
//                                      +20  4  fieldType, 1 .. 12
//                                      +24  4  fieldOffset in the record, 0 or more
//                                      +28  4  textWidth (type 10 only, more than 0)
//                                      +32 40  reserved, zero
//   dataStart     recordLength x n   records; each starts with recordId, int32
//                                    (positive live, negated when marked deleted)
//
// dataStart = 0x74 + 72 x fieldCount. The log's own file has the ten FuelRecord
// fields below: dataStart 836, records of 85 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tankora {

// --- Header -------------------------------------------------------------------
inline constexpr std::string_view kLogMagic = "WEDB";
inline constexpr std::int64_t kMagicOffset = 0x00;
inline constexpr std::int64_t kFormatVersionOffset = 0x04;
inline constexpr std::int64_t kCreatedAtOffset = 0x08;
inline constexpr std::int64_t kStoredRecordsOffset = 0x10;
inline constexpr std::int64_t kNextRecordIdOffset = 0x14;
inline constexpr std::int64_t kRecordLengthOffset = 0x18;
inline constexpr std::int64_t kHeaderReservedOffset = 0x1C;
inline constexpr std::int64_t kHeaderLength = 112;
inline constexpr std::int32_t kFormatVersion = 0x00010000;
// storedRecords and nextRecordId are read and written together.
inline constexpr std::int64_t kCountPairLength = 8;

// --- Field table ----------------------------------------------------------------
inline constexpr std::int64_t kFieldCountOffset = 0x70;
inline constexpr std::int64_t kFieldTableOffset = 0x74;
inline constexpr std::int64_t kFieldEntryLength = 72;
inline constexpr std::int64_t kEntryNameOffset = 0;
inline constexpr std::int64_t kEntryNameLength = 20;
inline constexpr std::int64_t kEntryNameTerminatorWithin = 17;  // the zero byte lies in these
inline constexpr std::int64_t kEntryTypeOffset = 20;
inline constexpr std::int64_t kEntryFieldOffsetOffset = 24;
inline constexpr std::int64_t kEntryTextWidthOffset = 28;
inline constexpr std::int64_t kEntryReservedOffset = 32;

// --- Field type codes -----------------------------------------------------------
inline constexpr std::int32_t kLowestFieldType = 1;
inline constexpr std::int32_t kHighestFieldType = 12;
inline constexpr std::int32_t kIntegerFieldType = 3;
inline constexpr std::int32_t kRealFieldType = 6;
inline constexpr std::int32_t kLogicalFieldType = 7;
inline constexpr std::int32_t kDateTimeFieldType = 8;
inline constexpr std::int32_t kTextFieldType = 10;

// Bytes a field of `type` occupies in a record; type 10 takes `textWidth`.
constexpr std::int64_t fieldWidthOfType(std::int32_t type, std::int32_t textWidth) {
    switch (type) {
        case 1:
        case 7:
            return 1;
        case 2:
            return 2;
        case 4:
        case 6:
        case 8:
            return 8;
        case 10:
            return textWidth;
        default:  // 3, 5, 9, 11, 12
            return 4;
    }
}

// --- Records --------------------------------------------------------------------
inline constexpr std::int64_t kRecordIdOffset = 0;
inline constexpr std::int64_t kRecordIdLength = 4;

// --- Locks and the purge --------------------------------------------------------
inline constexpr std::int64_t kWholeFileLockOffset = 0;
inline constexpr std::int64_t kWholeFileLockLength = 0x7FFFFFFF;
inline constexpr std::int64_t kPurgeChunkBytes = 163840;

// --- The log's own file: the ten fields of FuelRecord ---------------------------
struct LogFieldLayout {
    std::string_view name;  // GBK
    std::int32_t type;
    std::int32_t offset;
    std::int32_t textWidth;
};

inline constexpr int kSerialField = 1;
inline constexpr int kDateField = 2;
inline constexpr int kOdometerField = 3;
inline constexpr int kDistanceField = 4;
inline constexpr int kLitresField = 5;
inline constexpr int kFuelTypeField = 6;
inline constexpr int kAmountField = 7;
inline constexpr int kFullTankField = 8;
inline constexpr int kConsumptionEstimateField = 9;
inline constexpr int kUnitPriceField = 10;
inline constexpr int kLogFieldCount = 10;
inline constexpr std::int32_t kFuelTypeTextWidth = 20;

inline constexpr std::array<LogFieldLayout, kLogFieldCount> kFuelRecordFields{{
    {"\xd0\xf2\xba\xc5", kIntegerFieldType, 4, 0},                                 // 序号
    {"\xc8\xd5\xc6\xda", kDateTimeFieldType, 8, 0},                                // 日期
    {"\xc0\xef\xb3\xcc\xb1\xed\xb6\xc1\xca\xfd", kRealFieldType, 16, 0},           // 里程表读数
    {"\xd0\xd0\xca\xb9\xc0\xef\xb3\xcc", kRealFieldType, 24, 0},                   // 行使里程
    {"\xbc\xd3\xd3\xcd\xc1\xbf", kRealFieldType, 32, 0},                           // 加油量
    {"\xc8\xbc\xd3\xcd\xc0\xe0\xd0\xcd", kTextFieldType, 40, kFuelTypeTextWidth},  // 燃油类型
    {"\xbd\xf0\xb6\xee", kRealFieldType, 60, 0},                                   // 金额
    {"\xbc\xd3\xc2\xfa", kLogicalFieldType, 68, 0},                                // 加满
    {"\xd3\xcd\xba\xc4\xb9\xc0\xbc\xc6", kRealFieldType, 69, 0},                   // 油耗估计
    {"\xb5\xa5\xbc\xdb", kRealFieldType, 77, 0},                                   // 单价
}};

inline constexpr std::int32_t kLogRecordLength = 85;
inline constexpr std::int64_t kLogDataStart = kFieldTableOffset + kFieldEntryLength * kLogFieldCount;  // 836

// createdAt of the template: 39615.955034722225, 2008-06-16 22:55:15.
inline constexpr std::array<std::uint8_t, 8> kTemplateCreatedAt{0x50, 0xFA, 0xA4, 0x8F,
                                                                0xFE, 0x57, 0xE3, 0x40};
inline constexpr std::int32_t kFirstRecordId = 1;
inline constexpr std::size_t kTemplateLength = static_cast<std::size_t>(kLogDataStart);

// The built-in empty log: header, the ten field entries, no records.
std::string_view emptyLogTemplate();

// One log entry, the ten stored fields in their order.
struct FuelRecord {
    std::int32_t serial = 0;
    double date = 0.0;
    double odometer = 0.0;
    double distance = 0.0;
    double litres = 0.0;
    std::string fuelType;
    double amount = 0.0;
    bool fullTank = false;
    double consumptionEstimate = 0.0;
    double unitPrice = 0.0;
};

}  // namespace tankora

#include "store/log_file_format.h"

#include "store/byte_order.h"

namespace tankora {
namespace {

constexpr std::array<std::uint8_t, kTemplateLength> buildTemplate() {
    std::array<std::uint8_t, kTemplateLength> bytes{};
    for (std::size_t i = 0; i < kLogMagic.size(); ++i) {
        bytes[kMagicOffset + i] = static_cast<std::uint8_t>(kLogMagic[i]);
    }
    storeInt32(&bytes[kFormatVersionOffset], kFormatVersion);
    for (std::size_t i = 0; i < kTemplateCreatedAt.size(); ++i)
        bytes[kCreatedAtOffset + i] = kTemplateCreatedAt[i];
    storeInt32(&bytes[kStoredRecordsOffset], 0);
    storeInt32(&bytes[kNextRecordIdOffset], kFirstRecordId);
    storeInt32(&bytes[kRecordLengthOffset], kLogRecordLength);
    storeInt32(&bytes[kFieldCountOffset], kLogFieldCount);
    for (std::size_t f = 0; f < kFuelRecordFields.size(); ++f) {
        const LogFieldLayout& field = kFuelRecordFields[f];
        const std::size_t entry = kFieldTableOffset + f * kFieldEntryLength;
        for (std::size_t i = 0; i < field.name.size(); ++i) {
            bytes[entry + kEntryNameOffset + i] = static_cast<std::uint8_t>(field.name[i]);
        }
        storeInt32(&bytes[entry + kEntryTypeOffset], field.type);
        storeInt32(&bytes[entry + kEntryFieldOffsetOffset], field.offset);
        storeInt32(&bytes[entry + kEntryTextWidthOffset], field.textWidth);
    }
    return bytes;
}

constexpr std::array<std::uint8_t, kTemplateLength> kTemplate = buildTemplate();

}  // namespace

std::string_view emptyLogTemplate() {
    return {reinterpret_cast<const char*>(kTemplate.data()), kTemplate.size()};
}

}  // namespace tankora

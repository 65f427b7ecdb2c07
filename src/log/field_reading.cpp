#include "log/field_reading.h"

#include "store/fatal_error.h"
#include "text/value_text.h"

namespace tankora {
namespace {

constexpr int kNotNumericCode = 2;
// 未得到所需要的数值型数据
const std::string kNotNumericMessage =
    "\xce\xb4\xb5\xc3\xb5\xbd\xcb\xf9\xd0\xe8\xd2\xaa\xb5\xc4\xca\xfd\xd6\xb5\xd0\xcd\xca\xfd\xbe\xdd";
constexpr int kTypeMismatchCode = 5;
// 数据或数组类型不匹配
const std::string kTypeMismatchMessage =
    "\xca\xfd\xbe\xdd\xbb\xf2\xca\xfd\xd7\xe9\xc0\xe0\xd0\xcd\xb2\xbb\xc6\xa5\xc5\xe4";

FieldValue readNumeric(FuelLogStore& store, int fieldNumber) {
    FieldValue value = store.readField(fieldNumber);
    if (!value.isNumeric()) fatalError(runtimeErrorText(kNotNumericMessage, kNotNumericCode));
    return value;
}

FieldValue readOfKind(FuelLogStore& store, int fieldNumber, FieldKind kind) {
    FieldValue value = store.readField(fieldNumber);
    if (value.kind != kind) fatalError(runtimeErrorText(kTypeMismatchMessage, kTypeMismatchCode));
    return value;
}

}  // namespace

std::int32_t readIntegerField(FuelLogStore& store, int fieldNumber) {
    const FieldValue value = readNumeric(store, fieldNumber);
    return value.kind == FieldKind::Integer ? value.integer : truncateToInteger(value.real);
}

double readRealField(FuelLogStore& store, int fieldNumber) {
    const FieldValue value = readNumeric(store, fieldNumber);
    return value.kind == FieldKind::Integer ? static_cast<double>(value.integer) : value.real;
}

double readDateField(FuelLogStore& store, int fieldNumber) {
    return readOfKind(store, fieldNumber, FieldKind::DateTime).real;
}

std::string readTextField(FuelLogStore& store, int fieldNumber) {
    return readOfKind(store, fieldNumber, FieldKind::Text).text;
}

bool readLogicalField(FuelLogStore& store, int fieldNumber) {
    return readOfKind(store, fieldNumber, FieldKind::Logical).logical;
}

FuelRecord readFuelRecord(FuelLogStore& store) {
    FuelRecord record;
    record.serial = readIntegerField(store, kSerialField);
    record.date = readDateField(store, kDateField);
    record.odometer = readRealField(store, kOdometerField);
    record.distance = readRealField(store, kDistanceField);
    record.litres = readRealField(store, kLitresField);
    record.fuelType = readTextField(store, kFuelTypeField);
    record.amount = readRealField(store, kAmountField);
    record.fullTank = readLogicalField(store, kFullTankField);
    record.consumptionEstimate = readRealField(store, kConsumptionEstimateField);
    record.unitPrice = readRealField(store, kUnitPriceField);
    return record;
}

}  // namespace tankora

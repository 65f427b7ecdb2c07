// Reading one field of the current record into a member of FuelRecord. A value of a
// kind the member cannot take comes only from a foreign field table; it ends the
// program through fatalError with the runtime-error text.
#pragma once

#include <cstdint>
#include <string>

#include "store/fuel_log_store.h"
#include "store/log_file_format.h"

namespace tankora {

// Numeric members: an integer or a real; a real into an integer is cut toward zero.
std::int32_t readIntegerField(FuelLogStore& store, int fieldNumber);
double readRealField(FuelLogStore& store, int fieldNumber);
// The other members take only their own kind.
double readDateField(FuelLogStore& store, int fieldNumber);
std::string readTextField(FuelLogStore& store, int fieldNumber);
bool readLogicalField(FuelLogStore& store, int fieldNumber);

// All ten fields of the current record, in field order.
FuelRecord readFuelRecord(FuelLogStore& store);

}  // namespace tankora

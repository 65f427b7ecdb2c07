// Finding the entry picked in the main list again in the log file.
#pragma once

#include <cstdint>

#include "store/fuel_log_store.h"
#include "ui/toolkit.h"

namespace tankora {

// The serial shown in column 0 of the selected row; 0 when no row is selected.
std::int32_t serialOfSelectedRow(const ReportList& list);

// Serials read from the file and wanted serials are compared as reals.
bool sameSerial(std::int32_t stored, std::int32_t wanted);

// Moves to record number `serial` and tells whether that record carries the serial:
// false when the file was changed by other means since the list was built, or when
// there is no such record.
bool goToEntryWithSerial(FuelLogStore& store, std::int32_t serial);

}  // namespace tankora

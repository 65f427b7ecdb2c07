#include "entry/selected_entry.h"

#include <cmath>

#include "log/field_reading.h"
#include "store/log_file_format.h"
#include "text/value_text.h"

namespace tankora {
namespace {

constexpr double kSerialTolerance = 1e-7;
constexpr int kSerialColumn = 0;

}  // namespace

std::int32_t serialOfSelectedRow(const ReportList& list) {
    return truncateToInteger(textToNumber(list.cellText(list.selectedRow(), kSerialColumn)));
}

bool sameSerial(std::int32_t stored, std::int32_t wanted) {
    return std::fabs(static_cast<double>(stored) - static_cast<double>(wanted)) <= kSerialTolerance;
}

bool goToEntryWithSerial(FuelLogStore& store, std::int32_t serial) {
    store.goTo(serial);
    return sameSerial(readIntegerField(store, kSerialField), serial);
}

}  // namespace tankora

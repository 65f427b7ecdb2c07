#include "log/log_refresh.h"

#include <cmath>
#include <cstdint>

#include "log/field_reading.h"
#include "log/log_database.h"
#include "log/log_summary.h"
#include "log/log_texts.h"
#include "store/log_file_format.h"
#include "text/value_text.h"

namespace tankora {
namespace {

const std::string kUnknownDistance = "\xce\xb4\xd6\xaa";             // 未知
const std::string kNoEstimate = "\xb2\xbb\xbf\xc9\xbc\xc6\xcb\xe3";  // 不可计算
const std::string kFuelTypeSuffix = "\xba\xc5";                      // 号

// The distance of the first entry: nothing to measure from.
constexpr double kUnknownDistanceMarker = -1.0;
constexpr double kSameValue = 1e-7;

constexpr int kSerialColumn = 0;
constexpr int kDateColumn = 1;
constexpr int kOdometerColumn = 2;
constexpr int kDistanceColumn = 3;
constexpr int kLitresColumn = 4;
constexpr int kFuelTypeColumn = 5;
constexpr int kAmountColumn = 6;
constexpr int kFullTankColumn = 7;
constexpr int kEstimateColumn = 8;

std::string distanceText(double distance) {
    if (std::fabs(distance - kUnknownDistanceMarker) <= kSameValue) return kUnknownDistance;
    return numberToText(distance) + kKilometreUnit;
}

void appendEntryRow(ReportList& list, const FuelRecord& entry) {
    const int row = list.appendRow();
    list.setCellText(row, kSerialColumn, numberToText(entry.serial));
    list.setCellText(row, kDateColumn, dateToText(dateOnly(entry.date)));
    list.setCellText(row, kOdometerColumn, numberToText(entry.odometer) + kKilometreUnit);
    list.setCellText(row, kDistanceColumn, distanceText(entry.distance));
    list.setCellText(row, kLitresColumn, numberToText(entry.litres) + kLitreUnit);
    list.setCellText(row, kFuelTypeColumn, entry.fuelType + kFuelTypeSuffix);
    list.setCellText(row, kAmountColumn, numberToText(entry.amount) + kYuanUnit);
    list.setCellText(row, kFullTankColumn, entry.fullTank ? kFullTankYes : kFullTankNo);
    list.setCellText(row, kEstimateColumn, kNoEstimate);
}

}  // namespace

void refreshLog(const std::string& databasePath, FuelLogStore& store, MainWindowView& window,
                MessageBoxes& messages) {
    if (!openLogDatabase(store, databasePath, messages)) return;
    ReportList& list = window.logList();
    list.beginBatch();
    list.deleteAllRows();

    LogSummary summary;
    std::int32_t previousOdometer = 0;
    bool previousFullTank = false;

    const std::int32_t n = store.recordCount();
    for (std::int64_t i = 1; i <= n; ++i) {
        store.writeField(kSerialField, FieldValue::ofInteger(static_cast<std::int32_t>(i)));
        FuelRecord entry;
        entry.serial = readIntegerField(store, kSerialField);
        entry.date = readDateField(store, kDateField);
        entry.odometer = readRealField(store, kOdometerField);
        entry.litres = readRealField(store, kLitresField);
        entry.fuelType = readTextField(store, kFuelTypeField);
        entry.amount = readRealField(store, kAmountField);
        entry.fullTank = readLogicalField(store, kFullTankField);

        if (i == 1) {
            summary.firstDate = entry.date;
            entry.distance = kUnknownDistanceMarker;
        } else {
            entry.distance = entry.odometer - static_cast<double>(previousOdometer);
        }
        previousOdometer = truncateToInteger(entry.odometer);
        if (i == n) summary.lastDate = entry.date;
        if (i > 1) {
            summary.totalDistance =
                truncateToInteger(static_cast<double>(summary.totalDistance) + entry.distance);
        }
        if (i < n) {
            summary.totalLitres += entry.litres;
            summary.totalAmount += entry.amount;
        }
        if (i > 1) {
            // A full-to-full interval: its estimate stands on the row of the entry opening it.
            // A zero distance is not guarded; the row then shows the infinity or NaN text.
            if (entry.fullTank && previousFullTank) {
                const double estimate = roundTo(entry.litres / entry.distance * 100.0, 2);
                list.setCellText(static_cast<int>(i - 2), kEstimateColumn,
                                 numberToText(estimate) + kConsumptionUnit);
            }
            previousFullTank = entry.fullTank;
        }
        appendEntryRow(list, entry);
        store.skip(1);
    }
    list.endBatch();
    closeLogDatabase(store, databasePath);

    computeSummaryFigures(summary);
    showSummaryFigures(summary, window);
}

}  // namespace tankora

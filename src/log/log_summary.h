// The eight summary figures of the log, worked out from the refresh's running totals
// and written into the summary labels.
#pragma once

#include <cstdint>

#include "ui/toolkit.h"

namespace tankora {

struct LogSummary {
    double firstDate = 0.0;  // date of the first entry in stored order
    double lastDate = 0.0;   // date of the last entry in stored order
    std::int32_t dayCount = 0;
    std::int32_t totalDistance = 0;  // from the second entry on, cut after each addition
    double totalLitres = 0.0;        // every entry but the last
    double totalAmount = 0.0;        // every entry but the last
    double averagePrice = 0.0;
    double averageDailyDistance = 0.0;
    double averageConsumption = 0.0;
    double averageCostPerKm = 0.0;
};

// Fills dayCount and the four averages. The divisions come first and may give an
// infinity or a NaN; the guards then put 0 where a divisor was zero.
void computeSummaryFigures(LogSummary& summary);

// Writes the eight label texts: caption, figure, unit.
void showSummaryFigures(const LogSummary& summary, MainWindowView& window);

}  // namespace tankora

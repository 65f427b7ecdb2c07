#include "log/log_summary.h"

#include <cmath>
#include <string>

#include "log/log_texts.h"
#include "text/value_text.h"

namespace tankora {
namespace {

constexpr double kZeroLitres = 1e-7;

const std::string kDayCountCaption = "\xcc\xec\xca\xfd\x3a";                       // 天数:
const std::string kDayUnit = "\xcc\xec";                                           // 天
const std::string kTotalDistanceCaption = "\xd7\xdc\xb9\xab\xc0\xef\x3a";          // 总公里:
const std::string kTotalLitresCaption = "\xd7\xdc\xba\xc4\xd3\xcd\xc1\xbf\x3a";    // 总耗油量:
const std::string kTotalAmountCaption = "\xd7\xdc\xd3\xcd\xb7\xd1\x3a";            // 总油费:
const std::string kAveragePriceCaption = "\xc6\xbd\xbe\xf9\xd3\xcd\xbc\xdb\x3a";   // 平均油价:
const std::string kDailyDistanceCaption = "\xc6\xbd\xbe\xf9\xc0\xef\xb3\xcc\x3a";  // 平均里程:
const std::string kDailyDistanceUnit = "\xb9\xab\xc0\xef\x2f\xcc\xec";             // 公里/天
const std::string kConsumptionCaption = "\xc6\xbd\xbe\xf9\xd3\xcd\xba\xc4\x3a";    // 平均油耗:
const std::string kCostPerKmCaption = "\xc6\xbd\xbe\xf9\xd3\xcd\xb7\xd1\x3a";      // 平均油费:
const std::string kCostPerKmUnit = "\xd4\xaa\x2f\xb9\xab\xc0\xef";                 // 元/公里

// The labels of the summary panel, 透明标签1 … 透明标签8, by what they show.
constexpr int kTotalDistanceLabel = 1;
constexpr int kTotalLitresLabel = 2;
constexpr int kDailyDistanceLabel = 3;
constexpr int kTotalAmountLabel = 4;
constexpr int kDayCountLabel = 5;
constexpr int kAveragePriceLabel = 6;
constexpr int kConsumptionLabel = 7;
constexpr int kCostPerKmLabel = 8;

template <typename Figure>
void showFigure(MainWindowView& window, int label, const std::string& caption, Figure figure,
                const std::string& unit) {
    window.summaryLabel(label).setText(caption + numberToText(figure) + unit);
}

}  // namespace

void computeSummaryFigures(LogSummary& s) {
    s.dayCount = truncateToInteger(daysBetween(s.lastDate, s.firstDate));
    const double distance = static_cast<double>(s.totalDistance);
    s.averagePrice = roundTo(s.totalAmount / s.totalLitres, 2);
    s.averageDailyDistance = roundTo(distance / static_cast<double>(s.dayCount), 0);
    s.averageConsumption = roundTo(s.totalLitres / distance * 100.0, 2);
    s.averageCostPerKm = roundTo(s.totalAmount / distance, 2);
    if (std::fabs(s.totalLitres) <= kZeroLitres) s.averagePrice = 0.0;
    if (s.totalDistance == 0) {
        s.averageConsumption = 0.0;
        s.averageCostPerKm = 0.0;
    }
    if (s.dayCount == 0) s.averageDailyDistance = 0.0;
}

void showSummaryFigures(const LogSummary& s, MainWindowView& window) {
    showFigure(window, kDayCountLabel, kDayCountCaption, s.dayCount, kDayUnit);
    showFigure(window, kTotalDistanceLabel, kTotalDistanceCaption, s.totalDistance, kKilometreUnit);
    showFigure(window, kTotalLitresLabel, kTotalLitresCaption, s.totalLitres, kLitreUnit);
    showFigure(window, kTotalAmountLabel, kTotalAmountCaption, s.totalAmount, kYuanUnit);
    showFigure(window, kAveragePriceLabel, kAveragePriceCaption, s.averagePrice, kYuanUnit);
    showFigure(window, kDailyDistanceLabel, kDailyDistanceCaption, s.averageDailyDistance,
               kDailyDistanceUnit);
    showFigure(window, kConsumptionLabel, kConsumptionCaption, s.averageConsumption, kConsumptionUnit);
    showFigure(window, kCostPerKmLabel, kCostPerKmCaption, s.averageCostPerKm, kCostPerKmUnit);
}

}  // namespace tankora

#include "log/log_summary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "log/log_refresh.h"
#include "log/test_log_file.h"
#include "support/fake_toolkit.h"

namespace tankora::testing {
namespace {

using ::testing::ElementsAreArray;

constexpr double kMarch7 = 38418.0;  // 2005-03-07

// The eight label texts in the order of 透明标签1 … 透明标签8.
struct Labels {
    std::string totalDistance, totalLitres, dailyDistance, totalAmount, dayCount, averagePrice, consumption,
        costPerKm;
    std::vector<std::string> inLabelOrder() const {
        return {totalDistance, totalLitres,  dailyDistance, totalAmount,
                dayCount,      averagePrice, consumption,   costPerKm};
    }
};

// Builds the labels from the figures as the user reads them.
Labels labels(const std::string& days, const std::string& km, const std::string& litres,
              const std::string& yuan, const std::string& price, const std::string& daily,
              const std::string& consumption, const std::string& costPerKm) {
    return {
        "\xd7\xdc\xb9\xab\xc0\xef\x3a" + km + "\xb9\xab\xc0\xef",                         // 总公里: 公里
        "\xd7\xdc\xba\xc4\xd3\xcd\xc1\xbf\x3a" + litres + "\xc9\xfd",                     // 总耗油量: 升
        "\xc6\xbd\xbe\xf9\xc0\xef\xb3\xcc\x3a" + daily + "\xb9\xab\xc0\xef\x2f\xcc\xec",  // 平均里程: 公里/天
        "\xd7\xdc\xd3\xcd\xb7\xd1\x3a" + yuan + "\xd4\xaa",                               // 总油费: 元
        "\xcc\xec\xca\xfd\x3a" + days + "\xcc\xec",                                       // 天数: 天
        "\xc6\xbd\xbe\xf9\xd3\xcd\xbc\xdb\x3a" + price + "\xd4\xaa",                      // 平均油价: 元
        "\xc6\xbd\xbe\xf9\xd3\xcd\xba\xc4\x3a" + consumption +
            "\xc9\xfd\x2f\xb0\xd9\xb9\xab\xc0\xef",  // 平均油耗: 升/百公里
        "\xc6\xbd\xbe\xf9\xd3\xcd\xb7\xd1\x3a" + costPerKm +
            "\xd4\xaa\x2f\xb9\xab\xc0\xef"};  // 平均油费: 元/公里
}

struct SummaryCase {
    const char* name;
    std::vector<FuelRecord> entries;
    Labels expected;
};

void PrintTo(const SummaryCase& c, std::ostream* os) { *os << c.name; }

class SummaryTest : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(SummaryTest, LabelsAfterRefresh) {
    TestLogFile log;
    log.add(GetParam().entries);
    FuelLogStore store;
    FakeMainWindow window;
    FakeMessageBoxes messages;
    refreshLog(log.path(), store, window, messages);
    std::vector<std::string> shown;
    for (const FakeLabel& label : window.labels) shown.push_back(label.text());
    EXPECT_THAT(shown, ElementsAreArray(GetParam().expected.inLabelOrder()));
}

INSTANTIATE_TEST_SUITE_P(
    Figures, SummaryTest,
    ::testing::Values(
        SummaryCase{"EmptyLog", {}, labels("0", "0", "0", "0", "0", "0", "0", "0")},
        SummaryCase{
            "SingleEntry", {entry(kMarch7, 1000, 40, 200)}, labels("0", "0", "0", "0", "0", "0", "0", "0")},
        SummaryCase{"TwoEntriesTenDaysApart",
                    {entry(kMarch7, 1000, 40, 200), entry(kMarch7 + 10, 1500, 30, 180)},
                    labels("10", "500", "40", "200", "5", "50", "8", "0.4")},
        // 18:00 on the 7th to 09:00 on the 17th is 9.625 days.
        SummaryCase{"TimeOfDayIsCutFromTheDayCount",
                    {entry(kMarch7 + 0.75, 1000, 40, 200), entry(kMarch7 + 10.375, 1500, 30, 180)},
                    labels("9", "500", "40", "200", "5", "56", "8", "0.4")},
        SummaryCase{"DatesOutOfOrderGiveNegativeDays",
                    {entry(kMarch7 + 5, 1000, 40, 200), entry(kMarch7, 1500, 30, 180)},
                    labels("-5", "500", "40", "200", "5", "-100", "8", "0.4")},
        SummaryCase{"DailyDistanceRoundsToWholeKilometres",
                    {entry(kMarch7, 1000, 40, 200), entry(kMarch7 + 3, 1500, 30, 180)},
                    labels("3", "500", "40", "200", "5", "167", "8", "0.4")},
        SummaryCase{"ZeroLitresWithAPositiveAmount",
                    {entry(kMarch7, 1000, 0, 100), entry(kMarch7 + 10, 1500, 30, 180)},
                    labels("10", "500", "0", "100", "0", "50", "0", "0.2")},
        SummaryCase{"LastEntryLeftOutOfTheTotals",
                    {entry(kMarch7, 1000, 20.5, 100.25), entry(kMarch7 + 1, 1100, 10, 50),
                     entry(kMarch7 + 2, 1300, 99, 999)},
                    labels("2", "300", "30.5", "150.25", "4.93", "150", "10.17", "0.5")},
        SummaryCase{"DistanceTotalCutAfterEachAddition",
                    {entry(kMarch7, 100.7, 10, 50), entry(kMarch7 + 1, 200.2, 10, 50),
                     entry(kMarch7 + 2, 300.9, 10, 50)},
                    labels("2", "200", "20", "100", "5", "100", "10", "0.5")}),
    [](const ::testing::TestParamInfo<SummaryCase>& info) { return std::string(info.param.name); });

TEST(SummaryFigures, ZeroDivisorsGiveZeroFiguresWithoutTrapping) {
    LogSummary summary;  // every total zero: each division is 0 / 0
    computeSummaryFigures(summary);
    EXPECT_EQ(summary.dayCount, 0);
    EXPECT_EQ(summary.averagePrice, 0.0);
    EXPECT_EQ(summary.averageDailyDistance, 0.0);
    EXPECT_EQ(summary.averageConsumption, 0.0);
    EXPECT_EQ(summary.averageCostPerKm, 0.0);
}

TEST(SummaryFigures, ADayCountWithoutDistanceKeepsItsOwnFigures) {
    LogSummary summary;
    summary.firstDate = kMarch7;
    summary.lastDate = kMarch7 + 4;
    summary.totalLitres = 8;
    summary.totalAmount = 50;
    computeSummaryFigures(summary);
    EXPECT_EQ(summary.dayCount, 4);
    EXPECT_EQ(summary.averagePrice, 6.25);
    EXPECT_EQ(summary.averageDailyDistance, 0.0);  // 0 km / 4 days, not a guard
    EXPECT_EQ(summary.averageConsumption, 0.0);
    EXPECT_EQ(summary.averageCostPerKm, 0.0);
}

}  // namespace
}  // namespace tankora::testing

#include "log/log_refresh.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "log/test_log_file.h"
#include "store/log_file_format.h"
#include "support/fake_toolkit.h"
#include "text/gbk_codec.h"

namespace tankora::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kKm = "\xb9\xab\xc0\xef";                             // 公里
const std::string kLitre = "\xc9\xfd";                                  // 升
const std::string kYuan = "\xd4\xaa";                                   // 元
const std::string kGrade = "\xba\xc5";                                  // 号
const std::string kYes = "\xca\xc7";                                    // 是
const std::string kNo = "\xb7\xf1";                                     // 否
const std::string kUnknown = "\xce\xb4\xd6\xaa";                        // 未知
const std::string kNotComputable = "\xb2\xbb\xbf\xc9\xbc\xc6\xcb\xe3";  // 不可计算
const std::string kPer100Km = "\xc9\xfd\x2f\xb0\xd9\xb9\xab\xc0\xef";   // 升/百公里
const std::string kMarch7 =
    "2005\xc4\xea"
    "3\xd4\xc2"
    "7\xc8\xd5";  // 2005年3月7日

constexpr double kMarch7Date = 38418.0;
constexpr int kEstimateColumn = 8;
constexpr int kDistanceColumn = 3;

class RefreshTest : public ::testing::Test {
protected:
    void refresh() { refreshLog(log.path(), store, window, messages); }
    std::string cell(int row, int column) const { return window.list.cellText(row, column); }
    std::vector<std::string> column(int c) const {
        std::vector<std::string> texts;
        for (int r = 0; r < window.list.rowCount(); ++r) texts.push_back(cell(r, c));
        return texts;
    }

    TestLogFile log;
    FuelLogStore store;
    FakeMainWindow window;
    FakeMessageBoxes messages;
};

TEST_F(RefreshTest, EmptyLogGivesEmptyListAndClosesTheStore) {
    window.list.appendRow();
    refresh();
    EXPECT_EQ(window.list.rowCount(), 0);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(store.isOpen());
}

TEST_F(RefreshTest, SingleEntryRowTexts) {
    FuelRecord only = entry(kMarch7Date + 0.75, 1000, 40, 200);
    only.fuelType = "97";
    log.add({only});
    refresh();
    ASSERT_EQ(window.list.rowCount(), 1);
    EXPECT_THAT(window.list.row(0), ElementsAre("1", kMarch7, "1000" + kKm, kUnknown, "40" + kLitre,
                                                "97" + kGrade, "200" + kYuan, kYes, kNotComputable));
    EXPECT_FALSE(store.isOpen());
}

TEST_F(RefreshTest, ThreeFullFillsPutTheEstimateOnTheMiddleRow) {
    log.add({entry(kMarch7Date, 1000, 30, 150), entry(kMarch7Date + 5, 1500, 35, 175),
             entry(kMarch7Date + 10, 2000, 40, 200)});
    refresh();
    EXPECT_THAT(column(kEstimateColumn), ElementsAre(kNotComputable, "8" + kPer100Km, kNotComputable));
    EXPECT_THAT(column(kDistanceColumn), ElementsAre(kUnknown, "500" + kKm, "500" + kKm));
}

TEST_F(RefreshTest, EntryThatIsNotAFullFillBreaksTheChain) {
    log.add({entry(kMarch7Date, 1000, 30, 150), entry(kMarch7Date + 1, 1100, 10, 50),
             entry(kMarch7Date + 2, 1200, 10, 50, false), entry(kMarch7Date + 3, 1300, 10, 50),
             entry(kMarch7Date + 4, 1500, 15, 75)});
    refresh();
    EXPECT_THAT(column(kEstimateColumn), ElementsAre(kNotComputable, kNotComputable, kNotComputable,
                                                     "7.5" + kPer100Km, kNotComputable));
    EXPECT_EQ(cell(2, 7), kNo);
}

TEST_F(RefreshTest, EstimateRoundsToTwoPlaces) {
    log.add({entry(kMarch7Date, 1000, 30, 150), entry(kMarch7Date + 1, 1300, 20, 100),
             entry(kMarch7Date + 2, 1600, 20, 100)});
    refresh();
    EXPECT_EQ(cell(1, kEstimateColumn), "6.67" + kPer100Km);  // 20 / 300 x 100 = 6.666…
}

TEST_F(RefreshTest, ReadingOneBelowThePreviousWholeReadingShowsUnknown) {
    log.add({entry(kMarch7Date, 1000.5, 30, 150), entry(kMarch7Date + 1, 999, 30, 150, false)});
    refresh();
    EXPECT_EQ(cell(1, kDistanceColumn), kUnknown);
}

TEST_F(RefreshTest, ZeroDistanceBetweenFullFillsShowsTheNonFiniteText) {
    // Entry 1 only opens the log; 2 and 3 share a reading.
    log.add({entry(kMarch7Date, 1000, 30, 150), entry(kMarch7Date + 1, 1500, 30, 150),
             entry(kMarch7Date + 2, 1500, 40, 200), entry(kMarch7Date + 3, 1500, 0, 0)});
    refresh();
    EXPECT_EQ(cell(1, kEstimateColumn), "1.#INF" + kPer100Km);
    EXPECT_EQ(cell(2, kEstimateColumn), "-1.#IND" + kPer100Km);  // 0 litres over 0 km
    EXPECT_EQ(cell(2, kDistanceColumn), "0" + kKm);
}

TEST_F(RefreshTest, DistanceStartsFromThePreviousReadingCutToAWholeNumber) {
    log.add({entry(kMarch7Date, 100.7, 30, 150), entry(kMarch7Date + 1, 200.2, 30, 150)});
    refresh();
    EXPECT_EQ(cell(0, 2), "100.7" + kKm);
    EXPECT_EQ(cell(1, kDistanceColumn), "100.2" + kKm);
    EXPECT_EQ(window.labels[0].text(),
              "\xd7\xdc\xb9\xab\xc0\xef\x3a"
              "100" +
                  kKm);  // 总公里:
}

TEST_F(RefreshTest, EntriesKeepTheirStoredOrder) {
    log.add({entry(kMarch7Date + 20, 3000, 10, 50), entry(kMarch7Date, 1000, 10, 50),
             entry(kMarch7Date + 10, 2000, 10, 50)});
    refresh();
    EXPECT_THAT(column(2), ElementsAre("3000" + kKm, "1000" + kKm, "2000" + kKm));
    EXPECT_THAT(column(kDistanceColumn), ElementsAre(kUnknown, "-2000" + kKm, "1000" + kKm));
}

TEST_F(RefreshTest, SerialsAreRenumberedToRecordPositionsInTheFile) {
    std::vector<FuelRecord> entries{entry(kMarch7Date, 1000, 10, 50), entry(kMarch7Date + 1, 1100, 10, 50),
                                    entry(kMarch7Date + 2, 1200, 10, 50)};
    entries[0].serial = 1;
    entries[1].serial = 3;  // as after serial 2 was deleted
    entries[2].serial = 17;
    log.add(entries);
    refresh();
    EXPECT_THAT(column(0), ElementsAre("1", "2", "3"));
    std::vector<std::int32_t> stored;
    for (const FuelRecord& r : log.records()) stored.push_back(r.serial);
    EXPECT_THAT(stored, ElementsAre(1, 2, 3));
}

TEST_F(RefreshTest, RebuildReplacesTheRowsOfTheLastRefresh) {
    log.add({entry(kMarch7Date, 1000, 10, 50), entry(kMarch7Date + 1, 1100, 10, 50)});
    refresh();
    refresh();
    EXPECT_EQ(window.list.rowCount(), 2);
}

TEST_F(RefreshTest, FailedOpenShowsThePathAndLeavesListAndLabelsAsTheyWere) {
    window.list.appendRow();
    window.list.setCellText(0, 0, "7");
    for (FakeLabel& label : window.labels) label.setText("before");
    const std::string missing =
        (log.folder() / "\xe6\x95\xb0\xe6\x8d\xae" / "car.mdb").string();  // UTF-8 数据
    refreshLog(missing, store, window, messages);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, utf8ToGbk(missing));
    EXPECT_THAT(messages.shown[0].text, HasSubstr("\xca\xfd\xbe\xdd"));  // 数据 in GBK
    EXPECT_EQ(messages.shown[0].title, "");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(window.list.rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "7");
    for (const FakeLabel& label : window.labels) EXPECT_EQ(label.text(), "before");
}

// A list that notes whether rows change outside a batch.
class BatchWatchingList : public FakeReportList {
public:
    BatchWatchingList() : FakeReportList(mainListColumns()) {}
    void beginBatch() override { ++depth; }
    void endBatch() override { --depth; }
    void deleteAllRows() override {
        changedOutside = changedOutside || depth == 0;
        FakeReportList::deleteAllRows();
    }
    int appendRow() override {
        changedOutside = changedOutside || depth == 0;
        return FakeReportList::appendRow();
    }
    int depth = 0;
    bool changedOutside = false;
};

class BatchWatchingWindow : public FakeMainWindow {
public:
    ReportList& logList() override { return watched; }
    BatchWatchingList watched;
};

TEST_F(RefreshTest, RowsAreRebuiltInOneBatch) {
    log.add({entry(kMarch7Date, 1000, 10, 50), entry(kMarch7Date + 1, 1100, 10, 50)});
    BatchWatchingWindow watching;
    refreshLog(log.path(), store, watching, messages);
    EXPECT_EQ(watching.watched.rowCount(), 2);
    EXPECT_EQ(watching.watched.depth, 0);
    EXPECT_FALSE(watching.watched.changedOutside);
}

std::string runtimeErrorBox(const std::string& code, const std::string& message) {
    return "\xd4\xcb\xd0\xd0\xca\xb1\xb3\xf6\xb4\xed\x21\r\n\r\n"  // 运行时出错!
           "\xb4\xed\xce\xf3\xb4\xfa\xc2\xeb\xa3\xba" +
           code +
           "\r\n\r\n"  // 错误代码：
           "\xb4\xed\xce\xf3\xd0\xc5\xcf\xa2\xa3\xba" +
           message + "\r\n";  // 错误信息：
}

struct ForeignFieldCase {
    int fieldNumber;
    std::int32_t type;
    std::string expectedText;
};

void PrintTo(const ForeignFieldCase& c, std::ostream* os) {
    *os << "field " << c.fieldNumber << " as type " << c.type;
}

class ForeignFieldTableDeathTest : public ::testing::TestWithParam<ForeignFieldCase> {};

TEST_P(ForeignFieldTableDeathTest, ValueOfAKindItsMemberCannotTakeEndsTheProgram) {
    const ForeignFieldCase& c = GetParam();
    TestLogFile log;
    log.add({entry(kMarch7Date, 1000, 10, 50)});
    log.retypeField(c.fieldNumber, c.type);
    FuelLogStore store;
    FakeMainWindow window;
    FakeMessageBoxes messages;
    EXPECT_EXIT(refreshLog(log.path(), store, window, messages), ::testing::ExitedWithCode(255),
                HasSubstr(c.expectedText));
}

// 未得到所需要的数值型数据
const std::string kNotNumeric =
    "\xce\xb4\xb5\xc3\xb5\xbd\xcb\xf9\xd0\xe8\xd2\xaa\xb5\xc4\xca\xfd\xd6\xb5\xd0\xcd\xca\xfd\xbe\xdd";
// 数据或数组类型不匹配
const std::string kMismatch =
    "\xca\xfd\xbe\xdd\xbb\xf2\xca\xfd\xd7\xe9\xc0\xe0\xd0\xcd\xb2\xbb\xc6\xa5\xc5\xe4";

INSTANTIATE_TEST_SUITE_P(
    Kinds, ForeignFieldTableDeathTest,
    ::testing::Values(ForeignFieldCase{kOdometerField, kDateTimeFieldType, runtimeErrorBox("2", kNotNumeric)},
                      ForeignFieldCase{kLitresField, kLogicalFieldType, runtimeErrorBox("2", kNotNumeric)},
                      ForeignFieldCase{kDateField, kRealFieldType, runtimeErrorBox("5", kMismatch)},
                      ForeignFieldCase{kFullTankField, kIntegerFieldType, runtimeErrorBox("5", kMismatch)}));

}  // namespace
}  // namespace tankora::testing

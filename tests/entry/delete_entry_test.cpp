#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "entry/entry_commands.h"
#include "entry/entry_fixture.h"

namespace tankora::testing {
namespace {

using ::testing::ElementsAre;

const std::string kQuestionTitle = "\xd1\xaf\xce\xca";                         // 询问
const std::string kDeleteFailedText = "\xc9\xbe\xb3\xfd\xca\xa7\xb0\xdc\x21";  // 删除失败!
const std::string kKm = "\xb9\xab\xc0\xef";                                    // 公里

std::string question(const std::string& serial) {
    return "\xca\xc7\xb7\xf1\xc9\xbe\xb3\xfd\xb1\xe0\xba\xc5 " + serial + " ?";  // 是否删除编号
}

class DeleteEntryTest : public EntryTest {
protected:
    std::vector<std::string> listColumn(int c) const {
        std::vector<std::string> texts;
        for (int r = 0; r < window.list.rowCount(); ++r) texts.push_back(window.list.cellText(r, c));
        return texts;
    }
    std::vector<double> storedOdometers() const {
        std::vector<double> readings;
        for (const FuelRecord& r : log.records()) readings.push_back(r.odometer);
        return readings;
    }
};

TEST_F(DeleteEntryTest, WithoutASelectionNothingIsAsked) {
    addFiveEntries();
    refresh();
    entryMode.selectedSerial = 4;
    const std::string before = log.bytes();
    deleteEntry(context);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(entryMode.selectedSerial, 0);
    EXPECT_EQ(log.bytes(), before);
    EXPECT_EQ(window.list.rowCount(), 5);
}

TEST_F(DeleteEntryTest, AnsweringNoChangesNothing) {
    addFiveEntries();
    refresh();
    selectRow(2);
    const std::string before = log.bytes();
    toolkit.messages.nextAnswers.push_back(MessageAnswer::No);
    deleteEntry(context);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, question("3"));
    EXPECT_EQ(shown()[0].title, kQuestionTitle);
    EXPECT_EQ(shown()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(shown()[0].icon, MessageIcon::Information);
    EXPECT_EQ(entryMode.selectedSerial, 3);
    EXPECT_EQ(log.bytes(), before);
}

TEST_F(DeleteEntryTest, AnsweringYesRemovesTheEntryAndRenumbersTheRest) {
    addFiveEntries();
    refresh();
    selectRow(2);
    deleteEntry(context);
    EXPECT_EQ(shown().size(), 1u);  // the question only
    EXPECT_THAT(storedOdometers(), ElementsAre(1000, 2000, 4000, 5000));
    EXPECT_THAT(listColumn(0), ElementsAre("1", "2", "3", "4"));
    EXPECT_THAT(listColumn(2), ElementsAre("1000" + kKm, "2000" + kKm, "4000" + kKm, "5000" + kKm));
    EXPECT_EQ(window.list.cellText(2, 3), "2000" + kKm);  // from 2000 to 4000 now
    std::vector<std::int32_t> serials;
    for (const FuelRecord& r : log.records()) serials.push_back(r.serial);
    EXPECT_THAT(serials, ElementsAre(1, 2, 3, 4));
    EXPECT_FALSE(store.isOpen());
}

TEST_F(DeleteEntryTest, DeletingTheOnlyEntryEmptiesFileAndList) {
    log.add({entry(kMarch7, 1000, 40, 300)});
    refresh();
    selectRow(0);
    deleteEntry(context);
    EXPECT_TRUE(log.records().empty());
    EXPECT_EQ(log.bytes().size(), kTemplateLength);
    EXPECT_EQ(window.list.rowCount(), 0);
}

TEST_F(DeleteEntryTest, QuestionWritesTheSerialInPlainDecimal) {
    std::vector<FuelRecord> entries;
    for (int i = 0; i < 12; ++i) entries.push_back(entry(kMarch7 + i, 1000 + 100 * i, 10, 70));
    log.add(entries);
    refresh();
    selectRow(11);
    toolkit.messages.nextAnswers.push_back(MessageAnswer::No);
    deleteEntry(context);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, question("12"));
}

TEST_F(DeleteEntryTest, SerialThatNoRecordCarriesDeletesNothingButRefreshes) {
    addFiveEntries();
    refresh();
    window.list.setCellText(4, 0, "9");
    selectRow(4);
    deleteEntry(context);
    EXPECT_EQ(shown().size(), 1u);  // the question only
    EXPECT_EQ(log.records().size(), 5u);
    EXPECT_EQ(window.list.cellText(4, 0), "5");  // rebuilt
}

TEST_F(DeleteEntryTest, MissingDatabaseShowsThePathAndRefreshesNothing) {
    addFiveEntries();
    refresh();
    selectRow(0);
    std::filesystem::remove(path);
    deleteEntry(context);
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[1].text, path);
    EXPECT_EQ(shown()[1].title, "");
    EXPECT_EQ(window.list.rowCount(), 5);
}

struct DeleteFaultCase {
    const char* name;
    FileOp failingOp;
};

void PrintTo(const DeleteFaultCase& c, std::ostream* os) { *os << c.name; }

class FailedDeleteTest : public DeleteEntryTest, public ::testing::WithParamInterface<DeleteFaultCase> {};

TEST_P(FailedDeleteTest, IsReportedAndTheListIsStillRefreshed) {
    addFiveEntries();
    refresh();
    selectRow(2);
    window.list.setCellText(0, 8, "stale");
    faults->failNth(GetParam().failingOp, 1);
    deleteEntry(context);
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[1].text, kDeleteFailedText);
    EXPECT_EQ(shown()[1].title, kFailedTitle);
    EXPECT_EQ(shown()[1].icon, MessageIcon::Information);
    EXPECT_EQ(shown()[1].buttons, MessageButtons::Ok);
    EXPECT_NE(window.list.cellText(0, 8), "stale");
    EXPECT_EQ(window.list.rowCount(), static_cast<int>(log.records().size()));
    EXPECT_FALSE(store.isOpen());
}

// The first write marks the record; the only length change is the purge's cut.
INSTANTIATE_TEST_SUITE_P(Faults, FailedDeleteTest,
                         ::testing::Values(DeleteFaultCase{"MarkFails", FileOp::Write},
                                           DeleteFaultCase{"PurgeFails", FileOp::SetLength}),
                         [](const ::testing::TestParamInfo<DeleteFaultCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(DeleteEntryTest, MarkFailingLeavesEveryEntry) {
    addFiveEntries();
    refresh();
    selectRow(2);
    faults->failNth(FileOp::Write, 1);
    deleteEntry(context);
    EXPECT_EQ(log.records().size(), 5u);
    EXPECT_EQ(window.list.rowCount(), 5);
}

}  // namespace
}  // namespace tankora::testing

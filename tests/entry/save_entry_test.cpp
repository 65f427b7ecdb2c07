#include "entry/save_entry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "entry/entry_fixture.h"

namespace tankora::testing {
namespace {

using ::testing::ElementsAre;

const std::string kIncompleteText = "\xc7\xeb\xca\xe4\xc8\xeb\xcd\xea\xd5\xfb\x21";  // 请输入完整!
const std::string kSaveFailedText = "\xb1\xa3\xb4\xe6\xca\xa7\xb0\xdc\x21";          // 保存失败!

struct Typed {
    std::string odometer = "16000", fuelType = "97", unitPrice = "7.5", litres = "40", amount = "300";
    int fullTank = 0;
    double date = kMarch7 + 100.5;
};

class SaveEntryTest : public EntryTest {
protected:
    void fill(FakeEntryDialog& d, const Typed& t) {
        d.datePicker.setValue(t.date);
        d.edit(EntryBox::Odometer).setText(t.odometer);
        d.fuelTypeBox.setText(t.fuelType);
        d.edit(EntryBox::UnitPrice).setText(t.unitPrice);
        d.edit(EntryBox::Litres).setText(t.litres);
        d.edit(EntryBox::Amount).setText(t.amount);
        d.fullTankList.setSelectedIndex(t.fullTank);
    }
    // Runs the command's dialog: the user fills it, presses OK `presses` times, and then
    // closes it if it is still open. Returns whether OK destroyed it.
    bool saveWith(void (*command)(EntryContext&), const Typed& t, int presses = 1,
                  std::function<void()> betweenPresses = {}) {
        bool destroyedByOk = false;
        toolkit.script = [&](FakeEntryDialog& d, EntryDialogEvents& events) {
            fill(d, t);
            for (int p = 0; p < presses && !d.destroyed; ++p) {
                if (p > 0 && betweenPresses) betweenPresses();
                events.okClicked(d);
            }
            destroyedByOk = d.destroyed;
            if (!d.destroyed) {
                stillShown = {d.edit(EntryBox::Odometer).text(), d.fuelTypeBox.text(),
                              d.edit(EntryBox::UnitPrice).text(), d.edit(EntryBox::Litres).text(),
                              d.edit(EntryBox::Amount).text()};
            }
        };
        command(context);
        return destroyedByOk;
    }
    std::vector<std::string> stillShown;
};

TEST_F(SaveEntryTest, AddToAnEmptyLogStoresSerialOneAndRefreshes) {
    EXPECT_TRUE(saveWith(addEntry, Typed{}));
    const std::vector<FuelRecord> records = log.records();
    ASSERT_EQ(records.size(), 1u);
    const FuelRecord& r = records[0];
    EXPECT_EQ(r.serial, 1);
    EXPECT_EQ(r.date, kMarch7 + 100.5);
    EXPECT_EQ(r.odometer, 16000);
    EXPECT_EQ(r.distance, 0);
    EXPECT_EQ(r.litres, 40);
    EXPECT_EQ(r.fuelType, "97");
    EXPECT_EQ(r.amount, 300);
    EXPECT_TRUE(r.fullTank);
    EXPECT_EQ(r.consumptionEstimate, 0);
    EXPECT_EQ(r.unitPrice, 7.5);
    EXPECT_EQ(window.list.rowCount(), 1);
    EXPECT_EQ(toolkit.pendingMessageRuns, 1);
    EXPECT_TRUE(shown().empty());
    EXPECT_FALSE(store.isOpen());
}

TEST_F(SaveEntryTest, AddAfterFiveEntriesStoresSerialSixShownLast) {
    addFiveEntries();
    refresh();
    EXPECT_TRUE(saveWith(addEntry, Typed{}));
    ASSERT_EQ(log.records().size(), 6u);
    EXPECT_EQ(log.records()[5].serial, 6);
    ASSERT_EQ(window.list.rowCount(), 6);
    EXPECT_EQ(window.list.cellText(5, 0), "6");
    EXPECT_EQ(window.list.cellText(5, 2), "16000\xb9\xab\xc0\xef");  // 公里
}

TEST_F(SaveEntryTest, UncheckedBoxesMayBeEmptyAndTextsAreStoredAsTheirNumbers) {
    Typed t;
    t.unitPrice = "";
    t.fuelType = "";
    t.fullTank = 1;    // 否
    t.odometer = " ";  // a blank fills the box
    t.litres = "12.5L";
    EXPECT_TRUE(saveWith(addEntry, t));
    const FuelRecord r = log.records().at(0);
    EXPECT_EQ(r.unitPrice, 0);
    EXPECT_EQ(r.fuelType, "");
    EXPECT_FALSE(r.fullTank);
    EXPECT_EQ(r.odometer, 0);
    EXPECT_EQ(r.litres, 12.5);
}

struct IncompleteCase {
    const char* name;
    Typed typed;
};

void PrintTo(const IncompleteCase& c, std::ostream* os) { *os << c.name; }

class IncompleteEntryTest : public SaveEntryTest, public ::testing::WithParamInterface<IncompleteCase> {};

TEST_P(IncompleteEntryTest, ShowsTheMessageAndKeepsTheDialog) {
    const Typed& t = GetParam().typed;
    EXPECT_FALSE(saveWith(addEntry, t));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, kIncompleteText);
    EXPECT_EQ(shown()[0].title, kFailedTitle);
    EXPECT_EQ(shown()[0].icon, MessageIcon::Information);
    EXPECT_EQ(shown()[0].buttons, MessageButtons::Ok);
    EXPECT_THAT(stillShown, ElementsAre(t.odometer, t.fuelType, t.unitPrice, t.litres, t.amount));
    EXPECT_TRUE(log.records().empty());
}

Typed without(std::string Typed::*box) {
    Typed t;
    t.*box = "";
    return t;
}
Typed withoutLitresAndAmount() {
    Typed t = without(&Typed::litres);
    t.amount = "";
    return t;
}

INSTANTIATE_TEST_SUITE_P(Boxes, IncompleteEntryTest,
                         ::testing::Values(IncompleteCase{"Odometer", without(&Typed::odometer)},
                                           IncompleteCase{"Litres", without(&Typed::litres)},
                                           IncompleteCase{"Amount", without(&Typed::amount)},
                                           IncompleteCase{"LitresAndAmount", withoutLitresAndAmount()}),
                         [](const ::testing::TestParamInfo<IncompleteCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(SaveEntryTest, ModifyKeepsTheSerialAndZeroesTheDerivedFields) {
    std::vector<FuelRecord> entries;
    for (int i = 0; i < 5; ++i) {
        FuelRecord r = entry(kMarch7 + i, 1000 + 1000 * i, 40, 300);
        r.distance = 77;  // as a file made by other means may hold them
        r.consumptionEstimate = 88;
        entries.push_back(r);
    }
    log.add(entries);
    refresh();
    selectRow(2);
    Typed t;
    t.odometer = "3100";
    t.fullTank = 1;
    EXPECT_TRUE(saveWith(modifyEntry, t));

    const std::vector<FuelRecord> records = log.records();
    ASSERT_EQ(records.size(), 5u);
    const FuelRecord& r = records[2];
    EXPECT_EQ(r.serial, 3);
    EXPECT_EQ(r.date, t.date);
    EXPECT_EQ(r.odometer, 3100);
    EXPECT_EQ(r.distance, 0);
    EXPECT_EQ(r.consumptionEstimate, 0);
    EXPECT_EQ(r.litres, 40);
    EXPECT_EQ(r.fuelType, "97");
    EXPECT_FALSE(r.fullTank);
    EXPECT_EQ(r.unitPrice, 7.5);
    EXPECT_EQ(records[1].odometer, 2000);
    EXPECT_EQ(records[3].odometer, 4000);
    EXPECT_EQ(records[3].distance, 77);                             // the other entries keep their bytes
    EXPECT_EQ(window.list.cellText(2, 3), "1100\xb9\xab\xc0\xef");  // derived: 3100 - 2000 公里
    EXPECT_EQ(window.list.cellText(2, 7), kFullTankNoText);
}

TEST_F(SaveEntryTest, LockedOrMissingDatabaseShowsThePathAndKeepsTheDialog) {
    {
        ForeignLock lock(path);
        EXPECT_FALSE(saveWith(addEntry, Typed{}));
    }
    std::filesystem::remove_all(log.folder());
    EXPECT_FALSE(saveWith(addEntry, Typed{}));
    ASSERT_EQ(shown().size(), 2u);
    for (const ShownMessage& m : shown()) {
        EXPECT_EQ(m.text, path);
        EXPECT_EQ(m.title, "");
        EXPECT_EQ(m.icon, MessageIcon::Information);
    }
    EXPECT_EQ(stillShown.at(0), "16000");
    EXPECT_EQ(toolkit.pendingMessageRuns, 0);
}

TEST_F(SaveEntryTest, LockedDatabaseStoresNothing) {
    addFiveEntries();
    const std::string before = log.bytes();
    {
        ForeignLock lock(path);
        EXPECT_FALSE(saveWith(addEntry, Typed{}));
    }
    EXPECT_EQ(log.bytes(), before);
}

TEST_F(SaveEntryTest, FailedAppendIsReportedAndOkMayBePressedAgain) {
    faults->failNth(FileOp::Write, 1);
    EXPECT_TRUE(saveWith(addEntry, Typed{}, 2, [this] {
        ASSERT_EQ(shown().size(), 1u);
        EXPECT_EQ(shown()[0].text, kSaveFailedText);
        EXPECT_EQ(shown()[0].title, kFailedTitle);
        EXPECT_EQ(shown()[0].icon, MessageIcon::Information);
        EXPECT_FALSE(store.isOpen());
        EXPECT_EQ(toolkit.pendingMessageRuns, 0);
        EXPECT_TRUE(log.records().empty());
    }));
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].odometer, 16000);
}

TEST_F(SaveEntryTest, FailedRewriteIsReportedAndKeepsTheDialog) {
    addFiveEntries();
    refresh();
    selectRow(1);
    const std::string before = log.bytes();
    faults->failNth(FileOp::Write, 1);
    EXPECT_FALSE(saveWith(modifyEntry, Typed{}));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, kSaveFailedText);
    EXPECT_EQ(shown()[0].title, kFailedTitle);
    EXPECT_EQ(stillShown.at(0), "16000");
    EXPECT_EQ(log.bytes(), before);
    EXPECT_FALSE(store.isOpen());
}

TEST_F(SaveEntryTest, ModifyNeverOverwritesARecordThatNoLongerCarriesTheSerial) {
    addFiveEntries();
    refresh();
    selectRow(2);
    toolkit.script = [&](FakeEntryDialog& d, EntryDialogEvents& events) {
        fill(d, Typed{});
        // Meanwhile another program puts a different entry at record 3.
        FuelLogStore other;
        ASSERT_TRUE(other.open(path));
        other.goTo(3);
        ASSERT_TRUE(other.writeField(kSerialField, FieldValue::ofInteger(30)));
        other.close(path);
        const std::string before = log.bytes();
        toolkit.messages.shown.clear();
        events.okClicked(d);
        EXPECT_FALSE(d.destroyed);
        EXPECT_EQ(log.bytes(), before);
        ASSERT_EQ(shown().size(), 1u);
        EXPECT_EQ(shown()[0].text, kNoSuchRecordText);
        EXPECT_EQ(shown()[0].title, "sorry");
        EXPECT_EQ(shown()[0].icon, MessageIcon::Information);
        EXPECT_FALSE(store.isOpen());
        EXPECT_EQ(d.edit(EntryBox::Odometer).text(), "16000");
    };
    modifyEntry(context);
    EXPECT_EQ(toolkit.pendingMessageRuns, 0);
}

TEST_F(SaveEntryTest, ModifyBeyondTheLastRecordWritesNothing) {
    addFiveEntries();
    refresh();
    window.list.setCellText(4, 0, "9");  // a stale list: record 9 does not exist
    selectRow(4);
    const std::string before = log.bytes();
    EXPECT_FALSE(saveWith(modifyEntry, Typed{}));
    EXPECT_EQ(log.bytes(), before);
    ASSERT_FALSE(shown().empty());
    EXPECT_EQ(shown().back().text, kNoSuchRecordText);
}

}  // namespace
}  // namespace tankora::testing

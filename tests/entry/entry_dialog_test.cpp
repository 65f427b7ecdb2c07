#include "entry/entry_dialog_logic.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "entry/entry_fixture.h"

namespace tankora::testing {
namespace {

const std::string kAddCaption = "\xcc\xed\xbc\xd3";     // 添加
const std::string kModifyCaption = "\xd0\xde\xb8\xc4";  // 修改
const std::string kOther = "\xc6\xe4\xcb\xfb";          // 其他

class EntryDialogTest : public EntryTest {
protected:
    // Opens the dialog through the Add command and returns what it showed on opening.
    struct Opened {
        std::string caption, fuelType, boxes[4];
        double date = 0;
        int fullTank = -1;
    };
    static Opened snapshot(FakeEntryDialog& d) {
        Opened o{d.caption, d.fuelTypeBox.text(), {}, d.datePicker.value(), d.fullTankList.selectedIndex()};
        for (int b = 0; b < 4; ++b) o.boxes[b] = d.boxes[b].text();
        return o;
    }
    Opened openAndCancel(void (*command)(EntryContext&), std::function<void(FakeEntryDialog&)> user = {}) {
        Opened opened;
        toolkit.script = [&](FakeEntryDialog& d, EntryDialogEvents& events) {
            opened = snapshot(d);
            if (user) user(d);
            events.cancelClicked(d);
        };
        command(context);
        return opened;
    }
    static std::string text(FakeEntryDialog& d, EntryBox b) { return d.edit(b).text(); }
};

TEST_F(EntryDialogTest, AddWithoutSettingsShowsTheDefaultFuelTypeAndEmptyBoxes) {
    const Opened o = openAndCancel(addEntry);
    EXPECT_EQ(o.caption, kAddCaption);
    EXPECT_EQ(o.fuelType, "93");
    EXPECT_EQ(o.fullTank, 0);
    for (const std::string& box : o.boxes) EXPECT_EQ(box, "");
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(toolkit.dialogsRun, 1);
}

TEST_F(EntryDialogTest, AddLeavesTheDateTheViewOpenedWith) {
    FakeEntryDialog dialog;
    dialog.datePicker.setValue(kMarch7 + 0.5);  // the view opens at the current date and time
    entryMode.mode = EntryMode::kAdd;
    EntryDialogLogic logic(context);
    logic.created(dialog);
    EXPECT_EQ(dialog.datePicker.value(), kMarch7 + 0.5);
}

TEST_F(EntryDialogTest, FuelTypeShownAtCloseIsOfferedByTheNextAdd) {
    const std::vector<std::string> typed{"97", kOther, "E10 \xd2\xd2\xb4\xbc", ""};  // 乙醇
    for (const std::string& fuelType : typed) {
        openAndCancel(addEntry, [&](FakeEntryDialog& d) { d.fuelTypeBox.setText(fuelType); });
        EXPECT_EQ(settings.values.at(kFuelTypeKey), fuelType);
        EXPECT_EQ(openAndCancel(addEntry).fuelType, fuelType) << "after " << fuelType;
    }
}

TEST_F(EntryDialogTest, ClosingByTheCloseBoxAlsoStoresTheFuelType) {
    toolkit.script = [](FakeEntryDialog& d, EntryDialogEvents&) { d.fuelTypeBox.setText("97"); };
    addEntry(context);
    EXPECT_EQ(settings.values.at(kFuelTypeKey), "97");
}

TEST_F(EntryDialogTest, FuelTypeOfAModifiedEntryIsOfferedByTheNextAdd) {
    FuelRecord other = entry(kMarch7, 1000, 40, 300);
    other.fuelType = kOther;
    log.add({other});
    refresh();
    selectRow(0);
    const Opened modified = openAndCancel(modifyEntry);
    EXPECT_EQ(modified.fuelType, kOther);
    EXPECT_EQ(openAndCancel(addEntry).fuelType, kOther);
}

TEST_F(EntryDialogTest, ModifyFillsTheBoxesAsStoredWithoutRecalculating) {
    FuelRecord stored = entry(kMarch7 + 0.25, 12345.6, 40, 123);  // 40 x 7.5 is not 123
    stored.unitPrice = 7.5;
    stored.fullTank = false;
    stored.fuelType = "97";
    log.add({entry(kMarch7 - 10, 12000, 30, 200), stored});
    refresh();
    selectRow(1);
    const Opened o = openAndCancel(modifyEntry);
    EXPECT_EQ(o.caption, kModifyCaption);
    EXPECT_EQ(o.date, kMarch7 + 0.25);
    EXPECT_EQ(o.boxes[static_cast<int>(EntryBox::Odometer)], "12345.6");
    EXPECT_EQ(o.boxes[static_cast<int>(EntryBox::UnitPrice)], "7.5");
    EXPECT_EQ(o.boxes[static_cast<int>(EntryBox::Litres)], "40");
    EXPECT_EQ(o.boxes[static_cast<int>(EntryBox::Amount)], "123");
    EXPECT_EQ(o.fuelType, "97");
    EXPECT_EQ(o.fullTank, 1);  // 否
    EXPECT_TRUE(shown().empty());
    EXPECT_FALSE(store.isOpen());
}

TEST_F(EntryDialogTest, ModifyWithoutADatabaseShowsThePathAndOpensEmpty) {
    settings.values[kFuelTypeKey] = "97";  // not applied when modifying
    std::filesystem::remove(path);
    selectRow(0);
    window.list.appendRow();
    window.list.setCellText(0, 0, "1");
    const Opened o = openAndCancel(modifyEntry);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, path);
    EXPECT_EQ(shown()[0].title, "");
    EXPECT_EQ(shown()[0].icon, MessageIcon::Information);
    EXPECT_EQ(o.caption, kModifyCaption);
    EXPECT_EQ(o.fuelType, "");
    for (const std::string& box : o.boxes) EXPECT_EQ(box, "");
}

TEST_F(EntryDialogTest, ModifyOfARecordThatDoesNotCarryTheSerialOpensEmpty) {
    addFiveEntries();
    refresh();
    // The list says 9, the file has five entries: the record found at 9 (the last) carries 5.
    window.list.setCellText(4, 0, "9");
    selectRow(4);
    const Opened o = openAndCancel(modifyEntry);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, kNoSuchRecordText);
    EXPECT_EQ(shown()[0].title, "sorry");
    EXPECT_EQ(shown()[0].icon, MessageIcon::Information);
    EXPECT_EQ(shown()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(o.caption, kModifyCaption);
    for (const std::string& box : o.boxes) EXPECT_EQ(box, "");
    EXPECT_FALSE(store.isOpen());
}

TEST_F(EntryDialogTest, ModifyInAnEmptyLogFindsNoRecord) {
    window.list.appendRow();
    window.list.setCellText(0, 0, "1");
    selectRow(0);
    openAndCancel(modifyEntry);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, kNoSuchRecordText);
}

// Live calculation: each step types one text into one box.
struct Typing {
    EntryBox box;
    std::string text;
};
struct CalculationCase {
    const char* name;
    std::vector<Typing> steps;
    std::string litres, amount;
};

void PrintTo(const CalculationCase& c, std::ostream* os) { *os << c.name; }

class LiveCalculationTest : public EntryTest, public ::testing::WithParamInterface<CalculationCase> {};

TEST_P(LiveCalculationTest, BoxesAfterTyping) {
    entryMode.mode = EntryMode::kAdd;
    const CalculationCase& c = GetParam();
    toolkit.script = [&c](FakeEntryDialog& d, EntryDialogEvents& events) {
        for (const Typing& step : c.steps) typeInto(d, step.box, step.text);
        EXPECT_EQ(d.edit(EntryBox::Litres).text(), c.litres);
        EXPECT_EQ(d.edit(EntryBox::Amount).text(), c.amount);
        events.cancelClicked(d);
    };
    addEntry(context);
    EXPECT_EQ(toolkit.dialogsRun, 1);
}

using B = EntryBox;
INSTANTIATE_TEST_SUITE_P(
    Rules, LiveCalculationTest,
    ::testing::Values(
        CalculationCase{"AmountGivesLitres", {{B::UnitPrice, "7.5"}, {B::Amount, "300"}}, "40", "300"},
        CalculationCase{
            "LitresGiveAmount", {{B::UnitPrice, "7.5"}, {B::Amount, "300"}, {B::Litres, "4"}}, "4", "30"},
        CalculationCase{
            "LitresRoundToTwoPlaces", {{B::UnitPrice, "6.88"}, {B::Amount, "200"}}, "29.07", "200"},
        CalculationCase{
            "AmountRoundsToOnePlace", {{B::UnitPrice, "6.15"}, {B::Litres, "33.33"}}, "33.33", "205"},
        CalculationCase{"NewPriceChangesLitresOnly",
                        {{B::UnitPrice, "7.5"}, {B::Amount, "300"}, {B::UnitPrice, "8"}},
                        "37.5",
                        "300"},
        CalculationCase{"AmountWithoutPriceGivesInfinity", {{B::Amount, "300"}}, "1.#INF", "300"},
        CalculationCase{
            "PriceAfterwardsReplacesTheInfinity", {{B::Amount, "300"}, {B::UnitPrice, "7.5"}}, "40", "300"},
        CalculationCase{"NothingOverNothingGivesNaN", {{B::Amount, "0"}}, "-1.#IND", "0"},
        CalculationCase{
            "ClearedPriceGivesNaNWithNoAmount", {{B::UnitPrice, "7"}, {B::UnitPrice, ""}}, "-1.#IND", ""},
        CalculationCase{
            "TextThatIsNoNumberCountsAsItsPrefix", {{B::UnitPrice, "7.5abc"}, {B::Amount, "x"}}, "0", "x"},
        CalculationCase{"OdometerCalculatesNothing", {{B::Odometer, "5000"}}, "", ""},
        // 3.333 x 7 = 23.331 -> 23.3; the program-set amount does not recompute the litres.
        CalculationCase{"RulesNeverChain", {{B::UnitPrice, "7"}, {B::Litres, "3.333"}}, "3.333", "23.3"}),
    [](const ::testing::TestParamInfo<CalculationCase>& info) { return std::string(info.param.name); });

TEST_F(EntryDialogTest, TextSetWithoutTheFocusCalculatesNothing) {
    entryMode.mode = EntryMode::kAdd;
    toolkit.script = [](FakeEntryDialog& d, EntryDialogEvents& events) {
        typeInto(d, EntryBox::UnitPrice, "7.5");
        d.edit(EntryBox::UnitPrice).focused = false;
        d.edit(EntryBox::Amount).setText("300");  // the program, not the user
        d.edit(EntryBox::Litres).setText("9");
        EXPECT_EQ(d.edit(EntryBox::Litres).text(), "9");
        EXPECT_EQ(d.edit(EntryBox::Amount).text(), "300");
        events.cancelClicked(d);
    };
    addEntry(context);
}

}  // namespace
}  // namespace tankora::testing

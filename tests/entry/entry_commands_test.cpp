#include "entry/entry_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "entry/entry_fixture.h"

namespace tankora::testing {
namespace {

class EntryCommandsTest : public EntryTest {
protected:
    void SetUp() override {
        toolkit.script = [this](FakeEntryDialog& d, EntryDialogEvents&) {
            captions.push_back(d.caption);
            odometers.push_back(d.edit(EntryBox::Odometer).text());
        };
    }
    std::vector<std::string> captions, odometers;
};

TEST_F(EntryCommandsTest, AddOpensTheDialogForAnAdd) {
    entryMode.mode = EntryMode::kModify;
    addEntry(context);
    EXPECT_EQ(entryMode.mode, EntryMode::kAdd);
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_EQ(captions[0], "\xcc\xed\xbc\xd3");  // 添加
}

TEST_F(EntryCommandsTest, ModifyWithoutASelectionOpensNothing) {
    addFiveEntries();
    refresh();
    entryMode.selectedSerial = 3;
    modifyEntry(context);
    EXPECT_EQ(entryMode.mode, EntryMode::kModify);
    EXPECT_EQ(entryMode.selectedSerial, 0);
    EXPECT_EQ(toolkit.dialogsRun, 0);
    EXPECT_TRUE(shown().empty());
}

TEST_F(EntryCommandsTest, ModifyOpensTheEntryOfTheSelectedRow) {
    addFiveEntries();
    refresh();
    selectRow(3);
    modifyEntry(context);
    EXPECT_EQ(entryMode.selectedSerial, 4);
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_EQ(captions[0], "\xd0\xde\xb8\xc4");  // 修改
    EXPECT_EQ(odometers[0], "4000");
}

TEST_F(EntryCommandsTest, SerialIsTakenFromTheRowTextCutToAWholeNumber) {
    addFiveEntries();
    refresh();
    window.list.setCellText(1, 0, "2.9");
    selectRow(1);
    modifyEntry(context);
    EXPECT_EQ(entryMode.selectedSerial, 2);
    EXPECT_EQ(odometers.at(0), "2000");
}

}  // namespace
}  // namespace tankora::testing

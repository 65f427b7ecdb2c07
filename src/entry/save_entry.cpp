#include "entry/save_entry.h"

#include <vector>

#include "entry/entry_texts.h"
#include "entry/selected_entry.h"
#include "log/log_database.h"
#include "log/log_refresh.h"
#include "log/log_texts.h"
#include "store/log_file_format.h"
#include "text/value_text.h"

namespace tankora {
namespace {

const std::string kIncompleteText = "\xc7\xeb\xca\xe4\xc8\xeb\xcd\xea\xd5\xfb\x21";  // 请输入完整!
const std::string kSaveFailedText = "\xb1\xa3\xb4\xe6\xca\xa7\xb0\xdc\x21";          // 保存失败!

// Odometer, litres and amount must hold something; a blank counts.
bool entryIsComplete(EntryDialogView& dialog) {
    for (EntryBox box : {EntryBox::Odometer, EntryBox::Litres, EntryBox::Amount}) {
        if (dialog.box(box).text().empty()) return false;
    }
    return true;
}

FuelRecord entryFromDialog(EntryDialogView& dialog) {
    FuelRecord entry;
    entry.date = dialog.date().value();
    entry.odometer = textToNumber(dialog.box(EntryBox::Odometer).text());
    entry.fuelType = dialog.fuelType().text();
    entry.unitPrice = textToNumber(dialog.box(EntryBox::UnitPrice).text());
    entry.litres = textToNumber(dialog.box(EntryBox::Litres).text());
    entry.amount = textToNumber(dialog.box(EntryBox::Amount).text());
    DropDownList& fullTank = dialog.fullTank();
    entry.fullTank = fullTank.itemText(fullTank.selectedIndex()) == kFullTankYes;
    return entry;
}

// The ten fields in order; distance and estimate are derived on display, stored as 0.
std::vector<OptionalFieldValue> storedValues(const OptionalFieldValue& serial, const FuelRecord& entry) {
    return {serial,
            FieldValue::ofDateTime(entry.date),
            FieldValue::ofReal(entry.odometer),
            FieldValue::ofReal(0.0),
            FieldValue::ofReal(entry.litres),
            FieldValue::ofText(entry.fuelType),
            FieldValue::ofReal(entry.amount),
            FieldValue::ofLogical(entry.fullTank),
            FieldValue::ofReal(0.0),
            FieldValue::ofReal(entry.unitPrice)};
}

void showFailure(Toolkit& toolkit, const std::string& text, const std::string& title) {
    toolkit.showMessage(text, title, MessageIcon::Information, MessageButtons::Ok);
}

}  // namespace

void saveEntry(EntryContext& context, EntryDialogView& dialog) {
    if (!entryIsComplete(dialog)) {
        showFailure(context.toolkit, kIncompleteText, kFailureTitle);
        return;
    }
    const std::int32_t mode = context.entryMode.mode;
    if (mode != EntryMode::kAdd && mode != EntryMode::kModify) return;
    FuelLogStore& store = context.store;
    if (!openLogDatabase(store, context.databasePath, context.toolkit)) return;
    const FuelRecord entry = entryFromDialog(dialog);

    bool written = false;
    if (mode == EntryMode::kAdd) {
        const std::int32_t n = store.recordCount();
        written = store.addRecord(storedValues(FieldValue::ofReal(static_cast<double>(n) + 1.0), entry));
    } else {
        // The serial of the picked entry must still be at its place: never overwrite
        // an entry that the file has put there since the list was built.
        if (!goToEntryWithSerial(store, context.entryMode.selectedSerial)) {
            closeLogDatabase(store, context.databasePath);
            showFailure(context.toolkit, kRecordNotFoundText, kRecordNotFoundTitle);
            return;
        }
        written = store.modifyRecord(storedValues(std::nullopt, entry));  // the serial stays
    }
    closeLogDatabase(store, context.databasePath);
    if (!written) {
        // The typed entry is still in the dialog, so OK may simply be pressed again.
        showFailure(context.toolkit, kSaveFailedText, kFailureTitle);
        return;
    }

    refreshLog(context.databasePath, store, context.mainWindow, context.toolkit);
    context.toolkit.processPendingMessages();
    dialog.destroy();
}

}  // namespace tankora

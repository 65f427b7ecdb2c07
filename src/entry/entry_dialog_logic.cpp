#include "entry/entry_dialog_logic.h"

#include "entry/entry_texts.h"
#include "entry/save_entry.h"
#include "entry/selected_entry.h"
#include "log/field_reading.h"
#include "log/log_database.h"
#include "text/value_text.h"

namespace tankora {
namespace {

const std::string kAddCaption = "\xcc\xed\xbc\xd3";     // 添加
const std::string kModifyCaption = "\xd0\xde\xb8\xc4";  // 修改

constexpr int kLitresPlaces = 2;
constexpr int kAmountPlaces = 1;
constexpr int kFullTankYesItem = 0;
constexpr int kFullTankNoItem = 1;

double boxNumber(EntryDialogView& dialog, EntryBox box) { return textToNumber(dialog.box(box).text()); }

}  // namespace

void EntryDialogLogic::created(EntryDialogView& dialog) {
    if (context_.entryMode.mode == EntryMode::kAdd) {
        dialog.setCaption(kAddCaption);
        dialog.fuelType().setText(context_.settings.readSetting(kFuelTypeSettingKey, kDefaultFuelType));
    } else if (context_.entryMode.mode == EntryMode::kModify) {
        dialog.setCaption(kModifyCaption);
        loadEntryToModify(dialog);
    }
}

void EntryDialogLogic::loadEntryToModify(EntryDialogView& dialog) {
    if (!openLogDatabase(context_.store, context_.databasePath, context_.toolkit)) return;
    const std::int32_t selectedSerial = context_.entryMode.selectedSerial;
    context_.store.goTo(selectedSerial);
    const FuelRecord entry = readFuelRecord(context_.store);
    if (!sameSerial(entry.serial, selectedSerial)) {
        context_.toolkit.showMessage(kRecordNotFoundText, kRecordNotFoundTitle, MessageIcon::Information,
                                     MessageButtons::Ok);
    } else {
        dialog.date().setValue(entry.date);
        writeBox(dialog, EntryBox::Odometer, numberToText(entry.odometer));
        dialog.fuelType().setText(entry.fuelType);
        writeBox(dialog, EntryBox::UnitPrice, numberToText(entry.unitPrice));
        writeBox(dialog, EntryBox::Litres, numberToText(entry.litres));
        writeBox(dialog, EntryBox::Amount, numberToText(entry.amount));
        dialog.fullTank().setSelectedIndex(entry.fullTank ? kFullTankYesItem : kFullTankNoItem);
    }
    closeLogDatabase(context_.store, context_.databasePath);
}

void EntryDialogLogic::textChanged(EntryDialogView& dialog, EntryBox box) {
    // Only the user's typing calculates: a box the program fills, or one without the
    // focus, starts nothing, so the rules never chain.
    if (writing_ || !dialog.box(box).hasFocus()) return;
    switch (box) {
        case EntryBox::Amount:
        case EntryBox::UnitPrice: {
            // A zero unit price is not guarded: the box shows the infinity or NaN text.
            const double litres =
                boxNumber(dialog, EntryBox::Amount) / boxNumber(dialog, EntryBox::UnitPrice);
            writeBox(dialog, EntryBox::Litres, numberToText(roundTo(litres, kLitresPlaces)));
            break;
        }
        case EntryBox::Litres: {
            const double amount =
                boxNumber(dialog, EntryBox::Litres) * boxNumber(dialog, EntryBox::UnitPrice);
            writeBox(dialog, EntryBox::Amount, numberToText(roundTo(amount, kAmountPlaces)));
            break;
        }
        case EntryBox::Odometer:
            break;
    }
}

void EntryDialogLogic::writeBox(EntryDialogView& dialog, EntryBox box, const std::string& text) {
    writing_ = true;
    dialog.box(box).setText(text);
    writing_ = false;
}

void EntryDialogLogic::okClicked(EntryDialogView& dialog) { saveEntry(context_, dialog); }

void EntryDialogLogic::cancelClicked(EntryDialogView& dialog) { dialog.destroy(); }

void EntryDialogLogic::destroyed(EntryDialogView& dialog) {
    context_.settings.writeSetting(kFuelTypeSettingKey, dialog.fuelType().text());
}

}  // namespace tankora

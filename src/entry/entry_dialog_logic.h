// The entry dialog's handlers: what it shows when it opens for an add or a modify,
// the live calculation between unit price, amount and litres, OK, Cancel, and the
// fuel type remembered when it closes.
#pragma once

#include "entry/entry_commands.h"
#include "ui/toolkit.h"

namespace tankora {

class EntryDialogLogic : public EntryDialogEvents {
public:
    explicit EntryDialogLogic(EntryContext& context) : context_(context) {}

    void created(EntryDialogView& dialog) override;
    void textChanged(EntryDialogView& dialog, EntryBox box) override;
    void okClicked(EntryDialogView& dialog) override;
    void cancelClicked(EntryDialogView& dialog) override;
    void destroyed(EntryDialogView& dialog) override;

private:
    void loadEntryToModify(EntryDialogView& dialog);
    // Sets a box's text; the change notification it causes calculates nothing.
    void writeBox(EntryDialogView& dialog, EntryBox box, const std::string& text);

    EntryContext& context_;
    bool writing_ = false;
};

}  // namespace tankora

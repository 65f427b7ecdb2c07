// The entry dialog's OK: checks the boxes, appends or rewrites the entry, refreshes the
// main window and destroys the dialog. On any failure the dialog stays open as it is.
#pragma once

#include "entry/entry_commands.h"
#include "ui/toolkit.h"

namespace tankora {

void saveEntry(EntryContext& context, EntryDialogView& dialog);

}  // namespace tankora

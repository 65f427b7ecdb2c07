// The main window's Add, Modify and Delete commands.
#pragma once

#include <string>

#include "entry/entry_mode.h"
#include "store/fuel_log_store.h"
#include "ui/toolkit.h"

namespace tankora {

// Everything the commands and the entry dialog work with, passed in by the shell.
struct EntryContext {
    EntryMode& entryMode;
    const std::string& databasePath;
    FuelLogStore& store;
    Settings& settings;
    Toolkit& toolkit;
    MainWindowView& mainWindow;
};

void addEntry(EntryContext& context);     // mode 1, then the dialog, modally
void modifyEntry(EntryContext& context);  // mode 2 and the selected serial; nothing without a selection
void deleteEntry(EntryContext& context);  // asks, marks, purges, refreshes

}  // namespace tankora

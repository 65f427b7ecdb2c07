// Opening the log database for one handler, with the one message every handler shows
// when that fails.
#pragma once

#include <string>

#include "store/fuel_log_store.h"
#include "ui/toolkit.h"

namespace tankora {

// Opens the store at databasePath. On failure shows the path in an information box
// with the default title and returns false.
bool openLogDatabase(FuelLogStore& store, const std::string& databasePath, MessageBoxes& messages);

// Closes what openLogDatabase opened.
void closeLogDatabase(FuelLogStore& store, const std::string& databasePath);

}  // namespace tankora

// Rebuilds the main list and the eight summary labels from the log file.
#pragma once

#include <string>

#include "store/fuel_log_store.h"
#include "ui/toolkit.h"

namespace tankora {

// Opens the store at databasePath (a failure shows the path and changes nothing),
// renumbers the serials, fills the list with the derived distances and estimates,
// closes the store and writes the summary labels.
void refreshLog(const std::string& databasePath, FuelLogStore& store, MainWindowView& window,
                MessageBoxes& messages);

}  // namespace tankora

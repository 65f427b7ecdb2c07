// The program's global record, set once by the main window's creation handler.
#pragma once

#include <string>

namespace tankora {

struct AppState {
    std::string productName;   // GBK
    std::string version;       // GBK
    std::string settingsPath;  // file-system path
    std::string dataFolder;    // file-system path, no trailing separator
    std::string databasePath;  // dataFolder + "/car.mdb"
};

}  // namespace tankora

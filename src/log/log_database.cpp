#include "log/log_database.h"

#include "text/gbk_codec.h"

namespace tankora {

bool openLogDatabase(FuelLogStore& store, const std::string& databasePath, MessageBoxes& messages) {
    if (store.open(databasePath)) return true;
    // The path holds file-system bytes (UTF-8); the box shows GBK.
    messages.showMessage(utf8ToGbk(databasePath), std::string(), MessageIcon::Information,
                         MessageButtons::Ok);
    return false;
}

void closeLogDatabase(FuelLogStore& store, const std::string& databasePath) { store.close(databasePath); }

}  // namespace tankora

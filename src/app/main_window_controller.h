// The main window's handlers: start-up on creation, the display state saved on
// destruction, and the five commands handed to the logic that carries them out.
#pragma once

#include "app/app_state.h"
#include "app/data_locations.h"
#include "app/settings_file.h"
#include "entry/entry_commands.h"
#include "entry/entry_mode.h"
#include "store/fuel_log_store.h"
#include "ui/toolkit.h"

namespace tankora {

// "Tankora" and "3.0": the product name and version shown in the title and the report.
inline const std::string kProductName = "Tankora";
inline const std::string kVersion = "3.0";
// "位置": the settings key of the main window's display state.
inline const std::string kDisplayStateKey = "\xce\xbb\xd6\xc3";  // 位置
inline const std::string kDefaultDisplayState = "0";

class MainWindowController : public MainWindowEvents {
public:
    MainWindowController(AppState& appState, EntryMode& entryMode, FuelLogStore& store, Toolkit& toolkit,
                         Environment environment);

    void created(MainWindowView& window) override;
    void destroying(MainWindowView& window) override;
    void addClicked(MainWindowView& window) override;
    void modifyClicked(MainWindowView& window) override;
    void deleteClicked(MainWindowView& window) override;
    void reportClicked(MainWindowView& window) override;
    void closeClicked(MainWindowView& window) override;

private:
    EntryContext entryContext(MainWindowView& window);

    AppState& appState_;
    EntryMode& entryMode_;
    FuelLogStore& store_;
    Toolkit& toolkit_;
    Environment environment_;
    SettingsFile settings_;  // on appState_.settingsPath, once the creation has set it
};

}  // namespace tankora

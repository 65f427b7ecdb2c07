#include "app/main_window_controller.h"

#include <utility>

#include "app/whole_file.h"
#include "log/log_refresh.h"
#include "report/fuel_report.h"
#include "store/log_file_format.h"
#include "text/value_text.h"

namespace tankora {
namespace {

const std::string kTitleJoin = " v";
const std::string kDatabaseFileName = "/car.mdb";

}  // namespace

MainWindowController::MainWindowController(AppState& appState, EntryMode& entryMode, FuelLogStore& store,
                                           Toolkit& toolkit, Environment environment)
    : appState_(appState),
      entryMode_(entryMode),
      store_(store),
      toolkit_(toolkit),
      environment_(std::move(environment)) {}

void MainWindowController::created(MainWindowView& window) {
    appState_.productName = kProductName;
    appState_.version = kVersion;
    appState_.settingsPath = resolveSettingsPath(environment_);
    settings_ = SettingsFile(appState_.settingsPath, appState_.productName);
    window.window().setTitle(appState_.productName + kTitleJoin + appState_.version);
    appState_.dataFolder = resolveDataRoot(environment_) + appState_.productName;
    createFolder(appState_.dataFolder);
    appState_.databasePath = appState_.dataFolder + kDatabaseFileName;
    // Only a missing file gets the template; whatever exists, even empty, stays as it is.
    createNewFile(appState_.databasePath, emptyLogTemplate());
    refreshLog(appState_.databasePath, store_, window, toolkit_);
    std::string displayState = settings_.readSetting(kDisplayStateKey, kDefaultDisplayState);
    window.window().setDisplayState(truncateToInteger(textToNumber(displayState)));
}

void MainWindowController::destroying(MainWindowView& window) {
    settings_.writeSetting(kDisplayStateKey,
                           numberToText(static_cast<std::int32_t>(window.window().displayState())));
}

EntryContext MainWindowController::entryContext(MainWindowView& window) {
    return EntryContext{entryMode_, appState_.databasePath, store_, settings_, toolkit_, window};
}

void MainWindowController::addClicked(MainWindowView& window) {
    EntryContext context = entryContext(window);
    addEntry(context);
}

void MainWindowController::modifyClicked(MainWindowView& window) {
    EntryContext context = entryContext(window);
    modifyEntry(context);
}

void MainWindowController::deleteClicked(MainWindowView& window) {
    EntryContext context = entryContext(window);
    deleteEntry(context);
}

void MainWindowController::reportClicked(MainWindowView& window) {
    ReportInputs inputs{appState_.productName, appState_.version, specialFolder(kTempFolder, environment_)};
    FuelReport::generate(inputs, window, toolkit_);
}

void MainWindowController::closeClicked(MainWindowView& window) { window.destroy(); }

}  // namespace tankora

// The program entry: the window toolkit, the floating-point state, the two global
// records and the main window, then the message loop until that window is destroyed.
#include <fenv.h>

#include <QApplication>
#include <cfenv>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/app_state.h"
#include "app/data_locations.h"
#include "app/main_window_controller.h"
#include "entry/entry_mode.h"
#include "store/fatal_error.h"
#include "store/fuel_log_store.h"
#include "ui/qt_main_window.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_toolkit.h"

namespace {

// "错误", the title of the box that precedes a fatal exit.
const std::string kFatalErrorTitle = "\xb4\xed\xce\xf3";  // 错误

// The program's only global state, released by the exit hook.
std::unique_ptr<tankora::AppState> appState;
std::unique_ptr<tankora::EntryMode> entryMode;

void releaseGlobalRecords() {
    appState.reset();
    entryMode.reset();
}

void showFatalError(const std::string& text) {
    tankora::QtMessageBoxes().showMessage(text, kFatalErrorTitle, tankora::MessageIcon::Error,
                                          tankora::MessageButtons::Ok);
}

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Division by zero must give an infinity or a NaN, never a trap.
void resetFloatingPoint() {
    std::feclearexcept(FE_ALL_EXCEPT);
    std::fesetround(FE_TONEAREST);
    fedisableexcept(FE_ALL_EXCEPT);
}

}  // namespace

int main(int argc, char** argv) {
    // Without a display Qt would abort with a long message; say it in one line instead.
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY") && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        std::fputs("tankora: needs a graphical session (no DISPLAY or WAYLAND_DISPLAY set)\n", stderr);
        return 1;
    }
    QApplication application(argc, argv);
    resetFloatingPoint();

    appState = std::make_unique<tankora::AppState>();
    entryMode = std::make_unique<tankora::EntryMode>();
    std::atexit(releaseGlobalRecords);
    tankora::setFatalErrorPresenter(showFatalError);

    tankora::FuelLogStore store;
    tankora::QtToolkit toolkit;
    tankora::MainWindowController controller(*appState, *entryMode, store, toolkit,
                                             tankora::processEnvironment());
    tankora::QtMainWindow mainWindow(controller);
    mainWindow.open();
    return application.exec();
}

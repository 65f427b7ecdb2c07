#include "ui/qt_toolkit.h"

#include <QCoreApplication>

#include "ui/qt_entry_dialog.h"

namespace tankora {

MessageAnswer QtToolkit::showMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                     MessageButtons buttons) {
    return messageBoxes_.showMessage(text, title, icon, buttons);
}

void QtToolkit::processPendingMessages() { QCoreApplication::processEvents(); }

void QtToolkit::runEntryDialog(EntryDialogEvents& events) {
    QtEntryDialog dialog(events);
    events.created(dialog.view());
    // A creation event that destroyed the dialog already ended it; exec would never return.
    if (!dialog.isDestroyed()) dialog.exec();
    // The loop may also end from outside (the application quitting): destroy it all the same.
    if (!dialog.isDestroyed()) dialog.destroyDialog();
}

}  // namespace tankora

// The toolkit services over Qt: message boxes, pending messages and the entry dialog.
#pragma once

#include "ui/qt_message_boxes.h"
#include "ui/toolkit.h"

namespace tankora {

class QtToolkit : public Toolkit {
public:
    MessageAnswer showMessage(const std::string& text, const std::string& title, MessageIcon icon,
                              MessageButtons buttons) override;
    void processPendingMessages() override;
    // Modal over every window; returns once the dialog's destruction event has run.
    void runEntryDialog(EntryDialogEvents& events) override;

private:
    QtMessageBoxes messageBoxes_;
};

}  // namespace tankora

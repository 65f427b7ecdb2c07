// Message boxes as QMessageBox: no owner, application-modal.
#pragma once

#include <string>
#include <vector>

#include "ui/toolkit.h"

namespace tankora {

struct ShownMessageBox {
    std::string text;
    std::string title;  // as shown: the default title when the caller gave none
    MessageIcon icon;
    MessageButtons buttons;
};

class QtMessageBoxes : public MessageBoxes {
public:
    MessageAnswer showMessage(const std::string& text, const std::string& title, MessageIcon icon,
                              MessageButtons buttons) override;

    // The "next answer" hook: while answers are queued, a box takes the next one
    // without being shown, so no test blocks on a modal box.
    static void queueAnswer(MessageAnswer answer);
    static void clearQueuedAnswers();
    // Every box asked for since the last call, scripted or shown, in order.
    static std::vector<ShownMessageBox> takeShownBoxes();
};

}  // namespace tankora

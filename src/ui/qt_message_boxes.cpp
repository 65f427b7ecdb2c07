#include "ui/qt_message_boxes.h"

#include <QMessageBox>
#include <QPushButton>
#include <deque>

#include "ui/gbk_qt.h"

namespace tankora {
namespace {

std::deque<MessageAnswer>& queuedAnswers() {
    static std::deque<MessageAnswer> answers;
    return answers;
}

std::vector<ShownMessageBox>& shownBoxes() {
    static std::vector<ShownMessageBox> boxes;
    return boxes;
}

MessageAnswer runBox(const std::string& text, const std::string& title, MessageIcon icon,
                     MessageButtons buttons) {
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    toQString(title), toQString(text), QMessageBox::NoButton, nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    if (buttons == MessageButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageAnswer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    // Escape and the close box leave the choice unmade, which counts as No.
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes) ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace

MessageAnswer QtMessageBoxes::showMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                          MessageButtons buttons) {
    const std::string& shownTitle = title.empty() ? kDefaultMessageTitle : title;
    shownBoxes().push_back({text, shownTitle, icon, buttons});
    if (!queuedAnswers().empty()) {
        const MessageAnswer answer = queuedAnswers().front();
        queuedAnswers().pop_front();
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;  // its only button
        return answer == MessageAnswer::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    return runBox(text, shownTitle, icon, buttons);
}

void QtMessageBoxes::queueAnswer(MessageAnswer answer) { queuedAnswers().push_back(answer); }

void QtMessageBoxes::clearQueuedAnswers() { queuedAnswers().clear(); }

std::vector<ShownMessageBox> QtMessageBoxes::takeShownBoxes() {
    std::vector<ShownMessageBox> boxes;
    boxes.swap(shownBoxes());
    return boxes;
}

}  // namespace tankora

#include "ui/qt_message_boxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/gbk_qt.h"

namespace tankora {
namespace {

const std::string kPath = "/home/u/.local/share/Tankora/car.mdb";
const std::string kSorry = "sorry";
const std::string kNotFound =
    "\xce\xde\xb7\xa8\xb2\xe9\xd1\xaf\xb6\xd4\xd3\xa6\xbc\xc7\xc2\xbc";  // 无法查询对应记录

class MessageBoxesTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtMessageBoxes::clearQueuedAnswers();
        QtMessageBoxes::takeShownBoxes();
    }
    void TearDown() override { QtMessageBoxes::clearQueuedAnswers(); }

    // Plays the user on the real box once it is up: `inspect` sees it, then `key` is pressed.
    void answerRealBox(Qt::Key key, std::function<void(QMessageBox&)> inspect) {
        playRealBox([key, inspect](QMessageBox& box) {
            inspect(box);
            QTest::keyClick(&box, key);
        });
    }
    void playRealBox(std::function<void(QMessageBox&)> play) {
        seen = false;
        QTimer* poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [this, poll, play] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            seen = true;
            play(*box);
            // A box the user left open is closed later and marked, so the test fails, not hangs.
            QTimer::singleShot(5000, box, [this, box] {
                stuck = true;
                box->done(0);
            });
        });
        poll->start();
    }

    QtMessageBoxes boxes;
    bool seen = false;
    bool stuck = false;
};

TEST_F(MessageBoxesTest, QueuedAnswersAreGivenAndEveryBoxRecorded) {
    QtMessageBoxes::queueAnswer(MessageAnswer::No);
    QtMessageBoxes::queueAnswer(MessageAnswer::Yes);
    QtMessageBoxes::queueAnswer(MessageAnswer::Ok);
    EXPECT_EQ(boxes.showMessage("a", "", MessageIcon::Information, MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_EQ(boxes.showMessage(kNotFound, kSorry, MessageIcon::Information, MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_EQ(boxes.showMessage(kPath, "", MessageIcon::Error, MessageButtons::Ok), MessageAnswer::Ok);

    const std::vector<ShownMessageBox> shown = QtMessageBoxes::takeShownBoxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "a");
    EXPECT_EQ(shown[0].title, kDefaultMessageTitle);
    EXPECT_EQ(shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(shown[1].text, kNotFound);
    EXPECT_EQ(shown[1].title, kSorry);
    EXPECT_EQ(shown[2].text, kPath);
    EXPECT_EQ(shown[2].icon, MessageIcon::Error);
    EXPECT_EQ(shown[2].buttons, MessageButtons::Ok);
    EXPECT_TRUE(QtMessageBoxes::takeShownBoxes().empty());
}

TEST_F(MessageBoxesTest, AnOkBoxAnswersOkWhateverIsQueued) {
    QtMessageBoxes::queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(boxes.showMessage("a", "", MessageIcon::Information, MessageButtons::Ok), MessageAnswer::Ok);
}

TEST_F(MessageBoxesTest, RealBoxIsOwnerlessApplicationModalWithTheDefaultTitle) {
    answerRealBox(Qt::Key_Return, [](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), QString::fromUtf8("信息："));
        EXPECT_EQ(box.text(), toQString(kNotFound));
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.parentWidget(), nullptr);
        EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
    });
    EXPECT_EQ(boxes.showMessage(kNotFound, "", MessageIcon::Error, MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(stuck);
}

TEST_F(MessageBoxesTest, RealYesNoBoxDefaultsToYes) {
    answerRealBox(Qt::Key_Return, [](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), QString::fromUtf8("sorry"));
        EXPECT_EQ(box.icon(), QMessageBox::Information);
        EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), box.button(QMessageBox::Yes));
    });
    EXPECT_EQ(boxes.showMessage("a", kSorry, MessageIcon::Information, MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(stuck);
}

TEST_F(MessageBoxesTest, EscapeOnARealYesNoBoxAnswersNo) {
    answerRealBox(Qt::Key_Escape, [](QMessageBox&) {});
    EXPECT_EQ(boxes.showMessage("a", "", MessageIcon::Information, MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(stuck);
}

TEST_F(MessageBoxesTest, ClosingARealYesNoBoxAnswersNo) {
    playRealBox([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(boxes.showMessage("a", "", MessageIcon::Information, MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(stuck);
}

}  // namespace
}  // namespace tankora

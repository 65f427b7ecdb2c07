#include "ui/qt_entry_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "ui/gbk_qt.h"
#include "ui/qt_controls.h"
#include "ui/qt_toolkit.h"
#include "window_checks.h"

namespace tankora {
namespace {

struct TextChange {
    EntryBox box;
    bool sourceFocused;
    std::string text;
};

class RecordingEntryEvents : public EntryDialogEvents {
public:
    void created(EntryDialogView& dialog) override {
        ++createdRuns;
        if (onCreated) onCreated(dialog);
    }
    void textChanged(EntryDialogView& dialog, EntryBox box) override {
        changes.push_back({box, dialog.box(box).hasFocus(), dialog.box(box).text()});
    }
    void okClicked(EntryDialogView&) override { ++oks; }
    void cancelClicked(EntryDialogView& dialog) override {
        ++cancels;
        dialog.destroy();
    }
    void destroyed(EntryDialogView& dialog) override {
        ++destroyedRuns;
        fuelTypeWhenDestroyed = dialog.fuelType().text();
    }

    std::function<void(EntryDialogView&)> onCreated;
    std::vector<TextChange> changes;
    int createdRuns = 0, oks = 0, cancels = 0, destroyedRuns = 0;
    std::string fuelTypeWhenDestroyed;
};

class EntryDialogTest : public ::testing::Test {
protected:
    template <typename T = QWidget>
    T* control(const char* name) {
        return testing::findControl<T>(dialog, name);
    }
    void showActive() {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    RecordingEntryEvents events;
    QtEntryDialog dialog{events};
};

TEST_F(EntryDialogTest, ControlsSitAtTheirDesignPlacesWithTheirTexts) {
    struct Design {
        const char* name;
        QRect place;
        const char* text;  // labels and buttons
    };
    const Design designs[] = {
        {"透明标签2", {20, 9, 64, 24}, "日期"},        {"日期框1", {93, 9, 137, 22}, nullptr},
        {"透明标签3", {20, 33, 64, 24}, "里程表读数"}, {"编辑框2", {93, 34, 137, 23}, nullptr},
        {"透明标签1", {240, 32, 80, 24}, "公里"},      {"透明标签4", {20, 59, 64, 24}, "燃油类型"},
        {"组合框1", {93, 61, 137, 20}, nullptr},       {"透明标签5", {20, 84, 64, 24}, "单价"},
        {"编辑框4", {93, 84, 137, 23}, nullptr},       {"透明标签9", {240, 83, 80, 24}, "元/升"},
        {"透明标签7", {20, 113, 64, 24}, "金额"},      {"编辑框6", {93, 112, 137, 23}, nullptr},
        {"透明标签12", {240, 110, 80, 24}, "元"},      {"透明标签6", {20, 141, 64, 24}, "加油量"},
        {"编辑框5", {93, 141, 137, 23}, nullptr},      {"透明标签11", {241, 141, 80, 24}, "升"},
        {"透明标签8", {20, 167, 64, 24}, "是否加满"},  {"组合框2", {93, 170, 137, 20}, nullptr},
        {"进度条1", {-3, 194, 308, 2}, nullptr},       {"按钮1", {93, 206, 70, 24}, "确定"},
        {"按钮2", {167, 206, 65, 24}, "取消"},
    };
    for (const Design& d : designs) {
        QWidget* widget = control(d.name);
        if (widget == nullptr) continue;
        EXPECT_EQ(widget->geometry(), d.place) << d.name;
        if (d.text != nullptr) testing::expectControlText(*widget, d.text);
    }
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("添加/修改"));
    EXPECT_EQ(dialog.minimumSize(), QSize(295, 249));
    EXPECT_EQ(dialog.maximumSize(), QSize(295, 249));
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    for (const char* name : {"按钮1", "按钮2"}) {
        auto* push = control<QPushButton>(name);
        ASSERT_NE(push, nullptr);
        EXPECT_FALSE(push->isDefault()) << name;
        EXPECT_FALSE(push->autoDefault()) << name;
    }
}

TEST_F(EntryDialogTest, OpensWithTheInitialContents) {
    auto* fuelType = control<QComboBox>("组合框1");
    ASSERT_NE(fuelType, nullptr);
    EXPECT_TRUE(fuelType->isEditable());
    ASSERT_EQ(fuelType->count(), 3);
    EXPECT_EQ(fuelType->itemText(0), QStringLiteral("93"));
    EXPECT_EQ(fuelType->itemText(1), QStringLiteral("97"));
    EXPECT_EQ(fuelType->itemText(2), QString::fromUtf8("其他"));
    EXPECT_EQ(fuelType->currentIndex(), -1);
    EXPECT_EQ(dialog.view().fuelType().text(), "");

    auto* fullTank = control<QComboBox>("组合框2");
    ASSERT_NE(fullTank, nullptr);
    EXPECT_FALSE(fullTank->isEditable());
    EXPECT_EQ(fullTank->count(), 2);
    EXPECT_EQ(fullTank->currentText(), QString::fromUtf8("是"));
    EXPECT_EQ(dialog.view().fullTank().selectedIndex(), 0);
    EXPECT_EQ(dialog.view().fullTank().itemText(1), "\xb7\xf1");  // 否

    for (EntryBox box : {EntryBox::Odometer, EntryBox::UnitPrice, EntryBox::Amount, EntryBox::Litres})
        EXPECT_EQ(dialog.view().box(box).text(), "");

    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_NEAR(dialog.view().date().value(), fromQDateTime(QDateTime(now.date(), now.time(), Qt::UTC)),
                5.0 / 86400);
    EXPECT_TRUE(control<QDateTimeEdit>("日期框1")->calendarPopup());
}

TEST_F(EntryDialogTest, EachViewBoxIsItsNamedControl) {
    const std::pair<EntryBox, const char*> boxes[] = {{EntryBox::Odometer, "编辑框2"},
                                                      {EntryBox::UnitPrice, "编辑框4"},
                                                      {EntryBox::Amount, "编辑框6"},
                                                      {EntryBox::Litres, "编辑框5"}};
    for (auto [box, name] : boxes) {
        dialog.view().box(box).setText("\x37\x2e\x35\xd4\xaa");  // 7.5元
        auto* edit = control<QLineEdit>(name);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), QString::fromUtf8("7.5元")) << name;
    }
    dialog.view().setCaption("\xd0\xde\xb8\xc4");  // 修改
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("修改"));
    dialog.view().fuelType().setText("\xc6\xe4\xcb\xfb");  // 其他
    EXPECT_EQ(control<QComboBox>("组合框1")->currentText(), QString::fromUtf8("其他"));
    dialog.view().date().setValue(38418.75);
    EXPECT_EQ(control<QDateTimeEdit>("日期框1")->date(), QDate(2005, 3, 7));
}

TEST_F(EntryDialogTest, ProgramSetTextsForwardTheCalculatingBoxesOnly) {
    dialog.view().box(EntryBox::Odometer).setText("12000");
    dialog.view().box(EntryBox::UnitPrice).setText("7.5");
    dialog.view().box(EntryBox::Amount).setText("300");
    dialog.view().box(EntryBox::Litres).setText("40");
    ASSERT_EQ(events.changes.size(), 3u);
    EXPECT_EQ(events.changes[0].box, EntryBox::UnitPrice);
    EXPECT_EQ(events.changes[0].text, "7.5");
    EXPECT_EQ(events.changes[1].box, EntryBox::Amount);
    EXPECT_EQ(events.changes[2].box, EntryBox::Litres);
    for (const TextChange& change : events.changes) EXPECT_FALSE(change.sourceFocused);
}

TEST_F(EntryDialogTest, TypingChangesTheFocusedBox) {
    showActive();
    auto* amount = control<QLineEdit>("编辑框6");
    ASSERT_NE(amount, nullptr);
    amount->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.view().box(EntryBox::Amount).hasFocus());
    EXPECT_FALSE(dialog.view().box(EntryBox::Litres).hasFocus());
    EXPECT_FALSE(dialog.view().box(EntryBox::UnitPrice).hasFocus());

    QTest::keyClicks(amount, "30");
    ASSERT_EQ(events.changes.size(), 2u);
    EXPECT_EQ(events.changes[1].box, EntryBox::Amount);
    EXPECT_EQ(events.changes[1].text, "30");
    EXPECT_TRUE(events.changes[1].sourceFocused);

    // A box the program fills meanwhile is not the focused one.
    dialog.view().box(EntryBox::Litres).setText("4");
    EXPECT_FALSE(events.changes.back().sourceFocused);
}

TEST_F(EntryDialogTest, EnterInABoxClosesNothing) {
    showActive();
    for (const char* name : {"编辑框2", "编辑框6"}) {
        auto* edit = control<QLineEdit>(name);
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter);
    }
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(events.oks, 0);
    EXPECT_EQ(events.destroyedRuns, 0);
}

TEST_F(EntryDialogTest, ShowsCentredOnTheScreen) {
    showActive();
    const QPoint screenCentre = dialog.screen()->availableGeometry().center();
    EXPECT_LE((dialog.frameGeometry().center() - screenCentre).manhattanLength(), 30);
}

TEST_F(EntryDialogTest, OkForwardsAndLeavesTheDialogToTheLogic) {
    showActive();
    QTest::mouseClick(control<QPushButton>("按钮1"), Qt::LeftButton);
    EXPECT_EQ(events.oks, 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(events.destroyedRuns, 0);
}

class RunEntryDialogTest : public ::testing::Test {
protected:
    // Runs the dialog through the toolkit; `play` acts on it once its modal loop runs.
    // A dialog still up after five seconds is closed and the run marked as stuck.
    void run(std::function<void(QtEntryDialog&)> play) {
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QtEntryDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            poll.stop();
            sawModalLoop = true;
            play(*dialog);
            QTimer::singleShot(5000, dialog, [this, dialog] {
                stuck = true;
                dialog->done(0);
            });
        });
        poll.start();
        toolkit.runEntryDialog(events);
    }

    RecordingEntryEvents events;
    QtToolkit toolkit;
    bool sawModalLoop = false;
    bool stuck = false;
};

TEST_F(RunEntryDialogTest, DestroyEndsTheModalLoopAfterOneDestroyedEvent) {
    events.onCreated = [](EntryDialogView& view) { view.fuelType().setText("\x39\x37"); };  // 97
    run([](QtEntryDialog& dialog) {
        EXPECT_TRUE(dialog.isModal());
        dialog.view().destroy();
        dialog.view().destroy();
    });
    EXPECT_TRUE(sawModalLoop);
    EXPECT_FALSE(stuck);
    EXPECT_EQ(events.createdRuns, 1);
    EXPECT_EQ(events.destroyedRuns, 1);
    EXPECT_EQ(events.fuelTypeWhenDestroyed, "97");
}

TEST_F(RunEntryDialogTest, CancelButtonEscapeAndCloseBoxEachDestroyOnce) {
    const std::function<void(QtEntryDialog&)> ways[] = {
        [](QtEntryDialog& d) {
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("按钮2")), Qt::LeftButton);
        },
        [](QtEntryDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](QtEntryDialog& d) { d.close(); },
    };
    int expectedCancels = 0;
    for (std::size_t way = 0; way < std::size(ways); ++way) {
        events = RecordingEntryEvents();
        stuck = false;
        run(ways[way]);
        EXPECT_FALSE(stuck) << way;
        EXPECT_EQ(events.destroyedRuns, 1) << way;
        expectedCancels = way == 0 ? 1 : 0;
        EXPECT_EQ(events.cancels, expectedCancels) << way;
    }
}

TEST_F(RunEntryDialogTest, DestroyedDuringCreationNeverEntersTheLoop) {
    events.onCreated = [](EntryDialogView& view) { view.destroy(); };
    run([](QtEntryDialog&) {});
    EXPECT_FALSE(sawModalLoop);
    EXPECT_EQ(events.destroyedRuns, 1);
}

}  // namespace
}  // namespace tankora

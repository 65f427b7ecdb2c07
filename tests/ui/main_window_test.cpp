#include "ui/qt_main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

#include "support/fake_toolkit.h"
#include "ui/gbk_qt.h"
#include "window_checks.h"

namespace tankora {
namespace {

// Counts the events and, like the program, destroys the window on Close.
class RecordingMainEvents : public MainWindowEvents {
public:
    void created(MainWindowView& window) override {
        ++createdRuns;
        if (onCreated) onCreated(window);
    }
    void destroying(MainWindowView& window) override {
        ++destroyingRuns;
        stateWhenDestroying = window.window().displayState();
    }
    void addClicked(MainWindowView&) override { ++adds; }
    void modifyClicked(MainWindowView& window) override {
        ++modifies;
        selectedWhenModifying = window.logList().selectedRow();
    }
    void deleteClicked(MainWindowView&) override { ++deletes; }
    void reportClicked(MainWindowView&) override { ++reports; }
    void closeClicked(MainWindowView& window) override {
        ++closes;
        window.destroy();
    }

    std::function<void(MainWindowView&)> onCreated;
    int createdRuns = 0, destroyingRuns = 0, adds = 0, modifies = 0, deletes = 0, reports = 0, closes = 0;
    int selectedWhenModifying = -2;
    int stateWhenDestroying = -1;
};

class MainWindowTest : public ::testing::Test {
protected:
    template <typename T = QWidget>
    T* control(const char* name) {
        return testing::findControl<T>(window, name);
    }
    // The application's message loop, ended with 1 after five seconds if nothing ends it.
    static int runMessageLoop() {
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        watchdog.start(5000);
        return QApplication::exec();
    }
    QPushButton* button(int number) {
        return control<QPushButton>(("按钮" + std::to_string(number)).c_str());
    }

    RecordingMainEvents events;
    QtMainWindow window{events};
};

TEST_F(MainWindowTest, ControlsSitAtTheirDesignPlacesWithTheirTexts) {
    struct Design {
        const char* name;
        const char* parent;
        QRect place;
        const char* text;  // for labels and buttons
    };
    const Design designs[] = {
        {"超级列表框1", nullptr, {2, 2, 694, 402}, nullptr},
        {"外形框1", nullptr, {1, 401, 408, 80}, nullptr},
        {"透明标签1", "外形框1", {8, 8, 111, 16}, "总里程:0公里"},
        {"透明标签2", "外形框1", {8, 29, 136, 16}, "总耗油量:0.00升"},
        {"透明标签4", "外形框1", {8, 50, 88, 16}, "总油费:0.00元"},
        {"透明标签5", "外形框1", {126, 9, 88, 16}, "天数:0天"},
        {"透明标签6", "外形框1", {125, 30, 128, 16}, "平均油价:0.00元/升"},
        {"透明标签3", "外形框1", {260, 9, 152, 16}, "平均里程:0.00公里/天"},
        {"透明标签7", "外形框1", {260, 29, 152, 16}, "平均油耗:0.00升/百公里"},
        {"透明标签8", "外形框1", {260, 49, 152, 16}, "平均油费:0.00元/公里"},
        {"超级链接框1", nullptr, {424, 416, 16, 16}, nullptr},
        {"按钮1", nullptr, {467, 410, 69, 24}, "添加"},
        {"按钮2", nullptr, {537, 410, 69, 24}, "修改"},
        {"按钮3", nullptr, {607, 410, 69, 24}, "删除"},
        {"按钮4", nullptr, {537, 441, 69, 24}, "生成报告"},
        {"按钮5", nullptr, {607, 441, 69, 24}, "关闭"},
    };
    for (const Design& d : designs) {
        QWidget* widget = control(d.name);
        if (widget == nullptr) continue;
        EXPECT_EQ(widget->geometry(), d.place) << d.name;
        QWidget* expectedParent = d.parent ? control(d.parent) : &window;
        EXPECT_EQ(widget->parentWidget(), expectedParent) << d.name;
        if (d.text != nullptr) testing::expectControlText(*widget, d.text);
    }
    EXPECT_EQ(window.size(), QSize(698, 482));
    EXPECT_NE(qobject_cast<QTableView*>(control("超级列表框1")), nullptr);
    EXPECT_NE(qobject_cast<QFrame*>(control("外形框1")), nullptr);
    window.open();
    EXPECT_FALSE(control("超级链接框1")->isVisible());
    EXPECT_TRUE(control("按钮5")->isVisible());
}

TEST_F(MainWindowTest, EnlargingTheWindowMovesNoControl) {
    window.open();
    window.resize(1000, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(control("超级列表框1")->geometry(), QRect(2, 2, 694, 402));
    EXPECT_EQ(control("按钮5")->geometry(), QRect(607, 441, 69, 24));
}

TEST_F(MainWindowTest, ListHasTheNineColumnsOfTheLog) {
    ReportList& list = window.view().logList();
    const auto expected = testing::mainListColumns();
    ASSERT_EQ(list.columnCount(), static_cast<int>(expected.size()));
    for (int c = 0; c < list.columnCount(); ++c) {
        EXPECT_EQ(list.columnTitle(c), expected[c].title) << c;
        EXPECT_EQ(list.columnWidth(c), expected[c].width) << c;
    }
    EXPECT_EQ(list.selectedRow(), -1);
    EXPECT_EQ(list.cellText(-1, 0), "");
    const int row = list.appendRow();
    list.setCellText(row, 5, "\xc6\xe4\xcb\xfb");  // 其他
    EXPECT_EQ(list.cellText(row, 5), "\xc6\xe4\xcb\xfb");
    auto* table = control<QTableView>("超级列表框1");
    EXPECT_EQ(table->model()->data(table->model()->index(row, 5)).toString(), QString::fromUtf8("其他"));
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(table->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_TRUE(table->showGrid());
}

TEST_F(MainWindowTest, TitleAndSummaryLabelsGoThroughTheView) {
    window.view().window().setTitle("Tankora v3.0");
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tankora v3.0"));
    for (int n = 1; n <= 8; ++n) {
        const std::string text = "\xcc\xec\xca\xfd\x3a" + std::to_string(n);  // 天数:n
        window.view().summaryLabel(n).setText(text);
        auto* label = control<QLabel>(("透明标签" + std::to_string(n)).c_str());
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), toQString(text)) << n;
        EXPECT_EQ(window.view().summaryLabel(n).text(), text) << n;
    }
}

TEST_F(MainWindowTest, CreationRunsOnceBeforeTheWindowIsShown) {
    bool visibleDuringCreation = true;
    events.onCreated = [&](MainWindowView& view) {
        visibleDuringCreation = window.isVisible();
        view.window().setTitle("Tankora v3.0");
    };
    window.open();
    window.open();
    EXPECT_EQ(events.createdRuns, 1);
    EXPECT_FALSE(visibleDuringCreation);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tankora v3.0"));
}

TEST_F(MainWindowTest, OpensCentredOnTheScreen) {
    window.open();
    const QPoint screenCentre = window.screen()->availableGeometry().center();
    EXPECT_LE((window.frameGeometry().center() - screenCentre).manhattanLength(), 30);
}

TEST_F(MainWindowTest, DisplayStateSetBeforeShowingIsApplied) {
    events.onCreated = [](MainWindowView& view) { view.window().setDisplayState(3); };
    window.open();
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.view().window().displayState(), 3);
}

TEST_F(MainWindowTest, DisplayStatesAreClampedAndReadBack) {
    struct Case {
        int set;
        int read;
        Qt::WindowStates states;
    };
    const Case cases[] = {
        {3, 3, Qt::WindowMaximized}, {7, 3, Qt::WindowMaximized}, {0, 0, Qt::WindowNoState},
        {2, 2, Qt::WindowMinimized}, {-1, 0, Qt::WindowNoState},  {3, 3, Qt::WindowMaximized},
        {1, 0, Qt::WindowNoState},   {2, 2, Qt::WindowMinimized}, {0, 0, Qt::WindowNoState},
    };
    window.open();
    TopLevelWindow& top = window.view().window();
    for (const Case& c : cases) {
        top.setDisplayState(c.set);
        EXPECT_EQ(top.displayState(), c.read) << c.set;
        EXPECT_EQ(window.windowState(), c.states) << c.set;
    }
}

TEST_F(MainWindowTest, CentredStateMovesTheWindowToTheMiddle) {
    window.open();
    window.move(0, 0);
    window.view().window().setDisplayState(1);
    const QPoint screenCentre = window.screen()->availableGeometry().center();
    EXPECT_LE((window.frameGeometry().center() - screenCentre).manhattanLength(), 30);
}

TEST_F(MainWindowTest, ButtonsAndDoubleClickForwardTheirEvents) {
    window.open();
    for (int n = 1; n <= 4; ++n) QTest::mouseClick(button(n), Qt::LeftButton);
    EXPECT_EQ(events.adds, 1);
    EXPECT_EQ(events.modifies, 1);
    EXPECT_EQ(events.deletes, 1);
    EXPECT_EQ(events.reports, 1);
    EXPECT_EQ(events.selectedWhenModifying, -1);

    ReportList& list = window.view().logList();
    for (int r = 0; r < 3; ++r) list.setCellText(list.appendRow(), 0, std::to_string(r + 1));
    auto* table = control<QTableView>("超级列表框1");
    const QPoint onRow1 = table->visualRect(table->model()->index(1, 0)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, onRow1);
    EXPECT_EQ(events.modifies, 1);  // a click only selects
    EXPECT_EQ(list.selectedRow(), 1);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, onRow1);
    EXPECT_EQ(events.modifies, 2);
    EXPECT_EQ(events.selectedWhenModifying, 1);
    EXPECT_EQ(events.destroyingRuns, 0);
}

TEST_F(MainWindowTest, CloseButtonDestroysOnceAndEndsTheMessageLoop) {
    window.open();
    window.view().window().setDisplayState(3);
    QTimer::singleShot(0, &window, [this] { QTest::mouseClick(button(5), Qt::LeftButton); });
    EXPECT_EQ(runMessageLoop(), 0);
    EXPECT_EQ(events.closes, 1);
    EXPECT_EQ(events.destroyingRuns, 1);
    EXPECT_EQ(events.stateWhenDestroying, 3);  // read while the window still shows it
    EXPECT_FALSE(window.isVisible());
    window.view().destroy();
    EXPECT_EQ(events.destroyingRuns, 1);
}

TEST_F(MainWindowTest, CloseBoxDestroysOnceAndEndsTheMessageLoop) {
    window.open();
    QTimer::singleShot(0, &window, [this] { window.close(); });
    EXPECT_EQ(runMessageLoop(), 0);
    EXPECT_EQ(events.destroyingRuns, 1);
    EXPECT_EQ(events.closes, 0);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace tankora

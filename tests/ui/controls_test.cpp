#include "ui/qt_controls.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>

#include "text/value_text.h"
#include "ui/gbk_qt.h"

namespace tankora {
namespace {

QDateTime utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

TEST(DateTimeConversion, DaysSince1899MatchTheCalendar) {
    struct Case {
        double value;
        QDateTime shown;
    };
    const Case cases[] = {
        {0.0, utc(1899, 12, 30)},
        {1.0, utc(1899, 12, 31)},
        {2.0, utc(1900, 1, 1)},
        {36526.0, utc(2000, 1, 1)},
        {38418.75, utc(2005, 3, 7, 18)},
        {38418.5 + 61.0 / 86400, utc(2005, 3, 7, 12, 1, 1)},
        {-1.25, utc(1899, 12, 29, 6)},
        {kFirstValidDate, utc(100, 1, 1)},
        {kLastValidDate, utc(9999, 12, 31)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toQDateTime(c.value), c.shown) << c.value;
        EXPECT_NEAR(fromQDateTime(c.shown), c.value, 1e-9) << c.value;
    }
}

TEST(DateTimeConversion, RoundsToTheSecondAndClampsWildValues) {
    EXPECT_EQ(toQDateTime(-0.25), utc(1899, 12, 30, 6));     // the same moment as 0.25
    EXPECT_EQ(toQDateTime(38418.9999999), utc(2005, 3, 8));  // under half a second before midnight
    EXPECT_EQ(toQDateTime(-3000000.0), utc(100, 1, 1));
    EXPECT_EQ(toQDateTime(3000000.0), utc(9999, 12, 31));
    EXPECT_EQ(toQDateTime(std::numeric_limits<double>::quiet_NaN()), utc(9999, 12, 31));
    EXPECT_EQ(toQDateTime(-std::numeric_limits<double>::infinity()), utc(100, 1, 1));
}

TEST(QtDatePicker, StartsAtNowAndHoldsSetValues) {
    QDateTimeEdit edit;
    QtDatePicker picker(&edit);
    const QDateTime now = QDateTime::currentDateTime();
    const double expected = fromQDateTime(QDateTime(now.date(), now.time(), Qt::UTC));
    EXPECT_NEAR(picker.value(), expected, 5.0 / 86400);
    EXPECT_TRUE(edit.calendarPopup());
    EXPECT_EQ(edit.minimumDate(), QDate(100, 1, 1));
    EXPECT_EQ(edit.maximumDate(), QDate(9999, 12, 31));

    for (double value : {38418.75, -1.25, 45000.0 + 3723.0 / 86400, kFirstValidDate, kLastValidDate}) {
        picker.setValue(value);
        EXPECT_NEAR(picker.value(), value, 1e-9) << value;
    }
    picker.setValue(std::numeric_limits<double>::infinity());
    EXPECT_EQ(picker.value(), kLastValidDate);
}

TEST(QtDatePicker, KeepsTheTimeOfDayWhenTheUserChangesTheDate) {
    QDateTimeEdit edit;
    QtDatePicker picker(&edit);
    picker.setValue(38418.75);  // 2005-03-07 18:00
    EXPECT_EQ(edit.text(), QString::fromUtf8("2005年3月7日"));
    edit.show();
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_NE(picker.value(), 38418.75);
    EXPECT_NEAR(picker.value() - std::floor(picker.value()), 0.75, 1e-9);
}

TEST(QtComboBox, EditableWithItemsNoneChosenTextFree) {
    QComboBox combo;
    QtComboBox box(&combo, {"\x39\x33", "\x39\x37", "\xc6\xe4\xcb\xfb"});  // 93, 97, 其他
    EXPECT_TRUE(combo.isEditable());
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(2), QString::fromUtf8("其他"));
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(box.text(), "");

    box.setText("\x39\x35\xba\xc5");  // 95号, not an item
    EXPECT_EQ(box.text(), "\x39\x35\xba\xc5");
    combo.setCurrentIndex(1);
    EXPECT_EQ(box.text(), "97");

    // What the user types stays as typed: no completion to an item, no new item.
    box.setText("");
    combo.show();
    combo.setFocus();
    QTest::keyClicks(combo.lineEdit(), "9");
    EXPECT_EQ(box.text(), "9");
    QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(combo.count(), 3);
}

TEST(QtDropDownList, SelectsByNumberAndAnswersOutOfRange) {
    QComboBox combo;
    QtDropDownList list(&combo, {"\xca\xc7", "\xb7\xf1"});  // 是, 否
    EXPECT_FALSE(combo.isEditable());
    EXPECT_EQ(list.selectedIndex(), -1);
    list.setSelectedIndex(1);
    EXPECT_EQ(list.selectedIndex(), 1);
    EXPECT_EQ(combo.currentText(), QString::fromUtf8("否"));
    EXPECT_EQ(list.itemText(0), "\xca\xc7");
    for (int outside : {-1, 2, 1000}) {
        EXPECT_EQ(list.itemText(outside), "") << outside;
        list.setSelectedIndex(1);
        list.setSelectedIndex(outside);
        EXPECT_EQ(list.selectedIndex(), -1) << outside;
    }
}

class ReportListTest : public ::testing::Test {
protected:
    ReportTable table{
        {{"\xd0\xf2\xba\xc5", 50}, {"\xc8\xd5\xc6\xda", 100}, {"\xbc\xd3\xc2\xfa", 50}},  // 序号 日期 加满
        nullptr};
    QtReportList list{&table};
};

TEST_F(ReportListTest, RowsAndCells) {
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.appendRow(), 0);
    EXPECT_EQ(list.appendRow(), 1);
    list.setCellText(1, 2, "\xca\xc7");  // 是
    list.setCellText(0, 0, "1");
    EXPECT_EQ(list.cellText(1, 2), "\xca\xc7");
    EXPECT_EQ(list.cellText(0, 0), "1");
    EXPECT_EQ(list.cellText(0, 1), "");  // never set
    for (auto [row, column] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 3}}) {
        list.setCellText(row, column, "x");
        EXPECT_EQ(list.cellText(row, column), "") << row << "," << column;
    }
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(table.model()->columnCount(), 3);
    list.deleteAllRows();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.appendRow(), 0);
}

TEST_F(ReportListTest, RewrittenCellShowsOnlyItsNewText) {
    const int row = list.appendRow();
    list.setCellText(row, 2, "\xb2\xbb\xbf\xc9\xbc\xc6\xcb\xe3");  // 不可计算
    table.selectRow(row);
    list.setCellText(row, 2, "8\xc9\xfd/\xb0\xd9\xb9\xab\xc0\xef");  // 8升/百公里
    EXPECT_EQ(list.cellText(row, 2), "8\xc9\xfd/\xb0\xd9\xb9\xab\xc0\xef");
    const QModelIndex cell = table.model()->index(row, 2);
    EXPECT_EQ(table.model()->data(cell).toString(), QString::fromUtf8("8升/百公里"));
    EXPECT_FALSE(table.model()->flags(cell) & Qt::ItemIsEditable);
    EXPECT_EQ(list.selectedRow(), row);
    // A text put in through Qt itself reads back through the list.
    EXPECT_TRUE(table.model()->setData(cell, QString::fromUtf8("否")));
    EXPECT_EQ(list.cellText(row, 2), "\xb7\xf1");
    EXPECT_EQ(table.model()->data(cell).toString(), QString::fromUtf8("否"));
}

TEST_F(ReportListTest, SelectionIsOneWholeRowOrNone) {
    for (int r = 0; r < 3; ++r) list.setCellText(list.appendRow(), 0, std::to_string(r + 1));
    EXPECT_EQ(list.selectedRow(), -1);
    EXPECT_EQ(list.cellText(list.selectedRow(), 0), "");
    table.selectRow(2);
    EXPECT_EQ(list.selectedRow(), 2);
    EXPECT_EQ(table.selectionModel()->selectedIndexes().size(), 3);  // every cell of the row
    table.selectRow(1);
    EXPECT_EQ(list.selectedRow(), 1);
    list.deleteAllRows();
    EXPECT_EQ(list.selectedRow(), -1);
}

TEST_F(ReportListTest, ColumnsAndHeaderThatSortsNothing) {
    EXPECT_EQ(list.columnCount(), 3);
    EXPECT_EQ(list.columnTitle(1), "\xc8\xd5\xc6\xda");
    EXPECT_EQ(list.columnWidth(0), 50);
    EXPECT_EQ(list.columnWidth(1), 100);
    EXPECT_EQ(list.columnTitle(3), "");
    EXPECT_EQ(list.columnWidth(-1), 0);
    table.setColumnWidth(1, 140);  // the user drags the divider
    EXPECT_EQ(list.columnWidth(1), 140);

    list.setCellText(list.appendRow(), 0, "2");
    list.setCellText(list.appendRow(), 0, "1");
    table.resize(300, 200);
    table.show();
    QHeaderView* header = table.horizontalHeader();
    EXPECT_TRUE(header->sectionsClickable());
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
    EXPECT_EQ(list.cellText(0, 0), "2");
    EXPECT_EQ(list.cellText(1, 0), "1");
    EXPECT_EQ(list.selectedRow(), -1);
    EXPECT_EQ(table.editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(ReportListTest, SelectionShowsOnlyWhileTheListHasTheFocus) {
    QWidget window;
    QLineEdit other(&window);
    table.setParent(&window);
    table.move(0, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    table.setFocus();
    QCoreApplication::processEvents();
    const QPalette focused = table.palette();
    EXPECT_NE(focused.color(QPalette::Active, QPalette::Highlight),
              focused.color(QPalette::Active, QPalette::Base));
    other.setFocus();
    QCoreApplication::processEvents();
    const QPalette unfocused = table.palette();
    EXPECT_EQ(unfocused.color(QPalette::Active, QPalette::Highlight),
              unfocused.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(unfocused.color(QPalette::Inactive, QPalette::Highlight),
              unfocused.color(QPalette::Inactive, QPalette::Base));
    table.setParent(nullptr);
}

TEST_F(ReportListTest, BatchHoldsRepaints) {
    list.beginBatch();
    EXPECT_FALSE(table.updatesEnabled());
    for (int r = 0; r < 500; ++r) list.setCellText(list.appendRow(), 0, std::to_string(r));
    list.endBatch();
    EXPECT_TRUE(table.updatesEnabled());
    EXPECT_EQ(list.cellText(499, 0), "499");
}

TEST_F(ReportListTest, ViewHearsOfABatchOnceAtItsEnd) {
    QSignalSpy inserted(table.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(table.model(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(table.model(), &QAbstractItemModel::modelReset);
    // Outside a batch each change is told, so the view shows it.
    list.setCellText(list.appendRow(), 0, "1");
    list.setCellText(list.appendRow(), 0, "2");
    EXPECT_EQ(inserted.count(), 2);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(table.verticalHeader()->count(), 2);
    table.selectRow(1);

    list.beginBatch();
    list.beginBatch();  // nested: only the outermost end counts
    list.deleteAllRows();
    EXPECT_EQ(list.selectedRow(), -1);
    for (int r = 0; r < 5; ++r) list.setCellText(list.appendRow(), 0, std::to_string(r));
    list.endBatch();
    EXPECT_EQ(reset.count(), 0);
    EXPECT_FALSE(table.updatesEnabled());
    EXPECT_EQ(table.verticalHeader()->count(), 2);  // still the rows it last heard of
    list.endBatch();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(inserted.count(), 2);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_TRUE(table.updatesEnabled());
    EXPECT_EQ(table.verticalHeader()->count(), 5);
    EXPECT_EQ(table.model()->data(table.model()->index(4, 0)).toString(), QStringLiteral("4"));
    EXPECT_EQ(list.selectedRow(), -1);
    list.endBatch();  // an end without a start changes nothing
    EXPECT_EQ(reset.count(), 1);
    EXPECT_TRUE(table.updatesEnabled());
}

TEST_F(ReportListTest, CellsOfARowKeepTheirTextsWhateverTheirLengths) {
    // Lengths around where a cell's stored length needs a second and a third byte, texts
    // with zero bytes and GBK bytes; each rewrites the middle cell over the one before.
    const std::string texts[] = {
        "",
        std::string("a\0b", 3),
        "\xc6\xe4\xcb\xfb",  // 其他
        std::string(127, 'x'),
        std::string(128, '\x80'),
        std::string(16383, '7'),
        std::string(16384, '\xff'),
        std::string(70000, '\0'),
        "9",
    };
    const int row = list.appendRow();
    list.setCellText(row, 0, "first");
    list.setCellText(row, 2, "\xca\xc7");  // 是
    for (const std::string& text : texts) {
        list.setCellText(row, 1, text);
        EXPECT_EQ(list.cellText(row, 1), text) << text.size();
        EXPECT_EQ(list.cellText(row, 0), "first") << text.size();
        EXPECT_EQ(list.cellText(row, 2), "\xca\xc7") << text.size();
    }
    // Growing and shrinking the last cell leaves the ones before it alone.
    for (const std::string& text : texts) {
        list.setCellText(row, 2, text);
        EXPECT_EQ(list.cellText(row, 2), text) << text.size();
        EXPECT_EQ(list.cellText(row, 1), "9") << text.size();
    }
    EXPECT_EQ(table.model()->data(table.model()->index(row, 1)).toString(), QStringLiteral("9"));
    const int next = list.appendRow();
    EXPECT_EQ(list.cellText(next, 0), "");
    EXPECT_EQ(list.cellText(next, 2), "");
}

TEST_F(ReportListTest, ColumnDraggedWiderByTheUserReportsItsNewWidth) {
    table.resize(300, 200);
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    QHeaderView* header = table.horizontalHeader();
    const int divider = header->sectionViewportPosition(1);  // between columns 0 and 1
    const int y = header->height() / 2;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(divider - 1, y));
    QTest::mouseMove(header->viewport(), QPoint(divider + 39, y));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(divider + 39, y));
    EXPECT_EQ(list.columnWidth(0), 90);
    EXPECT_EQ(list.columnWidth(1), 100);
}

class LinkControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bin.isValid());
        savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
    }
    void TearDown() override { qputenv("PATH", savedPath); }
    // A stand-in `xdg-open` that writes the path it was given into `log`.
    void installViewer() {
        QFile script(bin.filePath("xdg-open"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.log.tmp\" && /bin/mv \"$0.log.tmp\" \"$0.log\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString viewerLog() const { return bin.filePath("xdg-open.log"); }

    QTemporaryDir bin;
    QByteArray savedPath;
};

TEST_F(LinkControlTest, OpensTheTargetWithTheDesktopViewer) {
    installViewer();
    const std::string target = "/tmp/\xe6\x8a\xa5\xe5\x91\x8a tmp.htm";  // UTF-8 报告
    QtLinkControl link;
    link.setTarget(target);
    EXPECT_TRUE(link.activate());
    ASSERT_TRUE(QTest::qWaitFor([this] { return QFile::exists(viewerLog()); }, 10000));
    QFile log(viewerLog());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray opened = log.readAll();
    // The desktop layer may hand over the path or its file URL.
    EXPECT_TRUE(opened == QByteArray::fromStdString(target) ||
                QUrl(QString::fromUtf8(opened)).toLocalFile() == QString::fromUtf8(target))
        << opened.toStdString();
}

TEST_F(LinkControlTest, ReportsFailureWhenNoViewerStarts) {
    QtLinkControl link;
    link.setTarget("/tmp/tmp.htm");
    EXPECT_FALSE(link.activate());
    link.setTarget("");
    EXPECT_FALSE(link.activate());
}

}  // namespace
}  // namespace tankora

#include "ui/qt_controls.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "text/value_text.h"
#include "ui/gbk_qt.h"

namespace tankora {
namespace {

constexpr int kSecondsPerDay = 86400;
constexpr double kHalfSecond = 0.5 / kSecondsPerDay;
// The long date of a Chinese desktop, as the program writes dates ("2005年3月7日").
const std::string kLongDateFormat = "\x79\x79\x79\x79\xc4\xea\x4d\xd4\xc2\x64\xc8\xd5";  // yyyy年M月d日

QDate dayZero() { return QDate(1899, 12, 30); }

}  // namespace

QDateTime toQDateTime(double dateTime) {
    const double clamped = clampDate(dateTime);
    // To the nearest second, away from zero as the calendar fields are taken.
    const double rounded = clamped >= 0 ? clamped + kHalfSecond : clamped - kHalfSecond;
    const double wholeDays = std::trunc(rounded);
    const double fraction = std::fabs(rounded - wholeDays);
    const int seconds = std::clamp(static_cast<int>(fraction * kSecondsPerDay), 0, kSecondsPerDay - 1);
    const QDate date = dayZero().addDays(static_cast<qint64>(wholeDays));
    return QDateTime(date, QTime(0, 0).addSecs(seconds), Qt::UTC);
}

double fromQDateTime(const QDateTime& dateTime) {
    const double days = static_cast<double>(dayZero().daysTo(dateTime.date()));
    const double fraction = (dateTime.time().msecsSinceStartOfDay() / 1000) / double(kSecondsPerDay);
    return days >= 0 ? days + fraction : days - fraction;
}

void placeControl(QWidget& control, const ControlPlace& place) {
    control.setGeometry(place.left, place.top, place.width, place.height);
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

void useWindowFont(QWidget& window) {
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(12);
    window.setFont(font);
}

std::string QtEditBox::text() const { return toGbk(edit_->text()); }

void QtEditBox::setText(const std::string& text) { edit_->setText(toQString(text)); }

bool QtEditBox::hasFocus() const { return edit_->hasFocus(); }

QtComboBox::QtComboBox(QComboBox* combo, const std::vector<std::string>& items) : combo_(combo) {
    combo_->setEditable(true);
    // Typed texts neither complete to an item nor become items.
    combo_->setCompleter(nullptr);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& item : items) combo_->addItem(toQString(item));
    combo_->setCurrentIndex(-1);
    combo_->setEditText(QString());
}

std::string QtComboBox::text() const { return toGbk(combo_->currentText()); }

void QtComboBox::setText(const std::string& text) { combo_->setEditText(toQString(text)); }

QtDropDownList::QtDropDownList(QComboBox* combo, const std::vector<std::string>& items) : combo_(combo) {
    combo_->setEditable(false);
    for (const std::string& item : items) combo_->addItem(toQString(item));
    combo_->setCurrentIndex(-1);
}

int QtDropDownList::selectedIndex() const { return combo_->currentIndex(); }

void QtDropDownList::setSelectedIndex(int index) {
    combo_->setCurrentIndex(index >= 0 && index < combo_->count() ? index : -1);
}

std::string QtDropDownList::itemText(int index) const {
    if (index < 0 || index >= combo_->count()) return {};
    return toGbk(combo_->itemText(index));
}

QtDatePicker::QtDatePicker(QDateTimeEdit* edit) : edit_(edit) {
    // Wall-clock values in UTC, so no local daylight-saving gap can shift a stored time.
    edit_->setTimeSpec(Qt::UTC);
    edit_->setDateTimeRange(QDateTime(QDate(100, 1, 1), QTime(0, 0), Qt::UTC),
                            QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC));
    edit_->setDisplayFormat(toQString(kLongDateFormat));
    edit_->setCalendarPopup(true);
    const QDateTime now = QDateTime::currentDateTime();
    const QTime time = now.time();
    edit_->setDateTime(QDateTime(now.date(), QTime(time.hour(), time.minute(), time.second()), Qt::UTC));
}

double QtDatePicker::value() const { return clampDate(fromQDateTime(edit_->dateTime())); }

void QtDatePicker::setValue(double dateTime) { edit_->setDateTime(toQDateTime(dateTime)); }

std::string QtLabel::text() const { return toGbk(label_->text()); }

void QtLabel::setText(const std::string& text) { label_->setText(toQString(text)); }

ReportTable::ReportTable(const std::vector<Column>& columns, QWidget* parent)
    : QTableWidget(parent),
      highlight_(palette().color(QPalette::Active, QPalette::Highlight)),
      highlightedText_(palette().color(QPalette::Active, QPalette::HighlightedText)) {
    setColumnCount(static_cast<int>(columns.size()));
    for (int c = 0; c < columnCount(); ++c) {
        auto* header = new QTableWidgetItem(toQString(columns[c].title));
        header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setHorizontalHeaderItem(c, header);
        setColumnWidth(c, columns[c].width);
    }
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    showSelection(false);
}

void ReportTable::focusInEvent(QFocusEvent* event) {
    showSelection(true);
    QTableWidget::focusInEvent(event);
}

void ReportTable::focusOutEvent(QFocusEvent* event) {
    showSelection(false);
    QTableWidget::focusOutEvent(event);
}

void ReportTable::showSelection(bool shown) {
    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const bool visible = shown && group == QPalette::Active;
        colours.setColor(group, QPalette::Highlight,
                         visible ? highlight_ : colours.color(group, QPalette::Base));
        colours.setColor(group, QPalette::HighlightedText,
                         visible ? highlightedText_ : colours.color(group, QPalette::Text));
    }
    setPalette(colours);
    viewport()->update();
}

namespace {

// A list cell that keeps the GBK bytes it was given and makes its QString only when
// asked (in practice, when painted): a row then costs little more than its texts, and
// rows never shown are never converted.
class GbkCell : public QTableWidgetItem {
public:
    explicit GbkCell(const std::string& text) : QTableWidgetItem(UserType), text_(text) {
        setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }
    QVariant data(int role) const override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) return toQString(text_);
        return QTableWidgetItem::data(role);
    }
    void setData(int role, const QVariant& value) override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) text_ = toGbk(value.toString());
        QTableWidgetItem::setData(role, value);
    }
    QTableWidgetItem* clone() const override { return new GbkCell(*this); }

private:
    std::string text_;
};

}  // namespace

void QtReportList::deleteAllRows() { table_->setRowCount(0); }

int QtReportList::appendRow() {
    const int row = table_->rowCount();
    table_->insertRow(row);
    return row;
}

void QtReportList::setCellText(int row, int column, const std::string& text) {
    if (!inRange(row, column)) return;
    // A new cell every time, its text set before it joins the table (which deletes the
    // cell it replaces), so the table tells its views of one change.
    table_->setItem(row, column, new GbkCell(text));
}

std::string QtReportList::cellText(int row, int column) const {
    if (!inRange(row, column)) return {};
    const QTableWidgetItem* item = table_->item(row, column);
    return item == nullptr ? std::string() : toGbk(item->text());
}

int QtReportList::rowCount() const { return table_->rowCount(); }

int QtReportList::selectedRow() const {
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int QtReportList::columnCount() const { return table_->columnCount(); }

std::string QtReportList::columnTitle(int column) const {
    if (column < 0 || column >= table_->columnCount()) return {};
    const QTableWidgetItem* header = table_->horizontalHeaderItem(column);
    return header == nullptr ? std::string() : toGbk(header->text());
}

int QtReportList::columnWidth(int column) const {
    if (column < 0 || column >= table_->columnCount()) return 0;
    return table_->columnWidth(column);
}

void QtReportList::beginBatch() { table_->setUpdatesEnabled(false); }

void QtReportList::endBatch() { table_->setUpdatesEnabled(true); }

bool QtReportList::inRange(int row, int column) const {
    return row >= 0 && row < table_->rowCount() && column >= 0 && column < table_->columnCount();
}

bool QtLinkControl::activate() {
    if (target_.empty()) return false;
    const QString path = pathToQString(target_);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return true;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

namespace {
enum DisplayState { kNormal = 0, kCentred = 1, kMinimized = 2, kMaximized = 3 };
}

void QtTopLevelWindow::setTitle(const std::string& title) { window_->setWindowTitle(toQString(title)); }

int QtTopLevelWindow::displayState() const {
    const Qt::WindowStates states = window_->windowState();
    if (states & Qt::WindowMinimized) return kMinimized;
    if (states & Qt::WindowMaximized) return kMaximized;
    return kNormal;
}

void QtTopLevelWindow::setDisplayState(int state) {
    state = std::clamp(state, int(kNormal), int(kMaximized));
    switch (state) {
        case kMinimized:
            window_->setWindowState(Qt::WindowMinimized);
            break;
        case kMaximized:
            window_->setWindowState(Qt::WindowMaximized);
            break;
        default:
            window_->setWindowState(Qt::WindowNoState);
            if (state == kCentred) centreOnScreen(*window_);
            break;
    }
}

}  // namespace tankora

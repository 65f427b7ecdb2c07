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
#include <limits>

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

namespace {

// A packed cell: its length in 7-bit groups, low first, each but the last with its high
// bit set; then its bytes.
struct PackedCell {
    std::size_t begin;      // the length's first byte
    std::size_t textBegin;  // the text's first byte
    std::size_t end;        // past the text
};

PackedCell findCell(const std::string& row, int column) {
    std::size_t at = 0;
    for (int c = 0;; ++c) {
        // Every row holds every column; a row that did not would read empty past its end.
        if (at >= row.size()) return {row.size(), row.size(), row.size()};
        const std::size_t begin = at;
        std::size_t length = 0;
        for (int shift = 0; at < row.size() && shift < 64; shift += 7) {
            const auto byte = static_cast<unsigned char>(row[at++]);
            length |= static_cast<std::size_t>(byte & 0x7f) << shift;
            if ((byte & 0x80) == 0) break;
        }
        const std::size_t end = at + std::min(length, row.size() - at);
        if (c == column) return {begin, at, end};
        at = end;
    }
}

void appendLength(std::string& packed, std::size_t length) {
    while (length >= 0x80) {
        packed += static_cast<char>(0x80 | (length & 0x7f));
        length >>= 7;
    }
    packed += static_cast<char>(length);
}

constexpr int kLeftAligned = Qt::AlignLeft | Qt::AlignVCenter;

}  // namespace

ReportRows::ReportRows(const std::vector<ReportColumn>& columns, QObject* parent)
    : QAbstractTableModel(parent) {
    for (const ReportColumn& column : columns) titles_.push_back(column.title);
}

int ReportRows::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ReportRows::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant ReportRows::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    if (!index.isValid() || !contains(index.row(), index.column())) return {};
    return toQString(std::string(text(index.row(), index.column())));
}

bool ReportRows::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::DisplayRole && role != Qt::EditRole) return false;
    if (!index.isValid() || !contains(index.row(), index.column())) return false;
    setText(index.row(), index.column(), toGbk(value.toString()));
    return true;
}

Qt::ItemFlags ReportRows::flags(const QModelIndex& index) const {
    if (!index.isValid() || !contains(index.row(), index.column())) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QVariant ReportRows::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section >= 0 && section < columnCount()) {
        if (role == Qt::DisplayRole) return toQString(titles_[section]);
        if (role == Qt::TextAlignmentRole) return kLeftAligned;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool ReportRows::contains(int row, int column) const {
    return row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
}

std::string_view ReportRows::text(int row, int column) const {
    if (!contains(row, column)) return {};
    const std::string& packed = rows_[row];
    const PackedCell cell = findCell(packed, column);
    return std::string_view(packed).substr(cell.textBegin, cell.end - cell.textBegin);
}

void ReportRows::setText(int row, int column, std::string_view text) {
    if (!contains(row, column)) return;
    std::string& packed = rows_[row];
    const PackedCell cell = findCell(packed, column);
    std::string length;
    appendLength(length, text.size());
    const std::size_t size = packed.size() - (cell.end - cell.begin) + length.size() + text.size();
    if (size > packed.capacity()) {
        // Grown to the exact size rather than doubled: most rows are filled once and kept.
        std::string grown;
        grown.reserve(size);
        grown.append(packed, 0, cell.begin).append(length).append(text).append(packed, cell.end);
        packed.swap(grown);
    } else {
        packed.replace(cell.textBegin, cell.end - cell.textBegin, text);
        packed.replace(cell.begin, cell.textBegin - cell.begin, length);
    }
    if (batchDepth_ == 0) {
        const QModelIndex changed = index(row, column);
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    }
}

int ReportRows::appendRow() {
    if (rows_.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) return -1;
    const int row = rowCount();
    if (batchDepth_ == 0) beginInsertRows(QModelIndex(), row, row);
    rows_.emplace_back(titles_.size(), '\0');  // every cell empty
    if (batchDepth_ == 0) endInsertRows();
    return row;
}

void ReportRows::removeAll() {
    if (batchDepth_ == 0) beginResetModel();
    rows_.clear();
    if (batchDepth_ == 0) endResetModel();
}

std::string ReportRows::title(int column) const {
    return column >= 0 && column < columnCount() ? titles_[column] : std::string();
}

void ReportRows::beginBatch() {
    if (batchDepth_++ == 0) beginResetModel();
}

void ReportRows::endBatch() {
    if (batchDepth_ == 0) return;
    if (--batchDepth_ == 0) endResetModel();
}

ReportTable::ReportTable(const std::vector<Column>& columns, QWidget* parent)
    : QTableView(parent),
      rows_(new ReportRows(columns, this)),
      highlight_(palette().color(QPalette::Active, QPalette::Highlight)),
      highlightedText_(palette().color(QPalette::Active, QPalette::HighlightedText)) {
    setModel(rows_);
    for (int c = 0; c < rows_->columnCount(); ++c) setColumnWidth(c, columns[c].width);
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

void ReportTable::beginBatch() {
    setUpdatesEnabled(false);
    rows_->beginBatch();
}

void ReportTable::endBatch() {
    rows_->endBatch();
    if (!rows_->inBatch()) setUpdatesEnabled(true);
}

void ReportTable::focusInEvent(QFocusEvent* event) {
    showSelection(true);
    QTableView::focusInEvent(event);
}

void ReportTable::focusOutEvent(QFocusEvent* event) {
    showSelection(false);
    QTableView::focusOutEvent(event);
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

void QtReportList::deleteAllRows() {
    // The selection goes first, while the rows it names still exist.
    table_->selectionModel()->clear();
    table_->rows().removeAll();
}

int QtReportList::appendRow() { return table_->rows().appendRow(); }

void QtReportList::setCellText(int row, int column, const std::string& text) {
    table_->rows().setText(row, column, text);
}

std::string QtReportList::cellText(int row, int column) const {
    return std::string(table_->rows().text(row, column));
}

int QtReportList::rowCount() const { return table_->rows().rowCount(); }

int QtReportList::selectedRow() const {
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int QtReportList::columnCount() const { return table_->rows().columnCount(); }

std::string QtReportList::columnTitle(int column) const { return table_->rows().title(column); }

int QtReportList::columnWidth(int column) const {
    if (column < 0 || column >= columnCount()) return 0;
    return table_->columnWidth(column);
}

void QtReportList::beginBatch() { table_->beginBatch(); }

void QtReportList::endBatch() { table_->endBatch(); }

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

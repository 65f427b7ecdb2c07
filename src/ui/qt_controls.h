// The controls the logic sees, each over the Qt widget that plays it. The widgets
// belong to their window; these adapters only point at them.
#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QTableView>
#include <string>
#include <string_view>
#include <vector>

#include "ui/toolkit.h"

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QWidget;

namespace tankora {

// Date-times (days since 1899-12-30, whole part the day toward zero, fraction of the
// absolute value the time of day) and wall-clock QDateTimes in UTC, to the second.
QDateTime toQDateTime(double dateTime);  // brought into the valid range first
double fromQDateTime(const QDateTime& dateTime);

// A control's design place and size, in pixels of its parent's client area.
struct ControlPlace {
    int left, top, width, height;
};
void placeControl(QWidget& control, const ControlPlace& place);

// Puts a top-level window in the middle of its screen's free area.
void centreOnScreen(QWidget& window);
// The windows' font: a CJK face at the 12-pixel size the control places were laid out for.
void useWindowFont(QWidget& window);

class QtEditBox : public EditBox {
public:
    explicit QtEditBox(QLineEdit* edit) : edit_(edit) {}
    std::string text() const override;
    void setText(const std::string& text) override;
    bool hasFocus() const override;

private:
    QLineEdit* edit_;
};

class QtComboBox : public ComboBox {
public:
    // Makes the box editable with the given items, none selected and the text empty.
    QtComboBox(QComboBox* combo, const std::vector<std::string>& items);
    std::string text() const override;
    void setText(const std::string& text) override;

private:
    QComboBox* combo_;
};

class QtDropDownList : public DropDownList {
public:
    // Makes the list non-editable with the given items and none selected.
    QtDropDownList(QComboBox* combo, const std::vector<std::string>& items);
    int selectedIndex() const override;
    void setSelectedIndex(int index) override;  // out of range: no item selected
    std::string itemText(int index) const override;

private:
    QComboBox* combo_;
};

class QtDatePicker : public DatePicker {
public:
    // Sets the picker up (long Chinese date, calendar pop-up, 0100-01-01 … 9999-12-31) at the
    // current date and time of day.
    explicit QtDatePicker(QDateTimeEdit* edit);
    double value() const override;
    void setValue(double dateTime) override;

private:
    QDateTimeEdit* edit_;
};

class QtLabel : public Label {
public:
    explicit QtLabel(QLabel* label) : label_(label) {}
    std::string text() const override;
    void setText(const std::string& text) override;

private:
    QLabel* label_;
};

struct ReportColumn {
    std::string title;  // GBK
    int width;
};

// A report list's rows. Each row's cells are packed into one GBK string as texts led by
// their lengths, so a row costs about its texts, and a QString is made only when a cell
// is shown (rows never scrolled to are never converted).
class ReportRows : public QAbstractTableModel {
public:
    ReportRows(const std::vector<ReportColumn>& columns, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rows and columns counted from 0; out of range a text reads empty and is not set.
    bool contains(int row, int column) const;
    std::string_view text(int row, int column) const;
    void setText(int row, int column, std::string_view text);
    int appendRow();  // an empty row at the end; its number, or -1 when no more fit
    void removeAll();
    std::string title(int column) const;
    // Between these, rows change without a word to the views, which reset once at the end:
    // a rebuild of many rows then costs the rows alone.
    void beginBatch();
    void endBatch();
    bool inBatch() const { return batchDepth_ > 0; }

private:
    std::vector<std::string> titles_;
    std::vector<std::string> rows_;
    int batchDepth_ = 0;
};

// A report-style table: full-row single selection, grid lines, header sections that
// click but sort nothing, no editing, and the selection hidden while it lacks the focus.
class ReportTable : public QTableView {
public:
    using Column = ReportColumn;
    ReportTable(const std::vector<Column>& columns, QWidget* parent);
    ReportRows& rows() { return *rows_; }
    const ReportRows& rows() const { return *rows_; }
    // A rebuild: the rows change unseen and the table neither hears of nor paints them
    // until the outermost batch ends.
    void beginBatch();
    void endBatch();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showSelection(bool shown);
    ReportRows* rows_;
    QColor highlight_;
    QColor highlightedText_;
};

class QtReportList : public ReportList {
public:
    explicit QtReportList(ReportTable* table) : table_(table) {}
    void deleteAllRows() override;
    int appendRow() override;
    void setCellText(int row, int column, const std::string& text) override;
    std::string cellText(int row, int column) const override;
    int rowCount() const override;
    int selectedRow() const override;
    int columnCount() const override;
    std::string columnTitle(int column) const override;
    int columnWidth(int column) const override;
    void beginBatch() override;
    void endBatch() override;

private:
    ReportTable* table_;
};

class QtLinkControl : public LinkControl {
public:
    void setTarget(const std::string& target) override { target_ = target; }
    // The desktop's handler for the file first, `xdg-open` started detached second.
    bool activate() override;

private:
    std::string target_;
};

class QtTopLevelWindow : public TopLevelWindow {
public:
    explicit QtTopLevelWindow(QWidget* window) : window_(window) {}
    void setTitle(const std::string& title) override;
    int displayState() const override;
    void setDisplayState(int state) override;

private:
    QWidget* window_;
};

}  // namespace tankora

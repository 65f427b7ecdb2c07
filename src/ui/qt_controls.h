// The controls the logic sees, each over the Qt widget that plays it. The widgets
// belong to their window; these adapters only point at them.
#pragma once

#include <QDateTime>
#include <QTableWidget>
#include <string>
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

// A report-style table: full-row single selection, grid lines, header sections that
// click but sort nothing, no editing, and the selection hidden while it lacks the focus.
class ReportTable : public QTableWidget {
public:
    struct Column {
        std::string title;  // GBK
        int width;
    };
    ReportTable(const std::vector<Column>& columns, QWidget* parent);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showSelection(bool shown);
    QColor highlight_;
    QColor highlightedText_;
};

class QtReportList : public ReportList {
public:
    explicit QtReportList(QTableWidget* table) : table_(table) {}
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
    bool inRange(int row, int column) const;
    QTableWidget* table_;
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

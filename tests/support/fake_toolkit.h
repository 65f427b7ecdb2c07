// Fakes of the toolkit interfaces: they hold texts, record every message box and
// answer from a script, so logic tests drive the handlers without a window.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/main_list_columns.h"
#include "ui/toolkit.h"

namespace tankora::testing {

struct ShownMessage {
    std::string text;
    std::string title;  // as the caller passed it (empty: the default title)
    MessageIcon icon;
    MessageButtons buttons;
};

class FakeEditBox : public EditBox {
public:
    std::string text() const override { return text_; }
    void setText(const std::string& text) override {
        text_ = text;
        if (onChange) onChange();
    }
    bool hasFocus() const override { return focused; }
    // Types a text as the user would: the box holds the focus while it changes.
    void type(const std::string& text) {
        focused = true;
        setText(text);
    }
    bool focused = false;
    std::function<void()> onChange;

private:
    std::string text_;
};

class FakeComboBox : public ComboBox {
public:
    std::string text() const override { return text_; }
    void setText(const std::string& text) override { text_ = text; }

private:
    std::string text_;
};

class FakeDropDownList : public DropDownList {
public:
    explicit FakeDropDownList(std::vector<std::string> items) : items_(std::move(items)) {}
    int selectedIndex() const override { return selected_; }
    void setSelectedIndex(int index) override {
        selected_ = (index >= 0 && index < static_cast<int>(items_.size())) ? index : -1;
    }
    std::string itemText(int index) const override {
        return (index >= 0 && index < static_cast<int>(items_.size())) ? items_[index] : std::string();
    }

private:
    std::vector<std::string> items_;
    int selected_ = -1;
};

class FakeDatePicker : public DatePicker {
public:
    double value() const override { return value_; }
    void setValue(double dateTime) override { value_ = dateTime; }

private:
    double value_ = 0.0;
};

class FakeLabel : public Label {
public:
    explicit FakeLabel(std::string text = {}) : text_(std::move(text)) {}
    std::string text() const override { return text_; }
    void setText(const std::string& text) override { text_ = text; }

private:
    std::string text_;
};

class FakeReportList : public ReportList {
public:
    struct Column {
        std::string title;
        int width;
    };
    explicit FakeReportList(std::vector<Column> columns = {}) : columns_(std::move(columns)) {}

    void deleteAllRows() override { rows_.clear(); }
    int appendRow() override {
        rows_.emplace_back(columns_.size());
        return static_cast<int>(rows_.size()) - 1;
    }
    void setCellText(int row, int column, const std::string& text) override {
        if (inRange(row, column)) rows_[row][column] = text;
    }
    std::string cellText(int row, int column) const override {
        return inRange(row, column) ? rows_[row][column] : std::string();
    }
    int rowCount() const override { return static_cast<int>(rows_.size()); }
    int selectedRow() const override { return selected; }
    int columnCount() const override { return static_cast<int>(columns_.size()); }
    std::string columnTitle(int column) const override {
        return column >= 0 && column < columnCount() ? columns_[column].title : std::string();
    }
    int columnWidth(int column) const override {
        return column >= 0 && column < columnCount() ? columns_[column].width : 0;
    }
    void setColumnWidth(int column, int width) { columns_.at(column).width = width; }
    const std::vector<std::string>& row(int r) const { return rows_.at(r); }

    int selected = -1;

private:
    bool inRange(int row, int column) const {
        return row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
    }
    std::vector<Column> columns_;
    std::vector<std::vector<std::string>> rows_;
};

class FakeLinkControl : public LinkControl {
public:
    void setTarget(const std::string& target) override { target_ = target; }
    bool activate() override {
        activated.push_back(target_);
        return opens;
    }
    std::vector<std::string> activated;  // the target at each activation
    bool opens = true;

private:
    std::string target_;
};

class FakeWindow : public TopLevelWindow {
public:
    void setTitle(const std::string& t) override { title = t; }
    int displayState() const override { return state == 2 || state == 3 ? state : 0; }
    void setDisplayState(int s) override { state = s > 3 ? 3 : (s < 0 ? 0 : s); }
    std::string title;
    int state = 0;
};

class FakeMessageBoxes : public MessageBoxes {
public:
    MessageAnswer showMessage(const std::string& text, const std::string& title, MessageIcon icon,
                              MessageButtons buttons) override {
        shown.push_back({text, title, icon, buttons});
        if (!nextAnswers.empty()) {
            MessageAnswer answer = nextAnswers.front();
            nextAnswers.pop_front();
            return answer;
        }
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    std::vector<ShownMessage> shown;
    std::deque<MessageAnswer> nextAnswers;  // otherwise Yes (the default button) or OK
};

// The nine columns of the main list as it opens.
inline std::vector<FakeReportList::Column> mainListColumns() {
    std::vector<FakeReportList::Column> columns;
    for (const MainListColumn& column : kMainListColumns) columns.push_back({column.title, column.width});
    return columns;
}

// Main window events that do nothing, for a real window driven only through its view.
class IgnoredMainWindowEvents : public MainWindowEvents {
public:
    void created(MainWindowView&) override {}
    void destroying(MainWindowView&) override {}
    void addClicked(MainWindowView&) override {}
    void modifyClicked(MainWindowView&) override {}
    void deleteClicked(MainWindowView&) override {}
    void reportClicked(MainWindowView&) override {}
    void closeClicked(MainWindowView&) override {}
};

class FakeMainWindow : public MainWindowView {
public:
    FakeMainWindow() : list(mainListColumns()) {}
    TopLevelWindow& window() override { return win; }
    ReportList& logList() override { return list; }
    Label& summaryLabel(int labelNumber) override { return labels.at(labelNumber - 1); }
    LinkControl& reportLink() override { return link; }
    void destroy() override { destroyed = true; }

    FakeWindow win;
    FakeReportList list;
    std::vector<FakeLabel> labels = std::vector<FakeLabel>(8);
    FakeLinkControl link;
    bool destroyed = false;
};

class FakeEntryDialog : public EntryDialogView {
public:
    FakeEntryDialog() : fullTankList({"\xca\xc7", "\xb7\xf1"}) {  // 是, 否
        fullTankList.setSelectedIndex(0);
    }
    void setCaption(const std::string& c) override { caption = c; }
    DatePicker& date() override { return datePicker; }
    EditBox& box(EntryBox b) override { return boxes[static_cast<int>(b)]; }
    ComboBox& fuelType() override { return fuelTypeBox; }
    DropDownList& fullTank() override { return fullTankList; }
    void destroy() override { destroyed = true; }

    FakeEditBox& edit(EntryBox b) { return boxes[static_cast<int>(b)]; }

    std::string caption;
    FakeDatePicker datePicker;
    FakeEditBox boxes[4];
    FakeComboBox fuelTypeBox;
    FakeDropDownList fullTankList;
    bool destroyed = false;
};

class FakeToolkit : public Toolkit {
public:
    MessageAnswer showMessage(const std::string& text, const std::string& title, MessageIcon icon,
                              MessageButtons buttons) override {
        return messages.showMessage(text, title, icon, buttons);
    }
    void processPendingMessages() override { ++pendingMessageRuns; }
    // Runs the creation event on a fresh fake dialog; `script` then plays the user.
    void runEntryDialog(EntryDialogEvents& events) override {
        FakeEntryDialog dialog;
        for (int b = 0; b < 4; ++b) {
            EntryBox which = static_cast<EntryBox>(b);
            dialog.boxes[b].onChange = [&events, &dialog, which] { events.textChanged(dialog, which); };
        }
        events.created(dialog);
        if (script) script(dialog, events);
        if (!dialog.destroyed) {  // the close box
            dialog.destroyed = true;
        }
        events.destroyed(dialog);
        ++dialogsRun;
    }

    FakeMessageBoxes messages;
    int pendingMessageRuns = 0;
    int dialogsRun = 0;
    std::function<void(FakeEntryDialog&, EntryDialogEvents&)> script;
};

class FakeSettings : public Settings {
public:
    std::string readSetting(const std::string& key, const std::string& defaultValue) override {
        auto it = values.find(key);
        return it == values.end() ? defaultValue : it->second;
    }
    void writeSetting(const std::string& key, const std::string& value) override { values[key] = value; }
    std::map<std::string, std::string> values;
};

}  // namespace tankora::testing

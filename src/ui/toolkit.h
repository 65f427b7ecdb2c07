// What the program's logic needs of the window toolkit, as pure interfaces: the Qt
// windows in src/ui implement them, tests use fakes. Every text is GBK bytes; the
// implementations convert at the Qt boundary. No operation here reports failure
// unless its line says so.
#pragma once

#include <string>

namespace tankora {

enum class MessageIcon { Information, Error };
enum class MessageButtons { Ok, YesNo };  // Yes/No has Yes as the default button
enum class MessageAnswer { Ok, Yes, No };

// "信息：", the title of a message box whose caller gives none.
inline const std::string kDefaultMessageTitle = "\xd0\xc5\xcf\xa2\xa3\xba";

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Application-modal, no owner; an empty title shows kDefaultMessageTitle. Returns
    // the button pressed; a Yes/No box closed without a choice answers No.
    virtual MessageAnswer showMessage(const std::string& text, const std::string& title,
                                      MessageIcon icon, MessageButtons buttons) = 0;
};

class EditBox {  // single-line; its text-changed event fires on program-set texts too
public:
    virtual ~EditBox() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    virtual bool hasFocus() const = 0;  // holds the keyboard focus
};

class ComboBox {  // editable: the text of its edit part
public:
    virtual ~ComboBox() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
};

class DropDownList {  // not editable; items numbered from 0
public:
    virtual ~DropDownList() = default;
    virtual int selectedIndex() const = 0;             // -1 when none
    virtual void setSelectedIndex(int index) = 0;
    virtual std::string itemText(int index) const = 0;  // empty text when out of range
};

class DatePicker {  // value as a date-time (days since 1899-12-30)
public:
    virtual ~DatePicker() = default;
    virtual double value() const = 0;
    virtual void setValue(double dateTime) = 0;
};

class Label {
public:
    virtual ~Label() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
};

class ReportList {  // rows and columns counted from 0
public:
    virtual ~ReportList() = default;
    virtual void deleteAllRows() = 0;
    virtual int appendRow() = 0;  // an empty row at the end; returns its row number
    virtual void setCellText(int row, int column, const std::string& text) = 0;  // out of range: ignored
    virtual std::string cellText(int row, int column) const = 0;  // out of range (row -1): empty text
    virtual int rowCount() const = 0;
    virtual int selectedRow() const = 0;  // -1 when none
    virtual int columnCount() const = 0;
    virtual std::string columnTitle(int column) const = 0;
    virtual int columnWidth(int column) const = 0;  // current width in pixels
    // Rebuilding many rows: the view may hold its repaints between these two calls.
    virtual void beginBatch() {}
    virtual void endBatch() {}
};

class LinkControl {
public:
    virtual ~LinkControl() = default;
    virtual void setTarget(const std::string& target) = 0;  // a file path (file-system bytes)
    // Opens the target with the desktop's default viewer without waiting for it;
    // returns false when no viewer could be started.
    virtual bool activate() = 0;
};

// 0 normal, 1 centred, 2 minimized, 3 maximized; above 3 acts as 3, below 0 as 0.
// Read back as 2, 3 or 0.
class TopLevelWindow {
public:
    virtual ~TopLevelWindow() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual int displayState() const = 0;
    virtual void setDisplayState(int state) = 0;
};

class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    virtual TopLevelWindow& window() = 0;
    virtual ReportList& logList() = 0;                  // 超级列表框1
    virtual Label& summaryLabel(int labelNumber) = 0;  // 透明标签1 … 透明标签8
    virtual LinkControl& reportLink() = 0;              // 超级链接框1
    virtual void destroy() = 0;  // runs the destruction event, then ends the message loop
};

enum class EntryBox { Odometer, UnitPrice, Amount, Litres };  // 编辑框2, 编辑框4, 编辑框6, 编辑框5

class EntryDialogView {
public:
    virtual ~EntryDialogView() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual DatePicker& date() = 0;        // 日期框1
    virtual EditBox& box(EntryBox box) = 0;
    virtual ComboBox& fuelType() = 0;      // 组合框1
    virtual DropDownList& fullTank() = 0;  // 组合框2
    virtual void destroy() = 0;  // runs the destruction event and ends the modal loop
};

// What the entry dialog forwards, each event handled to its end.
class EntryDialogEvents {
public:
    virtual ~EntryDialogEvents() = default;
    virtual void created(EntryDialogView& dialog) = 0;
    virtual void textChanged(EntryDialogView& dialog, EntryBox box) = 0;
    virtual void okClicked(EntryDialogView& dialog) = 0;
    virtual void cancelClicked(EntryDialogView& dialog) = 0;
    virtual void destroyed(EntryDialogView& dialog) = 0;  // by OK, Cancel or the close box
};

// What the main window forwards.
class MainWindowEvents {
public:
    virtual ~MainWindowEvents() = default;
    virtual void created(MainWindowView& window) = 0;  // before it is first shown
    virtual void destroying(MainWindowView& window) = 0;
    virtual void addClicked(MainWindowView& window) = 0;           // 按钮1
    virtual void modifyClicked(MainWindowView& window) = 0;        // 按钮2 and a double-click on the list
    virtual void deleteClicked(MainWindowView& window) = 0;        // 按钮3
    virtual void reportClicked(MainWindowView& window) = 0;        // 按钮4
    virtual void closeClicked(MainWindowView& window) = 0;         // 按钮5
};

// The services the handlers call beyond the controls.
class Toolkit : public MessageBoxes {
public:
    // Handles every pending window message before returning.
    virtual void processPendingMessages() = 0;
    // Creates the entry dialog, runs its creation event, and returns when it was destroyed.
    virtual void runEntryDialog(EntryDialogEvents& events) = 0;
};

// The settings file as the handlers see it: one section, GBK keys and values.
class Settings {
public:
    virtual ~Settings() = default;
    virtual std::string readSetting(const std::string& key, const std::string& defaultValue) = 0;
    virtual void writeSetting(const std::string& key, const std::string& value) = 0;  // failure ignored
};

}  // namespace tankora

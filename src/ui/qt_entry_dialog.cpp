#include "ui/qt_entry_dialog.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <optional>
#include <vector>

#include "ui/gbk_qt.h"
#include "ui/qt_controls.h"

namespace tankora {
namespace {

// The dialog was laid out as 301 x 274 outside, with a 3-pixel fixed border and a
// 19-pixel caption, the same frame as the main window; this is what remains inside.
constexpr int kClientWidth = 295;
constexpr int kClientHeight = 249;

const std::string kDesignCaption = "\xcc\xed\xbc\xd3\x2f\xd0\xde\xb8\xc4";  // 添加/修改

struct DialogLabel {
    const char* name;
    ControlPlace place;
    const char* text;
};

const std::array<DialogLabel, 11> kLabels = {{
    {"透明标签2", {20, 9, 64, 24}, "\xc8\xd5\xc6\xda"},                           // 日期
    {"透明标签3", {20, 33, 64, 24}, "\xc0\xef\xb3\xcc\xb1\xed\xb6\xc1\xca\xfd"},  // 里程表读数
    {"透明标签1", {240, 32, 80, 24}, "\xb9\xab\xc0\xef"},                         // 公里
    {"透明标签4", {20, 59, 64, 24}, "\xc8\xbc\xd3\xcd\xc0\xe0\xd0\xcd"},          // 燃油类型
    {"透明标签5", {20, 84, 64, 24}, "\xb5\xa5\xbc\xdb"},                          // 单价
    {"透明标签9", {240, 83, 80, 24}, "\xd4\xaa\x2f\xc9\xfd"},                     // 元/升
    {"透明标签7", {20, 113, 64, 24}, "\xbd\xf0\xb6\xee"},                         // 金额
    {"透明标签12", {240, 110, 80, 24}, "\xd4\xaa"},                               // 元
    {"透明标签6", {20, 141, 64, 24}, "\xbc\xd3\xd3\xcd\xc1\xbf"},                 // 加油量
    {"透明标签11", {241, 141, 80, 24}, "\xc9\xfd"},                               // 升
    {"透明标签8", {20, 167, 64, 24}, "\xca\xc7\xb7\xf1\xbc\xd3\xc2\xfa"},         // 是否加满
}};

struct DialogEditBox {
    const char* name;
    ControlPlace place;
    EntryBox box;
    bool calculates;  // its text changes drive the live calculation
};

// In EntryBox order.
const std::array<DialogEditBox, 4> kEditBoxes = {{
    {"编辑框2", {93, 34, 137, 23}, EntryBox::Odometer, false},
    {"编辑框4", {93, 84, 137, 23}, EntryBox::UnitPrice, true},
    {"编辑框6", {93, 112, 137, 23}, EntryBox::Amount, true},
    {"编辑框5", {93, 141, 137, 23}, EntryBox::Litres, true},
}};

const std::vector<std::string> kFuelTypes = {"\x39\x33", "\x39\x37", "\xc6\xe4\xcb\xfb"};  // 93, 97, 其他
const std::vector<std::string> kFullTankChoices = {"\xca\xc7", "\xb7\xf1"};                // 是, 否
const std::string kOkText = "\xc8\xb7\xb6\xa8";                                            // 确定
const std::string kCancelText = "\xc8\xa1\xcf\xfb";                                        // 取消

constexpr ControlPlace kDatePlace{93, 9, 137, 22};
constexpr ControlPlace kFuelTypePlace{93, 61, 137, 20};
constexpr ControlPlace kFullTankPlace{93, 170, 137, 20};
constexpr ControlPlace kSeparatorPlace{-3, 194, 308, 2};
constexpr ControlPlace kOkPlace{93, 206, 70, 24};
constexpr ControlPlace kCancelPlace{167, 206, 65, 24};

}  // namespace

class QtEntryDialog::View : public EntryDialogView {
public:
    explicit View(QtEntryDialog& dialog) : dialog_(dialog) {}
    void setCaption(const std::string& caption) override { dialog_.setWindowTitle(toQString(caption)); }
    DatePicker& date() override { return *date_; }
    EditBox& box(EntryBox box) override { return boxes_.at(static_cast<std::size_t>(box)); }
    ComboBox& fuelType() override { return *fuelType_; }
    DropDownList& fullTank() override { return *fullTank_; }
    void destroy() override { dialog_.destroyDialog(); }

    QtEntryDialog& dialog_;
    std::optional<QtDatePicker> date_;
    std::vector<QtEditBox> boxes_;
    std::optional<QtComboBox> fuelType_;
    std::optional<QtDropDownList> fullTank_;
};

QtEntryDialog::QtEntryDialog(EntryDialogEvents& events)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      events_(events),
      view_(std::make_unique<View>(*this)) {
    useWindowFont(*this);
    setWindowTitle(toQString(kDesignCaption));
    setFixedSize(kClientWidth, kClientHeight);
    setWindowModality(Qt::ApplicationModal);

    for (const DialogLabel& design : kLabels) {
        auto* label = new QLabel(toQString(design.text), this);
        label->setObjectName(QString::fromUtf8(design.name));
        placeControl(*label, design.place);
    }

    auto* date = new QDateTimeEdit(this);
    date->setObjectName(QStringLiteral("日期框1"));
    placeControl(*date, kDatePlace);
    view_->date_.emplace(date);

    view_->boxes_.reserve(kEditBoxes.size());
    for (const DialogEditBox& design : kEditBoxes) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromUtf8(design.name));
        placeControl(*edit, design.place);
        view_->boxes_.emplace_back(edit);
        if (design.calculates) {
            const EntryBox box = design.box;
            connect(edit, &QLineEdit::textChanged, this, [this, box] { events_.textChanged(*view_, box); });
        }
    }

    auto* fuelType = new QComboBox(this);
    fuelType->setObjectName(QStringLiteral("组合框1"));
    placeControl(*fuelType, kFuelTypePlace);
    view_->fuelType_.emplace(fuelType, kFuelTypes);

    auto* fullTank = new QComboBox(this);
    fullTank->setObjectName(QStringLiteral("组合框2"));
    placeControl(*fullTank, kFullTankPlace);
    view_->fullTank_.emplace(fullTank, kFullTankChoices);
    view_->fullTank_->setSelectedIndex(0);

    auto* separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("进度条1"));
    separator->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    placeControl(*separator, kSeparatorPlace);

    auto* ok = new QPushButton(toQString(kOkText), this);
    ok->setObjectName(QStringLiteral("按钮1"));
    placeControl(*ok, kOkPlace);
    auto* cancel = new QPushButton(toQString(kCancelText), this);
    cancel->setObjectName(QStringLiteral("按钮2"));
    placeControl(*cancel, kCancelPlace);
    // Neither is a default button: Enter in a box must not press one.
    for (QPushButton* button : {ok, cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(ok, &QPushButton::clicked, this, [this] { events_.okClicked(*view_); });
    connect(cancel, &QPushButton::clicked, this, [this] { events_.cancelClicked(*view_); });
}

QtEntryDialog::~QtEntryDialog() = default;

EntryDialogView& QtEntryDialog::view() { return *view_; }

void QtEntryDialog::destroyDialog() {
    if (!destroyed_) {
        destroyed_ = true;
        events_.destroyed(*view_);
    }
    done(QDialog::Rejected);
}

void QtEntryDialog::reject() { destroyDialog(); }

}  // namespace tankora

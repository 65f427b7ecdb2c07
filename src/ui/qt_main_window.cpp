#include "ui/qt_main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <vector>

#include "ui/gbk_qt.h"
#include "ui/main_list_columns.h"
#include "ui/qt_controls.h"

namespace tankora {
namespace {

// The window was laid out as 704 x 507 outside, with a 3-pixel border and a 19-pixel
// caption. That leaves this client area: the list keeps a 2-pixel margin left and
// right (2 + 694 + 2) and the panel frame a 1-pixel margin left and below (401 + 80 + 1).
constexpr int kClientWidth = 698;
constexpr int kClientHeight = 482;

std::vector<ReportTable::Column> logColumns() {
    std::vector<ReportTable::Column> columns;
    for (const MainListColumn& column : kMainListColumns) columns.push_back({column.title, column.width});
    return columns;
}

struct SummaryLabel {
    int number;          // 透明标签<number>
    ControlPlace place;  // inside the panel frame
    const char* text;
};

// In the order of their numbers, so summaryLabel(n) is entry n - 1.
const std::array<SummaryLabel, 8> kSummaryLabels = {{
    {1, {8, 8, 111, 16}, "\xd7\xdc\xc0\xef\xb3\xcc\x3a\x30\xb9\xab\xc0\xef"},  // 总里程:0公里
    {2, {8, 29, 136, 16}, "\xd7\xdc\xba\xc4\xd3\xcd\xc1\xbf\x3a\x30\x2e\x30\x30\xc9\xfd"},  // 总耗油量:0.00升
    {3,
     {260, 9, 152, 16},
     "\xc6\xbd\xbe\xf9\xc0\xef\xb3\xcc\x3a\x30\x2e\x30\x30\xb9\xab\xc0\xef\x2f\xcc\xec"},  // 平均里程:0.00公里/天
    {4, {8, 50, 88, 16}, "\xd7\xdc\xd3\xcd\xb7\xd1\x3a\x30\x2e\x30\x30\xd4\xaa"},  // 总油费:0.00元
    {5, {126, 9, 88, 16}, "\xcc\xec\xca\xfd\x3a\x30\xcc\xec"},                     // 天数:0天
    {6,
     {125, 30, 128, 16},
     "\xc6\xbd\xbe\xf9\xd3\xcd\xbc\xdb\x3a\x30\x2e\x30\x30\xd4\xaa\x2f\xc9\xfd"},  // 平均油价:0.00元/升
    {7,
     {260, 29, 152, 16},
     "\xc6\xbd\xbe\xf9\xd3\xcd\xba\xc4\x3a\x30\x2e\x30\x30\xc9\xfd\x2f\xb0\xd9\xb9\xab\xc0\xef"},  // 平均油耗:0.00升/百公里
    {8,
     {260, 49, 152, 16},
     "\xc6\xbd\xbe\xf9\xd3\xcd\xb7\xd1\x3a\x30\x2e\x30\x30\xd4\xaa\x2f\xb9\xab\xc0\xef"},  // 平均油费:0.00元/公里
}};

constexpr ControlPlace kListPlace{2, 2, 694, 402};
constexpr ControlPlace kPanelPlace{1, 401, 408, 80};
constexpr ControlPlace kLinkPlace{424, 416, 16, 16};

struct CommandButton {
    int number;  // 按钮<number>
    ControlPlace place;
    const char* text;
    void (MainWindowEvents::*event)(MainWindowView&);
};

const std::array<CommandButton, 5> kCommandButtons = {{
    {1, {467, 410, 69, 24}, "\xcc\xed\xbc\xd3", &MainWindowEvents::addClicked},     // 添加
    {2, {537, 410, 69, 24}, "\xd0\xde\xb8\xc4", &MainWindowEvents::modifyClicked},  // 修改
    {3, {607, 410, 69, 24}, "\xc9\xbe\xb3\xfd", &MainWindowEvents::deleteClicked},  // 删除
    {4,
     {537, 441, 69, 24},
     "\xc9\xfa\xb3\xc9\xb1\xa8\xb8\xe6",
     &MainWindowEvents::reportClicked},                                            // 生成报告
    {5, {607, 441, 69, 24}, "\xb9\xd8\xb1\xd5", &MainWindowEvents::closeClicked},  // 关闭
}};

}  // namespace

class QtMainWindow::View : public MainWindowView {
public:
    explicit View(QtMainWindow& window) : window_(window), topLevel_(&window) {}
    TopLevelWindow& window() override { return topLevel_; }
    ReportList& logList() override { return *list_; }
    Label& summaryLabel(int labelNumber) override { return labels_.at(labelNumber - 1); }
    LinkControl& reportLink() override { return link_; }
    void destroy() override { window_.destroyWindow(); }

    QtMainWindow& window_;
    QtTopLevelWindow topLevel_;
    std::unique_ptr<QtReportList> list_;
    std::vector<QtLabel> labels_;
    QtLinkControl link_;
};

QtMainWindow::QtMainWindow(MainWindowEvents& events)
    : QWidget(nullptr, Qt::Window), events_(events), view_(std::make_unique<View>(*this)) {
    useWindowFont(*this);
    resize(kClientWidth, kClientHeight);

    auto* list = new ReportTable(logColumns(), this);
    list->setObjectName(QStringLiteral("超级列表框1"));
    placeControl(*list, kListPlace);
    view_->list_ = std::make_unique<QtReportList>(list);
    connect(list, &QAbstractItemView::doubleClicked, this, [this] { events_.modifyClicked(*view_); });

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("外形框1"));
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    placeControl(*panel, kPanelPlace);
    view_->labels_.reserve(kSummaryLabels.size());
    for (const SummaryLabel& design : kSummaryLabels) {
        auto* label = new QLabel(toQString(design.text), panel);
        label->setObjectName(QStringLiteral("透明标签%1").arg(design.number));
        placeControl(*label, design.place);
        view_->labels_.emplace_back(label);
    }

    // The link has no look of its own; it only marks where the report is opened from.
    auto* link = new QWidget(this);
    link->setObjectName(QStringLiteral("超级链接框1"));
    placeControl(*link, kLinkPlace);
    link->hide();

    for (const CommandButton& design : kCommandButtons) {
        auto* button = new QPushButton(toQString(design.text), this);
        button->setObjectName(QStringLiteral("按钮%1").arg(design.number));
        button->setAutoDefault(false);
        placeControl(*button, design.place);
        const auto event = design.event;
        connect(button, &QPushButton::clicked, this, [this, event] { (events_.*event)(*view_); });
    }
}

QtMainWindow::~QtMainWindow() = default;

MainWindowView& QtMainWindow::view() { return *view_; }

void QtMainWindow::open() {
    if (!created_) {
        created_ = true;
        centreOnScreen(*this);
        events_.created(*view_);
    }
    if (!destroyed_) show();
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
    runDestroying();
    event->accept();
    QCoreApplication::exit(0);
}

void QtMainWindow::runDestroying() {
    if (destroyed_) return;
    destroyed_ = true;
    events_.destroying(*view_);
}

void QtMainWindow::destroyWindow() {
    runDestroying();
    close();
    QCoreApplication::exit(0);
}

}  // namespace tankora

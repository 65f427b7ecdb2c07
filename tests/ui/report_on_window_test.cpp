// The report reads the real window: its list's current column widths and cell texts.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTableView>
#include <string>

#include "report/fuel_report.h"
#include "support/fake_toolkit.h"
#include "support/temp_folder.h"
#include "ui/qt_main_window.h"

namespace tankora {
namespace {

// The real list and labels, with a recorder in place of the link so no viewer starts.
class RealListRecordedLink : public MainWindowView {
public:
    explicit RealListRecordedLink(MainWindowView& real) : real_(real) {}
    TopLevelWindow& window() override { return real_.window(); }
    ReportList& logList() override { return real_.logList(); }
    Label& summaryLabel(int labelNumber) override { return real_.summaryLabel(labelNumber); }
    LinkControl& reportLink() override { return link; }
    void destroy() override {}
    testing::FakeLinkControl link;

private:
    MainWindowView& real_;
};

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(ReportOnTheWindow, AColumnWidenedOnTheListGivesItsWidthInTheHeaderAndEveryRow) {
    testing::IgnoredMainWindowEvents events;
    QtMainWindow window{events};
    RealListRecordedLink view(window.view());
    ReportList& list = view.logList();
    for (int row = 0; row < 2; ++row) {
        list.appendRow();
        for (int column = 0; column < list.columnCount(); ++column) {
            list.setCellText(row, column, "r" + std::to_string(row) + "c" + std::to_string(column));
        }
    }
    auto* table = window.findChild<QTableView*>(QStringLiteral("超级列表框1"));
    ASSERT_NE(table, nullptr);
    table->horizontalHeader()->resizeSection(2, 130);

    testing::TempFolder folder("tankora-ui-report");
    testing::FakeMessageBoxes messages;
    FuelReport::generate({"Tankora", "3.0", folder.withSeparator()}, view, messages);

    const std::string page = testing::readFileBytes(folder.file("tmp.htm"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(occurrences(page, "width=\"130\">"), 3) << "the header cell and both rows' cells";
    EXPECT_EQ(occurrences(page, "width=\"90\">"), 3) << "column 3 keeps its width of 90";
    EXPECT_NE(page.find("width=\"130\">r1c2</td>"), std::string::npos);
    ASSERT_EQ(view.link.activated.size(), 1u);
    EXPECT_EQ(view.link.activated[0], folder.file("tmp.htm"));
}

}  // namespace
}  // namespace tankora

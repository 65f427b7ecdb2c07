#include "report/fuel_report.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "report/report_fixture.h"
#include "report/report_page.h"
#include "text/gbk_codec.h"

namespace tankora {
namespace {

using testing::FakeMainWindow;
using testing::FakeMessageBoxes;
using testing::readFileBytes;
using testing::fixtureBytes;
using testing::TempFolder;

const std::string kProductName = "Tankora";
const std::string kVersion = "3.0";

class FuelReportTest : public ::testing::Test {
protected:
    ReportInputs inputs() const { return {kProductName, kVersion, folder.withSeparator()}; }
    std::string reportPath() const { return folder.withSeparator() + "tmp.htm"; }
    std::string generate() {
        FuelReport::generate(inputs(), window, messages);
        return readFileBytes(reportPath());
    }

    TempFolder folder;
    FakeMainWindow window;
    FakeMessageBoxes messages;
};

TEST(ReportHead, IsTheFixedBytes) {
    std::string head = fixtureBytes("head.htm");
    EXPECT_EQ(head.size(), 730u);
    EXPECT_EQ(std::string(kReportHead), head);
}

TEST_F(FuelReportTest, EmptyLogGivesHeadTitleSummaryAndHeaderRowOnly) {
    testing::showEmptyLogLabels(window);
    EXPECT_EQ(generate(), fixtureBytes("empty_log.htm"));
}

TEST_F(FuelReportTest, SmallLogGivesOneRowPerListRow) {
    testing::showSmallLog(window);
    EXPECT_EQ(generate(), fixtureBytes("small_log.htm"));
}

TEST_F(FuelReportTest, OpensTheWrittenFileThroughTheLink) {
    testing::showSmallLog(window);
    generate();
    ASSERT_EQ(window.link.activated.size(), 1u);
    EXPECT_EQ(window.link.activated[0], reportPath());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FuelReportTest, ViewerThatCannotStartShowsNothing) {
    window.link.opens = false;
    testing::showSmallLog(window);
    EXPECT_EQ(generate(), fixtureBytes("small_log.htm"));
    EXPECT_EQ(window.link.activated.size(), 1u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FuelReportTest, WidenedColumnGivesItsWidthToHeaderAndEveryDataCell) {
    testing::showSmallLog(window);
    window.list.setColumnWidth(4, 130);
    std::string page = generate();
    const std::string fuelQuantityTitle = "\xbc\xd3\xd3\xcd\xc1\xbf";  // 加油量
    EXPECT_NE(page.find("<td bgcolor=\"#EEEDEA\" width=\"130\">" + fuelQuantityTitle + "</td>\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("<td bgcolor=\"#FFFFFF\" width=\"130\">40\xc9\xfd</td>\r\n"),  // 40升
              std::string::npos);
    EXPECT_NE(page.find("<td bgcolor=\"#FFFFFF\" width=\"130\">30\xc9\xfd</td>\r\n"),  // 30升
              std::string::npos);
    // Nothing else moved: the page is the small log's with the one width changed.
    std::string expected = fixtureBytes("small_log.htm");
    for (std::string::size_type at = 0; (at = expected.find("width=\"60\"", at)) != std::string::npos;
         at += 11) {
        expected.replace(at, 10, "width=\"130\"");
    }
    EXPECT_EQ(page, expected);
}

TEST_F(FuelReportTest, SecondReportLeavesExactlyItsOwnBytes) {
    testing::showSmallLog(window);
    std::string first = generate();
    window.list.deleteAllRows();
    testing::showEmptyLogLabels(window);
    std::string second = generate();
    ASSERT_LT(second.size(), first.size());
    EXPECT_EQ(second, fixtureBytes("empty_log.htm"));
    EXPECT_EQ(window.link.activated.size(), 2u);
}

TEST_F(FuelReportTest, ReplacesALinkAtTheFileNameInsteadOfWritingThroughIt) {
    std::string victim = folder.path() + "/victim";
    {
        std::ofstream out(victim, std::ios::binary);
        out << "keep";
    }
    std::filesystem::create_symlink(victim, reportPath());
    testing::showSmallLog(window);
    EXPECT_EQ(generate(), fixtureBytes("small_log.htm"));
    EXPECT_FALSE(std::filesystem::is_symlink(reportPath()));
    EXPECT_EQ(readFileBytes(victim), "keep");
}

TEST_F(FuelReportTest, TextsFromListLabelsAndNamesAreEscaped) {
    const std::string hostileFuelType = "<script>alert(1)</script>";
    testing::showSmallLog(window);
    window.list.setCellText(1, 5, hostileFuelType + "\xba\xc5");  // 号
    window.labels[4].setText("a&b<c>");                           // 透明标签5
    ReportInputs named{"T<&>", "3>0", folder.withSeparator()};
    FuelReport::generate(named, window, messages);
    std::string page = readFileBytes(reportPath());

    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_NE(page.find(">&lt;script&gt;alert(1)&lt;/script&gt;\xba\xc5</td>"), std::string::npos);
    EXPECT_NE(page.find("<br>a&amp;b&lt;c&gt;      "), std::string::npos);
    EXPECT_NE(page.find("<font color=red>T&lt;&amp;&gt; v3&gt;0 "), std::string::npos);
    EXPECT_EQ(page.substr(0, kReportHead.size()), kReportHead);
}

TEST(EscapeHtmlText, ReplacesOnlyTheThreeMarkupBytes) {
    struct Case {
        std::string text;
        std::string escaped;
    };
    const Case cases[] = {
        {"", ""},
        {"93\xba\xc5", "93\xba\xc5"},  // 93号: GBK passes unchanged
        {"&", "&amp;"},
        {"&lt;", "&amp;lt;"},  // an existing reference is text too
        {"<>", "&lt;&gt;"},
        {"a \"quoted\" 'text'", "a \"quoted\" 'text'"},
        {"\x81<", "\x81&lt;"},  // a cut lead byte does not hide the "<" after it
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) EXPECT_EQ(escapeHtmlText(c.text), c.escaped) << c.text;
}

TEST_F(FuelReportTest, ColumnCountIsReadAgainForEveryRow) {
    // A list that gains a column at every read of its column count: the header has one
    // column, the first row two, the second three, each cell with its column's width.
    class GrowingList : public ReportList {
    public:
        void deleteAllRows() override {}
        int appendRow() override { return 0; }
        void setCellText(int, int, const std::string&) override {}
        std::string cellText(int row, int column) const override {
            return "r" + std::to_string(row) + "c" + std::to_string(column);
        }
        int rowCount() const override { return 2; }
        int selectedRow() const override { return -1; }
        int columnCount() const override { return ++columnReads_; }
        std::string columnTitle(int column) const override { return "t" + std::to_string(column); }
        int columnWidth(int column) const override { return 10 * (column + 1); }

    private:
        mutable int columnReads_ = 0;
    };
    class GrowingWindow : public FakeMainWindow {
    public:
        ReportList& logList() override { return growingList; }
        GrowingList growingList;
    } growing;

    ReportSnapshot snapshot = snapshotReport(inputs(), growing);
    ASSERT_EQ(snapshot.columns.size(), 1u);
    EXPECT_EQ(snapshot.columns[0].title, "t0");
    ASSERT_EQ(snapshot.rows.size(), 2u);
    ASSERT_EQ(snapshot.rows[0].size(), 2u);
    ASSERT_EQ(snapshot.rows[1].size(), 3u);
    EXPECT_EQ(snapshot.rows[1][2].text, "r1c2");
    EXPECT_EQ(snapshot.rows[1][2].width, 30);
    EXPECT_EQ(snapshot.rows[0][0].width, 10);
}

class ReportWriteFailure : public FuelReportTest {
protected:
    // Generates into `tempFolder` and expects the one failure box for its tmp.htm.
    void expectFailureShownFor(const std::string& tempFolder) {
        testing::showSmallLog(window);
        FuelReport::generate({kProductName, kVersion, tempFolder}, window, messages);
        const std::string path = tempFolder + "tmp.htm";
        ASSERT_EQ(messages.shown.size(), 1u);
        const testing::ShownMessage& box = messages.shown[0];
        EXPECT_EQ(box.text,
                  "\xce\xde\xb7\xa8\xd0\xb4\xc8\xeb\xb1\xa8\xb8\xe6\xce\xc4\xbc\xfe"  // 无法写入报告文件
                  "\r\n" +
                      utf8ToGbk(path));
        EXPECT_EQ(box.title, "\xca\xa7\xb0\xdc");  // 失败
        EXPECT_EQ(box.icon, MessageIcon::Information);
        EXPECT_EQ(box.buttons, MessageButtons::Ok);
        EXPECT_TRUE(window.link.activated.empty());
    }
};

TEST_F(ReportWriteFailure, FolderBelowARegularFile) {
    std::string file = folder.path() + "/plain";
    {
        std::ofstream out(file, std::ios::binary);
        out << "x";
    }
    expectFailureShownFor(file + "/");
    EXPECT_EQ(readFileBytes(file), "x");
}

TEST_F(ReportWriteFailure, FileNameTakenByAFolder) {
    std::filesystem::create_directory(reportPath());
    expectFailureShownFor(folder.withSeparator());
    EXPECT_TRUE(std::filesystem::is_directory(reportPath()));
    // No half-written file is left beside it.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(ReportWriteFailure, ChineseFolderNameIsShownInGbk) {
    std::string chinese = folder.path() + "/\xe6\x8a\xa5\xe5\x91\x8a";  // 报告 in UTF-8
    std::filesystem::create_directory(chinese);
    std::filesystem::create_directory(chinese + "/tmp.htm");
    expectFailureShownFor(chinese + "/");
    EXPECT_NE(messages.shown.at(0).text.find("/\xb1\xa8\xb8\xe6/tmp.htm"), std::string::npos);  // 报告 in GBK
}

}  // namespace
}  // namespace tankora

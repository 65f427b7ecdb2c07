#include "report/report_page.h"

#include <cstdint>

#include "text/value_text.h"

namespace tankora {
namespace {

constexpr std::string_view kTitleStart = "<font color=red>";
constexpr std::string_view kVersionSeparator = " v";
constexpr std::string_view kTitleEnd =
    "\x20\xc9\xfa\xb3\xc9\xb5\xc4\xd3\xcd\xba\xc4\xb1\xa8\xb8\xe6"  //  生成的油耗报告
    "</font><br>";
constexpr std::string_view kSummaryStart = "<br>";
constexpr std::string_view kSummaryLineBreak = " <br><br>";
constexpr std::string_view kSummaryEnd = "<br><br>";
constexpr std::string_view kFiveSpaces = "     ";
constexpr std::string_view kSixSpaces = "      ";
constexpr std::string_view kRowStart = "<tr align=\"center\">";
constexpr std::string_view kRowEnd = "</tr>";
constexpr std::string_view kHeaderCellStart = "<td bgcolor=\"#EEEDEA\" width=\"";
constexpr std::string_view kDataCellStart = "<td bgcolor=\"#FFFFFF\" width=\"";
constexpr std::string_view kCellWidthEnd = "\">";
constexpr std::string_view kCellEnd = "</td>\r\n";
constexpr std::string_view kPageEnd = "</table></body></html>";

void appendCell(std::string& page, std::string_view cellStart, int width, std::string_view text) {
    page += cellStart;
    page += numberToText(static_cast<std::int32_t>(width));
    page += kCellWidthEnd;
    page += escapeHtmlText(text);
    page += kCellEnd;
}

void appendSummary(std::string& page, const ReportSnapshot& snapshot) {
    auto label = [&snapshot](int labelNumber) { return escapeHtmlText(snapshot.labels[labelNumber - 1]); };
    page += kSummaryStart;
    page += label(5);  // days covered
    page += kSixSpaces;
    page += label(1);  // total distance
    page += kSixSpaces;
    page += label(2);  // total fuel
    page += kSixSpaces;
    page += label(4);  // total fuel cost
    page += kSummaryLineBreak;
    page += label(6);  // average fuel price
    page += kFiveSpaces;
    page += label(3);  // average distance per day
    page += kFiveSpaces;
    page += label(7);  // average consumption
    page += kSixSpaces;
    page += label(8);  // average cost per kilometre
    page += kSummaryEnd;
}

}  // namespace

std::string escapeHtmlText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char byte : text) {
        switch (byte) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += byte;
        }
    }
    return escaped;
}

std::string buildReportPage(const ReportSnapshot& snapshot) {
    std::string page(kReportHead);

    page += kTitleStart;
    page += escapeHtmlText(snapshot.productName);
    page += kVersionSeparator;
    page += escapeHtmlText(snapshot.version);
    page += kTitleEnd;

    appendSummary(page, snapshot);

    page += kRowStart;
    for (const ReportColumn& column : snapshot.columns)
        appendCell(page, kHeaderCellStart, column.width, column.title);
    page += kRowEnd;

    for (const std::vector<ReportCell>& row : snapshot.rows) {
        page += kRowStart;
        for (const ReportCell& cell : row) appendCell(page, kDataCellStart, cell.width, cell.text);
        page += kRowEnd;
    }

    page += kPageEnd;
    return textToBytes(page);
}

}  // namespace tankora

// The report page: what the main window shows, as one GBK text of HTML.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tankora {

// The fixed start of every page, 27 lines ending in CR LF; its bytes are the file's.
inline constexpr std::string_view kReportHead =
    "<html>\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"Content-Language\" content=\"zh-cn\">\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\r\n"
    "<title>\xd3\xcd\xba\xc4\xb1\xa8\xb8\xe6</title>\r\n"  // 油耗报告
    "<STYLE TYPE=\"text/css\">\r\n"
    "<!--\r\n"
    "body,td,th {\r\n"
    "\tfont-size: 12px;\r\n"
    "\tcolor: #000000;\r\n"
    "}\r\n"
    "A:link {\r\n"
    "      FONT-SIZE:9pt;COLOR:#FF0000; TEXT-DECORATION:None\r\n"
    "}\r\n"
    "A:visited {\r\n"
    "      FONT-SIZE:9pt; COLOR:#FF0000; TEXT-DECORATION:None\r\n"
    "}\r\n"
    "A:active {\r\n"
    "      FONT-SIZE:9pt; COLOR:#FF0000; TEXT-DECORATION:UnderLine\r\n"
    "}\r\n"
    "A:hover {\r\n"
    "      FONT-SIZE:9pt; COLOR:#FF0000; TEXT-DECORATION:UnderLine\r\n"
    "}-->\r\n"
    "</STYLE></head>\r\n"
    "<body bgcolor=\"#F8F8F5\">\r\n"
    "\r\n"
    "<table width=\"75%\" border=\"1\" align=\"center\"  cellspacing=\"0\" cellpadding=\"0\" "
    "bordercolorlight=\"#000000\" bordercolordark=\"#FFFFFF\">\r\n";
static_assert(kReportHead.size() == 730);

inline constexpr int kSummaryLabelCount = 8;

struct ReportColumn {
    std::string title;  // GBK
    int width;          // pixels
};

struct ReportCell {
    int width;         // its column's width in pixels
    std::string text;  // GBK
};

// The window's texts at the moment of the click; every text as the user sees it.
struct ReportSnapshot {
    std::string productName;  // GBK
    std::string version;      // GBK
    std::vector<ReportColumn> columns;
    std::vector<std::vector<ReportCell>> rows;           // each row as wide as the list was when it was read
    std::array<std::string, kSummaryLabelCount> labels;  // 透明标签1 … 透明标签8, at index number - 1
};

// "&", "<" and ">" as character references, every other byte as it is. GBK trail
// bytes never take these values, so a byte-wise pass cuts no character.
std::string escapeHtmlText(std::string_view text);

// The whole page, as the file's bytes.
std::string buildReportPage(const ReportSnapshot& snapshot);

}  // namespace tankora

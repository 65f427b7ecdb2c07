// The HTML fuel report: what the main window shows, written as tmp.htm and opened.
#pragma once

#include <string>
#include <string_view>

#include "report/report_page.h"
#include "ui/toolkit.h"

namespace tankora {

struct ReportInputs {
    std::string productName;  // GBK
    std::string version;      // GBK
    std::string tempFolder;   // file-system path ending in "/"
};

inline constexpr std::string_view kReportFileName = "tmp.htm";
// "无法写入报告文件", followed in the box by CR LF and the file's path.
inline const std::string kReportWriteFailedText =
    "\xce\xde\xb7\xa8\xd0\xb4\xc8\xeb\xb1\xa8\xb8\xe6\xce\xc4\xbc\xfe";  // 无法写入报告文件
inline const std::string kReportWriteFailedTitle = "\xca\xa7\xb0\xdc";   // 失败

// The list's titles, widths and cells and the eight label texts as they stand now.
// The column count is read again for every row.
ReportSnapshot snapshotReport(const ReportInputs& inputs, MainWindowView& window);

// Replaces the file at path whole with the bytes; false when any step fails, and then
// whatever stood at path is left as it was.
bool replaceReportFile(const std::string& path, std::string_view bytes);

class FuelReport {
public:
    // Writes the page of the window's list and labels to tempFolder + "tmp.htm" and
    // opens it through the window's link control without waiting. When the file
    // cannot be written it says so in a message box and opens nothing.
    static void generate(const ReportInputs& inputs, MainWindowView& window, MessageBoxes& messages);
};

}  // namespace tankora

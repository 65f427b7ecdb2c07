#include "report/fuel_report.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "text/gbk_codec.h"

namespace tankora {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kTemporarySuffix = ".XXXXXX";  // mkstemp's pattern

}  // namespace

ReportSnapshot snapshotReport(const ReportInputs& inputs, MainWindowView& window) {
    ReportSnapshot snapshot;
    snapshot.productName = inputs.productName;
    snapshot.version = inputs.version;

    ReportList& list = window.logList();
    const int headerColumns = list.columnCount();
    for (int column = 0; column < headerColumns; ++column) {
        snapshot.columns.push_back({list.columnTitle(column), list.columnWidth(column)});
    }
    const int rowCount = list.rowCount();
    for (int row = 0; row < rowCount; ++row) {
        std::vector<ReportCell>& cells = snapshot.rows.emplace_back();
        const int columns = list.columnCount();
        for (int column = 0; column < columns; ++column) {
            int width = column < headerColumns ? snapshot.columns[column].width : list.columnWidth(column);
            cells.push_back({width, list.cellText(row, column)});
        }
    }

    for (int labelNumber = 1; labelNumber <= kSummaryLabelCount; ++labelNumber) {
        snapshot.labels[labelNumber - 1] = window.summaryLabel(labelNumber).text();
    }
    return snapshot;
}

bool replaceReportFile(const std::string& path, std::string_view bytes) {
    // Written aside under a fresh name and renamed over the old file: it is replaced
    // whole, and a link planted at the fixed name in a shared folder is replaced
    // instead of followed.
    std::string temporary = path + std::string(kTemporarySuffix);
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = (std::fclose(file) == 0) && written;  // the flush of the last bytes may fail too
    if (written && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

void FuelReport::generate(const ReportInputs& inputs, MainWindowView& window, MessageBoxes& messages) {
    std::string page = buildReportPage(snapshotReport(inputs, window));
    std::string path = inputs.tempFolder + std::string(kReportFileName);
    if (!replaceReportFile(path, page)) {
        // Opening the path now would show an older report as if it were this one.
        messages.showMessage(kReportWriteFailedText + std::string(kLineBreak) + utf8ToGbk(path),
                             kReportWriteFailedTitle, MessageIcon::Information, MessageButtons::Ok);
        return;
    }
    LinkControl& link = window.reportLink();
    link.setTarget(path);
    link.activate();  // a viewer that cannot be started leaves nothing to report
}

}  // namespace tankora

// The HTML fuel report: what the main window shows, written as tmp.htm and opened.
#pragma once

#include <string>

#include "ui/toolkit.h"

namespace tankora {

struct ReportInputs {
    std::string productName;  // GBK
    std::string version;      // GBK
    std::string tempFolder;   // file-system path ending in "/"
};

class FuelReport {
public:
    // Writes the page of the window's list and labels to tempFolder + "tmp.htm" and
    // opens it through the window's link control without waiting. When the file
    // cannot be written it says so in a message box and opens nothing.
    static void generate(const ReportInputs& inputs, MainWindowView& window, MessageBoxes& messages);
};

}  // namespace tankora

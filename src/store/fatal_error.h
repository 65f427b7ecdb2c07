// The program-wide end for the two fatal conditions a foreign field table can cause.
#pragma once

#include <string>

namespace tankora {

// Shows `text` (GBK) in an error box titled "错误", then ends the process with exit code -1.
using FatalErrorPresenter = void (*)(const std::string& text);

// The shell installs its message box here; until then the text goes to standard error.
void setFatalErrorPresenter(FatalErrorPresenter presenter);

// Presents the text and exits with -1. Never returns.
[[noreturn]] void fatalError(const std::string& text);

}  // namespace tankora

// The program-wide end for the two fatal conditions a foreign field table can cause.
#pragma once

#include <optional>
#include <string>

namespace tankora {

// Shows `text` (GBK) in an error box titled "错误", then ends the process with exit code -1.
using FatalErrorPresenter = void (*)(const std::string& text);

// The shell installs its message box here; until then the text goes to standard error.
void setFatalErrorPresenter(FatalErrorPresenter presenter);

// The text of both fatal boxes: "运行时出错!", then "错误代码：" and the code when there
// is one, then "错误信息：" and the message, with CR LF line breaks.
std::string runtimeErrorText(const std::string& message, std::optional<int> errorCode = std::nullopt);

// Presents the text and exits with -1. Never returns.
[[noreturn]] void fatalError(const std::string& text);

}  // namespace tankora

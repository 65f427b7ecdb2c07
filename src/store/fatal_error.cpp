#include "store/fatal_error.h"

#include <cstdio>
#include <cstdlib>

#include "text/value_text.h"

namespace tankora {
namespace {
FatalErrorPresenter installedPresenter = nullptr;

const std::string kRuntimeErrorHeading = "\xd4\xcb\xd0\xd0\xca\xb1\xb3\xf6\xb4\xed\x21";  // 运行时出错!
const std::string kErrorCodeLabel = "\xb4\xed\xce\xf3\xb4\xfa\xc2\xeb\xa3\xba";           // 错误代码：
const std::string kErrorMessageLabel = "\xb4\xed\xce\xf3\xd0\xc5\xcf\xa2\xa3\xba";        // 错误信息：
const std::string kLineBreak = "\r\n";
}  // namespace

std::string runtimeErrorText(const std::string& message, std::optional<int> errorCode) {
    std::string text = kRuntimeErrorHeading + kLineBreak + kLineBreak;
    if (errorCode)
        text +=
            kErrorCodeLabel + numberToText(static_cast<std::int32_t>(*errorCode)) + kLineBreak + kLineBreak;
    return text + kErrorMessageLabel + message + kLineBreak;
}

void setFatalErrorPresenter(FatalErrorPresenter presenter) { installedPresenter = presenter; }

void fatalError(const std::string& text) {
    if (installedPresenter) {
        installedPresenter(text);
    } else {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
    std::exit(-1);
}

}  // namespace tankora

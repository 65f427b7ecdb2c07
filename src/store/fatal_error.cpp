#include "store/fatal_error.h"

#include <cstdio>
#include <cstdlib>

namespace tankora {
namespace {
FatalErrorPresenter installedPresenter = nullptr;
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

// What the entry dialog is opened for, set by the main window's commands.
#pragma once

#include <cstdint>

namespace tankora {

struct EntryMode {
    static constexpr std::int32_t kAdd = 1;
    static constexpr std::int32_t kModify = 2;
    std::int32_t mode = 0;
    std::int32_t selectedSerial = 0;  // serial of the entry picked in the list = its record number
};

}  // namespace tankora

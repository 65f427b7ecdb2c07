// Texts that the log list, the summary labels and the entry dialog share.
#pragma once

#include <string>

namespace tankora {

inline const std::string kKilometreUnit = "\xb9\xab\xc0\xef";                        // 公里
inline const std::string kLitreUnit = "\xc9\xfd";                                    // 升
inline const std::string kYuanUnit = "\xd4\xaa";                                     // 元
inline const std::string kConsumptionUnit = "\xc9\xfd\x2f\xb0\xd9\xb9\xab\xc0\xef";  // 升/百公里
// The full-tank flag as the list shows it and as the dialog's list offers it.
inline const std::string kFullTankYes = "\xca\xc7";  // 是
inline const std::string kFullTankNo = "\xb7\xf1";   // 否

}  // namespace tankora

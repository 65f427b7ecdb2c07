#include "text/value_text.h"

#include <cmath>
#include <limits>

namespace tankora {

double clampDate(double dateTime) {
    if (std::isnan(dateTime) || dateTime > kLastValidDate) return kLastValidDate;
    if (dateTime < kFirstValidDate) return kFirstValidDate;
    return dateTime;
}

std::int32_t truncateToInteger(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);  // in range: the cast cuts toward zero
}

}  // namespace tankora

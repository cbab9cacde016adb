#include "compile/input_window.h"

#include <limits>
#include <stdexcept>

bool TakesWindows(const CSettingsSerializer& settings) {
    return (settings.type & Filter) != 0 || (settings.type & Trend) != 0;
}

InputWindow WindowOf(const CSettingsSerializer& settings) {
    if (!TakesWindows(settings)) return {};
    const bool trend = (settings.type & Filter) == 0;
    if (settings.omega < 0) throw std::runtime_error("Omega (Width) must not be negative");
    if (trend && settings.sigma < 0) throw std::runtime_error("Sigma (Offset) must not be negative");
    if (2 * std::int64_t{settings.omega} + 1 > std::numeric_limits<std::int32_t>::max()) {
        throw std::runtime_error("Omega (Width) is too large");
    }
    return {settings.omega, trend ? settings.sigma : 0};
}

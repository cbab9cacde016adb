#pragma once
// Which data rows make a training row. Filter and Trend take windows of W = 2 * omega + 1
// consecutive data rows: the inputs of every window row in order, then the target from the window's
// centre row (Filter) or sigma rows after it (Trend). Windows start at rows 0 .. N - 2 * (omega +
// offset) - 1, where offset is sigma for Trend and 0 for Filter. Every other type uses each data
// row alone, a window of one row with no offset.
#include <cstddef>
#include <cstdint>

#include "workspace/settings.h"

struct InputWindow {
    std::int64_t halfWidth = 0;  // omega
    std::int64_t offset = 0;     // sigma for Trend, 0 otherwise

    std::int64_t Width() const { return 2 * halfWidth + 1; }
    // Windows over `rows` data rows; 0 or less: none.
    std::int64_t Count(std::size_t rows) const {
        return static_cast<std::int64_t>(rows) - 2 * (halfWidth + offset);
    }
    std::size_t TargetRow(std::size_t first) const {
        return first + static_cast<std::size_t>(halfWidth + offset);
    }
};

// Whether the settings' type takes windows (Filter, or else Trend).
bool TakesWindows(const CSettingsSerializer& settings);

// The window of the settings' type. Throws std::runtime_error with one line for a negative omega,
// a Trend's negative sigma, or a width past 32 bits.
InputWindow WindowOf(const CSettingsSerializer& settings);

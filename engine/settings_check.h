#pragma once
// Settings that a run cannot work with are refused before the engine is prepared, each with one
// line for the console.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "workspace/settings.h"

// "" when a run can start; otherwise the line that says why not.
std::string SettingsProblem(const CSettingsSerializer& settings, std::int32_t inputCount,
                            const std::vector<std::vector<float>>& rows, std::uint64_t usableMemory);

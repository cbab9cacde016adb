// Training-row preparation from an arbitrary table and settings: it refuses with one line or
// builds rows of at least inputCount inputs and a target each, and the settings check then answers.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "compile/training_rows.h"
#include "engine/settings_check.h"

// The first 64 bytes are the settings record; then a byte per row gives its length and the floats
// follow, so that tables have rows of unequal length, empty rows and any values.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CSettingsSerializer settings{};
    if (size < sizeof settings) return 0;
    std::memcpy(&settings, data, sizeof settings);
    std::vector<std::vector<float>> table;
    for (std::size_t at = sizeof settings; at < size;) {
        const std::size_t wanted = data[at++] % 16;
        const std::size_t length = std::min(wanted, (size - at) / sizeof(float));
        table.emplace_back(length);
        if (length > 0) std::memcpy(table.back().data(), data + at, length * sizeof(float));
        at += length * sizeof(float);
    }
    std::vector<std::vector<float>> rows;
    std::int32_t inputCount = -1;
    try {
        PrepareTrainingRows(table, settings, rows, inputCount);
    } catch (const std::runtime_error&) {
        if (!rows.empty() || inputCount != -1) std::abort();  // a refusal changes nothing
        return 0;
    }
    for (const std::vector<float>& row : rows)  // a longer data row is used as it is
        if (inputCount < 0 || row.size() < static_cast<std::size_t>(inputCount) + 1) std::abort();
    SettingsProblem(settings, inputCount, rows, std::uint64_t{1} << 32);
    return 0;
}

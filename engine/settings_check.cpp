#include "engine/settings_check.h"

#include <algorithm>
#include <cmath>

#include "compile/code_generator.h"
#include "compile/native_glue.h"
#include "engine/breeding.h"
#include "engine/gep_search.h"

namespace {

double NonNegative(std::int32_t value) { return std::max(0.0, static_cast<double>(value)); }

// What the run will hold at once, in bytes, counted generously: the populations, the workers'
// selection tables, the rows as programs read them, the tournament rows and the code buffers, each
// room for the longest program at the target's longest instruction.
double MemoryNeeded(const CSettingsSerializer& s, std::int32_t inputCount,
                    const std::vector<std::vector<float>>& rows) {
    constexpr double kProgramOverhead = 48;  // vector and allocator bookkeeping
    constexpr double kLongestPool = 24;      // duplication never grows a program past the pool size
    const double cores = NonNegative(s.cores);
    const double bred = std::max(NonNegative(s.maxFunctions), 2 * kLongestPool);
    const double stride = NonNegative(inputCount) + NonNegative(s.dummyInputs);
    const double rowCount = static_cast<double>(rows.size());
    const double tournamentRows = rowCount * std::trunc(std::max(0.0f, s.tournamentDataPercent)) / 100 + 1;
    return NonNegative(s.startingPopulation) * (3 * NonNegative(s.maxFunctions) + kProgramOverhead) +
           2 * NonNegative(s.population) * (3 * bred + kProgramOverhead) +
           cores * 4 * NonNegative(s.population) + 4 * stride * (rowCount + tournamentRows) +
           std::max(cores, double(kMinimumSlots)) *
               (static_cast<double>(kMaxInstructionSize) * bred + double(kInitialCodeBufferSize));
}

}  // namespace

std::string SettingsProblem(const CSettingsSerializer& s, std::int32_t inputCount,
                            const std::vector<std::vector<float>>& rows, std::uint64_t usableMemory) {
    const std::string fix = ". Create Settings: '3'";
    if (s.maxFunctions < 1) return "Maximum Functions must be at least 1" + fix;
    if (s.tournamentSize < 2) return "Tournament Size must be at least 2" + fix;
    if (s.cores < 1) return "No Of Cores must be at least 1" + fix;
    if (s.cores > kMaximumCores) return "No Of Cores must be at most " + std::to_string(kMaximumCores) + fix;
    // Each worker runs population / (2 x cores) tournaments; with none the next generation is empty.
    if (s.population < 2 * s.cores) return "Standard Population must be at least twice No Of Cores" + fix;
    if (!(s.tournamentDataPercent >= 0)) return "Tournament Data(%) must not be negative" + fix;
    if (s.tournamentDataPercent > kMaximumPercent) return "Tournament Data(%) is too large" + fix;
    if (static_cast<std::int64_t>(inputCount) + s.dummyInputs < 1)
        return "No Inputs: the data has no input column and there are no Dummy Inputs" + fix;
    if (MemoryNeeded(s, inputCount, rows) > static_cast<double>(usableMemory))
        return "Not enough memory for these populations and programs" + fix;
    return "";
}

#pragma once
// The tuned search as a run of the engine: the rows split into training and validation by the
// seed, the settings file read as the tuned search reads it (README), and the search made afresh
// for every run.
#include <cstdint>
#include <optional>

#include "engine/search.h"
#include "engine/tuned_rows.h"
#include "engine/tuned_search.h"
#include "workspace/data_file.h"
#include "workspace/settings.h"

inline constexpr const char* kTunedDummyInputsRefusal =
    "Dummy Inputs must be at least 2 for the tuned search: a program's scale and offset are two of them.";

class TunedRun : public Search {
  public:
    // Refuses settings that cannot run as the specified search does (std::runtime_error, one line).
    void Prepare(const CSettingsSerializer& settings, const DataTable& table, std::optional<std::uint32_t> seed,
                 double seconds);
    void Run(UIUpdater& reporter, const RunControl& control) override;

  private:
    TunedRows training_, validation_;
    TunedSettings settings_;
    std::int32_t generations_ = 0;
};

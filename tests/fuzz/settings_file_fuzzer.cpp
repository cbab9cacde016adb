// The settings file reader on arbitrary bytes: it refuses with an archive error or returns a
// record that writes back as a file which reads back as the same record.
#include <boost/archive/archive_exception.hpp>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "workspace/settings.h"

namespace {

// Bit for bit, except that any NaN equals any NaN (the file spells every NaN alike): NaNs are made
// alike before comparing.
CSettingsSerializer Canonical(CSettingsSerializer record) {
    for (float* value : {&record.crossoverPercent, &record.mutationPercent, &record.tournamentDataPercent,
                         &record.worstFitness})
        if (std::isnan(*value)) *value = NAN;
    return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    CSettingsSerializer record;
    try {
        record = ReadSettings(in);
    } catch (const boost::archive::archive_exception&) {
        return 0;
    }
    std::stringstream file;
    WriteSettings(file, record);
    const CSettingsSerializer back = Canonical(ReadSettings(file));
    record = Canonical(record);
    if (std::memcmp(&back, &record, sizeof record) != 0) std::abort();
    return 0;
}

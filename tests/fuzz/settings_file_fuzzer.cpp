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

// Bit for bit, except that any NaN equals any NaN (the file spells every NaN alike).
bool SameValues(const CSettingsSerializer& a, const CSettingsSerializer& b) {
    float wordsA[16], wordsB[16];  // sixteen 4-byte members
    std::memcpy(wordsA, &a, sizeof wordsA);
    std::memcpy(wordsB, &b, sizeof wordsB);
    for (int i = 0; i < 16; ++i) {
        const bool floatMember = i == 7 || i == 8 || i == 10 || i == 14;
        if (floatMember && std::isnan(wordsA[i]) && std::isnan(wordsB[i])) continue;
        if (std::memcmp(&wordsA[i], &wordsB[i], sizeof(float)) != 0) return false;
    }
    return true;
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
    if (!SameValues(ReadSettings(file), record)) std::abort();
    return 0;
}

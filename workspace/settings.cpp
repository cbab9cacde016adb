#include "workspace/settings.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/filesystem.hpp>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>
#include <stdexcept>

#include "workspace/file_replacement.h"

namespace fs = boost::filesystem;
using boost::archive::archive_exception;


namespace {

const char kSignature[] = "serialization::archive";
const int kArchiveVersion = 10;

float ParseFloat(const std::string& text, bool& whole) {
    std::istringstream word(text);
    word.imbue(std::locale::classic());
    float value = 0;
    whole = (word >> value) && word.peek() == std::char_traits<char>::eof();
    return value;
}

// A float in the archive's notation: general, 8 significant digits; 9 where 8 would not read back
// as the same float (1000000064 would come back as 1000000128).
void PutFloat(std::ostream& out, float value) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::setprecision(8) << static_cast<double>(value);
    bool whole = false;
    if (std::isfinite(value) && ParseFloat(text.str(), whole) != value) {
        text.str("");
        text << std::setprecision(9) << static_cast<double>(value);
    }
    out << ' ' << text.str();
}

void PutInt(std::ostream& out, std::int32_t value) { out << ' ' << value; }

std::string NextWord(std::istream& in) {
    std::string word;
    if (!(in >> word)) throw archive_exception(archive_exception::input_stream_error);
    return word;
}

// Each value is one word that must be a whole number of its type.
std::int32_t GetInt(std::istream& in) {
    std::istringstream word(NextWord(in));
    word.imbue(std::locale::classic());
    std::int32_t value = 0;
    if (!(word >> value) || word.peek() != std::char_traits<char>::eof())
        throw archive_exception(archive_exception::input_stream_error);
    return value;
}

// Also takes back what the writer prints for values that are not finite.
float GetFloat(std::istream& in) {
    const std::string text = NextWord(in);
    if (text == "inf" || text == "+inf") return std::numeric_limits<float>::infinity();
    if (text == "-inf") return -std::numeric_limits<float>::infinity();
    if (text == "nan" || text == "-nan") return std::numeric_limits<float>::quiet_NaN();
    bool whole = false;
    const float value = ParseFloat(text, whole);
    if (!whole) throw archive_exception(archive_exception::input_stream_error);
    return value;
}

}  // namespace

void WriteSettings(std::ostream& out, const CSettingsSerializer& r) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::setprecision(8) << sizeof kSignature - 1 << ' ' << kSignature << ' ' << kArchiveVersion
         << " 0 0";
    PutInt(text, r.type);
    PutInt(text, r.functionFlags);
    PutInt(text, r.randomAlgorithm);
    PutInt(text, r.startingPopulation);
    PutInt(text, r.population);
    PutInt(text, r.dummyInputs);
    PutInt(text, r.generations);
    PutFloat(text, r.crossoverPercent);
    PutFloat(text, r.mutationPercent);
    PutInt(text, r.tournamentSize);
    PutFloat(text, r.tournamentDataPercent);
    PutInt(text, r.maxFunctions);
    PutInt(text, r.omega);
    PutInt(text, r.sigma);
    PutFloat(text, r.worstFitness);
    PutInt(text, r.cores);
    text << '\n';
    if (!(out << text.str() << std::flush)) throw archive_exception(archive_exception::output_stream_error);
}

CSettingsSerializer ReadSettings(std::istream& in) {
    std::int32_t length = 0;
    std::string signature;
    if (!(in >> length) || !(in >> signature) || length != static_cast<std::int32_t>(sizeof kSignature - 1) ||
        signature != kSignature)
        throw archive_exception(archive_exception::invalid_signature);
    if (GetInt(in) > kArchiveVersion) throw archive_exception(archive_exception::unsupported_version);
    GetInt(in);  // tracking
    GetInt(in);  // class version, not compared
    CSettingsSerializer r{};
    r.type = GetInt(in);
    r.functionFlags = GetInt(in);
    r.randomAlgorithm = static_cast<RandomAlgorithm>(GetInt(in));
    r.startingPopulation = GetInt(in);
    r.population = GetInt(in);
    r.dummyInputs = GetInt(in);
    r.generations = GetInt(in);
    r.crossoverPercent = GetFloat(in);
    r.mutationPercent = GetFloat(in);
    r.tournamentSize = GetInt(in);
    r.tournamentDataPercent = GetFloat(in);
    r.maxFunctions = GetInt(in);
    r.omega = GetInt(in);
    r.sigma = GetInt(in);
    r.worstFitness = GetFloat(in);
    r.cores = GetInt(in);
    return r;
}

std::string SettingsPath(const std::string& directory) { return directory + "/settings.dat"; }

// Replaced whole, so a failed save never loses the old settings; a failure says the system's
// reason (a directory of that name: "Is a directory", from the rename).
void SaveSettings(const std::string& directory, const CSettingsSerializer& record) {
    const std::string path = SettingsPath(directory);
    std::ostringstream text;
    WriteSettings(text, record);
    const int error = ReplaceFile(path, text.str());
    if (error != 0)
        throw std::runtime_error("Cannot write settings file " + path + ": " + std::strerror(error));
}

CSettingsSerializer LoadSettings(const std::string& directory) {
    std::ifstream in(SettingsPath(directory));
    return ReadSettings(in);
}

bool SettingsFileExists(const std::string& directory) {
    boost::system::error_code error;
    return fs::is_regular_file(fs::status(SettingsPath(directory), error));
}


#pragma once
// The run's settings record and its file, settings.dat: a one-line text archive
// "22 serialization::archive 10 0 0" followed by the sixteen values.
#include <cstdint>
#include <iosfwd>
#include <string>

enum ProblemType : std::int32_t { Classifier = 1, Filter = 2, Regression = 4, Trend = 8 };

enum RandomAlgorithm : std::int32_t { ROTB = 1, ROTW = 2, Mersenne = 4 };

enum FunctionFlag : std::int32_t {
    Addition = 0x001,
    Subtraction = 0x002,
    Multiplication = 0x004,
    Division = 0x008,
    Exp = 0x010,
    Log = 0x020,
    Sin = 0x040,
    Cos = 0x080,
    Tan = 0x100,
    Sigmoidal = 0x200,
    Tanh = 0x400,
};

// Plain record, sixteen 4-byte members in file order. Nothing checks the values.
struct CSettingsSerializer {
    std::int32_t type;
    std::int32_t functionFlags;
    RandomAlgorithm randomAlgorithm;
    std::int32_t startingPopulation;
    std::int32_t population;
    std::int32_t dummyInputs;
    std::int32_t generations;
    float crossoverPercent;
    float mutationPercent;
    std::int32_t tournamentSize;
    float tournamentDataPercent;
    std::int32_t maxFunctions;
    std::int32_t omega;
    std::int32_t sigma;
    float worstFitness;
    std::int32_t cores;

    // Lets the record travel through Boost.Serialization archives too (class version 0).
    template <class Archive>
    void serialize(Archive& archive, unsigned /*version*/) {
        std::int32_t algorithm = randomAlgorithm;
        archive& type& functionFlags& algorithm;
        randomAlgorithm = static_cast<RandomAlgorithm>(algorithm);
        archive& startingPopulation& population& dummyInputs& generations& crossoverPercent& mutationPercent&
            tournamentSize& tournamentDataPercent& maxFunctions& omega& sigma& worstFitness& cores;
    }
};
static_assert(sizeof(CSettingsSerializer) == 64, "sixteen 4-byte members");

// The archive text, exactly as settings.dat holds it. Errors are boost::archive::archive_exception.
void WriteSettings(std::ostream& out, const CSettingsSerializer& record);
CSettingsSerializer ReadSettings(std::istream& in);

std::string SettingsPath(const std::string& directory);
// Throws std::runtime_error "Cannot write settings file <path>: <the system's reason>".
void SaveSettings(const std::string& directory, const CSettingsSerializer& record);
CSettingsSerializer LoadSettings(const std::string& directory);
bool SettingsFileExists(const std::string& directory);

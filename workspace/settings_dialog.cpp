#include "workspace/settings_dialog.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/lexical_cast.hpp>
#include <iostream>
#include <locale>

#include "workspace/console.h"
#include "workspace/settings.h"

namespace {

struct FunctionEntry {
    FunctionFlag flag;
    const char* prompt;
    const char* printed;
};

// Prompt order, which is also the printout's order; the bit values follow another order.
const FunctionEntry kFunctions[] = {
    {Addition, "Include Addition: 'y' or 'n'", "\tAddition"},
    {Subtraction, "Include Subtraction: 'y' or 'n'", "\tSubtraction"},
    {Multiplication, "Include Multiplication: 'y' or 'n'", "\tMultiplication"},
    {Division, "Include Division: 'y' or 'n'", "\tDivide"},
    {Log, "Include Log: 'y' or 'n'", "\tLog"},
    {Exp, "Include Exp: 'y' or 'n'", "\tExp"},
    {Tan, "Include Tan: 'y' or 'n'", "\tTan"},
    {Sin, "Include Sin: 'y' or 'n'", "\tSin"},
    {Cos, "Include Cos: 'y' or 'n'", "\tCos"},
    {Sigmoidal, "Include Sigmoidal: 'y' or 'n'", "\tSigmoidal"},
    {Tanh, "Include Tanh: 'y' or 'n'", "\tTanh"},
};

template <class Number>
Number Ask(const char* prompt) {
    PrintLine(prompt);
    return boost::lexical_cast<Number>(ReadWord());
}

// The width and offset answers are echoed after their prompt before they are converted.
std::int32_t AskEchoed(const char* prompt) {
    PrintLine(prompt);
    const std::string answer = ReadWord();
    PrintLine(prompt + answer);
    return boost::lexical_cast<std::int32_t>(answer);
}

struct Choice {
    const char* answer;
    const char* printed;
    std::int32_t code;
};

const Choice kTypes[] = {{"1", "GEP Type: Regression", Regression},
                         {"2", "GEP Type: Classifier", Classifier},
                         {"3", "GEP Type: Filter", Filter},
                         {"4", "GEP Type: Trend", Trend}};

const Choice kRandoms[] = {{"1", "GEP Random: ROTB", ROTB},
                           {"2", "GEP Random: ROTW", ROTW},
                           {"3", "GEP Random: Mersenne", Mersenne}};

// The choice the answer names, confirmed on its own line; nullptr (the dialog ends) for any other.
template <std::size_t N>
const Choice* Choose(const char* prompt, const Choice (&choices)[N], const char* unknown) {
    PrintLine(prompt);
    const std::string answer = ReadWord();
    for (const Choice& choice : choices) {
        if (answer == choice.answer) {
            PrintLine(choice.printed);
            return &choice;
        }
    }
    PrintLine(unknown);
    PrintLine("Create Settings: '3'");
    return nullptr;
}

bool AskType(CSettingsSerializer& r) {
    const Choice* type = Choose("GEP Type: Regression '1', Classifier '2', Filter '3' or Trend '4'", kTypes,
                                "Unknown GEP Type");
    if (!type) return false;
    r.type = type->code;
    r.omega = r.type == Filter || r.type == Trend ? AskEchoed("Omega (Width):") : 0;
    r.sigma = r.type == Trend ? AskEchoed("Sigma (Offset):") : 0;
    return true;
}

bool AskRandom(CSettingsSerializer& r) {
    const Choice* random =
        Choose("GEP Random Number: ROTB '1', ROTW '2', Mersenne '3'", kRandoms, "Unknown Random Type");
    if (random) r.randomAlgorithm = static_cast<RandomAlgorithm>(random->code);
    return random != nullptr;
}

void AskFunctions(CSettingsSerializer& r) {
    r.functionFlags = 0;
    PrintLine("GEP Functions:");
    for (const FunctionEntry& function : kFunctions) {
        PrintLine(function.prompt);
        if (boost::algorithm::to_lower_copy(ReadWord(), std::locale::classic()) == "y")
            r.functionFlags |= function.flag;
    }
}

const char* TypeName(std::int32_t type) {
    switch (type) {
        case Regression:
            return "Regression";
        case Classifier:
            return "Classifier";
        case Filter:
            return "Filter";
        case Trend:
            return "Trend";
        default:
            return "";
    }
}

const char* RandomName(std::int32_t algorithm) {
    switch (algorithm) {
        case ROTB:
            return "ROTB";
        case ROTW:
            return "ROTW";
        case Mersenne:
            return "Mersenne";
        default:
            return "";
    }
}

void Print(const CSettingsSerializer& r) {
    std::ostream& out = std::cout;
    out << "Type: " << TypeName(r.type) << std::endl;
    out << "Random Algorithm: " << RandomName(r.randomAlgorithm) << std::endl;
    out << "Starting Population: " << r.startingPopulation << std::endl;
    out << "Standard Population: " << r.population << std::endl;
    out << "Dummy Inputs: " << r.dummyInputs << std::endl;
    out << "Generations: " << r.generations << std::endl;
    out << "CrossOver (%): " << r.crossoverPercent << std::endl;
    out << "Mutations (%): " << r.mutationPercent << std::endl;
    out << "Tournament Size: " << r.tournamentSize << std::endl;
    out << "Tournament Data (%): " << r.tournamentDataPercent << std::endl;
    out << "Worst Fitness: " << r.worstFitness << std::endl;
    out << "Maximum Functions: " << r.maxFunctions << std::endl;
    out << "Sigma (Offset): " << r.sigma << std::endl;
    out << "Omega (Width): " << r.omega << std::endl;
    out << "Functions: " << std::endl;
    for (const FunctionEntry& function : kFunctions)
        if (r.functionFlags & function.flag) out << function.printed << std::endl;
    out << "Cores:" << r.cores << std::endl;
}

}  // namespace

void CreateSettings(const std::string& directory) {
    CSettingsSerializer r{};
    if (!AskType(r) || !AskRandom(r)) return;
    r.startingPopulation = Ask<std::int32_t>("GEP Initial Population:");
    r.population = Ask<std::int32_t>("GEP Standard Population:");
    r.dummyInputs = Ask<std::int32_t>("Dummy Inputs:");
    r.generations = Ask<std::int32_t>("Generations:");
    r.crossoverPercent = Ask<float>("Cross Over (%):");
    r.mutationPercent = Ask<float>("Mutations (%):");
    r.tournamentSize = Ask<std::int32_t>("Tournament Size:");
    r.tournamentDataPercent = Ask<float>("Tournament Data(%):");
    r.worstFitness = Ask<float>("Worst Fitness:");
    AskFunctions(r);
    r.maxFunctions = Ask<std::int32_t>("Maximum Functions:");
    r.cores = Ask<std::int32_t>("No Of Cores: 1 , 2 or 4");
    SaveSettings(directory, r);
    PrintSettings(directory);
}

void PrintSettings(const std::string& directory) {
    if (!SettingsFileExists(directory)) {
        PrintLine("No Settings Created. Create Settings: '3'");
        return;
    }
    Print(LoadSettings(directory));
}

void UseExistingSettings(const std::string& directory) {
    if (!SettingsFileExists(directory)) {
        PrintLine("No Settings File Exists.");
        PrintLine("Create Settings: '3'");
        return;
    }
    PrintLine("Using Settings.");
    LoadSettings(directory);
    PrintSettings(directory);
}

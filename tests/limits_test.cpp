// docs/limits.md against the program: each row of its table names a limit, and the check of that
// name here returns what the program answers just beyond it, which must be the row's last column.
#include <algorithm>
#include <boost/algorithm/string.hpp>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "compile/code_generator.h"
#include "compile/native_glue.h"
#include "compile/opcodes.h"
#include "engine/settings_check.h"
#include "engine/tuned_run.h"
#include "tests/console_case.h"
#include "tests/engine_test_support.h"
#include "workspace/csv_table.h"
#include "workspace/data_file.h"

namespace {

// The line with which command 5 refuses settings, or "" when a run would start.
std::string Refusal(const std::function<void(CSettingsSerializer&)>& change,
                    const DataTable& table = {{1, 2}, {3, 4}, {5, 6}}) {
    CSettingsSerializer settings = SmallSettings();
    change(settings);
    GepSearch engine;
    try {
        engine.Prepare(settings, table, std::nullopt);
    } catch (const std::runtime_error& refusal) {  // and nothing is prepared
        const bool untouched = engine.slots.empty() && engine.problem.rows.empty();
        return untouched ? refusal.what() : "prepared before refusing";
    }
    return "";
}

std::string Addressing() {
    std::vector<float> row(16384);
    row[5] = 7;
    CodeBuffer buffer;
    Compile(buffer, {OP_LOAD, 0x40, 0x05});  // operand 16389
    return CallCompiled(buffer, row.data()) == 7 ? "value n + 16384 is read as value n" : "";
}

std::string LongProgram() {
    std::vector<std::uint8_t> program = {OP_LOAD, 0, 0};
    for (int i = 0; i < 5000; ++i) program.insert(program.end(), {OP_SIN, 0, 0, OP_ADD, 0, 0});
    program.insert(program.end(), {OP_ADD, 0, 1});
    CodeBuffer buffer;
    Compile(buffer, program);
    const float row[] = {0, 2};  // sin 0 + 0, five thousand times, then + 2
    const std::size_t longSize = buffer.Size();
    const bool runs = longSize > kInitialCodeBufferSize && CallCompiled(buffer, row) == 2;
    Compile(buffer, {OP_LOAD, 0, 1});  // and a shorter one after it leaves nothing of it
    const bool cleared = std::all_of(buffer.Bytes() + buffer.Size(), buffer.Bytes() + longSize,
                                     [](std::uint8_t byte) { return byte == 0xCC; });
    return runs && cleared && CallCompiled(buffer, row) == 2 ? "longer programs run too" : "";
}

std::string TunedDummyInputs() {
    CSettingsSerializer settings = SmallSettings();
    TunedRun run;
    settings.dummyInputs = 2;
    run.Prepare(settings, {{1, 2}, {3, 4}}, 1, 0);
    settings.dummyInputs = 1;
    return Thrown<std::runtime_error>([&] { run.Prepare(settings, {{1, 2}, {3, 4}}, 1, 0); });
}

std::string SettingsTail() {
    std::istringstream file(
        "22 serialization::archive 10 0 0 4 7 4 20 20 1 3 70 10 4 50 6 0 0 1000 2 x 9 y\n");
    return ReadSettings(file).cores == 2 ? "what follows the 21st word is ignored" : "";
}

std::string LongLine() {
    std::string line;
    for (int i = 0; i < 200000; ++i) line += "1.5,";
    std::istringstream file(line + "\n2\n");
    DataTable table;
    ReadDataTable(file, table);
    return table.size() == 2 && table[0].size() == 200000 ? "all are read" : "";
}

// The CSV reader's refusal of `text`, or "" when it reads it.
std::string CsvRefusal(const std::string& text, const CsvOptions& options = {}) {
    std::istringstream in(text);
    return Thrown<CsvError>([&] { ReadCsvTable(in, "table.csv", options); });
}

std::string CsvRows(std::size_t count) {
    std::string text = "x,y\n";
    for (std::size_t row = 0; row < count; ++row) text += "1," + std::to_string(row) + "\n";
    return text;
}

std::string CsvLine() {
    const std::string longest = "1," + std::string(kLongestCsvLine - 3, ' ') + "2\r\n";
    const bool read = CsvRefusal("x,y\n" + longest, {true, "", 1}) == "";
    return read ? CsvRefusal("x,y\n1,2\n " + longest, {true, "", 1}) : "";
}

std::string CsvColumns() {
    std::string widest;
    for (std::size_t c = 0; c < kMostCsvColumns; ++c) widest += "x" + std::to_string(c) + ",";
    widest.back() = '\n';
    const bool read = CsvRefusal(widest + boost::replace_all_copy(widest, "x", ""), {true, "", 1}) == "";
    return read ? CsvRefusal("extra," + widest) : "";
}

std::string CsvTableSize() {
    const CsvOptions options{true, "", 1, 2 * (2 * sizeof(double) + sizeof(std::size_t))};
    return CsvRefusal(CsvRows(2), options) == "" ? CsvRefusal(CsvRows(3), options) : "";
}

const std::map<std::string, std::function<std::string()>> kChecks = {
    {"No Of Cores below", [] { return Refusal([](auto& s) { s.cores = 0; }); }},
    {"No Of Cores above", [] { return Refusal([](auto& s) { s.cores = 257; }); }},
    {"Standard Population", [] { return Refusal([](auto& s) { s.population = 2 * s.cores - 1; }); }},
    {"Maximum Functions", [] { return Refusal([](auto& s) { s.maxFunctions = 0; }); }},
    {"Tournament Size", [] { return Refusal([](auto& s) { s.tournamentSize = 1; }); }},
    {"Tournament Data(%) below", [] { return Refusal([](auto& s) { s.tournamentDataPercent = -1; }); }},
    {"Tournament Data(%) above", [] { return Refusal([](auto& s) { s.tournamentDataPercent = 1000001; }); }},
    {"Inputs",
     [] {
         return Refusal([](auto& s) { s.dummyInputs = 0; }, {{1}, {2}});
     }},
    {"Populations, program length, rows and columns",
     [] {
         return Refusal([](auto& s) { s.startingPopulation = s.population = s.maxFunctions = 2000000000; });
     }},
    {"Omega (Width)", [] { return Refusal([](auto& s) { s.type = Filter, s.omega = -1; }); }},
    {"Sigma (Offset) of a Trend", [] { return Refusal([](auto& s) { s.type = Trend, s.sigma = -1; }); }},
    {"Window inputs, (2 Omega + 1) times the input columns",
     [] { return Refusal([](auto& s) { s.type = Filter, s.omega = 1 << 30; }); }},
    {"Dummy Inputs of the tuned search", TunedDummyInputs},
    {"Values of a row that programs address", Addressing},
    {"Length of a compiled program", LongProgram},
    {"settings.dat", SettingsTail},
    {"data.dat", LongLine},
    {"CSV line", CsvLine},
    {"CSV columns", CsvColumns},
    {"CSV rows", [] { return CsvRefusal(CsvRows(10)) == "" ? CsvRefusal(CsvRows(9)) : ""; }},
    {"CSV table size", CsvTableSize},
};

// Each worker slot's code buffer is counted with room for the longest program at this target's
// longest instruction.
TEST(Limits, MemoryCountsTheCodeOfTheTarget) {
    CSettingsSerializer settings = SmallSettings();
    settings.maxFunctions = 1000000;
    const std::uint64_t code = kMinimumSlots * std::uint64_t{1000000} * kMaxInstructionSize;
    EXPECT_NE(SettingsProblem(settings, 1, {{1, 2}}, code), "");
}

TEST(Limits, EachRowOfTheTableIsWhatTheProgramAnswers) {
    std::ifstream doc(TARVO_SOURCE_DIR "/docs/limits.md");
    std::set<std::string> rows;
    for (std::string line; std::getline(doc, line);) {
        std::vector<std::string> cells;
        boost::split(cells, line, boost::is_any_of("|"));
        if (cells.size() != 5 || cells[1] == " Limit " || boost::starts_with(cells[1], "-")) continue;
        for (std::string& cell : cells) boost::trim_if(cell, boost::is_any_of(" \""));
        rows.insert(cells[1]);
        ASSERT_TRUE(kChecks.count(cells[1])) << "no check for the row " << cells[1];
        EXPECT_EQ(kChecks.at(cells[1])(), cells[3]) << cells[1];
    }
    EXPECT_EQ(rows.size(), kChecks.size()) << "a check without its row in docs/limits.md";
}

}  // namespace

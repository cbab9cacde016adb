// Program files read back against the programs they were written from, on the host target only
// (where the x87 raises stack faults as the analysis expects): the recovered program, the value of
// its formula and the value of its C source, bit for bit against the compiled program.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/algorithm/string/replace.hpp>
#include <boost/filesystem.hpp>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>

#include "compile/activation.h"
#include "compile/code_generator.h"
#include "compile/function_set.h"
#include "compile/opcodes.h"
#include "compile/source_emitter.h"
#include "formula/c_emitter.h"
#include "formula/formula.h"
#include "formula/program_file.h"
#include "tests/console_case.h"
#include "tests/random_programs.h"

namespace {

constexpr int kPrograms = 2000;
constexpr int kRowsPerProgram = 12;

struct Drawn {
    std::vector<std::uint8_t> program;
    std::vector<float> sample;  // the row its program file holds: inputs, then constants
    std::size_t inputCount;
    std::vector<std::vector<float>> rows = {};  // inputs, then the file's constants
    std::vector<float> compiled = {};           // the program's value on each row
};

using Random = std::mt19937;

int Draw(Random& random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

// What a program file can show of a program: columns, not operands; no operand where none is read.
std::vector<std::uint8_t> AsShown(std::vector<std::uint8_t> program) {
    for (std::size_t at = 0; at < program.size(); at += 3) {
        program[at] = std::min<std::uint8_t>(program[at], OP_NOP);
        const bool reads = program[at] <= OP_DIVP || (program[at] < OP_NOP && program[at] % 2 == 1);
        const int column = reads ? (program[at + 1] << 8 | program[at + 2]) % 16384 : 0;
        program[at + 1] = static_cast<std::uint8_t>(column >> 8);
        program[at + 2] = static_cast<std::uint8_t>(column);
    }
    return program;
}

std::string Text(const std::vector<std::uint8_t>& program) {
    std::ostringstream text;
    text << std::hex << std::setfill('0');
    for (std::uint8_t byte : program) text << std::setw(2) << int(byte) << ' ';
    return text.str();
}

// NaN matches any NaN: where a stack fault makes the value NaN, its sign and payload can come from a
// value that never reaches the result otherwise.
bool Same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

std::string Mismatch(const char* what, const Drawn& drawn, std::size_t row, float expected, float actual) {
    std::ostringstream text;
    text << std::setprecision(9) << what << " differs on program " << Text(drawn.program) << "with K "
         << drawn.inputCount << ", row";
    for (float value : drawn.rows[row]) text << ' ' << value;
    text << ": compiled " << expected << ", " << what << ' ' << actual;
    return text.str();
}

Drawn RandomCase(Random& random) {
    const int columns = Draw(random, 1, 8);
    Drawn drawn{RandomProgram(random, columns, true), std::vector<float>(static_cast<std::size_t>(columns)),
                0};
    for (float& value : drawn.sample) value = RandomValue(random);
    drawn.inputCount = static_cast<std::size_t>(Draw(random, 0, columns));
    return drawn;
}

// x0 * x0 ... / x0 ... with 3e38: only extended precision keeps the ninth power.
Drawn WideRangeCase() {
    Drawn drawn{{OP_LOAD, 0, 0}, {3e38f}, 1};
    for (std::uint8_t op : {OP_MUL, OP_DIV})
        for (int i = 0; i < 8; ++i) drawn.program.insert(drawn.program.end(), {op, 0, 0});
    return drawn;
}

// Writes the program file as a run does, reads it back and checks (a) and (b) on the file's own row
// and on rows of random inputs; returns the C source.
std::string CheckFormula(Random& random, Drawn& drawn, CodeBuffer& buffer, std::string& failure) {
    std::vector<std::uint8_t> pool;
    std::string helpers, activations;
    BuildOpcodePool(Draw(random, 0, 0x7FF), pool, helpers, activations);
    const ProgramFile file = ParseProgramFile(
        "p.cpp", EmitSource(drawn.program, drawn.sample, RandomValue(random), helpers, activations));
    // A load and a pop line may read back as one instruction or two: those programs by their values.
    const bool combines = std::any_of(drawn.program.begin(), drawn.program.end(),
                                      [](std::uint8_t byte) { return byte >= OP_ADDS && byte <= OP_DIVS; });
    if (!combines && file.program != AsShown(drawn.program))
        failure = "recovered " + Text(file.program) + "from " + Text(drawn.program);
    const Expression formula = MakeFormula(file.program, file.values, drawn.inputCount);
    Compile(buffer, drawn.program);
    for (int r = 0; r < kRowsPerProgram; ++r) {
        std::vector<float> row = file.values;
        for (std::size_t i = 0; i < drawn.inputCount && r > 0; ++i) row[i] = RandomValue(random);
        drawn.rows.push_back(row);
        drawn.compiled.push_back(CallCompiled(buffer, row.data()));
        const float value = EvaluateFormula(formula, row.data());
        if (failure.empty() && !Same(drawn.compiled.back(), value))
            failure = Mismatch("formula", drawn, drawn.rows.size() - 1, drawn.compiled.back(), value);
    }
    return CSource(formula, drawn.inputCount, "p.cpp");
}

// Programs that combine stack values read back as programs of the same body and values; a load and
// a pop line read as one instruction or two, as the registers of the later lines say.
TEST(FormulaTool, ReadsProgramsThatCombineStackValues) {
    Random random(20240702);
    CodeBuffer written, read;
    for (int i = 0; i < 300; ++i) {
        const std::vector<std::uint8_t> program = RandomProgram(random, 4, true);
        const std::vector<float> row = {RandomValue(random), RandomValue(random), 1.5f, -2.0f};
        const ProgramFile file = ParseProgramFile("p.cpp", EmitSource(program, row, 0, "", ""));
        Compile(written, program);
        Compile(read, file.program);
        ASSERT_TRUE(Same(CallCompiled(written, row.data()), CallCompiled(read, row.data()))) << Text(program);
    }
}

using Model = float (*)(const float*);

// Builds all sources as one shared library with the test build's C compiler, each under its own prefix.
void* CompileModels(const std::vector<std::string>& sources, const std::string& directory) {
    std::string all;
    for (std::size_t i = 0; i < sources.size(); ++i)
        all += boost::replace_all_copy(sources[i], "tarvo_", "m" + std::to_string(i) + "_");
    WriteFile(directory + "/models.c", all);
    const std::string command = std::string(TARVO_C_COMPILER) +
                                " -std=c99 -pedantic -Wall -Wextra -Werror -O2 -fPIC -shared -o " +
                                directory + "/models.so " + directory + "/models.c -lm";
    if (std::system(command.c_str()) != 0) return nullptr;
    return dlopen((directory + "/models.so").c_str(), RTLD_NOW | RTLD_LOCAL);
}

TEST(FormulaTool, ReadsProgramFilesBackAndComputesAsTheCompiledProgram) {
    Random random(20240701);
    CodeBuffer buffer;
    std::vector<Drawn> drawn;
    std::vector<std::string> sources;
    std::string failure;
    for (int i = 0; i < kPrograms; ++i) {
        drawn.push_back(i == 0 ? WideRangeCase() : RandomCase(random));
        sources.push_back(CheckFormula(random, drawn.back(), buffer, failure));
    }
    EXPECT_EQ(failure, "");

    const std::string directory = MakeTemporaryDirectory();
    void* library = CompileModels(sources, directory);
    ASSERT_NE(library, nullptr) << "the C sources in " << directory << " do not build";
    for (std::size_t i = 0; i < drawn.size() && failure.empty(); ++i) {
        const auto model =
            reinterpret_cast<Model>(dlsym(library, ("m" + std::to_string(i) + "_model").c_str()));
        ASSERT_NE(model, nullptr);
        for (std::size_t r = 0; r < drawn[i].rows.size() && failure.empty(); ++r) {
            const float value = model(drawn[i].rows[r].data());
            if (!Same(drawn[i].compiled[r], value))
                failure = Mismatch("C source", drawn[i], r, drawn[i].compiled[r], value);
        }
    }
    EXPECT_EQ(failure, "") << "sources in " << directory;
    dlclose(library);
    if (failure.empty()) boost::filesystem::remove_all(directory);
}

}  // namespace

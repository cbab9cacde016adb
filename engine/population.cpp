#include <cstdint>
#include <limits>

#include "compile/opcodes.h"
#include "engine/gep_search.h"
#include "platform/seconds_clock.h"
#include "random/mersenne_generator.h"
#include "random/ranrot_b_generator.h"
#include "random/ranrot_w_generator.h"

namespace {

std::unique_ptr<TRandom> NewGenerator(std::int32_t algorithm) {
    if (algorithm & 1) return std::make_unique<CRandom<TRanrotBGenerator>>();
    if (algorithm & 2) return std::make_unique<CRandom<TRanrotWGenerator>>();
    return std::make_unique<CRandom<TRandomMersenne>>();
}

void AppendInstruction(Program& program, std::uint8_t opcode, int operand) {
    program.push_back(opcode);
    program.push_back(static_cast<std::uint8_t>(operand >> 8));
    program.push_back(static_cast<std::uint8_t>(operand));
}

}  // namespace

// All slots get the same kind and the same seed: the run's seed, or the clock read just before
// each (so they normally share one). Each slot also gets its rand() sequence.
void GepSearch::CreateGenerators() {
    const CSettingsSerializer& settings = problem.settings;
    const std::optional<std::uint32_t> seed = problem.seed;
    const std::size_t count = static_cast<std::size_t>(std::max(kMinimumSlots, settings.cores));
    while (slots.size() < count) slots.emplace_back();
    slots.resize(count);
    for (std::size_t c = 0; c < count; ++c) {
        slots[c].generator = NewGenerator(settings.randomAlgorithm);
        slots[c].rand = seed ? CRandStream(*seed + static_cast<std::uint32_t>(c)) : CRandStream();
    }
    for (WorkerSlot& slot : slots)
        slot.generator->Seed(static_cast<int>(seed ? *seed : static_cast<std::uint32_t>(SecondsNow())));
}

// Ratios of two uniform draws; a quotient that is infinite, zero or subnormal becomes pi, and odd
// positions are negated.
void GepSearch::GenerateConstants() {
    constexpr float kPi = 3.14159265358979f;
    TRandom& random = Generator(0);
    std::vector<float>& constants = problem.constants;
    constants.clear();
    for (std::int32_t j = 0; j < problem.settings.dummyInputs; ++j) {
        const float a = static_cast<float>(random.NextReal());
        const float b = static_cast<float>(random.NextReal());
        float c = static_cast<float>(static_cast<double>(a) / static_cast<double>(b));
        if (c > std::numeric_limits<float>::max() || c < std::numeric_limits<float>::min()) c = kPi;
        if (j % 2 == 1) c = -c;
        constants.push_back(c);
    }
}

void GepSearch::GenerateRandomPopulation() {
    TRandom& random = Generator(0);
    const int operands = problem.OperandCount();
    const int poolLast = static_cast<int>(problem.opcodePool.size()) - 1;
    for (std::int32_t i = 0; i < problem.settings.startingPopulation; ++i) {
        const int count = random.NextInt(1, problem.settings.maxFunctions);
        Program program;
        program.reserve(3 * static_cast<std::size_t>(count));
        AppendInstruction(program, OP_LOAD, random.NextInt(0, operands - 1));
        for (int n = 1; n < count; ++n) {
            const std::uint8_t opcode = problem.opcodePool[static_cast<std::size_t>(random.NextInt(0, poolLast))];
            AppendInstruction(program, opcode, random.NextInt(0, operands - 1));
        }
        generation.population.push_back(std::move(program));
    }
}

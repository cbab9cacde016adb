#include <cstdint>
#include <limits>

#include "compile/opcodes.h"
#include "engine/engine.h"
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
void CEngine::CreateGenerators() {
    const std::size_t slots = static_cast<std::size_t>(std::max(kMinimumSlots, settings.cores));
    generators.clear();
    randStreams.clear();
    for (std::size_t slot = 0; slot < slots; ++slot) {
        generators.push_back(NewGenerator(settings.randomAlgorithm));
        randStreams.push_back(seed ? CRandStream(*seed + static_cast<std::uint32_t>(slot)) : CRandStream());
    }
    for (const std::unique_ptr<TRandom>& generator : generators)
        generator->Seed(static_cast<int>(seed ? *seed : static_cast<std::uint32_t>(SecondsNow())));
    workerWinners.assign(slots, Population());
}

// Ratios of two uniform draws; a quotient that is infinite, zero or subnormal becomes pi, and odd
// positions are negated.
void CEngine::GenerateConstants() {
    constexpr float kPi = 3.14159265358979f;
    TRandom& random = *generators[0];
    constants.clear();
    for (std::int32_t j = 0; j < settings.dummyInputs; ++j) {
        const float a = static_cast<float>(random.NextReal());
        const float b = static_cast<float>(random.NextReal());
        float c = static_cast<float>(static_cast<double>(a) / static_cast<double>(b));
        if (c > std::numeric_limits<float>::max() || c < std::numeric_limits<float>::min()) c = kPi;
        if (j % 2 == 1) c = -c;
        constants.push_back(c);
    }
}

void CEngine::GenerateRandomPopulation() {
    TRandom& random = *generators[0];
    const int operands = inputCount + settings.dummyInputs;
    const int poolLast = static_cast<int>(opcodePool.size()) - 1;
    for (std::int32_t i = 0; i < settings.startingPopulation; ++i) {
        const int count = random.NextInt(1, settings.maxFunctions);
        Program program;
        program.reserve(3 * static_cast<std::size_t>(count));
        AppendInstruction(program, OP_LOAD, random.NextInt(0, operands - 1));
        for (int n = 1; n < count; ++n) {
            const std::uint8_t opcode = opcodePool[random.NextInt(0, poolLast)];
            AppendInstruction(program, opcode, random.NextInt(0, operands - 1));
        }
        population.push_back(std::move(program));
    }
}

#include "engine/migration.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

void PutWord(Bytes& bytes, std::uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(word >> shift));
}

// Reads the bytes front to back; running past their end is malformed.
struct Reader {
    const Bytes& bytes;
    std::size_t at = 0;

    std::uint32_t Word() {
        Need(4);
        std::uint32_t word = 0;
        for (int k = 0; k < 4; ++k) word |= static_cast<std::uint32_t>(bytes[at++]) << (8 * k);
        return word;
    }
    void Need(std::size_t count) const {
        if (bytes.size() - at < count) throw std::runtime_error("malformed migrants");
    }
};

std::uint32_t FloatBits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float BitsFloat(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The positions to replace, worst first: unrecorded programs, then recorded ones from the worst.
std::vector<std::size_t> WorstPositions(const GepGeneration& e, std::size_t count) {
    std::vector<bool> recorded(e.population.size(), false);
    for (const auto& entry : e.fitnessIndex) recorded[static_cast<std::size_t>(entry.second)] = true;
    std::vector<std::size_t> worst;
    for (std::size_t p = 0; p < recorded.size() && worst.size() < count; ++p)
        if (!recorded[p]) worst.push_back(p);
    for (auto entry = e.fitnessIndex.begin(); entry != e.fitnessIndex.end() && worst.size() < count; ++entry)
        worst.push_back(static_cast<std::size_t>(entry->second));
    return worst;
}

void Forget(GepGeneration& e, std::size_t position) {
    for (auto entry = e.fitnessIndex.begin(); entry != e.fitnessIndex.end(); ++entry) {
        if (static_cast<std::size_t>(entry->second) != position) continue;
        e.fitnessSum -= entry->first;
        e.fitnessCount -= 1;
        e.fitnessIndex.erase(entry);
        return;
    }
}

}  // namespace

std::vector<Migrant> BestMigrants(const GepGeneration& e, int count) {
    std::vector<Migrant> best;
    for (auto entry = e.fitnessIndex.rbegin();
         entry != e.fitnessIndex.rend() && best.size() < static_cast<std::size_t>(std::max(count, 0));
         ++entry)
        best.push_back({e.population[static_cast<std::size_t>(entry->second)], entry->first});
    return best;
}

void TakeMigrants(GepGeneration& e, const std::vector<Migrant>& migrants) {
    const std::vector<std::size_t> worst = WorstPositions(e, migrants.size());
    for (std::size_t k = 0; k < worst.size(); ++k) {
        Forget(e, worst[k]);
        e.population[worst[k]] = migrants[k].program;
        e.fitnessIndex.insert({migrants[k].fitness, static_cast<std::int32_t>(worst[k])});
        e.fitnessSum += migrants[k].fitness;
        e.fitnessCount += 1;
    }
    if (e.fitnessIndex.empty()) return;
    e.bestFitness = e.fitnessIndex.rbegin()->first;
    e.maxFitness = std::max(0.0f, e.fitnessIndex.begin()->first);
}

Bytes PackMigrants(const std::vector<Migrant>& migrants) {
    Bytes bytes;
    PutWord(bytes, static_cast<std::uint32_t>(migrants.size()));
    for (const Migrant& migrant : migrants) {
        PutWord(bytes, FloatBits(migrant.fitness));
        PutWord(bytes, static_cast<std::uint32_t>(migrant.program.size()));
        bytes.insert(bytes.end(), migrant.program.begin(), migrant.program.end());
    }
    return bytes;
}

std::vector<Migrant> UnpackMigrants(const Bytes& bytes) {
    Reader in{bytes};
    const std::uint32_t count = in.Word();
    std::vector<Migrant> migrants;
    for (std::uint32_t k = 0; k < count; ++k) {
        Migrant migrant;
        migrant.fitness = BitsFloat(in.Word());
        const std::uint32_t length = in.Word();
        in.Need(length);
        if (length == 0 || length % 3 != 0) throw std::runtime_error("malformed migrants");
        migrant.program.assign(bytes.begin() + static_cast<std::ptrdiff_t>(in.at),
                               bytes.begin() + static_cast<std::ptrdiff_t>(in.at + length));
        in.at += length;
        migrants.push_back(std::move(migrant));
    }
    if (in.at != bytes.size()) throw std::runtime_error("malformed migrants");
    return migrants;
}

#include "engine/fast_scorer.h"

#include "engine/fitness.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kSlots = RowKernel::kKernelPrograms;
constexpr std::uint32_t kMissLimit = 1u << 24;  // a float sum of ones stops growing there

// acc[k] += (y[k][r] - target[r])^2 row after row, each step rounded to float as EvaluateFitness
// rounds it. The K sums are independent chains, so they run side by side.
template <int K>
void AccumulateSquares(const float* const* y, const float* target, std::size_t count, float* acc) {
    float sums[K];
    const float* rows[K];
    for (int k = 0; k < K; ++k) sums[k] = acc[k], rows[k] = y[k];
    for (std::size_t r = 0; r < count; ++r) {
        const float t = target[r];
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) {
            const float d = rows[k][r] - t;
            sums[k] += d * d;
        }
    }
    for (int k = 0; k < K; ++k) acc[k] = sums[k];
}

void AccumulateSquares(int active, const float* const* y, const float* target, std::size_t count, float* acc) {
    switch (active) {
        case 1: return AccumulateSquares<1>(y, target, count, acc);
        case 2: return AccumulateSquares<2>(y, target, count, acc);
        case 3: return AccumulateSquares<3>(y, target, count, acc);
        case 4: return AccumulateSquares<4>(y, target, count, acc);
        case 5: return AccumulateSquares<5>(y, target, count, acc);
        case 6: return AccumulateSquares<6>(y, target, count, acc);
        case 7: return AccumulateSquares<7>(y, target, count, acc);
        default: return AccumulateSquares<8>(y, target, count, acc);
    }
}

std::uint32_t Misses(const float* y, const float* target, std::size_t count, const ClassRule& rule) {
    std::uint32_t misses = 0;
    for (std::size_t r = 0; r < count; ++r) misses += rule.Missed(y[r], target[r]) ? 1 : 0;
    return misses;
}

bool AnyNan(const float* y, std::size_t count) {
    bool nan = false;
    for (std::size_t r = 0; r < count; ++r) nan |= std::isnan(y[r]);
    return nan;
}

}  // namespace

void FastScorer::Bind(const CallRows& rows, std::int32_t inputCount, FitnessRules rules,
                      const FitnessCache* shared, SharedFitnessCache* learned) {
    rows_ = &rows;
    inputCount_ = inputCount;
    rules_ = rules;
    shared_ = shared;
    learned_ = learned;
    own_.Clear();
    pendingCount_ = 0;
    lastNonFiniteTarget_ = 0;
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (!std::isfinite(rows.targets[r])) lastNonFiniteTarget_ = r + 1;
    values_.resize(kSlots * kKernelBlockRows);
}

bool FastScorer::Lookup(const std::string& key, float& fitness) {
    if (shared_ != nullptr && shared_->Find(key, fitness)) return true;
    return learned_ != nullptr ? learned_->Find(key, fitness) : own_.Find(key, fitness);
}

void FastScorer::Score(const std::vector<std::uint8_t>* const* programs, std::size_t count, float* fitness) {
    counts.programs += count;
    if (rows_->empty()) {  // no row adds to the sum
        const float sum = 0 > rules_.worstFitness ? rules_.worstFitness : 0.0f;
        std::fill(fitness, fitness + count, sum * 0.5f);
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        Queue(*programs[i], i, fitness);
        if (pendingCount_ == kSlots) Flush(fitness);
    }
    Flush(fitness);
}

// Analyses the program and either answers it from a cache, joins it to a pending twin, or queues
// it for evaluation.
void FastScorer::Queue(const std::vector<std::uint8_t>& program, std::size_t output, float* fitness) {
    AnalyseProgram(program.data(), program.size(), live_);
    if (!live_.chain) {
        Compile(unchained_, program);
        fitness[output] = CompiledFitness(unchained_.Function(), *rows_, rules_);
        return;
    }
    key_.clear();
    const bool constant = live_.ReadsOnlyFrom(static_cast<std::uint32_t>(std::max(inputCount_, 0)));
    float value = 0;
    if (constant) {
        value = EvaluateLive(live_, rows_->Row(0));
        key_.push_back('C');  // no live key starts so
        key_.append(reinterpret_cast<const char*>(&value), sizeof value);
    } else {
        AppendLiveKey(live_, key_);
    }
    float known;
    if (useCache && Lookup(key_, known)) {
        ++counts.known;
        fitness[output] = known;
        return;
    }
    for (std::size_t k = 0; useCache && k < pendingCount_; ++k) {
        const Pending& twin = pending_[k];
        if (std::string_view(pendingKeys_).substr(twin.keyBegin, twin.keyEnd - twin.keyBegin) == key_) {
            ++counts.known;
            pending_[k].outputs.push_back(output);
            return;
        }
    }
    Pending& next = pending_[pendingCount_];
    next.keyBegin = pendingKeys_.size();
    pendingKeys_.append(key_);
    next.keyEnd = pendingKeys_.size();
    next.constant = constant;
    next.value = value;
    next.outputs.clear();
    next.outputs.push_back(output);
    if (constant) {
        ++counts.constant;
    } else {
        kernel_.Prepare(static_cast<int>(pendingCount_), live_);
    }
    ++pendingCount_;
}

void FastScorer::Flush(float* fitness) {
    if (pendingCount_ == 0) return;
    Evaluate(pendingCount_);
    for (std::size_t k = 0; k < pendingCount_; ++k) {
        const Pending& done = pending_[k];
        for (std::size_t output : done.outputs) fitness[output] = done.fitness;
        if (!useCache) continue;
        const std::string_view key = std::string_view(pendingKeys_).substr(done.keyBegin, done.keyEnd - done.keyBegin);
        if (learned_ != nullptr) {
            learned_->Insert(key, done.fitness);
        } else {
            own_.Insert(key, done.fitness);
        }
    }
    pendingKeys_.clear();
    pendingCount_ = 0;
}

// Block after block: each program's values, then its sum; a program leaves the group when a NaN
// value decides its fitness or when its sum has passed worstFitness with only finite targets left.
void FastScorer::Evaluate(std::size_t count) {
    const CallRows& rows = *rows_;
    const float worst = rules_.worstFitness;
    float sums[kSlots] = {};
    std::uint32_t misses[kSlots] = {};
    bool done[kSlots] = {};
    std::size_t remaining = count;
    for (std::size_t k = 0; k < count; ++k) {
        if (!pending_[k].constant) continue;
        std::fill_n(values_.data() + k * kKernelBlockRows, kKernelBlockRows, pending_[k].value);
    }
    for (std::size_t first = 0; first < rows.size() && remaining > 0; first += kKernelBlockRows) {
        const std::size_t block = std::min(kKernelBlockRows, rows.size() - first);
        const float* targets = rows.targets.data() + first;
        int active = 0;
        const float* y[kSlots];
        float activeSums[kSlots];
        std::size_t which[kSlots];
        for (std::size_t k = 0; k < count; ++k) {
            if (done[k]) continue;
            float* values = values_.data() + k * kKernelBlockRows;
            if (!pending_[k].constant) kernel_.Run(static_cast<int>(k), rows.Row(first), rows.stride, block, values);
            counts.rows += block;
            y[active] = values;
            activeSums[active] = sums[k];
            which[active++] = k;
        }
        if (!rules_.classifier) AccumulateSquares(active, y, targets, block, activeSums);
        for (int a = 0; a < active; ++a) {
            const std::size_t k = which[a];
            bool nan;
            if (rules_.classifier) {
                nan = AnyNan(y[a], block);
                misses[k] += Misses(y[a], targets, block, rules_.classes);
                sums[k] = static_cast<float>(std::min(misses[k], kMissLimit));
            } else {
                sums[k] = activeSums[a];
                nan = std::isnan(sums[k]) && AnyNan(y[a], block);
            }
            const bool past = earlyEnd && sums[k] > worst &&
                              (rules_.classifier || first + block >= lastNonFiniteTarget_);
            if (nan || past) {
                pending_[k].fitness = worst * 0.5f;
                done[k] = true;
                --remaining;
                counts.rowsSkipped += rows.size() - first - block;
            }
        }
    }
    // A sum past worstFitness has ended above, after the last block at the latest.
    for (std::size_t k = 0; k < count; ++k)
        if (!done[k]) pending_[k].fitness = sums[k] * 0.5f;
}

#pragma once
// Fitness of programs on a row set, equal bit for bit to compiling each program and calling
// EvaluateFitness, but faster: only the live part runs (a program without a chain, which the
// console's search never makes, is compiled and called row by row), rows are looped in generated code, a
// program whose live part reads only constants is evaluated once, up to eight programs are
// scored side by side, a fitness already known for the same live part is not computed again, and
// scoring ends early once the remaining rows cannot change the result.
//
// One scorer per thread. The fitness known before (`shared`) may be read by several scorers at
// once while nobody changes it; what a scorer learns goes into its own cache.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "compile/class_rule.h"
#include "compile/code_generator.h"
#include "compile/row_kernel.h"
#include "engine/call_rows.h"
#include "engine/fitness_cache.h"

// The host target scores through the row kernel; IA-32 keeps the literal code generator.
constexpr bool kFastScoring = sizeof(void*) == 8;

struct FitnessRules {
    bool classifier = false;   // settings.type == Classifier
    ClassRule classes{};
    float worstFitness = 0;
};

struct ScoringCounts {
    std::uint64_t programs = 0;   // scored
    std::uint64_t known = 0;      // taken from a cache
    std::uint64_t constant = 0;   // evaluated once
    std::uint64_t rows = 0;       // program rows evaluated
    std::uint64_t rowsSkipped = 0;  // program rows left out by the early end
};

// Cache-line aligned: scorers of different threads share no line.
class alignas(64) FastScorer {
  public:
    // The rows and rules of the following calls (the rows must outlive them); forgets the own cache.
    // `shared` is only read; what the scorer learns goes to `learned` where given (scorers on other
    // threads learn from it), else to its own cache.
    void Bind(const CallRows& rows, std::int32_t inputCount, FitnessRules rules, const FitnessCache* shared,
              SharedFitnessCache* learned = nullptr);

    // fitness[i] for programs[i].
    void Score(const std::vector<std::uint8_t>* const* programs, std::size_t count, float* fitness);

    ScoringCounts counts;
    // Both on in learning; the benchmark measures the kernel without them.
    bool useCache = true;
    bool earlyEnd = true;

  private:
    struct Pending {
        std::size_t keyBegin = 0, keyEnd = 0;  // in pendingKeys_
        bool constant = false;
        float value = 0;  // a constant program's value
        std::vector<std::size_t> outputs;  // indices into the caller's fitness array
        float fitness = 0;
    };

    bool Lookup(const std::string& key, float& fitness);
    void Queue(const std::vector<std::uint8_t>& program, std::size_t output, float* fitness);
    void Flush(float* fitness);
    void Evaluate(std::size_t count);

    const CallRows* rows_ = nullptr;
    std::int32_t inputCount_ = 0;
    FitnessRules rules_;
    const FitnessCache* shared_ = nullptr;
    SharedFitnessCache* learned_ = nullptr;
    FitnessCache own_;
    std::size_t lastNonFiniteTarget_ = 0;  // rows before it: early end would miss a NaN sum

    RowKernel kernel_;
    CodeBuffer unchained_;  // programs without a chain
    LiveProgram live_;
    std::string key_;
    std::string pendingKeys_;
    Pending pending_[RowKernel::kKernelPrograms];
    std::size_t pendingCount_ = 0;
    std::vector<float> values_;  // kKernelPrograms blocks of kKernelBlockRows
};

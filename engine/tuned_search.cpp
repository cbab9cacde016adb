#include "engine/tuned_search.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <string>

#include "compile/function_set.h"
#include "compile/source_emitter.h"
#include "engine/tuned_evaluation.h"
#include "engine/tuned_selection.h"
#include "engine/tuned_tuning.h"

// Scratch of one thread.
struct TunedSearch::Worker {
    ConstantTuner tuner;
    TunedEvaluator evaluator;
    TunedCode code;
    TunedTree tuned;
    MutationScratch scratch;
    std::vector<long double> values;
};

TunedSearch::TunedSearch(const TunedRows& training, const TunedRows& validation, const TunedSettings& settings,
                         UIUpdater& reporter, std::function<bool()> stopRequested)
    : training_(training),
      validation_(validation),
      settings_(settings),
      reporter_(reporter),
      stopRequested_(std::move(stopRequested)),
      grammar_(MakeGrammar(settings.functionFlags, training.inputCount, 2 * settings.maxInstructions,
                           settings.maxConstants)),
      front_(settings.maxInstructions),
      bestError_(std::numeric_limits<double>::infinity()),
      screen_(std::numeric_limits<double>::infinity()),
      markError_(std::numeric_limits<double>::infinity()) {
    settings_.threads = std::max(settings_.threads, 1);
    settings_.population = std::max<std::size_t>(settings_.population, 1);
    for (int c = 0; c < settings_.threads; ++c) workers_.push_back(std::make_unique<Worker>());
    std::vector<std::uint8_t> pool;
    BuildOpcodePool(settings.functionFlags, pool, helperSource_, activationSource_);
}

TunedSearch::~TunedSearch() = default;

bool TunedSearch::OutOfTime() const {
    if (stopRequested_ && stopRequested_()) return true;
    return settings_.seconds > 0 && std::chrono::steady_clock::now() >= deadline_;
}

void TunedSearch::Run() {
    deadline_ = std::chrono::steady_clock::now() +
                std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                    std::chrono::duration<double>(settings_.seconds));
    reporter_.EngineStarted(static_cast<int>(std::min<std::int64_t>(settings_.generations, INT32_MAX)));
    const std::size_t n = settings_.population;
    pool_.resize(std::max<std::size_t>(settings_.initialPopulation, 1));
    for (std::uint32_t i = 0; i < pool_.size(); ++i) offspring_.push_back(i);
    if (settings_.generations > 0 && MakeAll(offspring_, 0, true)) {
        KeepBest(pool_, population_, offspring_, n);
        markError_ = pool_[population_.front()].error;
        offspring_.resize(std::min(offspring_.size(), n));
        while (offspring_.size() < n) {
            offspring_.push_back(static_cast<std::uint32_t>(pool_.size()));
            pool_.emplace_back();
        }
        ReportBest(0);
        reporter_.GenerationScored(0);
        for (std::int64_t g = 1; g < settings_.generations && bestError_ > 0; ++g) {
            if (!NextGeneration(g)) break;
            ReportBest(g);
            reporter_.GenerationScored(static_cast<int>(std::min<std::int64_t>(g, INT32_MAX)));
        }
    }
    Finish();
    reporter_.EngineStopped();
}

bool TunedSearch::NextGeneration(std::int64_t generation) {
    const std::size_t n = settings_.population;
    const bool restart =
        settings_.restartAfter > 0 && generation - markGeneration_ >= settings_.restartAfter;
    if (restart) {
        // A run stuck near one formula rarely leaves it; a new start often finds another.
        Positions drawn;
        drawn.swap(population_);
        screen_ = std::numeric_limits<double>::infinity();
        if (!MakeAll(drawn, generation, true)) return false;
        KeepBest(pool_, population_, drawn, n);
        markError_ = std::numeric_limits<double>::infinity();
    } else {
        // A tenth of slack: the error in double and the exact one differ in the last digits only.
        screen_ = 1.1 * pool_[population_.back()].error;
        if (!MakeAll(offspring_, generation, false)) return false;
        KeepBest(pool_, population_, offspring_, n);
    }
    const double best = pool_[population_.front()].error;
    if (restart || best < (1 - settings_.restartGain) * markError_) {
        markError_ = best;
        markGeneration_ = generation;
    }
    return true;
}

bool TunedSearch::MakeAll(const Positions& positions, std::int64_t generation, bool drawn) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> late{false};
    threads_.Run(settings_.threads, [&](int c) {
        Worker& worker = *workers_[static_cast<std::size_t>(c)];
        for (std::size_t i; (i = next.fetch_add(1)) < positions.size();) {
            // The time budget never cuts the first generation short: a run hands over a model.
            const bool stop = generation > 0 ? OutOfTime() : stopRequested_ && stopRequested_();
            if (stop) {
                late = true;
                return;
            }
            TunedIndividual& individual = pool_[positions[i]];
            TunedRandom random(settings_.seed, static_cast<std::uint64_t>(generation), i);
            if (!drawn) {
                Breed(worker, random, individual);
            } else {
                individual.tree.clear();
                const std::size_t size = 1 + random.Below(static_cast<std::uint32_t>(settings_.maxInstructions));
                AppendRandomTree(random, grammar_, size, individual.tree);
            }
            Score(worker, individual);
        }
    });
    return !late;
}

void TunedSearch::Breed(Worker& worker, TunedRandom& random, TunedIndividual& child) {
    const TunedIndividual& first = pool_[Tournament(random, pool_, population_, settings_.tournament)];
    if (random.Chance(settings_.crossover)) {
        const TunedIndividual& second = pool_[Tournament(random, pool_, population_, settings_.tournament)];
        Crossover(random, grammar_, first.tree, second.tree, child.tree);
    } else {
        child.tree = first.tree;
    }
    if (random.Chance(settings_.mutation)) Mutate(random, grammar_, child.tree, worker.scratch);
}

void TunedSearch::Score(Worker& worker, TunedIndividual& individual) {
    TunedTree& tree = individual.tree;
    individual.error = std::numeric_limits<double>::infinity();
    const bool fits = EmitTunedCode(tree.data(), tree.size(), training_.inputCount, 1, 0, worker.code);
    individual.size = InstructionCount(worker.code);
    if (!fits || individual.size > settings_.maxInstructions) return;
    ConstantTuner::Result tuning{NAN, NAN};
    if (settings_.tuningIterations > 0 && ConstantCount(tree.data(), tree.size()) > 0) {
        worker.tuned = tree;
        // Small trees are cheap to tune and often need more steps to leave where their constants
        // were drawn (x^c from c = 1.5 needs about a dozen): each gets about the work of a large one.
        const int iterations = std::max(settings_.tuningIterations,
                                        static_cast<int>(std::min<std::size_t>(30, 100 / tree.size())));
        tuning = worker.tuner.Tune(worker.tuned.data(), worker.tuned.size(), training_, iterations);
    }
    if (tuning.after / static_cast<double>(training_.size()) > screen_) return;
    // The tuned constants are kept where the exact error says so; an error halved in double leaves
    // no doubt that rounding them to float could take back.
    const bool clearly = tuning.after < 0.5 * tuning.before;
    if (!clearly) Judge(worker, tree, individual);
    if (!tuning.Improved()) return;
    const double untuned = individual.error;
    const Scaling scaling = individual.scaling;
    Judge(worker, worker.tuned, individual);
    if (clearly || individual.error < untuned) {
        tree.swap(worker.tuned);
    } else {
        individual.error = untuned;
        individual.scaling = scaling;
    }
}

void TunedSearch::Judge(Worker& worker, const TunedTree& tree, TunedIndividual& individual) {
    EmitTunedCode(tree.data(), tree.size(), training_.inputCount, 1, 0, worker.code);
    worker.values.resize(training_.size());
    worker.evaluator.BodyValues(worker.code, training_, worker.values.data());
    individual.scaling = FitScaling(worker.values.data(), training_.targets.data(), training_.size());
    individual.error = ScaledError(worker.values.data(), training_.targets.data(), training_.size(), individual.scaling);
}

double TunedSearch::ValidationError(Worker& worker, const TunedIndividual& individual) {
    if (validation_.size() == 0) return std::numeric_limits<double>::quiet_NaN();
    EmitTunedCode(individual.tree.data(), individual.tree.size(), validation_.inputCount, 1, 0, worker.code);
    worker.values.resize(validation_.size());
    worker.evaluator.BodyValues(worker.code, validation_, worker.values.data());
    return ScaledError(worker.values.data(), validation_.targets.data(), validation_.size(), individual.scaling);
}

std::string TunedSearch::Source(Worker& worker, const TunedIndividual& individual) {
    EmitTunedCode(individual.tree.data(), individual.tree.size(), training_.inputCount, individual.scaling.scale,
                  individual.scaling.offset, worker.code);
    std::vector<float> sample;
    for (const std::vector<float>& column : training_.columns) sample.push_back(column.front());
    sample.insert(sample.end(), worker.code.constants.begin(), worker.code.constants.end());
    // Every file lists as many constants (unused ones 0), so that tools tell inputs from constants.
    sample.resize(training_.inputCount + settings_.maxConstants + 2, 0.0f);
    return EmitSource(worker.code.bytes, sample, training_.targets.front(), helperSource_, activationSource_);
}

void TunedSearch::ReportBest(std::int64_t generation) {
    for (std::uint32_t position : population_) front_.Offer(pool_[position]);
    const TunedIndividual& best = pool_[population_.front()];  // KeepBest sorts
    // Tuning keeps shaving the last digits off the best error; only a step of a thousandth or more
    // (or the first exact fit) is news worth a line and a file.
    const bool news = best.error < bestError_ * (1 - 1e-3) || (best.error == 0 && bestError_ > 0);
    if (!news) return;
    bestError_ = best.error;
    Worker& worker = *workers_.front();
    const ModelScores scores{best.error, ValidationError(worker, best), best.size};
    reporter_.NewBestModel(Source(worker, best), static_cast<int>(generation), scores);
}

void TunedSearch::Finish() {
    Worker& worker = *workers_.front();
    std::vector<FrontModel> models;
    std::vector<double> judged;
    for (const TunedIndividual* member : front_.Members()) {
        const ModelScores scores{member->error, ValidationError(worker, *member), member->size};
        models.push_back({Source(worker, *member), scores});
        judged.push_back(validation_.size() > 0 ? scores.validationError : scores.trainingError);
    }
    if (models.empty()) return;
    const TunedRows& rows = validation_.size() > 0 ? validation_ : training_;
    double mean = 0, variance = 0;
    for (float t : rows.targets) mean += t;
    mean /= static_cast<double>(rows.size());
    for (float t : rows.targets) variance += (t - mean) * (t - mean);
    variance /= static_cast<double>(rows.size());
    reporter_.FrontFound(models, ChooseModel(judged, variance));
}

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "random/mersenne_generator.h"
#include "random/ranrot_b_generator.h"
#include "random/ranrot_w_generator.h"
#include "tests/engine_test_support.h"

namespace {

// Rows no program of a few instructions fits exactly.
DataTable Unfittable(int count) {
    DataTable table;
    for (int i = 0; i < count; ++i) table.push_back({float(i), float(i * i) * 0.37f + 0.11f * float(i % 3)});
    return table;
}

TEST(Engine, ConstantsAreRatiosOfTwoDrawsWithPiForZeros) {
    // RANROT-B seeded with 1, then scripted draws: a zero denominator or numerator gives pi, odd
    // positions are negated, no dummy inputs give no constants.
    const struct {
        std::deque<double> reals;
        std::int32_t count;
        std::vector<float> constants;
    } cases[] = {
        {{}, 3, {0x1.92e966p-2f, -0x1.e70c48p+0f, 0x1.dd7fa8p+1f}},
        {{0.5, 0.0, 0.0, 0.25}, 2, {3.1415927f, -3.1415927f}},
        {{0.5, 0.25, 0.75, 0.5}, 2, {2, -1.5f}},
        {{}, -2, {}},
    };
    for (const auto& c : cases) {
        GepSearch engine;
        auto scripted = std::make_unique<ScriptedRandom>();
        scripted->reals = c.reals;
        engine.slots.resize(1);
        engine.slots[0].generator = std::move(scripted);
        if (c.reals.empty()) engine.slots[0].generator = std::make_unique<CRandom<TRanrotBGenerator>>();
        engine.slots[0].generator->Seed(1);
        engine.problem.settings.dummyInputs = c.count;
        engine.GenerateConstants();
        EXPECT_EQ(engine.problem.constants, c.constants);
    }
}

// A seeded run seeds every slot with its seed; there is a slot per core, at least four.
TEST(Engine, GeneratorKindFollowsTheAlgorithmBits) {
    const auto first = [](std::unique_ptr<TRandom> random) {
        return random->Seed(99), random->NextInt(0, 1 << 30);
    };
    const int rotb = first(std::make_unique<CRandom<TRanrotBGenerator>>()),
              rotw = first(std::make_unique<CRandom<TRanrotWGenerator>>()),
              mersenne = first(std::make_unique<CRandom<TRandomMersenne>>());
    for (const auto& [algorithm, expected] :
         std::vector<std::pair<int, int>>{{1, rotb}, {3, rotb}, {2, rotw}, {4, mersenne}, {0, mersenne}}) {
        GepSearch engine;
        engine.problem.settings.randomAlgorithm = static_cast<RandomAlgorithm>(algorithm);
        engine.problem.settings.cores = algorithm == 0 ? 7 : 2;
        engine.problem.seed = 99;
        engine.CreateGenerators();
        EXPECT_EQ(engine.slots.size(), algorithm == 0 ? 7u : 4u);
        for (WorkerSlot& slot : engine.slots)
            EXPECT_EQ(slot.generator->NextInt(0, 1 << 30), expected) << algorithm;
    }
}

// A failure inside the run is reported on one line and ends it like a stop; the next run starts.
TEST(Engine, AFailingRunReportsAndReleasesTheRun) {
    struct FailingReporter : RecordingReporter {
        void NewBestFit(std::string, int, float) override { throw std::runtime_error("disk full"); }
    };
    CEngine engine;
    FailingReporter reporter;
    engine.Initialise(reporter, SmallSettings(), Unfittable(5));
    for (int run = 0; run < 2; ++run) {
        engine.Start();
        engine.Wait();
    }
    EXPECT_FALSE(engine.Active());
    const std::vector<std::string> one = {"EngineStarted 3", "RunFailed disk full", "EngineStopped"};
    std::vector<std::string> two = one;
    two.insert(two.end(), one.begin(), one.end());
    EXPECT_EQ(reporter.Calls(), two);
}

// Two engines learn at once, on different data and settings, each exactly as it learns alone; a
// stop of one leaves the other running, until its time budget ends it.
TEST(Engine, TwoEnginesLearnAtOnceAsEachAlone) {
    CSettingsSerializer regression = SmallSettings(), classifier = SmallSettings();
    regression.generations = 8;
    classifier.type = Classifier, classifier.functionFlags |= Sigmoidal, classifier.generations = 8;
    const DataTable tables[2] = {Unfittable(12), {{0, 0, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 0}, {0.5f, 0.5f, 1}}};
    const CSettingsSerializer settings[2] = {regression, classifier};
    RecordingReporter alone[2], together[2];
    for (int k = 0; k < 2; ++k) {
        CEngine engine;
        engine.Initialise(alone[k], settings[k], tables[k], Seeded(7u + static_cast<std::uint32_t>(k)));
        engine.Start();
        engine.Wait();
    }
    CEngine engines[2];
    for (int k = 0; k < 2; ++k)
        engines[k].Initialise(together[k], settings[k], tables[k], Seeded(7u + static_cast<std::uint32_t>(k)));
    for (CEngine& engine : engines) engine.Start();
    for (CEngine& engine : engines) engine.Wait();
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(together[k].Calls(), alone[k].Calls()) << k;
        EXPECT_EQ(together[k].sources, alone[k].sources) << k;
        EXPECT_EQ(together[k].fitnesses, alone[k].fitnesses) << k;
    }

    CSettingsSerializer endless = regression;
    endless.generations = 1000000;
    RecordingReporter stopped, running;
    RunSetup budget = Seeded(2);
    budget.seconds = 2;  // long enough to be running still when the other has stopped
    engines[0].Initialise(stopped, endless, tables[0], Seeded(1));
    engines[1].Initialise(running, endless, tables[0], budget);
    engines[0].Start(), engines[1].Start();
    engines[0].Stop();
    EXPECT_FALSE(engines[0].Active());
    EXPECT_TRUE(engines[1].Active()) << "a stop belongs to its own engine";
    engines[1].Wait();  // the time budget ends a million generations
}

// Stop tests on several threads at once all see a stop for as long as Stop waits for the run.
TEST(Engine, ConcurrentStopTestsSeeTheRequestedStop) {
    constexpr int kThreads = 4, kTests = 200000;
    RunControl control;
    std::atomic<bool> release{false};
    control.Start([&] {
        while (!release) std::this_thread::yield();
    });
    std::thread stopper([&] { control.Stop(); });
    std::atomic<int> missed{0}, seen{0};
    std::vector<std::thread> testers;
    for (int t = 0; t < kThreads; ++t)
        testers.emplace_back([&] {
            while (!control.StopRequested()) std::this_thread::yield();
            for (int k = 0; k < kTests; ++k)
                if (!control.StopRequested()) ++missed;
            ++seen;
        });
    for (std::thread& tester : testers) tester.join();
    release = true;
    stopper.join();
    EXPECT_EQ(seen.load(), kThreads);
    EXPECT_EQ(missed.load(), 0);
    EXPECT_FALSE(control.StopRequested()) << "the request ends with the run";
}

}  // namespace

// Code buffers are written through one view and run from another; no page is ever both.
TEST(Engine, NoMappingIsWritableAndExecutableDuringARun) {
    struct MapsReader : RecordingReporter {
        void NewBestFit(std::string, int, float) override {
            std::ifstream maps("/proc/self/maps");
            for (std::string line; std::getline(maps, line);) {
                const std::string permissions = line.substr(line.find(' ') + 1, 4);
                if (permissions.find('w') != std::string::npos && permissions.find('x') != std::string::npos)
                    writableAndExecutable.push_back(line);
            }
            ++looks;
        }
        std::vector<std::string> writableAndExecutable;
        int looks = 0;
    };
    GepSearch engine;
    MapsReader reporter;
    RunToEnd(engine, reporter, SmallSettings(), Unfittable(5));
    EXPECT_GT(reporter.looks, 0);
    EXPECT_EQ(reporter.writableAndExecutable, std::vector<std::string>{});
}

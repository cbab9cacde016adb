#include "random/random.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "random/mersenne_generator.h"
#include "random/ranrot_b_generator.h"
#include "random/ranrot_w_generator.h"
#include "tests/console_case.h"

namespace {

template <class Generator>
std::unique_ptr<TRandom> Make(int seed) {
    auto random = std::make_unique<CRandom<Generator>>();
    random->Seed(seed);
    return random;
}

// Each generator as the engine holds it, with its test seed and the scale that puts its reals on the
// integer grid (RANROT-W's reals carry 52 bits, the others' 32).
const struct Kind {
    int seed;
    double scale;
    std::unique_ptr<TRandom> (*make)(int);
} kKinds[] = {{1, 0x1p32, &Make<TRanrotBGenerator>},
              {1, 0x1p52, &Make<TRanrotWGenerator>},
              {5489, 0x1p32, &Make<TRandomMersenne>}};

TEST(RandomGenerator, WordsGridReseedingIntsAndDrawsUsed) {
    const std::vector<std::string> names = {"RANROT-B", "RANROT-W", "Mersenne"};
    for (const auto& c : DataCases("random_draws.txt")) {
        SCOPED_TRACE(c[0] + " " + c[1]);
        const Kind& kind = kKinds[std::find(names.begin(), names.end(), c[0]) - names.begin()];
        auto random = kind.make(kind.seed);
        const std::vector<std::string> how = Words(c[1]), expected = Words(c[2]);
        std::vector<std::string> values;
        for (std::size_t i = 0; how[0] == "words" && i < expected.size(); ++i)
            values.push_back(
                std::to_string(std::uint64_t(std::fmod(random->NextReal() * kind.scale, 0x1p32))));
        for (std::size_t i = 0; how[0] == "ints" && i < expected.size(); ++i)
            values.push_back(std::to_string(random->NextInt(std::stoi(how[1]), std::stoi(how[2]))));
        EXPECT_EQ(values, expected);
        if (how[0] == "ints") {  // the draws used
            auto reference = kind.make(kind.seed);
            for (int i = 0; i < std::stoi(c[3]); ++i) reference->NextReal();
            EXPECT_EQ(random->NextReal(), reference->NextReal()) << "draws used";
            continue;
        }
        for (int i = 0; i < 100000; ++i) {
            const double scaled = random->NextReal() * kind.scale;
            ASSERT_TRUE(scaled >= 0 && scaled < kind.scale && scaled == std::floor(scaled)) << scaled;
        }
        random->Seed(kind.seed);  // restarts, also past Mersenne regenerations
        EXPECT_EQ(random->NextReal(), std::stod(c[3]));
    }
}

// Draws from a never-seeded state (zero buffers, the lagging index chosen) with standard output on
// standard error, which the death test reads.
template <class Generator>
struct FirstDrawNeverSeeded : Generator {
    explicit FirstDrawNeverSeeded(int secondIndex) : Generator(0) {
        std::memset(this->buffer, 0, sizeof this->buffer);
        std::memset(this->bufferCopy, 0, sizeof this->bufferCopy);
        this->p1 = 0;
        this->p2 = secondIndex;
        std::fflush(stdout);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        this->NextReal();
    }
};

TEST(RandomGeneratorDeathTest, SelfTestStopsTheProcess) {
    const char* notInitialized = "^Random number generator not initialized$";
    const char* returned = "^Random number generator returned to initial state$";
    EXPECT_EXIT(FirstDrawNeverSeeded<TRanrotBGenerator>(0), testing::ExitedWithCode(1), notInitialized);
    EXPECT_EXIT(FirstDrawNeverSeeded<TRanrotBGenerator>(10), testing::ExitedWithCode(1), returned);
    EXPECT_EXIT(FirstDrawNeverSeeded<TRanrotWGenerator>(0), testing::ExitedWithCode(1), notInitialized);
    EXPECT_EXIT(FirstDrawNeverSeeded<TRanrotWGenerator>(10), testing::ExitedWithCode(1), returned);
}

}  // namespace

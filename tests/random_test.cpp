#include "random/random.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "random/mersenne_generator.h"
#include "random/ranrot_b_generator.h"
#include "random/ranrot_w_generator.h"

namespace {

template <class Generator>
std::unique_ptr<TRandom> Adapter() {
    return std::make_unique<CRandom<Generator>>();
}

// Each generator as the engine holds it, with its test seed and the scale that puts its reals on the
// integer grid (RANROT-W's reals carry 52 bits, the others' 32).
struct Kind {
    const char* name;
    int seed;
    double scale;
    std::unique_ptr<TRandom> (*adapter)();
    std::unique_ptr<TRandom> Make() const {
        std::unique_ptr<TRandom> random = adapter();
        random->Seed(seed);
        return random;
    }
};
const Kind kRanrotB{"RANROT-B seed 1", 1, 0x1p32, &Adapter<TRanrotBGenerator>};
const Kind kRanrotW{"RANROT-W seed 1", 1, 0x1p52, &Adapter<TRanrotWGenerator>};
const Kind kMersenne{"Mersenne seed 5489", 5489, 0x1p32, &Adapter<TRandomMersenne>};

// Raw output words (RANROT-B's x, the others' NextBits) are the low 32 bits of the scaled reals.
TEST(RandomGenerator, ReferenceValuesGridAndReseeding) {
    const struct {
        const Kind& kind;
        std::vector<double> words;
        double firstReal;
    } cases[] = {
        {kRanrotB, {1354987858, 3443701191, 1339889590}, 0.3154826951213181},
        {kRanrotW, {822390891, 2704065994, 2539914226}, 0.29307097575931595},
        {kMersenne, {3499211612, 581869302}, 3499211612 / 0x1p32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind.name);
        auto random = c.kind.Make();
        std::vector<double> words(c.words.size());
        for (double& word : words) word = std::fmod(random->NextReal() * c.kind.scale, 0x1p32);
        EXPECT_EQ(words, c.words);
        for (int i = 0; i < 100000; ++i) {
            const double scaled = random->NextReal() * c.kind.scale;
            ASSERT_TRUE(scaled >= 0 && scaled < c.kind.scale && scaled == std::floor(scaled)) << scaled;
        }
        random->Seed(c.kind.seed);  // restarts, also past Mersenne regenerations
        EXPECT_EQ(random->NextReal(), c.firstReal);
    }
}

TEST(RandomGenerator, NextIntValuesErrorsAndDrawsUsed) {
    const struct {
        const Kind& kind;
        int min, max;
        std::vector<int> values;
        int drawsUsed;
    } cases[] = {
        {kRanrotB, -3, 3, {-1, 2, -1, -2, 2, -2, 1, -3, 1, -3, 3, -2}, 12},
        {kRanrotW, -3, 3, {-1, 2, -2, 2, -1, -2, -3, 2, -1, 2, 1, 3}, 12},
        {kMersenne, -3, 3, {2, -3, 3, 2, -3, 3, 3, -2, 1, -1, -3, 0}, 12},
        // The product is rounded to a double before truncation: each value here would come out one
        // lower from the product in extended precision, as the x87 keeps it.
        {kRanrotB, 0, 1914394726, {603958408}, 1},
        {kRanrotW, 0, 1543506318, {452356903}, 1},
        {kMersenne, 0, 263428888, {214621757}, 1},
        // Empty intervals, also one whose length wraps negative in 32 bits.
        {kRanrotB, 1, 0, {-1}, 0},
        {kRanrotB, 0, INT_MAX, {-1}, 0},
        {kRanrotW, 1, 0, {INT_MIN}, 0},
        {kMersenne, 1, 0, {INT_MIN}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind.name << " [" << c.min << ", " << c.max << "]");
        auto random = c.kind.Make();
        std::vector<int> values;
        while (values.size() < c.values.size()) values.push_back(random->NextInt(c.min, c.max));
        EXPECT_EQ(values, c.values);
        auto reference = c.kind.Make();
        for (int i = 0; i < c.drawsUsed; ++i) reference->NextReal();
        EXPECT_EQ(random->NextReal(), reference->NextReal()) << "draws used";
    }
}

TEST(RandomGenerator, MersenneMatchesStandardTwister) {
    TRandomMersenne ours(5489);
    std::mt19937 standard(5489u);
    for (int i = 0; i < 10000; ++i) ASSERT_EQ(ours.NextBits(), standard()) << "seed 5489, draw " << i;
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

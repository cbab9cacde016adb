#include "random/random.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

#include "random/mersenne_generator.h"
#include "random/ranrot_b_generator.h"
#include "random/ranrot_w_generator.h"

namespace {

// The engine must not reach a bare generator through a TRandom pointer.
static_assert(!std::is_convertible_v<TRanrotBGenerator*, TRandom*>);
static_assert(!std::is_convertible_v<TRanrotWGenerator*, TRandom*>);
static_assert(!std::is_convertible_v<TRandomMersenne*, TRandom*>);

constexpr double kTwoTo32 = 4294967296.0;

enum class Kind { RanrotB, RanrotW, Mersenne };
const Kind kAllKinds[] = {Kind::RanrotB, Kind::RanrotW, Kind::Mersenne};

const char* Name(Kind kind) {
    const char* const names[] = {"RANROT-B", "RANROT-W", "Mersenne"};
    return names[static_cast<int>(kind)];
}

// As the engine makes them: seeded from rand() at construction.
std::unique_ptr<TRandom> MakeFromRand(Kind kind) {
    switch (kind) {
        case Kind::RanrotB:
            return std::make_unique<CRandom<TRanrotBGenerator>>();
        case Kind::RanrotW:
            return std::make_unique<CRandom<TRanrotWGenerator>>();
        case Kind::Mersenne:
            return std::make_unique<CRandom<TRandomMersenne>>();
    }
    return nullptr;
}

std::unique_ptr<TRandom> Make(Kind kind, int seed) {
    std::unique_ptr<TRandom> random = MakeFromRand(kind);
    random->Seed(seed);
    return random;
}

// Raw output words: RANROT-B's x (exactly NextReal * 2^32), the others' NextBits.
std::vector<std::uint32_t> FirstWords(Kind kind, int seed, int count) {
    TRanrotBGenerator b(seed);
    TRanrotWGenerator w(seed);
    TRandomMersenne m(seed);
    std::vector<std::uint32_t> words;
    for (int i = 0; i < count; ++i) {
        words.push_back(kind == Kind::RanrotB   ? static_cast<std::uint32_t>(b.NextReal() * kTwoTo32)
                        : kind == Kind::RanrotW ? w.NextBits()
                                                : m.NextBits());
    }
    return words;
}

TEST(RandomGenerator, ReproducesReferenceWords) {
    struct Case {
        Kind kind;
        int seed;
        std::vector<std::uint32_t> words;
    };
    const Case cases[] = {
        {Kind::RanrotB, 1, {1354987858u, 3443701191u, 1339889590u}},
        {Kind::RanrotB, -1, {3036387430u, 333918909u, 68660373u}},
        {Kind::RanrotB, 123456789, {385072592u, 830846614u, 2308555415u}},
        {Kind::RanrotW, 1, {822390891u, 2704065994u, 2539914226u}},
        {Kind::RanrotW, -1, {2138474325u, 970933692u, 434600704u}},
        {Kind::RanrotW, 123456789, {1226906561u, 3897038552u, 2685791596u}},
        {Kind::Mersenne, 5489, {3499211612u, 581869302u, 3890346734u}},
        {Kind::Mersenne, 1, {1791095845u, 4282876139u, 3093770124u}},
        {Kind::Mersenne, -1, {419326371u, 479346978u, 3918654476u}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << Name(c.kind) << " seed " << c.seed);
        EXPECT_EQ(FirstWords(c.kind, c.seed, 3), c.words);
    }
}

TEST(RandomGenerator, FirstRealThroughTheInterface) {
    struct Case {
        Kind kind;
        int seed;
        double real;
    };
    const Case cases[] = {
        {Kind::RanrotB, 1, 0.3154826951213181},
        {Kind::RanrotW, 1, 0.29307097575931595},
        {Kind::Mersenne, 5489, 3499211612.0 / kTwoTo32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << Name(c.kind) << " seed " << c.seed);
        EXPECT_EQ(Make(c.kind, c.seed)->NextReal(), c.real);
    }
}

// Reals and integers mixed, long enough to pass a Mersenne regeneration.
std::vector<double> Draws(TRandom& random) {
    std::vector<double> draws;
    for (int i = 0; i < 700; ++i) draws.push_back(i % 3 ? random.NextReal() : random.NextInt(-50, 50));
    return draws;
}

TEST(RandomGenerator, SameSeedSameSequenceAndReseedRestarts) {
    for (Kind kind : kAllKinds) {
        for (int seed : {1, 42, -7}) {
            SCOPED_TRACE(testing::Message() << Name(kind) << " seed " << seed);
            auto first = Make(kind, seed);
            const std::vector<double> expected = Draws(*first);
            EXPECT_EQ(Draws(*Make(kind, seed)), expected);
            first->Seed(seed);
            EXPECT_EQ(Draws(*first), expected);
            first->Seed(seed + 1);
            EXPECT_NE(Draws(*first), expected);
        }
    }
}

TEST(RandomGenerator, AdapterSeedsItsGeneratorWithRand) {
    for (Kind kind : kAllKinds) {
        SCOPED_TRACE(Name(kind));
        std::srand(7);
        const int seed = std::rand();
        std::srand(7);
        auto fromRand = MakeFromRand(kind);
        EXPECT_EQ(Draws(*fromRand), Draws(*Make(kind, seed)));
    }
}

TEST(RandomGenerator, NextIntStaysInItsInterval) {
    for (Kind kind : kAllKinds) {
        for (int n : {1, 2, 7, 1000}) {
            SCOPED_TRACE(testing::Message() << Name(kind) << " seed 3, n " << n);
            auto random = Make(kind, 3);
            std::vector<int> seen(n);
            for (int i = 0; i < 20000; ++i) {
                const int value = random->NextInt(0, n - 1);
                ASSERT_GE(value, 0);
                ASSERT_LT(value, n);
                ++seen[value];
            }
            EXPECT_EQ(std::count(seen.begin(), seen.end(), 0), 0);
            EXPECT_EQ(random->NextInt(5, 5), 5);
            EXPECT_EQ(random->NextInt(-9, -9), -9);
        }
    }
}

TEST(RandomGenerator, NextIntSequences) {
    struct Case {
        Kind kind;
        int seed, min, max;
        std::vector<int> values;
    };
    const Case cases[] = {
        {Kind::RanrotB, 1, -3, 3, {-1, 2, -1, -2, 2, -2, 1, -3}},
        {Kind::RanrotW, 1, -3, 3, {-1, 2, -2, 2, -1, -2, -3, 2}},
        {Kind::Mersenne, 5489, -3, 3, {2, -3, 3, 2, -3, 3, 3, -2}},
        // The product is rounded to a double before truncation: each first value here would come out one
        // lower from the unrounded product.
        {Kind::RanrotB, 1, 0, 1914394726, {603958408}},
        {Kind::RanrotW, 1, 0, 1543506318, {452356903}},
        {Kind::Mersenne, 5489, 0, 263428888, {214621757}},
        // Intervals wider than 32 bits wrap around.
        {Kind::RanrotB, 1, INT_MAX, INT_MIN, {INT_MAX, INT_MIN, INT_MAX, INT_MAX, INT_MIN}},
        {Kind::Mersenne, 5489, -1000, INT_MAX, {-1749605991, -290935515, -1945173461}},
        {Kind::Mersenne, 5489, INT_MIN, INT_MAX, {INT_MIN, INT_MIN}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << Name(c.kind) << " seed " << c.seed << " [" << c.min << ", " << c.max << "]");
        auto random = Make(c.kind, c.seed);
        std::vector<int> values;
        for (std::size_t i = 0; i < c.values.size(); ++i) values.push_back(random->NextInt(c.min, c.max));
        EXPECT_EQ(values, c.values);
    }
}

TEST(RandomGenerator, NextIntErrorValuesAndDrawConsumption) {
    struct Case {
        Kind kind;
        int min, max, error;
        bool draws;
    };
    const Case cases[] = {
        {Kind::RanrotB, 1, 0, -1, false},
        {Kind::RanrotB, 0, INT_MAX, -1, false},  // length 2^31 wraps negative
        {Kind::RanrotB, INT_MIN, INT_MAX, -1, false},
        {Kind::RanrotW, 1, 0, INT_MIN, false},
        {Kind::RanrotW, 0, INT_MAX, INT_MIN, false},
        {Kind::Mersenne, 1, 0, INT_MIN, true},
        {Kind::Mersenne, 10, -10, INT_MIN, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << Name(c.kind) << " seed 11 [" << c.min << ", " << c.max << "]");
        auto random = Make(c.kind, 11);
        EXPECT_EQ(random->NextInt(c.min, c.max), c.error);
        auto reference = Make(c.kind, 11);
        if (c.draws) reference->NextReal();
        EXPECT_EQ(random->NextReal(), reference->NextReal());
    }
}

// RANROT-W's reals carry 52 bits, the others' 32.
TEST(RandomGenerator, RealsAreBelowOneAndOnTheirGrid) {
    for (Kind kind : kAllKinds) {
        SCOPED_TRACE(testing::Message() << Name(kind) << " seed 5");
        const double scale = kind == Kind::RanrotW ? 4503599627370496.0 : kTwoTo32;
        auto random = Make(kind, 5);
        for (int i = 0; i < 100000; ++i) {
            const double real = random->NextReal();
            ASSERT_GE(real, 0.0);
            ASSERT_LT(real, 1.0);
            ASSERT_EQ(std::floor(real * scale), real * scale) << real;
        }
    }
}

TEST(RandomGenerator, MersenneMatchesStandardTwister) {
    for (int seed : {5489, 1, -1, 20240601}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        TRandomMersenne ours(seed);
        std::mt19937 standard(static_cast<std::uint32_t>(seed));
        for (int i = 0; i < 10000; ++i) ASSERT_EQ(ours.NextBits(), standard()) << "draw " << i;
    }
}

// Never-seeded generator states: zero buffers with chosen indices.
struct ZeroedRanrotB : TRanrotBGenerator {
    explicit ZeroedRanrotB(int secondIndex) : TRanrotBGenerator(0) {
        std::fill(std::begin(buffer), std::end(buffer), 0u);
        std::fill(std::begin(bufferCopy), std::end(bufferCopy), 0u);
        p1 = 0;
        p2 = secondIndex;
    }
};

struct ZeroedRanrotW : TRanrotWGenerator {
    explicit ZeroedRanrotW(int secondIndex) : TRanrotWGenerator(0) {
        std::fill(&buffer[0][0], &buffer[0][0] + 34, 0u);
        std::fill(&bufferCopy[0][0], &bufferCopy[0][0] + 68, 0u);
        outputBits = 0;
        p1 = 0;
        p2 = secondIndex;
    }
};

// The self-test writes to standard output; death tests read the child's standard error.
template <class Generator>
void FirstDrawWithOutputOnStderr(int secondIndex) {
    Generator generator(secondIndex);
    std::fflush(stdout);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    generator.NextReal();
    std::fprintf(stderr, "returned");
}

TEST(RandomGeneratorDeathTest, SelfTestStopsTheProcess) {
    const char* notInitialized = "^Random number generator not initialized$";
    const char* returned = "^Random number generator returned to initial state$";
    EXPECT_EXIT(FirstDrawWithOutputOnStderr<ZeroedRanrotB>(0), testing::ExitedWithCode(1), notInitialized);
    EXPECT_EXIT(FirstDrawWithOutputOnStderr<ZeroedRanrotB>(10), testing::ExitedWithCode(1), returned);
    EXPECT_EXIT(FirstDrawWithOutputOnStderr<ZeroedRanrotW>(0), testing::ExitedWithCode(1), notInitialized);
    EXPECT_EXIT(FirstDrawWithOutputOnStderr<ZeroedRanrotW>(10), testing::ExitedWithCode(1), returned);
}

}  // namespace

#include "app/singleton_holder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Each test has its own type: the holder's instance lives for the whole process.
template <int Tag>
struct Counted {
    static inline int constructed = 0;
    Counted() { ++constructed; }
};

TEST(SingletonHolder, CreatesOneInstanceOnFirstAccess) {
    using Holder = CSingletonHolder<Counted<1>>;
    EXPECT_EQ(Counted<1>::constructed, 0);
    EXPECT_EQ(&Holder::Instance(), &Holder::Instance());
    EXPECT_EQ(Counted<1>::constructed, 1);
}

// Exit handlers run in reverse order: one registered before the first access runs after the holder has
// destroyed the instance. The exception leaves the handler, so the process ends through terminate.
TEST(SingletonHolderDeathTest, DetectsAUseAfterDestruction) {
    EXPECT_DEATH(
        {
            std::atexit([] { CSingletonHolder<Counted<2>>::Instance(); });
            CSingletonHolder<Counted<2>>::Instance();
            std::exit(0);
        },
        "Dead Reference Detected");
}

}  // namespace

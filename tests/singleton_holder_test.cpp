#include "app/singleton_holder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

// Each test has its own type: the holder's instance lives for the whole process.
template <int Tag>
struct Counted {
    static inline int constructed = 0;
    static inline int destroyed = 0;
    Counted() { ++constructed; }
    ~Counted() { ++destroyed; }
    int value = 41;
};

TEST(SingletonHolder, CreatesOneInstanceOnFirstAccess) {
    using Tracked = Counted<1>;
    EXPECT_EQ(Tracked::constructed, 0);
    Tracked& first = CSingletonHolder<Tracked>::Instance();
    EXPECT_EQ(Tracked::constructed, 1);
    first.value = 42;
    EXPECT_EQ(&CSingletonHolder<Tracked>::Instance(), &first);
    EXPECT_EQ(CSingletonHolder<Tracked>::Instance().value, 42);
    EXPECT_EQ(Tracked::constructed, 1);
    EXPECT_EQ(Tracked::destroyed, 0);

    Tracked copy = CSingletonHolder<Tracked>::Instance();  // as the process-wide objects are made
    EXPECT_EQ(copy.value, 42);
}

// Exit handlers run in reverse order: one registered before the first access runs after the
// holder has destroyed its instance.
template <class T>
void UseAfterExit() {
    std::atexit([] {
        std::fprintf(stderr, "destroyed %d; ", T::destroyed);
        try {
            CSingletonHolder<T>::Instance();
            std::fprintf(stderr, "used again");
        } catch (const std::logic_error& error) {
            std::fprintf(stderr, "%s", error.what());
        }
        std::fflush(stderr);
        std::_Exit(3);
    });
    CSingletonHolder<T>::Instance();
    std::exit(0);
}

TEST(SingletonHolderDeathTest, DestroysAtExitAndDetectsALaterUse) {
    EXPECT_EXIT(UseAfterExit<Counted<2>>(), testing::ExitedWithCode(3),
                "^destroyed 1; Dead Reference Detected$");
}

}  // namespace

#include "app/singleton_holder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct Held {};

// Exit handlers run in reverse order: one registered before the first access runs after the holder has
// destroyed the instance. The exception leaves the handler, so the process ends through terminate.
TEST(SingletonHolderDeathTest, DetectsAUseAfterDestruction) {
    EXPECT_DEATH(
        {
            std::atexit([] { CSingletonHolder<Held>::Instance(); });
            CSingletonHolder<Held>::Instance();
            std::exit(0);
        },
        "Dead Reference Detected");
}

}  // namespace

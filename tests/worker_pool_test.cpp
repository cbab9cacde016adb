#include "engine/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

// Rounds of changing size on one pool: each runs every c once, and a failure on any thread
// reaches the caller only after the round, leaving the pool usable.
TEST(WorkerPool, EveryRoundRunsEachCoreOnceAndReportsAFailureAfterIt) {
    WorkerPool pool;
    for (int cores : {3, 1, 0, 2, 4, 2}) {
        std::atomic<int> ran[4] = {};
        pool.Run(cores, [&ran](int c) { ++ran[c]; });
        for (int c = 0; c < 4; ++c) EXPECT_EQ(ran[c].load(), c < cores ? 1 : 0) << cores << " cores";
    }
    for (int failing : {0, 2}) {
        std::atomic<int> done{0};
        EXPECT_THROW(pool.Run(3,
                              [&done, failing](int c) {
                                  if (c == failing) throw std::runtime_error("failed");
                                  ++done;
                              }),
                     std::runtime_error);
        EXPECT_EQ(done.load(), 2);
    }
}

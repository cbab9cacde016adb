#include "random/ranrot_shared.h"

#include <cstdio>
#include <cstdlib>

void StopRepeatedRanrot(std::int32_t p1, std::int32_t p2) {
    if ((p2 - p1 + kRanrotEntries) % kRanrotEntries == kRanrotLag) {
        std::printf("Random number generator returned to initial state");
    } else {
        std::printf("Random number generator not initialized");
    }
    // Other threads may still be running on the process-wide objects, so no exit handlers and no
    // destructors run; only the message is flushed.
    std::fflush(stdout);
    std::_Exit(1);
}

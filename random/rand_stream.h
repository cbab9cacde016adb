#pragma once
// The C library's rand() sequence as the breeding workers draw it. The console's runs share the
// process-wide rand(), never seeded, so its draws interleave across workers by timing; a seeded run
// gives each worker a private sequence, the one rand() would give after srand(seed), so no worker's
// draws depend on another's.
#include <cstdint>
#include <memory>

class CRandStream {
  public:
    // The process-wide rand(), shared by every thread that holds one of these.
    CRandStream();
    // A private sequence for one thread.
    explicit CRandStream(std::uint32_t seed);
    ~CRandStream();
    CRandStream(CRandStream&&) noexcept;
    CRandStream& operator=(CRandStream&&) noexcept;

    // Next value in 0 .. RAND_MAX.
    int Next();

  private:
    struct State;
    std::unique_ptr<State> state;  // null for the shared rand()
};

#include "random/rand_stream.h"

#include <cstdlib>

// glibc's rand() is random() on a 128-byte state; random_r on a state of that size, seeded the same
// way, gives the same sequence.
struct CRandStream::State {
    random_data data{};  // zeroed: initstate_r reads it before it sets it up
    char words[128]{};
};

CRandStream::CRandStream() = default;

CRandStream::CRandStream(std::uint32_t seed) : state(std::make_unique<State>()) {
    initstate_r(seed, state->words, sizeof state->words, &state->data);
}

CRandStream::~CRandStream() = default;
CRandStream::CRandStream(CRandStream&&) noexcept = default;
CRandStream& CRandStream::operator=(CRandStream&&) noexcept = default;

int CRandStream::Next() {
    if (!state) return std::rand();
    std::int32_t value = 0;
    random_r(&state->data, &value);
    return value;
}

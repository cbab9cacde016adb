#pragma once
// What the two RANROT generators share: buffer size, lag, seeding step and the self-test that they
// run after every step, which stops the process when the buffer repeats its seeded state.
#include <cstdint>
#include <cstring>

constexpr int kRanrotEntries = 17;
constexpr int kRanrotLag = 10;

// The linear congruential step that fills a RANROT buffer at seeding.
inline std::uint32_t RanrotSeedStep(std::uint32_t s) { return s * 2891336453u + 1u; }

inline std::uint32_t RotateLeft(std::uint32_t v, int r) { return (v << r) | (v >> (32 - r)); }

// Prints which of the two repeats happened (no newline) and ends the process with status 1.
[[noreturn]] void StopRepeatedRanrot(std::int32_t p1, std::int32_t p2);

// `buffer` has kRanrotEntries entries of `words` 32-bit words; `seeded` holds two back-to-back copies
// of it as seeded. One comparison per draw unless the word at p1 matches the first seeded word.
inline void RanrotSelfTest(const std::uint32_t* buffer, const std::uint32_t* seeded, int words,
                           std::int32_t p1, std::int32_t p2) {
    if (buffer[p1 * words] != seeded[0]) return;
    const std::size_t bytes = sizeof(std::uint32_t) * static_cast<std::size_t>(kRanrotEntries * words);
    if (std::memcmp(buffer, seeded + (kRanrotEntries - p1) * words, bytes) == 0) StopRepeatedRanrot(p1, p2);
}

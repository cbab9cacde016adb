#pragma once
#include <cstdint>

// Bytes this process can sensibly ask for: half the machine's memory, and no more than a
// 32-bit address space can hold in one piece.
std::uint64_t UsableMemoryBytes();

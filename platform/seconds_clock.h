#pragma once
#include <cstdint>

// Calendar time in whole seconds since the epoch.
std::int64_t SecondsNow();

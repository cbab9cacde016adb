#include "platform/seconds_clock.h"

#include <ctime>

std::int64_t SecondsNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

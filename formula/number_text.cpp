#include "formula/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

bool IsFloat(long double value) {
    return std::isnan(value) || static_cast<long double>(static_cast<float>(value)) == value;
}

std::string ShortestText(long double value) {
    const bool narrow = IsFloat(value);
    char text[64];
    for (int digits = 1;; ++digits) {
        std::snprintf(text, sizeof text, "%.*Lg", digits, value);
        const long double back = narrow ? std::strtof(text, nullptr) : std::strtold(text, nullptr);
        if (back == value || digits >= 21) break;  // 21 digits tell every 64-bit significand apart
    }
    return text;
}

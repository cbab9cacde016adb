#pragma once
// How learning scores a Classifier row: with Tanh among the functions the classes are -1 and 1 and a
// prediction must lie at or beyond -0.5 or 0.5; otherwise they are 0 and 1, with 0.25 and 0.75.
#include "workspace/settings.h"

struct ClassRule {
    float lowClass, highClass;  // the two target values
    float low, high;            // a low-class prediction must be <= low, a high-class one >= high

    // A row of either class whose prediction is on the wrong side (or NaN); other targets never miss.
    bool Missed(float y, float target) const {
        return (target == lowClass && !(y <= low)) || (target == highClass && !(y >= high));
    }
};

inline ClassRule ClassRuleOf(const CSettingsSerializer& settings) {
    if ((settings.functionFlags & Tanh) != 0) return {-1.0f, 1.0f, -0.5f, 0.5f};
    return {0.0f, 1.0f, 0.25f, 0.75f};
}

#include "compile/exact_math.h"

float RoundThroughDouble(double value) {
    volatile double rounded = value;
    return static_cast<float>(rounded);
}

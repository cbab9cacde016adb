#pragma once
// The program's value on rows, computed by the same compiled code that learning runs. Every value
// that --apply prints comes from here, so a faster evaluation can take its place in one spot.
#include <cstddef>
#include <cstdint>
#include <vector>

// `rows`: `count` rows one after another, `stride` floats each (the inputs, then the constants);
// every column the program reads lies in a row. Needs the activation tables built.
std::vector<float> EvaluateRows(const std::vector<std::uint8_t>& program, const std::vector<float>& rows,
                                std::size_t stride, std::size_t count);

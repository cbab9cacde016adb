#pragma once
// A learned model as a fit hands it over: the text of its program file, which is all there is to
// keep of it, and what follows from the text: values on rows, the formula and the C source.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct LearnedModel {
    std::vector<std::uint8_t> program;
    std::vector<float> constants;  // what the program reads after a row's inputs
    std::size_t inputCount = 0;
};

// Throws std::invalid_argument for text that is no program file, has fewer than `inputCount` values
// in its inputs list, or reads past them.
LearnedModel ReadModel(const std::string& text, std::size_t inputCount);

// The values on `rows` as array_input.h's PredictionRows makes them, computed by the compiled
// program as learning computed them.
std::vector<float> ModelValues(const LearnedModel& model, const std::vector<float>& rows);

// The formula for people, its inputs named `names` (x0, x1, ... past the list's end).
std::string ModelFormula(const LearnedModel& model, const std::vector<std::string>& names);

// A C99 file that defines float tarvo_model(const float *x) (formula/c_emitter.h).
std::string ModelCSource(const LearnedModel& model, const std::vector<std::string>& names);

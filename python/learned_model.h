#pragma once
// A learned model as a fit hands it over: the text of its program file, which is all there is to
// keep of it, and what follows from the text: values on rows, the formula and the C source.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct LearnedModel {
    std::vector<std::uint8_t> program;
    std::vector<float> values;  // the file's inputs list: a sample row's inputs, then the constants
    std::size_t inputCount = 0;
};

// Throws std::invalid_argument for text that is no program file, has fewer than `inputCount` values
// in its inputs list, or reads past them.
LearnedModel ReadModel(const std::string& text, std::size_t inputCount);

// What a compiled program reads after a row's inputs.
std::vector<float> ModelConstants(const LearnedModel& model);

// The values on `rows` as array_input.h's PredictionRows makes them, computed by the compiled
// program as learning computed them.
std::vector<float> ModelValues(const LearnedModel& model, const std::vector<float>& rows);

// Formulas name the inputs by `names` when they are names a formula can show (letters, digits, "_"
// and "." after a letter or "_", distinct), and x0, x1, ... otherwise.
struct ModelText {
    std::string formula;     // exact: the program's value, bit for bit
    std::string simplified;  // for people, six significant digits; the exact one where none is made
};
ModelText DescribeModel(const LearnedModel& model, const std::vector<std::string>& names);

// A C99 file that defines float tarvo_model(const float *x) (formula/c_emitter.h).
std::string ModelCSource(const LearnedModel& model, const std::vector<std::string>& names);

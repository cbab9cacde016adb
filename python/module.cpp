// tarvo._core: the C++ side of the Python package. Arrays are converted once here; fits release
// the GIL while the engine learns, and look for an interrupt between slices of waiting.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <fstream>
#include <iomanip>
#include <memory>
#include <stdexcept>

#include "python/array_input.h"
#include "python/fit_options.h"
#include "python/fit_run.h"
#include "python/learned_model.h"
#include "workspace/settings.h"

namespace py = pybind11;

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// How long a fit waits for its run before it looks for an interrupt: short enough for Control-C
// to feel immediate, long enough to cost nothing.
constexpr std::chrono::milliseconds kWaitSlice{100};

ArrayView View(const Doubles& array) {
    ArrayView view{array.data(), {}};
    for (py::ssize_t d = 0; d < array.ndim(); ++d) view.shape.push_back(static_cast<std::size_t>(array.shape(d)));
    return view;
}

py::array_t<double> NumpyOf(const std::vector<float>& values) {
    py::array_t<double> array(static_cast<py::ssize_t>(values.size()));
    std::copy(values.begin(), values.end(), array.mutable_data());
    return array;
}

// Waits for the run; an interrupt (KeyboardInterrupt from Control-C) stops it and is raised once
// the run has ended.
void WaitForRun(FitRun& fit) {
    for (;;) {
        bool ended;
        {
            py::gil_scoped_release release;
            ended = fit.WaitFor(kWaitSlice);
        }
        if (ended) return;
        if (PyErr_CheckSignals() != 0) {
            {
                py::gil_scoped_release release;
                fit.Stop();
            }
            throw py::error_already_set();
        }
    }
}

// The front as (program file text, training error, validation error, size) rows, and the position of
// the chosen model in it.
py::tuple Fit(const Doubles& X, const Doubles& y, const FitOptions& options) {
    std::unique_ptr<FitRun> fit;
    {
        py::gil_scoped_release release;
        const DataTable table = LearningTable(View(X), View(y));
        const LearningPlan plan = PlanFit(table.size(), table[0].size() - 1, options);
        try {
            fit = std::make_unique<FitRun>(table, plan);
        } catch (const std::runtime_error& refusal) {
            throw std::invalid_argument(refusal.what());
        }
        fit->Start();
    }
    WaitForRun(*fit);
    const FitResult result = fit->Result();
    py::list front;
    for (const FrontModel& model : result.front)
        front.append(py::make_tuple(model.source, model.scores.trainingError, model.scores.validationError,
                                    model.scores.size));
    return py::make_tuple(front, result.chosen);
}

// The settings file and the data file of the same run, for `tarvo learn DIRECTORY --search tuned`.
void WriteRun(const Doubles& X, const Doubles& y, const FitOptions& options, const std::string& directory) {
    const DataTable table = LearningTable(View(X), View(y));
    SaveSettings(directory, PlanFit(table.size(), table[0].size() - 1, options).settings);
    std::ofstream data(directory + "/data.dat");
    data << std::setprecision(9);
    for (const DataRow& row : table) {
        for (std::size_t column = 0; column < row.size(); ++column) data << (column ? " " : "") << row[column];
        data << '\n';
    }
    if (!data.flush()) throw std::runtime_error(directory + "/data.dat: cannot be written");
}

py::array_t<double> Predict(const std::string& program, std::size_t inputs, const Doubles& X) {
    std::vector<float> values;
    {
        py::gil_scoped_release release;
        const LearnedModel model = ReadModel(program, inputs);
        values = ModelValues(model, PredictionRows(View(X), inputs, ModelConstants(model)));
    }
    return NumpyOf(values);
}

py::tuple Describe(const std::string& program, std::size_t inputs, const std::vector<std::string>& names) {
    const ModelText text = DescribeModel(ReadModel(program, inputs), names);
    return py::make_tuple(text.formula, text.simplified);
}

std::string CSourceOf(const std::string& program, std::size_t inputs, const std::vector<std::string>& names) {
    return ModelCSource(ReadModel(program, inputs), names);
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "The C++ side of tarvo: fits, predictions, formulas and C sources of models.";
    m.attr("__version__") = TARVO_VERSION;
    const auto fitOptions = [](std::optional<double> seconds, std::optional<std::int32_t> generations,
                               std::optional<std::int32_t> population, std::optional<std::int32_t> maxLength,
                               std::optional<std::vector<std::string>> functions,
                               std::optional<std::int32_t> threads, std::uint32_t seed) {
        return FitOptions{seconds, generations, population, maxLength, std::move(functions), threads, seed};
    };
    m.def(
        "fit",
        [fitOptions](const Doubles& X, const Doubles& y, std::optional<double> seconds,
                     std::optional<std::int32_t> generations, std::optional<std::int32_t> population,
                     std::optional<std::int32_t> maxLength, std::optional<std::vector<std::string>> functions,
                     std::optional<std::int32_t> threads, std::uint32_t seed) {
            return Fit(X, y, fitOptions(seconds, generations, population, maxLength, functions, threads, seed));
        },
        py::arg("X"), py::arg("y"), py::kw_only(), py::arg("seconds"), py::arg("generations"), py::arg("population"),
        py::arg("max_length"), py::arg("functions"), py::arg("n_threads"), py::arg("seed"),
        "Learns y from X; returns the front as (program, training error, validation error, size) rows and the "
        "position of the chosen model.");
    m.def(
        "write_run",
        [fitOptions](const Doubles& X, const Doubles& y, const std::string& directory, std::optional<double> seconds,
                     std::optional<std::int32_t> generations, std::optional<std::int32_t> population,
                     std::optional<std::int32_t> maxLength, std::optional<std::vector<std::string>> functions,
                     std::optional<std::int32_t> threads, std::uint32_t seed) {
            WriteRun(X, y, fitOptions(seconds, generations, population, maxLength, functions, threads, seed),
                     directory);
        },
        py::arg("X"), py::arg("y"), py::arg("directory"), py::kw_only(), py::arg("seconds"), py::arg("generations"),
        py::arg("population"), py::arg("max_length"), py::arg("functions"), py::arg("n_threads"), py::arg("seed"),
        "Writes settings.dat and data.dat of the fit's run to an existing directory, for `tarvo learn "
        "DIRECTORY --search tuned --seed SEED`.");
    m.def("predict", &Predict, py::arg("program"), py::arg("n_inputs"), py::arg("X"),
          "The model's values on the rows of X.");
    m.def("describe", &Describe, py::arg("program"), py::arg("n_inputs"), py::arg("names"),
          "The model's formula and its simplified form, the inputs named by `names`.");
    m.def("c_source", &CSourceOf, py::arg("program"), py::arg("n_inputs"), py::arg("names"),
          "A C99 file that defines float tarvo_model(const float *x).");
}

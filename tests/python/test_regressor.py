"""tarvo.Regressor as scikit-learn users meet it, and as the same run of `tarvo learn` learns it."""
import os
import re
import signal
import subprocess
import threading
import time

import numpy as np
import pandas
import pytest
from sklearn.exceptions import NotFittedError
from sklearn.model_selection import cross_val_score
from sklearn.utils.estimator_checks import parametrize_with_checks

import tarvo
from tarvo import _core

SOURCE_DIR = os.environ.get("TARVO_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))

# Checks that cannot apply to a search over programs, by name, and why (none of scikit-learn 1.2's).
NOT_APPLICABLE = {}


def quick(**parameters):
    """Fits of a few generations, which repeat exactly."""
    return tarvo.Regressor(generations=5, population=200, n_threads=1, random_state=0, **parameters)


@pytest.fixture(scope="module")
def data():
    rng = np.random.default_rng(3)
    X = rng.uniform(-2, 2, (120, 2))
    return X, X[:, 0] * X[:, 0] + 3 * X[:, 1]


@parametrize_with_checks([quick()])
def test_estimator_checks(estimator, check):
    name = getattr(check, "func", check).__name__
    if name in NOT_APPLICABLE:
        pytest.skip(NOT_APPLICABLE[name])
    check(estimator)


@pytest.mark.parametrize("backend", ["threading", "loky"])
def test_cross_validation_in_parallel_scores_as_in_sequence(data, backend):
    from joblib import parallel_backend

    X, y = data
    alone = cross_val_score(quick(), X, y, cv=5)
    with parallel_backend(backend):
        together = cross_val_score(quick(), X, y, cv=5, n_jobs=2)
    assert list(together) == list(alone)


def test_a_fit_is_the_run_of_tarvo_learn(data, tmp_path):
    X, y = data
    model = tarvo.Regressor(generations=6, random_state=11).fit(X, y)
    _core.write_run(X, y, str(tmp_path), seconds=None, generations=6, population=None, max_length=None,
                    functions=None, n_threads=None, seed=11)
    subprocess.run([os.environ["TARVO_EXE"], "learn", str(tmp_path), "--search", "tuned", "--seed", "11",
                    "--generations", "6"], check=True, stdout=subprocess.DEVNULL)
    assert (tmp_path / "model.cpp").read_text() == model.program_
    # predict computes what the program file computes on the same rows
    applied = subprocess.run([os.environ["TARVO_FORMULA_EXE"], "--inputs", "2", "--apply",
                              str(tmp_path / "data.dat"), str(tmp_path / "model.cpp")],
                             check=True, capture_output=True, text=True).stdout
    expected = [np.float32(line.split("\t")[0]) for line in applied.splitlines()]
    assert list(model.predict(X).astype(np.float32)) == expected


def test_attributes_and_exports_name_the_columns(tmp_path):
    table = pandas.read_csv(os.path.join(SOURCE_DIR, "examples", "csv", "drag.csv"), comment="#")
    X, y = table[["speed", "area", "density"]], table["drag"]
    model = quick(functions="*,+").fit(X, y)
    assert list(model.feature_names_in_) == ["speed", "area", "density"] and model.n_features_in_ == 3
    assert not re.search(r"\bx\d", model.formula_ + model.simplified_formula_)
    assert [row.size for row in model.pareto_front_] == sorted(row.size for row in model.pareto_front_)
    assert model.formula_ in [row.formula for row in model.pareto_front_]
    assert model.training_error_ >= 0 and model.validation_error_ >= 0
    assert "float tarvo_model(const float *x)" in model.export_c(tmp_path / "model.c")
    assert (tmp_path / "model.c").read_text() == model.export_c()
    assert model.export_program(tmp_path / "model.cpp") == model.program_
    # names a formula cannot show leave x0, x1, ...
    renamed = quick(functions="*,+").fit(X.rename(columns={"speed": "speed (m/s)"}), y)
    assert re.search(r"\bx\d", renamed.formula_)


@pytest.mark.parametrize("X, y, reason", [
    ([[0.0, 1.0], [np.nan, 2.0], [1.0, 3.0]], [1.0, 2.0, 3.0], "NaN"),
    ([[0.0], [1.0]], [1.0, 2.0, 3.0], "inconsistent numbers of samples"),
    ([0.0, 1.0, 2.0], [1.0, 2.0, 3.0], "2D array"),
    ([[0.0]], [1.0], "minimum of 2 is required"),
])
def test_bad_input_is_a_value_error(X, y, reason):
    with pytest.raises(ValueError, match=reason):
        quick().fit(X, y)


@pytest.mark.parametrize("parameters, reason", [
    (dict(functions="+,sqrt"), "unknown function 'sqrt'"),
    (dict(seconds=0), "seconds must be"),
    (dict(generations=2.5), "generations must be"),
])
def test_bad_parameters_are_value_errors(data, parameters, reason):
    with pytest.raises(ValueError, match=reason):
        tarvo.Regressor(**parameters).fit(*data)


def test_no_prediction_before_a_fit_nor_with_other_features(data):
    X, y = data
    with pytest.raises(NotFittedError):
        quick().predict(X)
    with pytest.raises(ValueError, match="features"):
        quick().fit(X, y).predict(X[:, :1])


def test_a_fit_lets_other_threads_run(data):
    X, y = data
    fit = threading.Thread(target=tarvo.Regressor(seconds=1.5, random_state=0).fit, args=data)
    fit.start()
    time.sleep(0.3)  # needs the GIL back to wake
    assert fit.is_alive()
    fit.join()


def test_control_c_stops_the_fit(data):
    timer = threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT))
    started = time.monotonic()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        tarvo.Regressor(seconds=600, random_state=0).fit(*data)
    assert time.monotonic() - started < 60
    timer.join()
    quick().fit(*data)  # nothing is left running that a next fit would meet


def test_readme_python_section_works_as_written(capsys):
    with open(os.path.join(SOURCE_DIR, "README.md"), encoding="utf-8") as readme:
        section = readme.read().split("\n## Python\n", 1)[1].split("\n## ", 1)[0]
    code = "\n".join(line[4:] for line in section.splitlines() if line.startswith("    "))
    cwd = os.getcwd()
    os.chdir(SOURCE_DIR)
    try:
        exec(compile(code, "README.md", "exec"), {})
    finally:
        os.chdir(cwd)
    assert "speed^2" in capsys.readouterr().out

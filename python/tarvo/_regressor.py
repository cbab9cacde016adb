"""tarvo.Regressor: the tuned search of tarvo behind scikit-learn's estimator interface."""
import collections
import numbers

import numpy as np
from sklearn.base import BaseEstimator, RegressorMixin
from sklearn.utils import check_random_state
from sklearn.utils.validation import check_is_fitted

from . import _core

try:
    from sklearn.utils.validation import validate_data
except ImportError:  # scikit-learn before 1.6

    def validate_data(estimator, *args, **kwargs):
        return estimator._validate_data(*args, **kwargs)


FrontRow = collections.namedtuple("FrontRow", "size training_error validation_error formula simplified_formula")
FrontRow.__doc__ = "A model of the front: its size in instructions, its two errors and its formulas."

_INT32 = 2**31 - 1


def _check_number(name, value, kind, low, high=_INT32):
    if value is None:
        return None
    if not isinstance(value, kind) or isinstance(value, bool) or not low <= value <= high:
        what = "an integer" if kind is numbers.Integral else "a number"
        raise ValueError(f"{name} must be None or {what} from {low} to {high}, not {value!r}")
    return int(value) if kind is numbers.Integral else float(value)


def _function_names(functions):
    if functions is None:
        return None
    names = functions.split(",") if isinstance(functions, str) else list(functions)
    if not names or not all(isinstance(name, str) for name in names):
        raise ValueError(f"functions must be None, a comma-separated string or a list of names, not {functions!r}")
    return [name.strip() for name in names]


class Regressor(RegressorMixin, BaseEstimator):
    """Learns a formula y = f(X) by a search over small programs whose constants are tuned.

    A fit holds a fifth of the rows out (none below eight rows), keeps the best program of each
    size, and chooses the smallest whose error on the held-out rows is within 1 % of the lowest.
    Numbers are computed in float, as the learned programs compute them.

    Parameters
    ----------
    seconds : float or None
        Time budget of a fit in seconds. None: 3 to 10 seconds by the size of the table, as
        `tarvo learn` takes it, unless `generations` bounds the fit; then none.
    generations : int or None
        The most generations of a fit, the first (random) one included. None: no bound.
    population : int or None
        Programs kept, and children made, per generation. None: 1000.
    max_length : int or None
        The longest program in instructions, its final scale and offset included. None: 40 to 80
        by the number of features.
    functions : str, list of str or None
        The functions of the formulas: "+", "-", "*", "/", "exp", "log", "sin", "cos", "tan",
        "sigmoid", "tanh", as a list or a comma-separated string. None: "+,-,*,/,exp,log,sin,cos".
    n_threads : int or None
        Threads of a fit. None: one per processor. The result does not depend on it.
    random_state : int, RandomState or None
        Seeds the fit: an int from 0 to 2**32 - 1 is the seed itself, as `tarvo learn --seed`
        takes it. The same data, parameters and seed give the same formula, unless the time
        budget ends the fit: where it stops depends on the machine and its load, so bound
        `generations` (and leave `seconds` None) for fits that repeat exactly.

    Attributes
    ----------
    formula_ : str
        The chosen formula, exactly as the model computes it, its inputs named by the columns of a
        pandas DataFrame where they are names (a letter or "_", then letters, digits, "_" or "."),
        else x0, x1, ...
    simplified_formula_ : str
        The same formula simplified for people, its numbers to six significant digits.
    pareto_front_ : list of FrontRow
        The best model of each size that beats every smaller one: (size, training_error,
        validation_error, formula, simplified_formula), smallest first.
    training_error_, validation_error_ : float
        Mean squared errors of the chosen model on the training rows and on the held-out rows
        (NaN when none were held out).
    program_ : str
        The chosen model as a program file, the model itself: predictions, formulas and exports
        come from it, and `tarvo-formula --inputs n_features_in_` reads it.
    seed_ : int
        The seed of the fit.
    n_features_in_ : int
    feature_names_in_ : ndarray of str, where X was a DataFrame with string column names.
    """

    def __init__(self, *, seconds=None, generations=None, population=None, max_length=None,
                 functions=None, n_threads=None, random_state=None):
        self.seconds = seconds
        self.generations = generations
        self.population = population
        self.max_length = max_length
        self.functions = functions
        self.n_threads = n_threads
        self.random_state = random_state

    def fit(self, X, y):
        """Learns a formula from X (n_samples, n_features) and y (n_samples,); returns self."""
        options = dict(
            seconds=_check_number("seconds", self.seconds, numbers.Real, 1e-3, 366 * 24 * 3600.0),
            generations=_check_number("generations", self.generations, numbers.Integral, 1),
            population=_check_number("population", self.population, numbers.Integral, 2),
            max_length=_check_number("max_length", self.max_length, numbers.Integral, 3),
            functions=_function_names(self.functions),
            n_threads=_check_number("n_threads", self.n_threads, numbers.Integral, 1, 256),
        )
        X, y = validate_data(self, X, y, dtype=np.float64, y_numeric=True, ensure_min_samples=2)
        seed = self._seed()
        front, chosen = _core.fit(X, y, seed=seed, **options)
        names = self._names()
        self.pareto_front_ = [
            FrontRow(size, training, validation, *_core.describe(program, X.shape[1], names))
            for program, training, validation, size in front
        ]
        self.program_ = front[chosen][0]
        self.formula_ = self.pareto_front_[chosen].formula
        self.simplified_formula_ = self.pareto_front_[chosen].simplified_formula
        self.training_error_ = self.pareto_front_[chosen].training_error
        self.validation_error_ = self.pareto_front_[chosen].validation_error
        self.seed_ = seed
        return self

    def predict(self, X):
        """The chosen model's values on the rows of X."""
        check_is_fitted(self, "program_")
        X = validate_data(self, X, dtype=np.float64, reset=False)
        return _core.predict(self.program_, self.n_features_in_, X)

    def export_c(self, path=None):
        """The chosen model as a C99 file defining float tarvo_model(const float *x); written to
        `path` when given."""
        check_is_fitted(self, "program_")
        return self._export(_core.c_source(self.program_, self.n_features_in_, self._names()), path)

    def export_program(self, path=None):
        """The chosen model as a program file (`program_`); written to `path` when given."""
        check_is_fitted(self, "program_")
        return self._export(self.program_, path)

    def _seed(self):
        state = self.random_state
        if isinstance(state, numbers.Integral) and not isinstance(state, bool) and 0 <= state < 2**32:
            return int(state)
        return int(check_random_state(state).randint(2**32, dtype=np.uint64))

    def _names(self):
        return [str(name) for name in getattr(self, "feature_names_in_", [])]

    @staticmethod
    def _export(text, path):
        if path is not None:
            with open(path, "w", encoding="utf-8") as file:
                file.write(text)
        return text

"""Formulas learned from tables of numbers, as scikit-learn estimators.

    >>> import tarvo
    >>> model = tarvo.Regressor(seconds=2, random_state=7).fit(X, y)
    >>> model.formula_
"""
from ._core import __version__
from ._regressor import FrontRow, Regressor

__all__ = ["FrontRow", "Regressor", "__version__"]

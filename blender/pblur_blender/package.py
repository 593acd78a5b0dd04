"""Finds the pblur package: installed for Blender's Python, or copied
into this add-on's folder by scripts/install-blender-addon.sh."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
INSTALL_COMMAND = "bash scripts/install-blender-addon.sh  (from the QXVpblur source folder)"

_package = None
_problem = None


def load():
    """The pblur module, or None; problem() then says why. A failed import
    is remembered, not tried again at every redraw of the panel, until
    forget()."""
    global _package, _problem
    if _package is not None or _problem is not None:
        return _package
    if HERE not in sys.path and os.path.isdir(os.path.join(HERE, "pblur")):
        sys.path.append(HERE)
    try:
        import pblur
    except ImportError as error:
        _problem = "the pblur package cannot be imported (%s)" % error
        return None
    _package = pblur
    return pblur


def problem():
    return _problem


def forget():
    """The next load() imports again: the add-on was enabled anew, perhaps
    after the package was installed."""
    global _package, _problem
    _package = _problem = None

"""Motion blur for rendered frame sequences, from numpy arrays.

Each frame's colour is blurred along the motion of its objects by the
QXVpblur module, driven exactly as ``pblur apply`` drives it: a frame comes
out with the values ``pblur apply`` writes to a float EXR for the same
passes and settings.

    import pblur
    blur = pblur.Blur(streak_length=10, strength=6, trails=4,
                      objects={2: pblur.Object(blur=False)})
    for colour, index, vector in frames:          # numpy arrays
        out = blur.frame(colour, index, vector=vector)

The first frame only gives the second its previous frame and comes back as
it went in (through the module's 8 bits per channel).

look="shutter" blurs instead as a camera's open shutter would, each frame
alone, in float, from the colour, the vectors (Blender's four channels:
to the previous and the next frame) and the depth:

    blur = pblur.Blur(look="shutter", shutter=0.5)
    out = blur.frame(colour, vector=vector, depth=depth)
"""
import inspect as _inspect
import os as _os
from typing import Any, Dict, Literal, Mapping, Optional, Tuple, Union

import numpy as _np
import numpy.typing as _npt

from . import _pblur, _project
from ._pblur import Error

__all__ = ["Blur", "Object", "Error", "SETTINGS", "__version__"]

__version__: str = _project.VERSION

_SWITCHES = {"jitter", "no_secondary"}

# The module file installed with the package, named as on this platform.
MODULE_PATH: str = _os.path.join(_os.path.dirname(__file__), _project.MODULE_FILE)


class Object:
    """One object's settings, as a ``Weight`` on its node gives them.

    blur: True or False to blur the object or leave it sharp; None leaves it
        to the mode (blurred unless the mode is "opt-in").
    reverse: the short reverse streak ahead of the object. An object not
        listed in ``objects`` gets it unless the mode is "opt-in".
    group: objects with the same name are one occlusion group: with the
        depth test, their streaks are not hidden by each other.

    Mode "all" blurs every object and ignores these settings; "opt-out"
    (blur unless told not to) and "opt-in" (blur only objects with
    blur=True) read them.
    """

    __slots__ = ("blur", "reverse", "group")

    def __init__(self, blur: Optional[bool] = None, reverse: bool = False,
                 group: Optional[str] = None) -> None:
        if blur is not None and not isinstance(blur, bool):
            raise TypeError("Object: blur must be True, False or None")
        if group is not None and not isinstance(group, str):
            raise TypeError("Object: group must be a string or None")
        self.blur = blur
        self.reverse = bool(reverse)
        self.group = group

    def __repr__(self) -> str:
        return "Object(blur=%r, reverse=%r, group=%r)" % (self.blur, self.reverse, self.group)


def _text(value):
    if isinstance(value, bool):
        raise TypeError
    if isinstance(value, float):
        return repr(value)
    return str(value)


def _option(name, value):
    """The options of ``pblur apply`` that set one setting; TypeError when
    the value is not of the setting's kind."""
    flag = "--" + name.replace("_", "-")
    if name in _SWITCHES:
        if not isinstance(value, bool):
            raise TypeError
        return [(flag, "")] if value else []
    if name == "depth_test":
        if not isinstance(value, bool):
            raise TypeError
        return [("--depth-test" if value else "--no-depth-test", "")]
    if name in ("tile", "vector_scale"):
        pair = tuple(value) if isinstance(value, (tuple, list)) else (value, value)
        if len(pair) != 2:
            raise TypeError
        separator = "x" if name == "tile" else ","
        return [(flag, separator.join(_text(v) for v in pair))]
    return [(flag, _text(value))]


def _flags(settings):
    """The options that give the settings; those at their default are left
    to the module, as ``pblur apply`` leaves options not given."""
    flags = []
    for name, value in settings.items():
        try:
            option = _option(name, value)
        except TypeError:
            raise TypeError("Blur: %s=%r is not a setting value (default %r)"
                            % (name, value, SETTINGS[name])) from None
        if value != SETTINGS[name]:
            flags += option
    return flags


def _objects(objects):
    table = {}
    for index, settings in (objects or {}).items():
        if isinstance(index, bool) or not isinstance(index, int) or index < 1:
            raise TypeError("Blur: object index %r is not a whole number of 1 or more" % (index,))
        if not isinstance(settings, Object):
            raise TypeError("Blur: objects[%d] is not a pblur.Object" % index)
        table[index] = _pblur.ObjectSettings(settings.blur, settings.reverse, settings.group)
    return table


class Blur:
    """The blur of one sequence, kept from frame to frame.

    Settings, by the option names of ``pblur apply`` with underscores, with
    the module's defaults (``pblur.SETTINGS`` lists them):

    streak_length: streak length in tenths of each pixel's motion.
    strength: how strongly the streaks cover the image.
    alt_length, alt_strength: the same for the alternate set.
    echoes: echoes per streak; below 1 counts as 1, fractions dropped.
    jitter: random step lengths along the streaks.
    depth_test: nearer objects hide the streaks behind them; each frame
        then needs ``depth``.
    no_secondary: no secondary layer (no alternate set, no soft edge glow).
    reverse_length: length in tenths of the short reverse streak.
    trails: keep the streaks and fade them over this many frames.
    mode: which objects are blurred; "opt-in" and "opt-out" read
        ``objects``.
    tile: tile size of the simulated host's image.
    vector_scale: multiplies the vectors' x and y (a number for both): -1
        for vectors to the next frame, (1, -1) for y down.
    look: "streak", the module's streaks, or "shutter", the picture a
        camera's open shutter records; the shutter look takes none of the
        settings above but vector_scale.
    shutter: with look="shutter", the fraction of the frame interval the
        shutter is open, centred on the frame (above 0, at most 1).

    objects: {object index: pblur.Object(...)}, by the values of the index
    pass. module: the module file (the one installed with the package).

    A bad setting raises pblur.Error (a ValueError) with the message
    ``pblur apply`` gives; a wrong type raises TypeError.

    Each frame is blurred with Python released, so other threads run
    meanwhile; two ``Blur``s may be used from two threads. The module
    blurs one frame at a time in a process, while reading and writing
    files (``frame_file``) go on in parallel. With jitter, use a ``Blur``
    from one thread only: the jitter generator's state is the thread's.
    """

    def __init__(
        self,
        *,
        objects: Optional[Mapping[int, Object]] = None,
        module: Optional[str] = None,
        streak_length: float = 5.0,
        strength: float = 5.0,
        alt_length: float = 5.0,
        alt_strength: float = 5.0,
        echoes: float = 1.0,
        jitter: bool = False,
        depth_test: bool = False,
        no_secondary: bool = False,
        reverse_length: float = 1.0,
        trails: int = 0,
        mode: Literal["all", "opt-in", "opt-out", "none"] = "all",
        tile: Tuple[int, int] = (64, 64),
        vector_scale: Union[float, Tuple[float, float]] = (1.0, 1.0),
        look: Literal["streak", "shutter"] = "streak",
        shutter: float = 0.5,
    ) -> None:
        given = locals()
        self.settings: Dict[str, Any] = {name: given[name] for name in SETTINGS}
        self._blur = _pblur.Blur(module or MODULE_PATH, _flags(self.settings), _objects(objects))
        self.objects = dict(objects or {})

    def frame(
        self,
        colour: _npt.ArrayLike,
        index: Optional[_npt.ArrayLike] = None,
        *,
        uv: Optional[_npt.ArrayLike] = None,
        vector: Optional[_npt.ArrayLike] = None,
        match: Optional[_npt.ArrayLike] = None,
        depth: Optional[_npt.ArrayLike] = None,
        alternate: Optional[_npt.ArrayLike] = None,
    ) -> "_npt.NDArray[_np.float32]":
        """Blurs the next frame and returns its colour.

        colour: H x W x 3 or 4 float array, linear light, alpha
            premultiplied, as a renderer gives it.
        index: H x W object indexes; 0, negative, NaN and infinite are
            background, floats are rounded (the streak look needs it).
        One of: uv, H x W x 2 (U, V; the fraction of each is matched, so a
        seam at 0/1 wraps); vector, H x W x 2 motion vectors in pixels to
        where each point was in the previous frame, x right and y up (as
        Blender's Vector pass); match, H x W x 2 match values themselves
        (integers as stored, floats truncated).
        depth: H x W, larger is farther (needed by depth_test).
        alternate: H x W, non-zero selects the alternate set.
        With look="shutter": vector, H x W x 2 or 4 (Blender's Vector
        pass: the third and fourth channels run from where each point is
        in the next frame to the pixel), and depth where there is one
        (without, faster surfaces count as nearer).

        Arrays are read as they are, in one copy: float32 as floats,
        integers of 32 bits and float64 exactly (object indexes and match
        values above 2^24 included).

        Returns an H x W x 3 or 4 float32 array in the colour's form, which
        owns the blurred samples (no copy is made). Every frame must have
        the first one's size, and alpha if it had alpha.
        """
        return self._blur.frame(colour, index, uv=uv, vector=vector, match=match, depth=depth,
                                alternate=alternate)

    def frame_file(
        self,
        path: str,
        output: str,
        *,
        colour: str,
        index: Optional[str] = None,
        uv: Optional[str] = None,
        vector: Optional[str] = None,
        match: Optional[Tuple[str, str]] = None,
        depth: Optional[str] = None,
        alternate: Optional[str] = None,
    ) -> None:
        """Blurs the next frame from one image file that holds all its
        passes (a renderer's multilayer EXR) and writes it to ``output``,
        whose extension sets the format, as ``pblur apply`` writes a frame.

        Each pass is named by the layer or the comma-separated channels to
        read, as after the ':' of ``pblur apply``'s patterns:
        ``colour="ViewLayer.Combined"``, ``index="ViewLayer.IndexOB"``,
        ``vector="ViewLayer.Vector"``, ``depth="ViewLayer.Depth"``; match is
        a pair of such names. The sequence's state is the one ``frame``
        keeps, so the two may follow one another.
        """
        self._blur.frame_file(path, output, colour=colour, index=index, uv=uv, vector=vector,
                              match=match, depth=depth, alternate=alternate)

    @property
    def frames(self) -> int:
        """How many frames were blurred so far."""
        return self._blur.frames


# Every setting of ``pblur apply`` that a sequence in memory takes, by its
# option name with underscores, with the module's default: read from
# Blur's signature, which is where each is declared.
SETTINGS: Dict[str, Any] = {
    name: parameter.default
    for name, parameter in _inspect.signature(Blur.__init__).parameters.items()
    if parameter.kind is parameter.KEYWORD_ONLY and name not in ("objects", "module")
}

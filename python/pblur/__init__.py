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
import os as _os

from . import _pblur
from ._pblur import Error

__all__ = ["Blur", "Object", "Error", "SETTINGS"]

# Every setting of ``pblur apply`` that a sequence in memory takes, by its
# option name with underscores, with the module's default.
SETTINGS = {
    "streak_length": 5.0,
    "strength": 5.0,
    "alt_length": 5.0,
    "alt_strength": 5.0,
    "echoes": 1.0,
    "jitter": False,
    "depth_test": False,
    "no_secondary": False,
    "reverse_length": 1.0,
    "trails": 0,
    "mode": "all",
    "tile": (64, 64),
    "vector_scale": (1.0, 1.0),
    "look": "streak",
    "shutter": 0.5,
}

_SWITCHES = {"jitter", "no_secondary"}

MODULE_PATH = _os.path.join(_os.path.dirname(__file__), "libQXVpblur.so")


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

    def __init__(self, blur=None, reverse=False, group=None):
        if blur is not None and not isinstance(blur, bool):
            raise TypeError("Object: blur must be True, False or None")
        if group is not None and not isinstance(group, str):
            raise TypeError("Object: group must be a string or None")
        self.blur = blur
        self.reverse = bool(reverse)
        self.group = group

    def __repr__(self):
        return "Object(blur=%r, reverse=%r, group=%r)" % (self.blur, self.reverse, self.group)


def _text(value):
    if isinstance(value, bool):
        raise TypeError
    if isinstance(value, float):
        return repr(value)
    return str(value)


def _flags(settings):
    flags = []
    for name, value in settings.items():
        if name not in SETTINGS:
            raise TypeError("Blur: unknown setting %r (one of %s)" % (name, ", ".join(SETTINGS)))
        flag = "--" + name.replace("_", "-")
        try:
            if name in _SWITCHES:
                if not isinstance(value, bool):
                    raise TypeError
                if value:
                    flags.append((flag, ""))
            elif name == "depth_test":
                if not isinstance(value, bool):
                    raise TypeError
                flags.append(("--depth-test" if value else "--no-depth-test", ""))
            elif name in ("tile", "vector_scale"):
                pair = tuple(value) if isinstance(value, (tuple, list)) else (value, value)
                if len(pair) != 2:
                    raise TypeError
                separator = "x" if name == "tile" else ","
                flags.append((flag, separator.join(_text(v) for v in pair)))
            else:
                flags.append((flag, _text(value)))
        except TypeError:
            raise TypeError("Blur: %s=%r is not a setting value (default %r)"
                            % (name, value, SETTINGS[name])) from None
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

    Settings, by the option names of ``pblur apply`` with underscores, each
    with the module's default (see ``pblur.SETTINGS``):

    streak_length (5): streak length in tenths of each pixel's motion.
    strength (5): how strongly the streaks cover the image.
    alt_length (5), alt_strength (5): the same for the alternate set.
    echoes (1): echoes per streak; below 1 counts as 1, fractions dropped.
    jitter (False): random step lengths along the streaks.
    depth_test (False): nearer objects hide the streaks behind them; each
        frame then needs ``depth``.
    no_secondary (False): no secondary layer (no alternate set, no soft
        edge glow).
    reverse_length (1): length in tenths of the short reverse streak.
    trails (0): keep the streaks and fade them over this many frames.
    mode ("all"): "all", "opt-in", "opt-out" or "none": which objects are
        blurred; "opt-in" and "opt-out" read ``objects``.
    tile ((64, 64)): tile size of the simulated host's image.
    vector_scale ((1, 1)): multiplies the vectors' x and y (a number for
        both): -1 for vectors to the next frame, (1, -1) for y down.
    look ("streak"): "streak", the module's streaks, or "shutter", the
        picture a camera's open shutter records; the shutter look takes
        none of the settings above but vector_scale.
    shutter (0.5): with look="shutter", the fraction of the frame interval
        the shutter is open, centred on the frame (above 0, at most 1).

    objects: {object index: pblur.Object(...)}, by the values of the index
    pass. module: the module file (the one installed with the package).

    A bad setting raises pblur.Error (a ValueError) with the message
    ``pblur apply`` gives; a wrong type raises TypeError.
    """

    def __init__(self, *, objects=None, module=None, **settings):
        self._blur = _pblur.Blur(module or MODULE_PATH, _flags(settings), _objects(objects))
        self.settings = dict(SETTINGS, **settings)
        self.objects = dict(objects or {})

    def frame(self, colour, index=None, *, uv=None, vector=None, match=None, depth=None,
              alternate=None):
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

        Returns an H x W x 3 or 4 float32 array in the colour's form. Every
        frame must have the first one's size, and alpha if it had alpha.
        """
        return self._blur.frame(colour, index, uv=uv, vector=vector, match=match, depth=depth,
                                alternate=alternate)

    def frame_file(self, path, output, *, colour, index=None, uv=None, vector=None, match=None,
                   depth=None, alternate=None):
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
    def frames(self):
        """How many frames were blurred so far."""
        return self._blur.frames

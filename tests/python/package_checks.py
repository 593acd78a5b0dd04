"""Checks of the pblur package's objects, groups and errors on small
scenes drawn here; prints each failing case and exits 1 when any fails."""
import sys

import numpy as np

import pblur

H, W = 40, 72
failures = []


def check(case, ok, detail=""):
    if not ok:
        failures.append("%s %s" % (case, detail))


def scene(f):
    """A box (1) moving right, a ball (2) moving left below it, a still
    object (3) at the right; a nearer still part (4) left of a farther
    part (5) that moves right away from it."""
    colour = np.full((H, W, 3), 0.05, np.float32)
    index = np.zeros((H, W), np.float32)
    depth = np.full((H, W), 1e9, np.float32)
    vector = np.zeros((H, W, 2), np.float32)

    def draw(i, rows, cols, rgb, z, dx):
        colour[rows, cols] = rgb
        index[rows, cols] = i
        depth[rows, cols] = z
        vector[rows, cols, 0] = -dx

    draw(1, slice(2, 10), slice(4 + 4 * f, 14 + 4 * f), (0.9, 0.3, 0.1), 5, 4)
    yy, xx = np.mgrid[0:H, 0:W]
    ball = (yy - 15) ** 2 + (xx - (40 - 4 * f)) ** 2 <= 16
    colour[ball], index[ball], depth[ball], vector[ball, 0] = (0.2, 0.8, 0.3), 2, 5, 4
    draw(3, slice(2, 12), slice(62, 70), (0.7, 0.7, 0.2), 5, 0)
    draw(4, slice(24, 38), slice(10, 20), (0.1, 0.3, 0.9), 5, 0)
    draw(5, slice(22, 40), slice(24 + 4 * f, 34 + 4 * f), (0.9, 0.2, 0.6), 10, 4)
    return colour, index, depth, vector


def run(frames=3, **settings):
    settings.setdefault("streak_length", 30)
    blur = pblur.Blur(**settings)
    out = []
    for f in range(frames):
        colour, index, depth, vector = scene(f)
        out.append(blur.frame(colour, index, vector=vector, depth=depth))
    return out


def changed(out, reference, f, where):
    """How many pixels of `where` (a mask over frame f) differ."""
    return int((np.abs(out[f] - reference[f]).max(axis=2) > 0)[where].sum())


def objects_keep_or_lose_their_blur():
    sharp = run(mode="none")
    _, index, _, _ = scene(2)
    box_trail = np.zeros((H, W), bool)
    box_trail[2:10, 0:12] = True
    cases = [
        # name, settings, objects expected changed, objects expected as rendered
        ("opt-out, ball off", dict(mode="opt-out", objects={2: pblur.Object(blur=False)}),
         [1], [2, 3]),
        ("opt-in, box on", dict(mode="opt-in", objects={1: pblur.Object(blur=True)}),
         [1], [2, 3]),
        ("opt-in, ball left to the mode", dict(mode="opt-in", objects={2: pblur.Object()}),
         [], [1, 2, 3]),
        ("all ignores the settings", dict(mode="all", objects={1: pblur.Object(blur=False)}),
         [1, 2], [3]),
    ]
    for name, settings, blurred, sharp_objects in cases:
        out = run(**settings)
        trail = {1: box_trail, 2: (index == 0) & (np.arange(W)[None, :] > 44)
                 & (np.abs(np.arange(H)[:, None] - 15) <= 4)}
        for i in blurred:
            check(name, changed(out, sharp, 2, trail[i]) > 10, "object %d is not blurred" % i)
        for i in sharp_objects:
            where = (index == i) | (trail[i] if i in trail else False)
            check(name, changed(out, sharp, 2, where) == 0, "object %d changed" % i)


def reverse_streak_runs_ahead():
    ahead = np.zeros((H, W), bool)
    ahead[2:10, 22:26] = True  # right of the box at frame 2
    plain = run(mode="opt-out", reverse_length=10, objects={1: pblur.Object(reverse=False)})
    reverse = run(mode="opt-out", reverse_length=10, objects={1: pblur.Object(reverse=True)})
    check("reverse", changed(reverse, plain, 2, ahead) > 0, "no streak ahead of the box")


def groups_share_occlusion():
    _, index, _, _ = scene(1)
    near = index == 4
    alone = run(mode="opt-out", depth_test=True, objects={4: pblur.Object(), 5: pblur.Object()})
    grouped = run(mode="opt-out", depth_test=True,
                  objects={4: pblur.Object(group="g"), 5: pblur.Object(group="g")})
    check("group", changed(grouped, alone, 1, near) > 10,
          "the far part's streak is hidden by the near part of its own group")
    check("group", changed(grouped, alone, 1, ~near) == 0, "pixels off the near part changed")
    flat = run(mode="opt-out", objects={4: pblur.Object(), 5: pblur.Object()})
    flat_grouped = run(mode="opt-out",
                       objects={4: pblur.Object(group="g"), 5: pblur.Object(group="g")})
    check("group without depth test", all(np.array_equal(a, b) for a, b in
                                          zip(flat, flat_grouped)), "groups changed pixels")


def errors_name_the_setting():
    colour, index, depth, vector = scene(0)
    blur = pblur.Blur()
    blur.frame(colour, index, vector=vector)
    cases = [
        ("negative length", lambda: pblur.Blur(streak_length=-1), pblur.Error,
         "--streak-length: expected a number of 0 or more, got '-1'"),
        ("unknown mode", lambda: pblur.Blur(mode="some"), pblur.Error,
         "--mode: expected all, opt-in, opt-out or none, got 'some'"),
        ("fractional trails", lambda: pblur.Blur(trails=2.5), pblur.Error,
         "--trails: expected a whole number from 0 to 255, got '2.5'"),
        ("unknown setting", lambda: pblur.Blur(speed=3), TypeError,
         "unexpected keyword argument 'speed'"),
        ("object index 0", lambda: pblur.Blur(objects={0: pblur.Object()}), TypeError,
         "object index 0"),
        ("missing module", lambda: pblur.Blur(module="/nowhere/libQXVpblur.so"), pblur.Error,
         "/nowhere/libQXVpblur.so"),
        ("no match source", lambda: blur.frame(colour, index), pblur.Error,
         "missing source of match values"),
        ("two match sources", lambda: blur.frame(colour, index, vector=vector, uv=vector),
         pblur.Error, "more than one source of match values"),
        ("depth test without depth", lambda: pblur.Blur(depth_test=True).frame(
            colour, index, vector=vector), pblur.Error, "depth_test: needs depth"),
        ("index of another size", lambda: blur.frame(colour, index[1:], vector=vector),
         pblur.Error, "index: 72x39, but the colour is 72x40"),
        ("colour of another size", lambda: blur.frame(colour[1:], index[1:], vector=vector[1:]),
         pblur.Error, "colour: 72x39, but the first frame is 72x40"),
        ("alpha appears", lambda: blur.frame(np.dstack([colour, index]), index, vector=vector),
         pblur.Error, "colour: has alpha, but the first frame has none"),
        ("integer colour", lambda: blur.frame((colour * 255).astype(np.uint8), index,
                                              vector=vector), pblur.Error, "dtype uint8"),
        ("vector of one channel", lambda: blur.frame(colour, index, vector=vector[..., 0]),
         pblur.Error, "vector: expected an array of H x W x 2, got shape (40, 72)"),
        ("no index for the streak look", lambda: blur.frame(colour, vector=vector), pblur.Error,
         "index: needed by the streak look"),
        ("a streak setting with the shutter look", lambda: pblur.Blur(look="shutter", trails=2),
         pblur.Error, "--trails: a setting of the streak look, not of --look shutter"),
        ("the shutter look without vectors", lambda: pblur.Blur(look="shutter").frame(colour),
         pblur.Error, "vector: needed by the shutter look"),
    ]
    for name, call, kind, text in cases:
        try:
            call()
        except kind as error:
            check(name, text in str(error), "message: %s" % error)
        except Exception as error:  # noqa: BLE001 - any other kind is the failure
            check(name, False, "raised %s: %s" % (type(error).__name__, error))
        else:
            check(name, False, "raised nothing")
    # A refused frame leaves the sequence as it was.
    clean = pblur.Blur()
    clean.frame(colour, index, vector=vector)
    colour, index, _, vector = scene(1)
    check("sequence after errors", np.array_equal(clean.frame(colour, index, vector=vector),
                                                  blur.frame(colour, index, vector=vector)),
          "differs from a sequence without them")
    check("frames counted", blur.frames == 2, "frames %d" % blur.frames)


def with_match(f):
    """The scene with match values: each object's x and y at frame 0, its
    x set apart by 1000 per object."""
    colour, index, depth, vector = scene(f)
    yy, xx = np.mgrid[0:H, 0:W]
    match = np.zeros((H, W, 2), np.int64)
    on = index > 0
    match[..., 0][on] = (xx + vector[..., 0] * f + 1000 * index)[on]
    match[..., 1][on] = yy[on]
    return colour, index, match


def run_arrays(frames, objects=None, **kinds):
    """Frames blurred with each pass made by kinds[name](array) first."""
    blur = pblur.Blur(streak_length=30, mode="opt-out", objects=objects)
    out = []
    for f in range(frames):
        colour, index, match = with_match(f)
        passes = {"colour": colour, "index": index, "match": match.astype(np.int32)}
        for name, kind in kinds.items():
            passes[name] = kind(passes[name])
        out.append(blur.frame(passes.pop("colour"), passes.pop("index"), **passes))
    return out


def arrays_are_read_as_they_are():
    """Every layout and type gives what float32 colour and int32 indexes
    and match values in row-major order give."""
    reference = run_arrays(3)

    def reversed_rows(a):  # a view walking rows backwards
        return np.ascontiguousarray(a[::-1])[::-1]

    cases = [
        ("colour in column-major order", dict(colour=np.asfortranarray)),
        ("colour a view of every other channel",
         dict(colour=lambda c: np.repeat(c, 2, axis=2)[..., ::2])),
        ("colour big-endian", dict(colour=lambda c: c.astype(">f4"))),
        ("colour float64", dict(colour=lambda c: c.astype(np.float64))),
        ("match with rows reversed", dict(match=reversed_rows)),
        ("index uint8, match uint16", dict(index=lambda i: i.astype(np.uint8),
                                           match=lambda m: m.astype(np.uint16))),
        ("index int16, match int64", dict(index=lambda i: i.astype(np.int16),
                                          match=lambda m: m.astype(np.int64))),
        ("index big-endian int32, match float64", dict(index=lambda i: i.astype(">i4"),
                                                       match=lambda m: m.astype(np.float64))),
    ]
    for name, kinds in cases:
        out = run_arrays(3, **kinds)
        check(name, all(np.array_equal(a, b) for a, b in zip(out, reference)),
              "differs from float32 and int32 arrays in row-major order")
    half = run_arrays(2, colour=lambda c: c.astype(np.float16))
    rounded = run_arrays(2, colour=lambda c: c.astype(np.float16).astype(np.float32))
    check("colour float16", all(np.array_equal(a, b) for a, b in zip(half, rounded)),
          "differs from its values as float32")
    out = reference[-1]
    check("result handed over", type(out.base).__name__ == "PyCapsule"
          and out.flags.writeable and out.flags.c_contiguous and out.dtype == np.float32,
          "base %r, flags %s" % (type(out.base), out.flags))


def integers_above_2_24_stay_exact():
    """Object indexes and match values that float32 cannot hold give what
    small ones give; through float32 they would not (so the scene tells)."""
    ball_off = {2: pblur.Object(blur=False)}
    reference = run_arrays(3, objects=ball_off)
    far = 2 ** 25  # float32 holds every 4th integer here: the box and ball would merge
    cases = [
        ("index int32 + 2^25", {far + 2: pblur.Object(blur=False)},
         dict(index=lambda i: np.where(i > 0, i + far, 0).astype(np.int32))),
        ("index int64 + 2^31", {2 ** 31 + 2: pblur.Object(blur=False)},
         dict(index=lambda i: np.where(i > 0, i + 2 ** 31, 0).astype(np.int64))),
        ("match int32 + 2^30", ball_off,
         dict(match=lambda m: np.where(m != 0, m + 2 ** 30, 0).astype(np.int32))),
        ("match uint32 + 3 x 2^30", ball_off,
         dict(match=lambda m: np.where(m != 0, m + 3 * 2 ** 30, 0).astype(np.uint32))),
    ]
    for name, objects, kinds in cases:
        out = run_arrays(3, objects=objects, **kinds)
        check(name, all(np.array_equal(a, b) for a, b in zip(out, reference)),
              "differs from small values")
        through_float = {k: (lambda kind: lambda a: kind(a).astype(np.float32))(kind)
                         for k, kind in kinds.items()}
        out = run_arrays(3, objects=objects, **through_float)
        check(name, not all(np.array_equal(a, b) for a, b in zip(out, reference)),
              "through float32 gives the same: the case shows nothing")


for test in (objects_keep_or_lose_their_blur, reverse_streak_runs_ahead, groups_share_occlusion,
             errors_name_the_setting, arrays_are_read_as_they_are,
             integers_above_2_24_stay_exact):
    test()
for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)

"""Two pblur.Blurs on two threads at once, one blurring frames from files
(frame_file) and the other from arrays (frame), against the same two run
one after the other; and Python runs on while either blurs. Run by
package_test.cpp with a folder holding, for frames 1 to N,
frame_<f>.exr (R, G, B, A, IndexOB.V, Vector.X, Vector.Y) and raw float32
colour_<f>.f32 (H x W x 4), index_<f>.f32 and match_<f>.f32 (H x W x 2):

  two_threads.py FOLDER WIDTH HEIGHT N

Prints each failing check and exits 1 when any fails."""
import os
import sys
import threading
import time

import numpy as np

import pblur

folder = sys.argv[1]
width, height, frames = (int(a) for a in sys.argv[2:5])
ROUNDS = 4  # sequences per thread, so that the two threads overlap
failures = []


def check(case, ok, detail=""):
    if not ok:
        failures.append("%s %s" % (case, detail))


def raw(name, f, *channels):
    data = np.fromfile(os.path.join(folder, "%s_%d.f32" % (name, f)), np.float32)
    return data.reshape((height, width) + channels)


def file_blur():
    return pblur.Blur(streak_length=12, trails=2)


def blur_file(blur, f, out):
    blur.frame_file(os.path.join(folder, "frame_%d.exr" % f), out, colour="R,G,B,A",
                    index="IndexOB", vector="Vector")


def array_blur():
    return pblur.Blur(strength=7, mode="opt-out", objects={2: pblur.Object(blur=False)})


def blur_arrays(blur, f):
    return blur.frame(raw("colour", f, 4), raw("index", f), match=raw("match", f, 2))


def from_files(tag, results):
    for r in range(ROUNDS):
        blur = file_blur()
        for f in range(1, frames + 1):
            out = os.path.join(folder, "%s_%d_%d.exr" % (tag, r, f))
            blur_file(blur, f, out)
            with open(out, "rb") as written:
                results.append(written.read())


def from_arrays(results):
    for _ in range(ROUNDS):
        blur = array_blur()
        for f in range(1, frames + 1):
            results.append(blur_arrays(blur, f))


def threads_alike():
    alone_files, alone_arrays = [], []
    from_files("alone", alone_files)
    from_arrays(alone_arrays)
    both_files, both_arrays = [], []
    threads = [threading.Thread(target=from_files, args=("both", both_files)),
               threading.Thread(target=from_arrays, args=(both_arrays,))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    check("files", len(both_files) == len(alone_files), "a thread stopped early")
    for k, (a, b) in enumerate(zip(alone_files, both_files)):
        check("files", a == b, "output %d differs on two threads" % k)
    check("arrays", len(both_arrays) == len(alone_arrays), "a thread stopped early")
    for k, (a, b) in enumerate(zip(alone_arrays, both_arrays)):
        check("arrays", np.array_equal(a, b), "frame %d differs on two threads" % k)


def runs_python_meanwhile(call, most=500):
    """Whether this thread runs Python while another calls `call` (until
    this one has run, at most `most` times). With a switch interval longer
    than any test, Python passes from one thread to the other only where
    one lets it go: this one in its sleeps; the other, between its two
    marks, only inside `call`. On a busy machine this thread may not be
    scheduled during the first calls, so the other goes on until it is."""
    interval = sys.getswitchinterval()
    sys.setswitchinterval(1000.0)
    marks, seen = [], threading.Event()

    def calls():
        marks.append("in")
        for _ in range(most):
            if seen.is_set():
                break
            call()
        marks.append("out")

    try:
        thread = threading.Thread(target=calls)
        thread.start()
        while thread.is_alive():
            if marks == ["in"]:
                seen.set()
            time.sleep(0.001)
        thread.join()
    finally:
        sys.setswitchinterval(interval)
    return seen.is_set()


def python_released():
    arrays, files = array_blur(), file_blur()
    # Read first: numpy lets Python go while it reads a file.
    passes = raw("colour", 1, 4), raw("index", 1), raw("match", 1, 2)
    check("frame", runs_python_meanwhile(lambda: arrays.frame(passes[0], passes[1],
                                                              match=passes[2])),
          "holds Python while it blurs")
    out = os.path.join(folder, "released.exr")
    check("frame_file", runs_python_meanwhile(lambda: blur_file(files, 1, out)),
          "holds Python while it blurs")


threads_alike()
python_released()
for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)

"""Blurs a sequence of raw float32 passes with the pblur package, as a test
job file describes it, and writes each frame's result beside them:

  {"dir": D, "frames": [1, 2], "width": W, "height": H,
   "passes": {"colour": 4, "index": 1, "vector": 2, ...},
   "settings": {...}, "objects": {"1": {"blur": false, "group": "g"}}}

reads D/<pass>_<frame>.f32 (H x W x channels, row-major) and writes
D/out_<frame>.f32."""
import json
import sys

import numpy as np

import pblur


def main(job_path):
    with open(job_path) as f:
        job = json.load(f)
    h, w = job["height"], job["width"]
    objects = {int(k): pblur.Object(**v) for k, v in job.get("objects", {}).items()}
    settings = {k: tuple(v) if isinstance(v, list) else v for k, v in job["settings"].items()}
    blur = pblur.Blur(objects=objects, **settings)
    for frame in job["frames"]:
        passes = {}
        for name, channels in job["passes"].items():
            data = np.fromfile("%s/%s_%d.f32" % (job["dir"], name, frame), np.float32)
            shape = (h, w) if channels == 1 else (h, w, channels)
            passes[name] = data.reshape(shape)
        out = blur.frame(passes.pop("colour"), passes.pop("index"), **passes)
        assert out.dtype == np.float32 and out.shape[:2] == (h, w), (out.dtype, out.shape)
        out.tofile("%s/out_%d.f32" % (job["dir"], frame))


if __name__ == "__main__":
    main(sys.argv[1])

"""The end-to-end benchmark's heavier sequence: five large objects covering
most of a 1920x1080 frame, each moving 20 to 40 pixels a frame, rendered
with Cycles to multilayer OpenEXR with 32-bit float passes (colour with
alpha, depth, vectors, UV and object index: 13 channels), ZIP compressed,
as examples/blender/render_scene.py renders its lighter scene.

    blender -b -P bench/render_heavy_scene.py -- --out DIR --frames 10

16 samples, as the lighter sequence: the noise left in the colour is part
of what the files cost to decode.
"""
import argparse
import os
import sys

import bpy

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples",
                                "blender"))
import render_scene  # noqa: E402


def arguments():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    parser = argparse.ArgumentParser(prog="render_heavy_scene.py")
    parser.add_argument("--out", required=True)
    parser.add_argument("--frames", type=int, default=10)
    parser.add_argument("--samples", type=int, default=16)
    options = parser.parse_args(argv)
    options.size, options.half = "1920x1080", False
    return options


def build(frames):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    scene.frame_start, scene.frame_end = 1, frames
    bpy.ops.object.camera_add(location=(0.0, -12.0, 0.0), rotation=(1.5708, 0.0, 0.0))
    scene.camera = bpy.context.object
    bpy.ops.object.light_add(type="SUN", rotation=(0.873, 0.0, 0.524))
    bpy.context.object.data.energy = 4.0
    world = bpy.data.worlds.new("World")
    world.color = (0.3, 0.3, 0.3)
    scene.world = world
    ops = bpy.ops.mesh
    # 20 to 40 pixels a frame each, as a shot's movers go.
    movers = [
        (lambda: ops.primitive_cube_add(size=3.0), (0.8, 0.1, 0.1),
         (-4.0, 0.0, 1.2), (-2.6, 0.0, 0.9), 20.0),
        (lambda: ops.primitive_uv_sphere_add(radius=1.8), (0.1, 0.7, 0.2),
         (3.8, 1.0, 1.3), (2.6, 1.0, 1.0), 0.0),
        (lambda: ops.primitive_torus_add(major_radius=1.6, minor_radius=0.6), (0.1, 0.2, 0.9),
         (-3.2, -1.0, -1.8), (-2.0, -1.0, -1.2), 30.0),
        (lambda: ops.primitive_cylinder_add(radius=1.2, depth=3.0), (0.9, 0.7, 0.1),
         (3.2, 0.5, -2.0), (4.0, 0.5, -1.0), 15.0),
        (lambda: ops.primitive_ico_sphere_add(radius=1.5), (0.7, 0.2, 0.8),
         (0.6, 2.0, 1.4), (-0.8, 2.0, 0.4), 10.0),
    ]
    for index, (add, colour, start, end, turn) in enumerate(movers, 1):
        add()
        render_scene.place(bpy.context.object, index, colour,
                           [(1, start, 0.0), (frames, end, turn)])
    return scene


def main():
    options = arguments()
    scene = build(options.frames)
    render_scene.configure(scene, options)
    bpy.ops.render.render(animation=True)


main()

"""The end-to-end benchmark's heavier sequence: five large objects covering
most of a 1920x1080 frame, each moving 20 to 40 pixels a frame, rendered
with Cycles to multilayer OpenEXR with 32-bit float passes (colour with
alpha, depth, vectors, UV and object index: 13 channels), ZIP compressed.

    blender -b -P bench/render_heavy_scene.py -- --out DIR --frames 10

16 samples, as the lighter sequence: the noise left in the colour is part
of what the files cost to decode.
"""
import argparse
import math
import sys

import bpy


def arguments():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    parser = argparse.ArgumentParser(prog="render_heavy_scene.py")
    parser.add_argument("--out", required=True)
    parser.add_argument("--frames", type=int, default=10)
    parser.add_argument("--samples", type=int, default=16)
    return parser.parse_args(argv)


def mover(add, index, colour, start, end, turn):
    add()
    obj = bpy.context.object
    obj.pass_index = index
    material = bpy.data.materials.new("m%d" % index)
    material.use_nodes = True
    material.node_tree.nodes["Principled BSDF"].inputs["Base Color"].default_value = (*colour, 1)
    obj.data.materials.append(material)
    for frame, location, angle in ((1, start, 0.0), (bpy.context.scene.frame_end, end, turn)):
        obj.location = location
        obj.rotation_euler = (math.radians(angle / 2), 0.0, math.radians(angle))
        obj.keyframe_insert("location", frame=frame)
        obj.keyframe_insert("rotation_euler", frame=frame)
    for curve in obj.animation_data.action.fcurves:
        for point in curve.keyframe_points:
            point.interpolation = "LINEAR"


def main():
    options = arguments()
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    scene.frame_start, scene.frame_end = 1, options.frames
    bpy.ops.object.camera_add(location=(0.0, -12.0, 0.0), rotation=(math.radians(90), 0.0, 0.0))
    scene.camera = bpy.context.object
    bpy.ops.object.light_add(type="SUN", rotation=(math.radians(50), 0.0, math.radians(30)))
    bpy.context.object.data.energy = 4.0
    world = bpy.data.worlds.new("World")
    world.color = (0.3, 0.3, 0.3)
    scene.world = world
    ops = bpy.ops.mesh
    # 20 to 40 pixels a frame each, as a shot's movers go.
    mover(lambda: ops.primitive_cube_add(size=3.0), 1, (0.8, 0.1, 0.1),
          (-4.0, 0.0, 1.2), (-2.6, 0.0, 0.9), 20.0)
    mover(lambda: ops.primitive_uv_sphere_add(radius=1.8), 2, (0.1, 0.7, 0.2),
          (3.8, 1.0, 1.3), (2.6, 1.0, 1.0), 0.0)
    mover(lambda: ops.primitive_torus_add(major_radius=1.6, minor_radius=0.6), 3,
          (0.1, 0.2, 0.9), (-3.2, -1.0, -1.8), (-2.0, -1.0, -1.2), 30.0)
    mover(lambda: ops.primitive_cylinder_add(radius=1.2, depth=3.0), 4, (0.9, 0.7, 0.1),
          (3.2, 0.5, -2.0), (4.0, 0.5, -1.0), 15.0)
    mover(lambda: ops.primitive_ico_sphere_add(radius=1.5), 5, (0.7, 0.2, 0.8),
          (0.6, 2.0, 1.4), (-0.8, 2.0, 0.4), 10.0)
    render = scene.render
    render.engine = "CYCLES"
    scene.cycles.device = "CPU"
    scene.cycles.samples = options.samples
    scene.cycles.use_denoising = False
    render.resolution_x, render.resolution_y, render.resolution_percentage = 1920, 1080, 100
    render.film_transparent = True
    render.use_motion_blur = False
    render.image_settings.file_format = "OPEN_EXR_MULTILAYER"
    render.image_settings.color_depth = "32"
    render.image_settings.exr_codec = "ZIP"
    render.filepath = options.out.rstrip("/") + "/render_####"
    layer = scene.view_layers[0]
    layer.name = "ViewLayer"
    layer.use_pass_z = True
    layer.use_pass_vector = True
    layer.use_pass_uv = True
    layer.use_pass_object_index = True
    bpy.ops.render.render(animation=True)


main()

"""A small animated scene rendered to multilayer OpenEXR, ready for pblur apply.

Run headless:
    blender -b -P examples/blender/render_scene.py -- --out out/blender

Options after "--": --out DIR, --size WxH (640x360), --frames N (8),
--samples N (16), --half (half-float samples, as renderers usually write
final frames; 32-bit float without), --opaque (Blender's default film,
the world behind the objects, instead of a transparent one). Frames are numbered from 1, one file per frame,
render_0001.exr and on, each holding the colour with alpha
(ViewLayer.Combined), depth (ViewLayer.Depth), motion vectors
(ViewLayer.Vector), UV (ViewLayer.UV) and object index (ViewLayer.IndexOB).

The scene: a grey pillar that stands still, a red box moving right, a blue
torus moving up and turning (its UV seam passes through the picture), and
a green ball moving left behind the pillar, all over a transparent
background (or the world's, with --opaque).
"""
import argparse
import math
import sys

import bpy


def arguments():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    parser = argparse.ArgumentParser(prog="render_scene.py")
    parser.add_argument("--out", default="out/blender")
    parser.add_argument("--size", default="640x360")
    parser.add_argument("--frames", type=int, default=8)
    parser.add_argument("--samples", type=int, default=16)
    parser.add_argument("--half", action="store_true")
    parser.add_argument("--opaque", action="store_true")
    return parser.parse_args(argv)


def material(name, colour):
    m = bpy.data.materials.new(name)
    m.diffuse_color = (*colour, 1.0)
    m.use_nodes = True
    m.node_tree.nodes["Principled BSDF"].inputs["Base Color"].default_value = (*colour, 1.0)
    return m


def place(obj, index, colour, keys):
    """keys: (frame, location, rotation_z in degrees) for linear motion."""
    obj.pass_index = index
    obj.data.materials.append(material(obj.name, colour))
    for frame, location, turn in keys:
        obj.location = location
        obj.rotation_euler = (math.radians(90) if obj.name.startswith("Torus") else 0.0,
                              0.0, math.radians(turn))
        obj.keyframe_insert("location", frame=frame)
        obj.keyframe_insert("rotation_euler", frame=frame)
    for curve in obj.animation_data.action.fcurves:
        for point in curve.keyframe_points:
            point.interpolation = "LINEAR"


def build(frames):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    scene.frame_start, scene.frame_end = 1, frames
    last = frames

    bpy.ops.object.camera_add(location=(0.0, -12.0, 0.0), rotation=(math.radians(90), 0.0, 0.0))
    scene.camera = bpy.context.object
    bpy.ops.object.light_add(type="SUN", rotation=(math.radians(50), 0.0, math.radians(30)))
    bpy.context.object.data.energy = 4.0
    world = bpy.data.worlds.new("World")
    world.color = (0.3, 0.3, 0.3)
    scene.world = world

    bpy.ops.mesh.primitive_cube_add(size=1.0, location=(0.0, 0.0, 0.0))
    pillar = bpy.context.object
    pillar.name = "Pillar"
    pillar.scale = (0.8, 0.8, 4.0)
    place(pillar, 1, (0.5, 0.5, 0.5), [(1, (0.0, 0.0, 0.0), 0.0)])

    bpy.ops.mesh.primitive_cube_add(size=1.2)
    box = bpy.context.object
    box.name = "Box"
    place(box, 2, (0.8, 0.1, 0.1), [(1, (-4.5, -1.0, 1.2), 0.0), (last, (-2.0, -1.0, 1.2), 30.0)])

    bpy.ops.mesh.primitive_torus_add(major_radius=0.7, minor_radius=0.25)
    torus = bpy.context.object
    torus.name = "Torus"
    place(torus, 3, (0.1, 0.2, 0.9),
          [(1, (3.5, -1.0, -2.0), 0.0), (last, (4.0, -1.0, 0.5), 40.0)])

    bpy.ops.mesh.primitive_uv_sphere_add(radius=0.6)
    ball = bpy.context.object
    ball.name = "Ball"
    place(ball, 4, (0.1, 0.7, 0.2), [(1, (2.0, 2.0, -0.3), 0.0), (last, (-2.0, 2.0, -0.3), 0.0)])
    return scene


def configure(scene, options):
    width, height = (int(v) for v in options.size.split("x"))
    render = scene.render
    render.engine = "CYCLES"
    scene.cycles.device = "CPU"
    scene.cycles.samples = options.samples
    scene.cycles.use_denoising = False
    render.resolution_x, render.resolution_y = width, height
    render.resolution_percentage = 100
    render.film_transparent = not options.opaque
    # The vector pass is only written without the renderer's own motion blur.
    render.use_motion_blur = False
    render.image_settings.file_format = "OPEN_EXR_MULTILAYER"
    render.image_settings.color_depth = "16" if options.half else "32"
    render.image_settings.exr_codec = "ZIP"
    render.filepath = options.out.rstrip("/") + "/render_####"
    layer = scene.view_layers[0]
    layer.name = "ViewLayer"
    layer.use_pass_z = True
    layer.use_pass_vector = True
    layer.use_pass_uv = True
    layer.use_pass_object_index = True


def main():
    options = arguments()
    scene = build(options.frames)
    configure(scene, options)
    bpy.ops.render.render(animation=True)


# Run as a script; bench/render_heavy_scene.py imports its parts.
if __name__ == "__main__":
    main()

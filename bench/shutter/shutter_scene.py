"""The shutter look's benchmark scene, rendered by Cycles to OpenEXR.

Run headless:
    blender -b -P bench/shutter/shutter_scene.py -- --out DIR --kind passes
    blender -b -P bench/shutter/shutter_scene.py -- --out DIR --kind truth

Options after "--": --out DIR, --kind passes|truth, --size WxH (480x270),
--frames N (5), --samples N (256).

passes: no motion blur; DIR/render_0001.exr and on, multilayer, with the
layer ViewLayer holding Combined, Depth, Vector and IndexOB, as a user
renders for a blur in post.
truth: Cycles' own motion blur, shutter 0.5 centred on the frame;
DIR/truth_0001.exr and on, RGBA.

The scene: a textured wall far behind; a still pillar near the camera; a
brick-coloured cube passing behind it (moving right, turning a little); a
checker disc spinning in the picture plane; a checker ball flying toward
the camera. Every surface is an emission shaded by a fixed light direction
in the shader, so the renders carry no lighting noise: what differs between
the two renders is the motion blur alone (and Cycles' sampling of it).
"""
import argparse
import math
import sys

import bpy


def arguments():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    parser = argparse.ArgumentParser(prog="shutter_scene.py")
    parser.add_argument("--out", required=True)
    parser.add_argument("--kind", choices=["passes", "truth"], required=True)
    parser.add_argument("--size", default="480x270")
    parser.add_argument("--frames", type=int, default=5)
    parser.add_argument("--samples", type=int, default=256)
    return parser.parse_args(argv)


def material(name, colour_a, colour_b, scale, pattern="ShaderNodeTexChecker"):
    """An emission of a checker or bricks (or plain colour where both
    colours are the same), in the object's own coordinates, darkened on
    faces turned from a fixed direction. No face may lie on a boundary of
    the checker's cells: its colour would flip from sample to sample."""
    m = bpy.data.materials.new(name)
    m.use_nodes = True
    nodes, links = m.node_tree.nodes, m.node_tree.links
    nodes.clear()
    coords = nodes.new("ShaderNodeTexCoord")
    checker = nodes.new(pattern)
    checker.inputs["Color1"].default_value = (*colour_a, 1.0)
    checker.inputs["Color2"].default_value = (*colour_b, 1.0)
    checker.inputs["Scale"].default_value = scale
    if pattern == "ShaderNodeTexBrick":
        checker.inputs["Mortar"].default_value = (0.75, 0.72, 0.66, 1.0)
        checker.inputs["Mortar Size"].default_value = 0.03
    links.new(coords.outputs["Object"], checker.inputs["Vector"])
    # Shade = 0.45 + 0.55 * max(0, N . L) with N in world space.
    geometry = nodes.new("ShaderNodeNewGeometry")
    facing = nodes.new("ShaderNodeVectorMath")
    facing.operation = "DOT_PRODUCT"
    facing.inputs[1].default_value = (-0.4, -0.8, 0.45)
    links.new(geometry.outputs["Normal"], facing.inputs[0])
    shade = nodes.new("ShaderNodeMath")
    shade.operation = "MULTIPLY_ADD"
    shade.use_clamp = False
    links.new(facing.outputs["Value"], shade.inputs[0])
    shade.inputs[1].default_value = 0.55
    shade.inputs[2].default_value = 0.45
    lit = nodes.new("ShaderNodeMixRGB")
    lit.blend_type = "MULTIPLY"
    lit.inputs["Fac"].default_value = 1.0
    links.new(checker.outputs["Color"], lit.inputs["Color1"])
    links.new(shade.outputs["Value"], lit.inputs["Color2"])
    emit = nodes.new("ShaderNodeEmission")
    links.new(lit.outputs["Color"], emit.inputs["Color"])
    out = nodes.new("ShaderNodeOutputMaterial")
    links.new(emit.outputs["Emission"], out.inputs["Surface"])
    return m


def animate(obj, keys):
    """keys: (frame, location, rotation in degrees), linear between."""
    for frame, location, rotation in keys:
        obj.location = location
        obj.rotation_euler = tuple(math.radians(r) for r in rotation)
        obj.keyframe_insert("location", frame=frame)
        obj.keyframe_insert("rotation_euler", frame=frame)
    for curve in obj.animation_data.action.fcurves:
        for point in curve.keyframe_points:
            point.interpolation = "LINEAR"


def add(obj, name, index, mat):
    obj.name = name
    obj.pass_index = index
    obj.data.materials.append(mat)
    return obj


def build(frames):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    scene.frame_start, scene.frame_end = 1, frames
    bpy.ops.object.camera_add(location=(0.0, -12.0, 1.5), rotation=(math.radians(90), 0.0, 0.0))
    scene.camera = bpy.context.object
    world = bpy.data.worlds.new("World")
    world.color = (0.05, 0.05, 0.06)
    scene.world = world

    # Bricks of 0.5 x 0.25 units: some 20 x 10 px at 480 px wide.
    bpy.ops.mesh.primitive_plane_add(size=20.0, location=(0.0, 4.0, 1.5),
                                     rotation=(math.radians(90), 0.0, 0.0))
    add(bpy.context.object, "Wall", 1,
        material("Wall", (0.45, 0.16, 0.09), (0.30, 0.20, 0.15), 1.0, "ShaderNodeTexBrick"))

    bpy.ops.mesh.primitive_cube_add(size=1.0, location=(-1.3, -2.0, 1.2))
    pillar = add(bpy.context.object, "Pillar", 2,
                 material("Pillar", (0.55, 0.56, 0.6), (0.55, 0.56, 0.6), 1.0))
    pillar.scale = (0.35, 0.35, 6.0)

    # Right at about 24 px a frame at 480 px wide, behind the pillar.
    bpy.ops.mesh.primitive_cube_add(size=1.0)
    cube = add(bpy.context.object, "Cube", 3,
               material("Cube", (0.62, 0.22, 0.12), (0.85, 0.62, 0.42), 1.9))
    animate(cube, [(1, (-3.3, 0.0, 0.7), (10, 0, 5)),
                   (frames, (-3.3 + 0.43 * (frames - 1), 0.0, 0.7), (10, 0, 5 + 6 * (frames - 1)))])

    # Spinning in the picture plane, 24 degrees a frame.
    bpy.ops.mesh.primitive_cylinder_add(vertices=64, radius=0.95, depth=0.1)
    disc = add(bpy.context.object, "Disc", 4,
               material("Disc", (0.9, 0.85, 0.2), (0.1, 0.25, 0.7), 3.0))
    animate(disc, [(1, (2.3, 1.0, 2.7), (90, 0, 0)),
                   (frames, (2.3, 1.0, 2.7), (90, 24 * (frames - 1), 0))])

    # Toward the camera, from 16 to about 9 units away.
    bpy.ops.mesh.primitive_uv_sphere_add(radius=0.6, segments=48, ring_count=24)
    ball = add(bpy.context.object, "Ball", 5,
               material("Ball", (0.2, 0.75, 0.35), (0.9, 0.9, 0.88), 4.0))
    bpy.ops.object.shade_smooth()
    animate(ball, [(1, (1.0, 4.0 - 0.5, 0.3), (0, 0, 0)),
                   (frames, (1.0, 4.0 - 0.5 - 1.7 * (frames - 1), 0.3), (0, 0, 10 * (frames - 1)))])
    return scene


def configure(scene, options):
    width, height = (int(v) for v in options.size.split("x"))
    render = scene.render
    render.engine = "CYCLES"
    scene.cycles.device = "CPU"
    scene.cycles.samples = options.samples
    scene.cycles.use_adaptive_sampling = False
    scene.cycles.use_denoising = False
    scene.cycles.max_bounces = 0
    scene.cycles.seed = 1
    render.resolution_x, render.resolution_y = width, height
    render.resolution_percentage = 100
    scene.view_settings.view_transform = "Standard"
    layer = scene.view_layers[0]
    layer.name = "ViewLayer"
    if options.kind == "truth":
        render.use_motion_blur = True
        render.motion_blur_shutter = 0.5
        scene.cycles.motion_blur_position = "CENTER"
        render.image_settings.file_format = "OPEN_EXR"
        render.image_settings.color_mode = "RGBA"
        render.image_settings.color_depth = "32"
        render.filepath = options.out.rstrip("/") + "/truth_####"
    else:
        # The vector pass is written only without Cycles' own motion blur.
        render.use_motion_blur = False
        render.image_settings.file_format = "OPEN_EXR_MULTILAYER"
        render.image_settings.color_depth = "32"
        render.filepath = options.out.rstrip("/") + "/render_####"
        layer.use_pass_z = True
        layer.use_pass_vector = True
        layer.use_pass_object_index = True
    render.image_settings.exr_codec = "ZIP"


def main():
    options = arguments()
    scene = build(options.frames)
    configure(scene, options)
    bpy.ops.render.render(animation=True)


main()

"""Run by Blender (BLENDER_USER_SCRIPTS=SCRIPTS blender -b --factory-startup
--python-exit-code 1 -P addon_render.py -- OUT), with the add-on as built
(the package inside it) in SCRIPTS/addons/pblur_blender: enables it as
Blender enables an installed add-on, builds a small scene and renders
animations through it, for addon_test.cpp.

OUT/blurred, OUT/sharp: a box moving right, a ball moving left with its blur
Off, a still cube; mode opt-out, then mode none. OUT/shutter: the same
with the Shutter look. OUT/grouped, OUT/alone: a
near still part and a far part moving away from it, with the depth test,
in one group and in none. OUT/index_a, OUT/index_b: the object index pass
of each scene; OUT/objects.json: the indexes the add-on gave the objects,
what it told the user after each render, what the scene lacked before
and after the blur was switched on and after Set Up Passes ran, and the
version Blender lists the add-on with. The first
scene is set up by the operator; the depth test, switched on later, is
left for the render to set up. OUT/ranges (OUT/render_ranges raw): the
first scene, as OUT/blurred, saved to OUT/shot.blend and rendered as a
farm renders it, by two Blender processes: -s 1 -e 2, then -s 2 -e 3, one
frame early to lead in."""
import json
import math
import os
import subprocess
import sys

import addon_utils
import bpy

out = sys.argv[sys.argv.index("--") + 1]
# The version Blender lists the add-on with, read without importing it.
listed = [m.bl_info.get("version") for m in addon_utils.modules(refresh=True)
          if m.__name__ == "pblur_blender"]
addon_utils.enable("pblur_blender", default_set=True)
from pblur_blender import render, scene_setup  # noqa: E402

scene = bpy.context.scene
for ob in list(bpy.data.objects):
    bpy.data.objects.remove(ob)


def material(name, rgb):
    m = bpy.data.materials.new(name)
    m.use_nodes = True
    nodes = m.node_tree.nodes
    nodes.clear()
    emit = nodes.new("ShaderNodeEmission")
    emit.inputs["Color"].default_value = (*rgb, 1.0)
    result = nodes.new("ShaderNodeOutputMaterial")
    m.node_tree.links.new(emit.outputs[0], result.inputs[0])
    return m


def add(kind, name, rgb, location, size, moves_to=None):
    if kind == "ball":
        bpy.ops.mesh.primitive_uv_sphere_add(radius=size / 2, location=location)
    else:
        bpy.ops.mesh.primitive_cube_add(size=size, location=location)
    ob = bpy.context.object
    ob.name = name
    ob.data.materials.append(material(name, rgb))
    if moves_to is not None:
        ob.keyframe_insert("location", frame=1)
        ob.location = moves_to
        ob.keyframe_insert("location", frame=3)
        for curve in ob.animation_data.action.fcurves:
            for key in curve.keyframe_points:
                key.interpolation = "LINEAR"
    return ob


camera = bpy.data.objects.new("camera", bpy.data.cameras.new("camera"))
scene.collection.objects.link(camera)
camera.location = (0, -10, 0)
camera.rotation_euler = (math.pi / 2, 0, 0)
camera.data.type = "ORTHO"
camera.data.ortho_scale = 8
scene.camera = camera
scene.world = bpy.data.worlds.new("black")
scene.world.color = (0, 0, 0)

r = scene.render
r.engine = "CYCLES"
scene.cycles.samples = 2
scene.cycles.use_denoising = False
r.resolution_x, r.resolution_y, r.resolution_percentage = 64, 40, 100
r.dither_intensity = 0
scene.view_settings.view_transform = "Standard"
scene.frame_start, scene.frame_end = 1, 3
r.image_settings.file_format = "PNG"

scene_a = [
    add("box", "box", (0.9, 0.3, 0.1), (-3, 0, 1.5), 1.2, (-1, 0, 1.5)),
    add("ball", "ball", (0.2, 0.8, 0.3), (2.5, 0, -1.5), 1.2, (0.5, 0, -1.5)),
    add("box", "still", (0.7, 0.7, 0.2), (3, 0, 1.5), 1.0),
]
scene_b = [
    add("box", "near", (0.1, 0.3, 0.9), (-1.5, -2, 0), 1.6),
    add("box", "far", (0.9, 0.2, 0.6), (-0.5, 2, 0), 1.6, (1.5, 2, 0)),
]
bpy.data.objects["ball"].pblur.blur = "OFF"

# The index pass, written for the test by a node of its own.
scene.use_nodes = True
tree = scene.node_tree
layers = next(n for n in tree.nodes if n.type == "R_LAYERS")
scene.view_layers[0].use_pass_object_index = True
index_node = tree.nodes.new("CompositorNodeOutputFile")
index_node.format.file_format = "OPEN_EXR_MULTILAYER"
index_node.format.color_depth = "32"
index_node.layer_slots.clear()
index_node.layer_slots.new("IndexOB")
tree.links.new(layers.outputs["IndexOB"], index_node.inputs["IndexOB"])

messages = {}
p = scene.pblur
missing = scene_setup.missing(scene)
p.enabled = True
set_up = {"missing_before": ", ".join(missing),
          "unchanged_by_enabling": scene_setup.missing(scene) == missing,
          "operator": ", ".join(bpy.ops.pblur.set_up_passes()),
          "missing_after": ", ".join(scene_setup.missing(scene))}


def setup(name, shown, hidden, index_folder=None, **settings):
    for ob in shown:
        ob.hide_render = False
    for ob in hidden:
        ob.hide_render = True
    for key, value in settings.items():
        setattr(p, key, value)
    p.output = os.path.join(out, name, "####.png")
    r.filepath = os.path.join(out, "render_" + name, "####")
    index_node.mute = index_folder is None
    index_node.base_path = os.path.join(out, index_folder or "unused") + os.sep


def animate(name, shown, hidden, index_folder=None, **settings):
    setup(name, shown, hidden, index_folder, **settings)
    bpy.ops.render.render(animation=True)
    messages[name] = render.last_message


animate("blurred", scene_a, scene_b, "index_a", mode="OPT_OUT", streak_length=20.0)
animate("sharp", scene_a, scene_b, mode="NONE")
animate("shutter", scene_a, scene_b, look="SHUTTER")
p.look = "STREAK"
bpy.ops.render.render()
messages["still"] = render.last_message
for ob in scene_b:
    ob.pblur.group = "car"
animate("grouped", scene_b, scene_a, "index_b", mode="OPT_OUT", streak_length=30.0,
        depth_test=True)
for ob in scene_b:
    ob.pblur.group = ""
animate("alone", scene_b, scene_a)

set_up["listed_version"] = ".".join(str(n) for n in listed[0]) if listed and listed[0] else ""

setup("ranges", scene_a, scene_b, mode="OPT_OUT", streak_length=20.0, depth_test=False,
      look="STREAK")
shot = os.path.join(out, "shot.blend")
bpy.ops.wm.save_as_mainfile(filepath=shot)
# The add-on as installed (BLENDER_USER_SCRIPTS goes along), enabled before
# the file loads, as a farm machine's preferences would have it.
enable = "import addon_utils; addon_utils.enable('pblur_blender', default_set=True)"
for first, last in ((1, 2), (2, 3)):
    sys.stdout.flush()
    subprocess.run([bpy.app.binary_path, "-b", "--factory-startup", "--python-exit-code", "1",
                    "--python-expr", enable, shot, "-s", str(first), "-e", str(last), "-a"],
                   check=True)

with open(os.path.join(out, "objects.json"), "w") as f:
    json.dump({"indexes": {ob.name: ob.pass_index for ob in scene_a + scene_b},
               "messages": messages, "set_up": set_up}, f, indent=1)

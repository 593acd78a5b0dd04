"""Times Blender's own motion blur over a rendered sequence: the compositor's
Vector Blur node, default settings, fed each multilayer EXR's colour, depth
and vector passes, writing one PNG per frame (the work `pblur apply
--vector --depth-test` does on the same files).

Run headless:
    blender -b -P bench/blender_vector_blur.py -- --in DIR --out DIR [--exr]

--exr writes float OpenEXR (linear light, as rendered) instead, for
comparing the pictures themselves. --node-alone also times each frame's
compositing once more with its file already loaded and nothing written,
and prints "blender: node alone, S s per frame, P s of processor time"
(Blender's threads together).

Blender's start-up is left out: each frame is timed inside Blender, from
loading its file to its PNG written. Prints one line per frame and a last
line "blender: N frames, S s per frame".
"""
import argparse
import glob
import os
import struct
import sys
import time

import bpy


def arguments():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    parser = argparse.ArgumentParser(prog="blender_vector_blur.py")
    parser.add_argument("--in", dest="source", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--exr", action="store_true")
    parser.add_argument("--node-alone", action="store_true")
    return parser.parse_args(argv)


def exr_size(path):
    """Width and height from an OpenEXR header's data window (Blender knows
    a multilayer file's size only once it has composited it)."""
    with open(path, "rb") as f:
        header = f.read(65536)
    at = 8
    while header[at] != 0:
        name_end = header.index(b"\0", at)
        type_end = header.index(b"\0", name_end + 1)
        size = struct.unpack_from("<i", header, type_end + 1)[0]
        value = type_end + 5
        if header[at:name_end] == b"dataWindow":
            x0, y0, x1, y1 = struct.unpack_from("<4i", header, value)
            return x1 - x0 + 1, y1 - y0 + 1
        at = value + size
    sys.exit("blender_vector_blur.py: no data window in " + path)


def compositor(scene):
    scene.use_nodes = True
    tree = scene.node_tree
    tree.nodes.clear()
    image = tree.nodes.new("CompositorNodeImage")
    blur = tree.nodes.new("CompositorNodeVecBlur")  # default settings
    out = tree.nodes.new("CompositorNodeComposite")
    return tree, image, blur, out


def main():
    options = arguments()
    files = sorted(glob.glob(os.path.join(options.source, "render_*.exr")))
    if not files:
        sys.exit("blender_vector_blur.py: no render_*.exr in " + options.source)
    os.makedirs(options.out, exist_ok=True)
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    tree, image_node, blur, out = compositor(scene)
    render = scene.render
    if options.exr:
        render.image_settings.file_format = "OPEN_EXR"
        render.image_settings.color_depth = "32"
    else:
        render.image_settings.file_format = "PNG"
    render.image_settings.color_mode = "RGBA"
    render.resolution_percentage = 100
    render.resolution_x, render.resolution_y = exr_size(files[0])
    linked = False
    total = alone = processor = 0.0
    for number, path in enumerate(files, 1):
        start = time.perf_counter()
        picture = bpy.data.images.load(path)
        image_node.image = picture
        image_node.layer = "ViewLayer"
        if not linked:
            tree.links.new(image_node.outputs["Combined"], blur.inputs["Image"])
            tree.links.new(image_node.outputs["Depth"], blur.inputs["Z"])
            tree.links.new(image_node.outputs["Vector"], blur.inputs["Speed"])
            tree.links.new(blur.outputs["Image"], out.inputs["Image"])
            linked = True
        render.filepath = os.path.join(options.out, "blurred_%04d.%s"
                                       % (number, "exr" if options.exr else "png"))
        bpy.ops.render.render(write_still=True)
        seconds = time.perf_counter() - start
        if options.node_alone:
            start, start_processor = time.perf_counter(), time.process_time()
            bpy.ops.render.render(write_still=False)
            alone += time.perf_counter() - start
            processor += time.process_time() - start_processor
        bpy.data.images.remove(picture)
        total += seconds
        print("blender: frame %d, %.3f s" % (number, seconds), flush=True)
    print("blender: %d frames, %.3f s per frame" % (len(files), total / len(files)), flush=True)
    if options.node_alone:
        print("blender: node alone, %.3f s per frame, %.3f s of processor time"
              % (alone / len(files), processor / len(files)), flush=True)


main()

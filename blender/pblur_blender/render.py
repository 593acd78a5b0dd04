"""The render side: before an animation renders, the passes the blur needs
are switched on and a compositor File Output node writes them per frame to
a scratch folder; right after each frame is written, the frame is blurred
from there and written to the scene's pblur output. The blur's state lives
from the first frame of an animation render to its end.

A farm renders a shot by ranges, `blender -b file.blend -s A -e B -a`. A
range that starts after the shot's first frame (as the file was saved) and
one frame early, at A - 1, blurs that frame only to lead in and writes
from A on: the frames the whole render writes, bit for bit (with Trails N
it leads in N + 2 frames, and with trails or jitter the frames are
statistically the same)."""
import os
import re
import sys
import tempfile

import bpy
from bpy.app.handlers import persistent

from . import package
from .settings import blur_settings

NODE_NAME = "pblur passes"
RENDERED_TYPES = {"MESH", "CURVE", "SURFACE", "META", "FONT", "CURVES", "POINTCLOUD", "VOLUME",
                  "GPENCIL"}


class _Session:
    """One render: the blur, the frames written, what went wrong."""

    def __init__(self):
        self.blur = None
        self.written = []
        self.failed = False
        self.output = ""
        self.first_written = None  # frames before it only lead in


_session = _Session()
last_message = ""


def note(message):
    """Tells the user, in the console, the panel and the status bar, and
    never lets the render fail."""
    global last_message
    last_message = message
    print("pblur: " + message)
    if bpy.app.background:
        return

    def show():
        try:
            for window in bpy.context.window_manager.windows:
                window.workspace.status_text_set("pblur: " + message)
        except (AttributeError, RuntimeError):
            pass
        return None

    bpy.app.timers.register(show, first_interval=0.0)


def passes_folder():
    return os.path.join(tempfile.gettempdir(), "pblur_passes_%d" % os.getpid())


def passes_file(frame):
    # A multilayer File Output node writes <base path><frame, 4 digits>.exr.
    return os.path.join(passes_folder(), "%04d.exr" % frame)


def frame_path(pattern, frame):
    """The output pattern's last run of # replaced by the frame number,
    padded to the run's length (a number is appended where there is none)."""
    path = bpy.path.abspath(pattern)
    runs = list(re.finditer(r"#+", path))
    if not runs:
        root, ext = os.path.splitext(path)
        return "%s%04d%s" % (root, frame, ext or ".png")
    run = runs[-1]
    return path[:run.start()] + "%0*d" % (len(run.group()), frame) + path[run.end():]


# Each scene's first frame as the file was opened, before a command line's
# -s changed it.
_shot_starts = {}


@persistent
def on_load(*_):
    _shot_starts.clear()
    for scene in bpy.data.scenes:
        _shot_starts[scene.name] = scene.frame_start


def _lead_in(scene):
    """Frames the render blurs only to lead in: those the settings need
    before the first written frame, in a range that a farm started on the
    command line (-s) after the shot's first frame."""
    blender_args = sys.argv[:sys.argv.index("--")] if "--" in sys.argv else sys.argv
    start_given = any(arg in ("-s", "--frame-start") for arg in blender_args)
    shot_start = _shot_starts.get(scene.name, scene.frame_start)
    if not (bpy.app.background and start_given and shot_start < scene.frame_start):
        return 0
    trails = scene.pblur.trails
    return trails + 2 if trails > 1 else 1


def _view_layer(scene):
    for layer in scene.view_layers:
        if layer.use:
            return layer
    return None


def _assign_indexes(scene):
    """Object indexes where the user set none, so every object is told
    apart; indexes already set are kept."""
    taken = {ob.pass_index for ob in scene.objects}
    next_index = max(taken | {0}) + 1
    for ob in scene.objects:
        if ob.type in RENDERED_TYPES and ob.pass_index == 0:
            ob.pass_index = next_index
            next_index += 1


def _set(owner, name, value):
    # Written only when it differs: in the interface the render's own
    # thread calls the handlers, and an unchanged scene is safest there.
    if getattr(owner, name) != value:
        setattr(owner, name, value)


def _passes_node(scene, layer, depth):
    _set(scene, "use_nodes", True)
    tree = scene.node_tree
    source = next((n for n in tree.nodes if n.type == "R_LAYERS" and n.layer == layer.name), None)
    if source is None:
        source = tree.nodes.new("CompositorNodeRLayers")
        source.layer = layer.name
        source.location = (-300, -400)
    node = tree.nodes.get(NODE_NAME)
    if node is None:
        node = tree.nodes.new("CompositorNodeOutputFile")
        node.name = node.label = NODE_NAME
        node.location = (source.location.x + 300, source.location.y - 300)
    _set(node, "mute", False)
    _set(node.format, "file_format", "OPEN_EXR_MULTILAYER")
    _set(node.format, "color_depth", "32")
    _set(node.format, "exr_codec", "NONE")
    _set(node, "base_path", passes_folder() + os.sep)
    wanted = ["Image", "IndexOB", "Vector"] + (["Depth"] if depth else [])
    if [slot.name for slot in node.layer_slots] != wanted:
        node.layer_slots.clear()
        for name in wanted:
            node.layer_slots.new(name)
    for name in wanted:
        if name in source.outputs and not node.inputs[name].is_linked:
            tree.links.new(source.outputs[name], node.inputs[name])
    return node


def prepare_scene(scene):
    """Switches on what the blur needs: the object index and vector passes
    (and Z for the depth test), object indexes, and the node writing the
    passes. Returns why it cannot, or an empty string."""
    layer = _view_layer(scene)
    if layer is None:
        return "no view layer is rendered"
    _set(layer, "use_pass_object_index", True)
    _set(layer, "use_pass_vector", True)
    if scene.pblur.depth_test:
        _set(layer, "use_pass_z", True)
    _assign_indexes(scene)
    _set(scene.render, "use_compositing", True)
    _passes_node(scene, layer, scene.pblur.depth_test)
    return ""


def _objects(pblur, scene):
    objects = {}
    for ob in scene.objects:
        if ob.type not in RENDERED_TYPES or ob.pass_index <= 0:
            continue
        s = ob.pblur
        objects[ob.pass_index] = pblur.Object(
            blur={"DEFAULT": None, "ON": True, "OFF": False}[s.blur], reverse=s.reverse,
            group=s.group or None)
    return objects


@persistent
def on_render_init(scene, *_):
    global _session
    _session = _Session()
    node = scene.node_tree.nodes.get(NODE_NAME) if scene.node_tree else None
    if not scene.pblur.enabled:
        if node is not None:
            _set(node, "mute", True)
        return
    pblur = package.load()
    if pblur is None:
        note("nothing will be written: %s; install it with %s"
             % (package.problem(), package.INSTALL_COMMAND))
        return
    if scene.render.engine != "CYCLES":
        note("nothing will be written: the blur needs Cycles, which renders the object index "
             "pass (the engine is %s)" % scene.render.engine)
        return
    if scene.render.use_motion_blur:
        note("nothing will be written: Blender's own motion blur is on, and Cycles then "
             "renders no vector pass; switch it off in the Render properties")
        return
    why = prepare_scene(scene)
    if why:
        note("nothing will be written: " + why)
        return
    try:
        _session.blur = pblur.Blur(objects=_objects(pblur, scene),
                                   **blur_settings(scene.pblur))
    except (pblur.Error, TypeError) as error:
        note("nothing will be written: %s" % error)
        return
    _session.output = scene.pblur.output
    _session.first_written = scene.frame_start + _lead_in(scene)


@persistent
def on_render_write(scene, *_):
    """After each frame of an animation is written: blur it and write it."""
    if _session.blur is None or _session.failed:
        return
    frame = scene.frame_current
    source = passes_file(frame)
    if not os.path.exists(source):
        _session.failed = True
        note("frame %d and later are not blurred: the passes were not written to %s "
             "(is the %r compositor node connected?)" % (frame, source, NODE_NAME))
        return
    lead_in = frame < _session.first_written
    target = frame_path(_session.output, frame)
    if lead_in:
        # Blurred only for the frames after it; the range before writes it.
        target = os.path.join(passes_folder(), "lead-in" + os.path.splitext(target)[1])
    try:
        _session.blur.frame_file(source, target, colour="Image", index="IndexOB",
                                 vector="Vector",
                                 depth="Depth" if scene.pblur.depth_test else None)
    except Exception as error:  # noqa: BLE001 - the render goes on whatever the blur says
        _session.failed = True
        note("frame %d and later are not blurred: %s" % (frame, error))
        return
    finally:
        _remove(source)
    if lead_in:
        _remove(target)
        print("pblur: frame %d blurred to lead in, not written" % frame)
        return
    _session.written.append(frame)
    print("pblur: frame %d written to %s" % (frame, target))


def _remove(path):
    try:
        os.remove(path)
    except OSError:
        pass


def _clean():
    folder = passes_folder()
    if os.path.isdir(folder):
        for name in os.listdir(folder):
            _remove(os.path.join(folder, name))


def _summary():
    w = _session.written
    where = os.path.dirname(frame_path(_session.output, w[0]))
    return "%d frame%s (%d to %d) written to %s" % (len(w), "" if len(w) == 1 else "s", w[0],
                                                   w[-1], where)


@persistent
def on_render_complete(scene, *_):
    _clean()
    if _session.blur is None or _session.failed:
        return
    if _session.written:
        note(_summary())
    else:
        note("nothing written: a still render is not blurred, as the blur needs the frame "
             "before; render an animation (Render > Render Animation)")


@persistent
def on_render_cancel(scene, *_):
    _clean()
    if _session.blur is None:
        return
    if _session.written:
        note("render cancelled: " + _summary())
    else:
        note("render cancelled before a frame was blurred: nothing written")


_HANDLERS = [
    (bpy.app.handlers.load_post, on_load),
    (bpy.app.handlers.render_init, on_render_init),
    (bpy.app.handlers.render_write, on_render_write),
    (bpy.app.handlers.render_complete, on_render_complete),
    (bpy.app.handlers.render_cancel, on_render_cancel),
]


def register():
    for handlers, handler in _HANDLERS:
        if handler not in handlers:
            handlers.append(handler)
    # Enabled after a file was opened: its frames are those of the shot.
    if isinstance(bpy.data, bpy.types.BlendData):
        on_load()


def unregister():
    for handlers, handler in _HANDLERS:
        if handler in handlers:
            handlers.remove(handler)

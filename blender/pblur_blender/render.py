"""The render side: a compositor File Output node (scene_setup.py) writes
the passes the blur needs per frame to a scratch folder; right after each
frame is written, the frame is blurred from there and written to the
scene's pblur output. The blur's state lives from the first frame of an
animation render to its end. A scene not set up is set up when the render
starts, and the user is told. A farm's range started a frame early leads
in without writing that frame (farm_range.py)."""
import os
import re

import bpy
from bpy.app.handlers import persistent

from . import farm_range, package, scene_setup
from .scene_setup import NODE_NAME, RENDERED_TYPES
from .settings import blur_settings, needs_depth


class _Session:
    """One render: the blur, the frames written, what went wrong."""

    def __init__(self):
        self.blur = None
        self.written = []
        self.failed = False
        self.output = ""
        self.set_up = ""  # what the render set up itself, told with its summary
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


def passes_file(frame):
    # A multilayer File Output node writes <base path><frame, 4 digits>.exr.
    return os.path.join(scene_setup.passes_folder(), "%04d.exr" % frame)


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
    try:
        _start(scene)
    except Exception as error:  # noqa: BLE001 - the render goes on whatever the blur says
        _session.blur = None
        note("nothing will be written: %s" % error)


def _start(scene):
    if not scene.pblur.enabled:
        if scene_setup.mute_passes_node(scene):
            note("pblur is off, so its %r compositor node was muted: no passes are written"
                 % NODE_NAME)
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
    try:
        changed = scene_setup.set_up(scene)
    except scene_setup.SetUpError as error:
        note("nothing will be written: %s" % error)
        return
    if changed:
        _session.set_up = ("Set Up Passes had not been run, so the render set up "
                           + ", ".join(changed))
        note(_session.set_up)
    scene_setup.point_node_at_passes_folder(scene)
    try:
        # Objects' settings are the streak look's.
        objects = _objects(pblur, scene) if scene.pblur.look == "STREAK" else None
        _session.blur = pblur.Blur(objects=objects, **blur_settings(scene.pblur))
    except (pblur.Error, TypeError) as error:
        note("nothing will be written: %s" % error)
        return
    _session.output = scene.pblur.output
    _session.first_written = scene.frame_start + farm_range.lead_in(scene)


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
        target = os.path.join(scene_setup.passes_folder(),
                              "lead-in" + os.path.splitext(target)[1])
    try:
        _session.blur.frame_file(source, target, colour="Image", index="IndexOB",
                                 vector="Vector",
                                 depth="Depth" if needs_depth(scene.pblur) else None)
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
    folder = scene_setup.passes_folder()
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
        note(_summary() + ("; " + _session.set_up if _session.set_up else ""))
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
    (bpy.app.handlers.render_init, on_render_init),
    (bpy.app.handlers.render_write, on_render_write),
    (bpy.app.handlers.render_complete, on_render_complete),
    (bpy.app.handlers.render_cancel, on_render_cancel),
]


def register():
    for handlers, handler in _HANDLERS:
        if handler not in handlers:
            handlers.append(handler)


def unregister():
    for handlers, handler in _HANDLERS:
        if handler in handlers:
            handlers.remove(handler)

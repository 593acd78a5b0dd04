"""Ranges of a shot rendered apart, as a farm renders them:
`blender -b file.blend -s A -e B -a`. A range that starts after the shot's
first frame (as the file was saved) and one frame early, at A - 1, blurs
that frame only to lead in and writes from A on: the frames the whole
render writes, bit for bit (with Trails N it leads in N + 2 frames, and
with trails or jitter the frames are statistically the same). The shutter
look blurs each frame alone and needs no lead-in."""
import sys

import bpy
from bpy.app.handlers import persistent

# Each scene's first frame as the file was opened, before a command line's
# -s changed it.
_shot_starts = {}


@persistent
def on_load(*_):
    _shot_starts.clear()
    for scene in bpy.data.scenes:
        _shot_starts[scene.name] = scene.frame_start


def lead_in(scene):
    """Frames the render blurs only to lead in: those the settings need
    before the first written frame, in a range that a farm started on the
    command line (-s) after the shot's first frame."""
    blender_args = sys.argv[:sys.argv.index("--")] if "--" in sys.argv else sys.argv
    start_given = any(arg in ("-s", "--frame-start") for arg in blender_args)
    shot_start = _shot_starts.get(scene.name, scene.frame_start)
    if not (bpy.app.background and start_given and shot_start < scene.frame_start):
        return 0
    if scene.pblur.look != "STREAK":
        return 0
    trails = scene.pblur.trails
    return trails + 2 if trails > 1 else 1


def register():
    if on_load not in bpy.app.handlers.load_post:
        bpy.app.handlers.load_post.append(on_load)
    # Enabled after a file was opened: its frames are those of the shot.
    if isinstance(bpy.data, bpy.types.BlendData):
        on_load()


def unregister():
    if on_load in bpy.app.handlers.load_post:
        bpy.app.handlers.load_post.remove(on_load)

"""The add-on's settings: the blur's under scene.pblur, each object's under
object.pblur. The blur's defaults are the module's, except the mode:
opt-out, so objects are blurred unless their settings say otherwise."""
import bpy
from bpy.props import (BoolProperty, EnumProperty, FloatProperty, IntProperty,
                       PointerProperty, StringProperty)


class PblurSceneSettings(bpy.types.PropertyGroup):
    enabled: BoolProperty(
        name="Blur Animation Renders", default=False,
        description="Write each frame's blurred picture to Output as an animation renders")
    output: StringProperty(
        name="Output", subtype="FILE_PATH", default="//blurred/####.png",
        description="Where the blurred frames go: #### is the frame number; the extension "
                    "sets the format (.png, .tif, .exr, ...)")
    look: EnumProperty(
        name="Look", default="STREAK",
        items=[("STREAK", "Streak", "The plug-in's own fading streaks behind moving objects"),
               ("SHUTTER", "Shutter", "What a camera's open shutter records, as Cycles' own "
                                      "motion blur does (renders the Z pass)")])
    shutter: FloatProperty(
        name="Shutter", default=0.5, min=0.01, max=1.0,
        description="The fraction of the frame interval the shutter is open, centred on the "
                    "frame (the Shutter look)")
    mode: EnumProperty(
        name="Mode", default="OPT_OUT",
        items=[("OPT_OUT", "Opt-out", "Blur every object but those set to Off"),
               ("OPT_IN", "Opt-in", "Blur only the objects set to On"),
               ("ALL", "All", "Blur every object, whatever its settings"),
               ("NONE", "None", "Blur nothing")])
    streak_length: FloatProperty(
        name="Streak Length", default=5.0, min=0.0, soft_max=50.0,
        description="Streak length in tenths of each pixel's motion")
    strength: FloatProperty(
        name="Strength", default=5.0, min=0.0, soft_max=20.0,
        description="How strongly the streaks cover the image")
    echoes: IntProperty(
        name="Echoes", default=1, min=1, max=64, description="Echoes per streak")
    jitter: BoolProperty(
        name="Jitter", default=False, description="Random step lengths along the streaks")
    depth_test: BoolProperty(
        name="Depth Test", default=False,
        description="Nearer objects hide the streaks behind them (renders the Z pass)")
    secondary: BoolProperty(
        name="Soft Edges", default=True,
        description="The secondary streak layer: a soft glow at the streaks' edges")
    reverse_length: FloatProperty(
        name="Reverse Length", default=1.0, min=0.0, soft_max=20.0,
        description="Length in tenths of the short streak ahead of objects set to Reverse")
    trails: IntProperty(
        name="Trails", default=0, min=0, max=255,
        description="Keep the streaks and fade them over this many frames; 0 is off")


class PblurObjectSettings(bpy.types.PropertyGroup):
    blur: EnumProperty(
        name="Blur", default="DEFAULT",
        items=[("DEFAULT", "Default", "As the mode says: blurred in opt-out, not in opt-in"),
               ("ON", "On", "Blurred"),
               ("OFF", "Off", "Left as rendered")])
    reverse: BoolProperty(
        name="Reverse Streak", default=False,
        description="A short streak ahead of the object as well")
    group: StringProperty(
        name="Group", default="",
        description="Objects with the same group name are one occlusion group: with the depth "
                    "test, their streaks are not hidden by each other")


CLASSES = [PblurSceneSettings, PblurObjectSettings]


def attach():
    bpy.types.Scene.pblur = PointerProperty(type=PblurSceneSettings)
    bpy.types.Object.pblur = PointerProperty(type=PblurObjectSettings)


def detach():
    del bpy.types.Object.pblur
    del bpy.types.Scene.pblur


def needs_depth(s):
    """Whether the blur reads the Z pass: the depth test, or the shutter look."""
    return s.depth_test or s.look == "SHUTTER"


def blur_settings(s):
    """The pblur.Blur settings of the scene's settings: the chosen look's."""
    if s.look == "SHUTTER":
        return {"look": "shutter", "shutter": float(s.shutter)}
    return {
        "mode": s.mode.lower().replace("_", "-"),
        "streak_length": float(s.streak_length),
        "strength": float(s.strength),
        "echoes": int(s.echoes),
        "jitter": bool(s.jitter),
        "depth_test": bool(s.depth_test),
        "no_secondary": not s.secondary,
        "reverse_length": float(s.reverse_length),
        "trails": int(s.trails),
    }

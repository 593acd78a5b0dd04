"""The add-on's operators."""
import bpy

from . import scene_setup


class PBLUR_OT_set_up_passes(bpy.types.Operator):
    """Switch on the passes the blur needs, give each object without an
    object index one, switch compositing on and add the compositor node that
    writes the passes"""
    bl_idname = "pblur.set_up_passes"
    bl_label = "Set Up Passes"
    bl_options = {"REGISTER", "UNDO"}

    @classmethod
    def poll(cls, context):
        return context.scene is not None

    def execute(self, context):
        try:
            changed = scene_setup.set_up(context.scene)
        except scene_setup.SetUpError as error:
            self.report({"ERROR"}, "pblur: cannot set up: %s" % error)
            return {"CANCELLED"}
        if not changed:
            self.report({"INFO"}, "pblur: the scene was set up already")
            return {"CANCELLED"}
        self.report({"INFO"}, "pblur: set up " + ", ".join(changed))
        return {"FINISHED"}


CLASSES = [PBLUR_OT_set_up_passes]

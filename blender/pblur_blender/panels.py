"""The add-on's panels: the blur's settings in the Output properties, an
object's in the Object properties."""
import bpy

from . import package, render, scene_setup


class PblurPanel:
    """What both panels share: a closed panel of the Properties editor."""
    bl_label = "pblur Motion Blur"
    bl_space_type = "PROPERTIES"
    bl_region_type = "WINDOW"
    bl_options = {"DEFAULT_CLOSED"}


class PBLUR_PT_output(PblurPanel, bpy.types.Panel):
    bl_context = "output"

    def draw_header(self, context):
        self.layout.prop(context.scene.pblur, "enabled", text="")

    def draw(self, context):
        layout = self.layout
        s = context.scene.pblur
        if package.load() is None:
            box = layout.box()
            box.alert = True
            box.label(text="The pblur package is not installed:", icon="ERROR")
            box.label(text=package.problem() or "")
            box.label(text="Install it with: " + package.INSTALL_COMMAND)
        layout.use_property_split = True
        layout.active = s.enabled
        missing = scene_setup.missing(context.scene)
        col = layout.column()
        col.operator("pblur.set_up_passes", icon="NODE_COMPOSITING" if missing else "CHECKMARK")
        if missing and s.enabled:
            col.alert = True
            col.label(text="Not set up yet; a render will set up:", icon="ERROR")
            for what in missing:
                col.label(text=what)
        layout.prop(s, "output")
        layout.prop(s, "look")
        if s.look == "SHUTTER":
            layout.prop(s, "shutter")
        else:
            layout.prop(s, "mode")
            col = layout.column(align=True)
            col.prop(s, "streak_length")
            col.prop(s, "strength")
            col.prop(s, "echoes")
            col.prop(s, "reverse_length")
            col.prop(s, "trails")
            col = layout.column()
            col.prop(s, "depth_test")
            col.prop(s, "secondary")
            col.prop(s, "jitter")
        if context.scene.render.engine != "CYCLES":
            layout.label(text="Needs Cycles (the object index pass)", icon="ERROR")
        if render.last_message:
            layout.label(text=render.last_message, icon="INFO")


class PBLUR_PT_object(PblurPanel, bpy.types.Panel):
    bl_context = "object"

    @classmethod
    def poll(cls, context):
        return (context.object is not None
                and context.object.type in scene_setup.RENDERED_TYPES)

    def draw(self, context):
        layout = self.layout
        layout.use_property_split = True
        ob = context.object
        layout.prop(ob.pblur, "blur", expand=True)
        layout.prop(ob.pblur, "reverse")
        layout.prop(ob.pblur, "group")
        layout.prop(ob, "pass_index", text="Object Index")
        if ob.pass_index == 0:
            layout.label(text="Set Up Passes gives it an index", icon="INFO")


CLASSES = [PBLUR_PT_output, PBLUR_PT_object]

"""Blurs each frame of an animation as Blender renders it, with the
QXVpblur module through the pblur Python package: per-object settings in
the Object properties, the blur's settings in the Output properties.

The version is not written here: the build writes the project's into the
add-on it builds (blender/CMakeLists.txt), below, and into its
blender_manifest.toml for Blender 4.2 and later. Blender lists an add-on
without importing it, reading from the first line that starts with the
name of the dictionary below to the next empty line."""

bl_info = {
    "name": "pblur motion blur",
    "description": "Motion trails behind moving objects, written as each frame renders",
    "blender": (3, 4, 0),
    "location": "Properties > Output > pblur; Properties > Object > pblur",
    "category": "Render",
}

from . import farm_range, operators, package, panels, render, settings  # noqa: E402

_classes = settings.CLASSES + operators.CLASSES + panels.CLASSES


def register():
    import bpy

    package.forget()
    for cls in _classes:
        bpy.utils.register_class(cls)
    settings.attach()
    render.register()
    farm_range.register()


def unregister():
    import bpy

    farm_range.unregister()
    render.unregister()
    settings.detach()
    for cls in reversed(_classes):
        bpy.utils.unregister_class(cls)

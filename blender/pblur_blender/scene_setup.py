"""Setting a scene up for the blur: the object index and vector passes (and
Z for the depth test), an object index for every rendered object,
compositing, and the compositor's File Output node that writes each frame's
passes. The Set Up Passes operator does it, with undo; a render does it
only where it was not done, and says so."""
import os
import tempfile

from .settings import needs_depth

NODE_NAME = "pblur passes"
RENDERED_TYPES = {"MESH", "CURVE", "SURFACE", "META", "FONT", "CURVES", "POINTCLOUD", "VOLUME",
                  "GPENCIL"}


class SetUpError(Exception):
    """The scene cannot be set up (it renders no view layer)."""


def passes_folder():
    """Where this Blender's renders have the node write the passes: a
    scratch folder of its own, so that two Blenders rendering one file
    (farm chunks on one machine) never share one."""
    return os.path.join(tempfile.gettempdir(), "pblur_passes_%d" % os.getpid())


def point_node_at_passes_folder(scene):
    node = scene.node_tree.nodes.get(NODE_NAME) if scene.node_tree else None
    if node is not None:
        _set(node, "base_path", passes_folder() + os.sep)


def view_layer(scene):
    for layer in scene.view_layers:
        if layer.use:
            return layer
    return None


def _set(owner, name, value):
    # Written only when it differs: in the interface the render's own
    # thread calls the handlers, and an unchanged scene is safest there.
    if getattr(owner, name) != value:
        setattr(owner, name, value)


def _unindexed(scene):
    return [ob for ob in scene.objects if ob.type in RENDERED_TYPES and ob.pass_index == 0]


def _assign_indexes(scene, layer):
    """Object indexes where the user set none, so every object is told
    apart; indexes already set are kept."""
    next_index = max({ob.pass_index for ob in scene.objects} | {0}) + 1
    for ob in _unindexed(scene):
        ob.pass_index = next_index
        next_index += 1


def _wanted_slots(scene):
    return ["Image", "IndexOB", "Vector"] + (["Depth"] if needs_depth(scene.pblur) else [])


def _source(scene, layer):
    tree = scene.node_tree
    if tree is None:
        return None
    return next((n for n in tree.nodes if n.type == "R_LAYERS" and n.layer == layer.name), None)


def _node_ready(scene, layer):
    node = scene.node_tree.nodes.get(NODE_NAME) if scene.node_tree else None
    source = _source(scene, layer)
    return (node is not None and source is not None and not node.mute
            and node.format.file_format == "OPEN_EXR_MULTILAYER"
            and node.format.color_depth == "32" and node.format.exr_codec == "NONE"
            and [slot.name for slot in node.layer_slots] == _wanted_slots(scene)
            and all(node.inputs[name].is_linked for name in _wanted_slots(scene)))


def _passes_node(scene, layer):
    _set(scene, "use_nodes", True)
    tree = scene.node_tree
    source = _source(scene, layer)
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
    wanted = _wanted_slots(scene)
    if [slot.name for slot in node.layer_slots] != wanted:
        node.layer_slots.clear()
        for name in wanted:
            node.layer_slots.new(name)
    for name in wanted:
        if name in source.outputs and not node.inputs[name].is_linked:
            tree.links.new(source.outputs[name], node.inputs[name])
    point_node_at_passes_folder(scene)


# Each part of the set-up: what the user is told, whether it is in place,
# and how it is done, in the order it is done.
_STEPS = [
    ("the Object Index pass", lambda scene, layer: layer.use_pass_object_index,
     lambda scene, layer: _set(layer, "use_pass_object_index", True)),
    ("the Vector pass", lambda scene, layer: layer.use_pass_vector,
     lambda scene, layer: _set(layer, "use_pass_vector", True)),
    ("the Z pass (for the depth test)",
     lambda scene, layer: layer.use_pass_z or not needs_depth(scene.pblur),
     lambda scene, layer: _set(layer, "use_pass_z", True)),
    ("an object index for each object without one", lambda scene, layer: not _unindexed(scene),
     _assign_indexes),
    ("compositing", lambda scene, layer: scene.use_nodes and scene.render.use_compositing,
     lambda scene, layer: (_set(scene, "use_nodes", True),
                           _set(scene.render, "use_compositing", True))),
    ("the %r compositor node writing the passes" % NODE_NAME, _node_ready, _passes_node),
]


def missing(scene):
    """What the blur needs that the scene does not have yet, as the user is
    told it."""
    layer = view_layer(scene)
    if layer is None:
        return ["a rendered view layer"]
    return [what for what, done, _ in _STEPS if not done(scene, layer)]


def set_up(scene):
    """Sets up what is missing and returns what was; SetUpError when the
    scene cannot be set up."""
    layer = view_layer(scene)
    if layer is None:
        raise SetUpError("no view layer is rendered")
    changed = []
    for what, done, do in _STEPS:
        if not done(scene, layer):
            do(scene, layer)
            changed.append(what)
    return changed


def mute_passes_node(scene):
    """Mutes the passes node, so that a render without the blur writes no
    passes; True when it was playing."""
    node = scene.node_tree.nodes.get(NODE_NAME) if scene.node_tree else None
    if node is None or node.mute:
        return False
    node.mute = True
    return True

# Builds a small level in Blender the way a designer would, and exports it
# with the exporter's default options. Run headless:
#
#     blender -b --factory-startup -P tools/blender/make_test_level.py -- OUT.dae TEXTURES_DIR \
#         [OUT.glb OUT.gltf]
#
# TEXTURES_DIR is the game's res/assets/textures. Blender copies the images
# it exports beside OUT.dae. The result is committed under tests/data/ so that
# no test needs Blender.
#
# With OUT.glb and OUT.gltf the same level is also exported as glTF 2.0 (the
# exporter needs Debian's python3-numpy): OUT.glb with Blender's default
# options plus Include > Cameras and Punctual Lights, its images inside;
# OUT.gltf without cameras (Blender's default), where an Empty named
# "Camera.start" marks the start instead, with its .bin and images beside it.
#
# What a designer does here (Blender's own axes, Z up):
# - a camera named "Camera" looking along +Y, where the ship starts;
# - three rings ring_0..ring_2 along +Y, each a torus with a cylinder child as
#   its trigger; ring_1 was scaled up and then had "Apply scale" run on it, so
#   its scale sits in the child's matrix, and it is off the straight line by
#   less than its scaled opening;
# - a flat-shaded ico sphere asteroid (Blender's default shading) with a copy
#   of itself as its collision child;
# - a trash can on the flight line, with a cylinder child;
# - a sun with Emission, and one point lamp of 5 W;
# - Principled BSDF materials with an Image Texture on Base Color, and a Normal
#   Map node on the rock (the exporter drops it).
import math
import os
import sys

import bpy

args = sys.argv[sys.argv.index("--") + 1:]
out_path = os.path.abspath(args[0])
textures = os.path.abspath(args[1])

bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene


def image_material(name, texture, normal=None, emission=None, strength=0.0):
    material = bpy.data.materials.new(name)
    material.use_nodes = True
    nodes = material.node_tree.nodes
    links = material.node_tree.links
    shader = nodes["Principled BSDF"]
    image = nodes.new("ShaderNodeTexImage")
    image.image = bpy.data.images.load(os.path.join(textures, texture))
    links.new(image.outputs["Color"], shader.inputs["Base Color"])
    if normal:
        normal_image = nodes.new("ShaderNodeTexImage")
        normal_image.image = bpy.data.images.load(os.path.join(textures, normal))
        normal_image.image.colorspace_settings.name = "Non-Color"
        normal_map = nodes.new("ShaderNodeNormalMap")
        links.new(normal_image.outputs["Color"], normal_map.inputs["Color"])
        links.new(normal_map.outputs["Normal"], shader.inputs["Normal"])
    if emission:
        shader.inputs["Emission"].default_value = (*emission, 1.0)
        shader.inputs["Emission Strength"].default_value = strength
    return material


def select_only(obj):
    bpy.ops.object.select_all(action="DESELECT")
    obj.select_set(True)
    bpy.context.view_layer.objects.active = obj


def add_child(parent, name, make):
    """A collision child: made at the parent's place, then parented keeping
    its world transform (Ctrl+P, Object), as a designer does."""
    make()
    child = bpy.context.active_object
    child.name = name
    child.data.name = name
    child.parent = parent
    child.matrix_parent_inverse = parent.matrix_world.inverted()
    return child


rock = image_material("rock", "rock_diffuse.png", normal="rock_normal.png")
ring_material = image_material("ring", "ring_diffuse.png")
can_material = image_material("tcan", "tcan_diffuse.png")
sun_material = image_material("sun", "sun_diffuse.png", emission=(1.0, 0.75, 0.4), strength=4.0)

# Camera: where the ship starts, looking along +Y.
camera = bpy.data.objects.new("Camera", bpy.data.cameras.new("Camera"))
scene.collection.objects.link(camera)
camera.rotation_euler = (math.radians(90), 0.0, 0.0)
scene.camera = camera

# Rings: a torus standing across the flight line, its trigger a flat cylinder
# filling the opening.
# ring_1 sits 11 m above the straight line from the camera: only its scaled
# opening (13.6 m) reaches down to the line, its unscaled one (8.5 m) does not.
for number, (y, z, scale) in enumerate([(40.0, 0.0, 1.0), (80.0, 11.0, 1.6), (120.0, 0.0, 1.0)]):
    location = (0.0, y, z)
    rotation = (math.radians(90), 0.0, 0.0)
    bpy.ops.mesh.primitive_torus_add(major_radius=9.6, minor_radius=1.1, major_segments=32,
                                     minor_segments=8, location=location, rotation=rotation)
    ring = bpy.context.active_object
    ring.name = ring.data.name = "ring_%d" % number
    ring.data.materials.append(ring_material)
    bpy.ops.object.shade_smooth()
    trigger = add_child(ring, "opening_%d" % number,
                        lambda: bpy.ops.mesh.primitive_cylinder_add(
                            radius=8.5, depth=1.2, vertices=24, location=location,
                            rotation=rotation))
    trigger.data.materials.append(ring_material)
    if scale != 1.0:
        ring.scale = (scale, scale, scale)
        select_only(ring)
        bpy.ops.object.transform_apply(location=False, rotation=False, scale=True)

# An asteroid beside the line, flat-shaded as Blender makes it.
bpy.ops.mesh.primitive_ico_sphere_add(subdivisions=2, radius=6.0, location=(30.0, 60.0, 5.0))
roid = bpy.context.active_object
roid.name = roid.data.name = "roid_0"
roid.data.materials.append(rock)
hull = add_child(roid, "hull_0", lambda: bpy.ops.mesh.primitive_ico_sphere_add(
    subdivisions=2, radius=6.0, location=(30.0, 60.0, 5.0)))
hull.data.materials.append(rock)

# A trash can on the flight line between the first two rings.
bpy.ops.mesh.primitive_cylinder_add(radius=1.0, depth=2.8, vertices=16, location=(0.0, 60.0, 0.0))
can = bpy.context.active_object
can.name = can.data.name = "tcan_0"
can.data.materials.append(can_material)
can_hull = add_child(can, "canhull_0", lambda: bpy.ops.mesh.primitive_cylinder_add(
    radius=1.05, depth=2.9, vertices=12, location=(0.0, 60.0, 0.0)))
can_hull.data.materials.append(can_material)

# The sun, far off the track, glowing by its Emission.
bpy.ops.mesh.primitive_uv_sphere_add(segments=24, ring_count=12, radius=40.0,
                                     location=(300.0, 600.0, 150.0))
sun = bpy.context.active_object
sun.name = sun.data.name = "sun"
sun.data.materials.append(sun_material)
bpy.ops.object.shade_smooth()
sun_hull = add_child(sun, "sunhull", lambda: bpy.ops.mesh.primitive_uv_sphere_add(
    segments=24, ring_count=12, radius=40.0, location=(300.0, 600.0, 150.0)))
sun_hull.data.materials.append(sun_material)

# One lamp of 1.5 W near the track (the game reads watts as brightness).
lamp_data = bpy.data.lights.new("Lamp", type="POINT")
lamp_data.energy = 1.5
lamp = bpy.data.objects.new("Lamp", lamp_data)
lamp.location = (10.0, 60.0, 20.0)
scene.collection.objects.link(lamp)

os.makedirs(os.path.dirname(out_path), exist_ok=True)
bpy.ops.wm.collada_export(filepath=out_path)
print("exported", out_path)

if len(args) >= 4:
    glb_path, gltf_path = (os.path.abspath(a) for a in args[2:4])
    for path in (glb_path, gltf_path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
    bpy.ops.export_scene.gltf(filepath=glb_path, export_format="GLB", export_cameras=True,
                              export_lights=True)
    print("exported", glb_path)
    # Without Include > Cameras the camera is left out: an Empty marks the
    # start, turned as the camera was.
    start = bpy.data.objects.new("Camera.start", None)
    start.location = camera.location
    start.rotation_euler = camera.rotation_euler
    scene.collection.objects.link(start)
    bpy.data.objects.remove(camera)
    bpy.ops.export_scene.gltf(filepath=gltf_path, export_format="GLTF_SEPARATE",
                              export_lights=True)
    print("exported", gltf_path)

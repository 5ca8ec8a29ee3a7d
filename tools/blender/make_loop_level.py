# Builds an eight-ring level in Blender as a designer would, with one ring
# turned well away from the line into it (players come round for it), and
# exports it three ways: COLLADA, glTF Binary and glTF Separate, each with
# the exporter's default options plus Include > Cameras and Punctual Lights
# for glTF. Run headless:
#
#     blender -b --factory-startup -P tools/blender/make_loop_level.py -- OUT_DIR
#
# It writes OUT_DIR/loop.dae, loop.glb and loop.gltf (+ loop.bin). The result
# is committed under tests/data/ so that no test needs Blender. Plain colours
# only, no images, to keep the files small.
import math
import os
import sys

import bpy

args = sys.argv[sys.argv.index("--") + 1:]
out_dir = os.path.abspath(args[0])

bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene


def colour_material(name, colour):
    material = bpy.data.materials.new(name)
    material.use_nodes = True
    material.node_tree.nodes["Principled BSDF"].inputs["Base Color"].default_value = (*colour, 1.0)
    return material


def add_child(parent, name, make):
    """A collision child made at the parent's place, then parented keeping
    its world transform (Ctrl+P, Object)."""
    make()
    child = bpy.context.active_object
    child.name = name
    child.data.name = name
    child.parent = parent
    child.matrix_parent_inverse = parent.matrix_world.inverted()
    return child


ring_material = colour_material("ring", (0.8, 0.6, 0.2))
rock_material = colour_material("rock", (0.4, 0.38, 0.35))

camera = bpy.data.objects.new("Camera", bpy.data.cameras.new("Camera"))
scene.collection.objects.link(camera)
camera.rotation_euler = (math.radians(90), 0.0, 0.0)
scene.camera = camera

# (x, y, z, heading in degrees about Z): a gentle S, then ring_5 turned 80
# degrees from the line into it, 71 m after ring_4.
RINGS = [
    (0.0, 90.0, 0.0, 0.0),
    (12.0, 190.0, 4.0, -10.0),
    (35.0, 290.0, 6.0, -15.0),
    (45.0, 390.0, 2.0, 0.0),
    (30.0, 490.0, -4.0, 12.0),
    (40.0, 560.0, -4.0, 80.0),
    (-20.0, 690.0, 0.0, 15.0),
    (-30.0, 800.0, 5.0, 0.0),
]
for number, (x, y, z, heading) in enumerate(RINGS):
    location = (x, y, z)
    rotation = (math.radians(90), 0.0, math.radians(heading))
    bpy.ops.mesh.primitive_torus_add(major_radius=9.6, minor_radius=1.1, major_segments=24,
                                     minor_segments=6, location=location, rotation=rotation)
    ring = bpy.context.active_object
    ring.name = ring.data.name = "ring_%d" % number
    ring.data.materials.append(ring_material)
    trigger = add_child(ring, "opening_%d" % number,
                        lambda: bpy.ops.mesh.primitive_cylinder_add(
                            radius=8.5, depth=1.2, vertices=16, location=location,
                            rotation=rotation))
    trigger.data.materials.append(ring_material)

# Rocks beside the way, none on it.
for number, (x, y, z, radius) in enumerate([(-25.0, 140.0, 0.0, 7.0), (70.0, 340.0, 10.0, 9.0),
                                            (5.0, 440.0, -20.0, 6.0), (-45.0, 620.0, 10.0, 8.0)]):
    location = (x, y, z)
    bpy.ops.mesh.primitive_ico_sphere_add(subdivisions=1, radius=radius, location=location)
    roid = bpy.context.active_object
    roid.name = roid.data.name = "roid_%d" % number
    roid.data.materials.append(rock_material)
    hull = add_child(roid, "hull_%d" % number, lambda: bpy.ops.mesh.primitive_ico_sphere_add(
        subdivisions=1, radius=radius, location=location))
    hull.data.materials.append(rock_material)

lamp_data = bpy.data.lights.new("Lamp", type="POINT")
lamp_data.energy = 1.0
lamp = bpy.data.objects.new("Lamp", lamp_data)
lamp.location = (0.0, 400.0, 60.0)
scene.collection.objects.link(lamp)

os.makedirs(out_dir, exist_ok=True)
bpy.ops.wm.collada_export(filepath=os.path.join(out_dir, "loop.dae"))
bpy.ops.export_scene.gltf(filepath=os.path.join(out_dir, "loop.glb"), export_format="GLB",
                          export_cameras=True, export_lights=True)
bpy.ops.export_scene.gltf(filepath=os.path.join(out_dir, "loop.gltf"),
                          export_format="GLTF_SEPARATE", export_cameras=True, export_lights=True)
print("exported", out_dir)

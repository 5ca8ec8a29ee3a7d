# Small glTF 2.0 levels made in Blender, as seeds for the glTF level fuzz
# target: a camera, two rings with their openings, an asteroid, a trash can,
# a point lamp, a spot light, an emissive material of strength 3 and an 8x8
# image. Run headless (the exporter needs Debian's python3-numpy):
#
#     blender -b --factory-startup -P tools/blender/make_gltf_seeds.py -- OUT_DIR
#
# OUT_DIR gets seed.glb (images inside) and seed-embedded.gltf (buffers and
# images as data URIs).
import math
import os
import sys

import bpy

out_dir = os.path.abspath(sys.argv[sys.argv.index("--") + 1])
os.makedirs(out_dir, exist_ok=True)
bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene

image = bpy.data.images.new("speckle", width=8, height=8)
image.pixels = [((x ^ y) & 1) * 0.8 + 0.1 if c < 3 else 1.0
                for y in range(8) for x in range(8) for c in range(4)]
image.filepath_raw = os.path.join(out_dir, "speckle.png")
image.file_format = "PNG"
image.save()

material = bpy.data.materials.new("glowing")
material.use_nodes = True
shader = material.node_tree.nodes["Principled BSDF"]
texture = material.node_tree.nodes.new("ShaderNodeTexImage")
texture.image = image
material.node_tree.links.new(texture.outputs["Color"], shader.inputs["Base Color"])
shader.inputs["Emission"].default_value = (1.0, 0.5, 0.2, 1.0)
shader.inputs["Emission Strength"].default_value = 3.0


def with_child(name, make_parent, make_child):
    make_parent()
    parent = bpy.context.active_object
    parent.name = parent.data.name = name
    parent.data.materials.append(material)
    make_child()
    child = bpy.context.active_object
    child.name = child.data.name = name + "_hull"
    child.parent = parent
    child.matrix_parent_inverse = parent.matrix_world.inverted()


camera = bpy.data.objects.new("Camera", bpy.data.cameras.new("Camera"))
camera.rotation_euler = (math.radians(90), 0.0, 0.0)
scene.collection.objects.link(camera)
for number in range(2):
    at = (0.0, 40.0 * (number + 1), 0.0)
    turn = (math.radians(90), 0.0, 0.0)
    with_child("ring_%d" % number,
               lambda: bpy.ops.mesh.primitive_torus_add(major_radius=9.6, minor_radius=1.1,
                                                        major_segments=8, minor_segments=4,
                                                        location=at, rotation=turn),
               lambda: bpy.ops.mesh.primitive_cylinder_add(radius=8.5, depth=1.2, vertices=6,
                                                           location=at, rotation=turn))
with_child("roid_0", lambda: bpy.ops.mesh.primitive_ico_sphere_add(subdivisions=1, radius=4.0,
                                                                    location=(20.0, 50.0, 0.0)),
           lambda: bpy.ops.mesh.primitive_ico_sphere_add(subdivisions=1, radius=4.0,
                                                         location=(20.0, 50.0, 0.0)))
with_child("tcan_0", lambda: bpy.ops.mesh.primitive_cube_add(size=2.0, location=(0.0, 60.0, 5.0)),
           lambda: bpy.ops.mesh.primitive_cube_add(size=2.0, location=(0.0, 60.0, 5.0)))
for name, kind, energy in (("Lamp", "POINT", 10.0), ("Lamp.spot", "SPOT", 100.0)):
    lamp = bpy.data.objects.new(name, bpy.data.lights.new(name, type=kind))
    lamp.data.energy = energy
    lamp.location = (10.0, 60.0, 20.0)
    scene.collection.objects.link(lamp)

bpy.ops.export_scene.gltf(filepath=os.path.join(out_dir, "seed.glb"), export_format="GLB",
                          export_cameras=True, export_lights=True)
bpy.ops.export_scene.gltf(filepath=os.path.join(out_dir, "seed-embedded.gltf"),
                          export_format="GLTF_EMBEDDED", export_cameras=True, export_lights=True)
os.remove(image.filepath_raw)

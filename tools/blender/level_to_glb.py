# A designer's move of a COLLADA level to glTF 2.0: import the .dae in
# Blender, find its images in the game's texture folder where Blender's
# importer does not, and export a .glb with Include > Cameras and Punctual
# Lights ticked (the exporter needs Debian's python3-numpy). Run headless:
#
#     blender -b --factory-startup -P tools/blender/level_to_glb.py -- IN.dae TEXTURES_DIR OUT.glb
import os
import sys

import bpy

args = sys.argv[sys.argv.index("--") + 1:]
in_path, textures, out_path = (os.path.abspath(a) for a in args[:3])

bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.wm.collada_import(filepath=in_path)

found = 0
for image in bpy.data.images:
    if os.path.isfile(bpy.path.abspath(image.filepath)):
        continue
    candidate = os.path.join(textures, os.path.basename(bpy.path.abspath(image.filepath)))
    if os.path.isfile(candidate):
        image.filepath = candidate
        image.reload()
        found += 1
print("images taken from the texture folder: %d of %d" % (found, len(bpy.data.images)))

os.makedirs(os.path.dirname(out_path), exist_ok=True)
bpy.ops.export_scene.gltf(filepath=out_path, export_format="GLB", export_cameras=True,
                          export_lights=True)
print("exported", out_path)

# A designer's round trip of a level through Blender: import the .dae, move
# one asteroid by 30 m, export with the default options. Run headless:
#
#     blender -b --factory-startup -P tools/blender/round_trip.py -- IN.dae OUT.dae
#
# Blender copies the images it exports beside OUT.dae.
import os
import sys

import bpy

args = sys.argv[sys.argv.index("--") + 1:]
in_path, out_path = (os.path.abspath(a) for a in args[:2])

bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.wm.collada_import(filepath=in_path)

missing = [image.name for image in bpy.data.images if not image.has_data and not image.packed_file
           and not os.path.isfile(bpy.path.abspath(image.filepath))]
print("images found by Blender: %d of %d" % (len(bpy.data.images) - len(missing),
                                             len(bpy.data.images)))
for name in missing:
    print("image not found:", name)

asteroid = next(obj for obj in bpy.data.objects if "roid" in obj.name and obj.parent is None)
asteroid.location.x += 30.0
print("moved", asteroid.name, "to", tuple(asteroid.location))

os.makedirs(os.path.dirname(out_path), exist_ok=True)
bpy.ops.wm.collada_export(filepath=out_path)
print("exported", out_path)

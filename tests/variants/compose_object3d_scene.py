"""Composes the 3D objects test scene with the files it names that are made
here: an alpha-cut butterfly wing picture (wing_cut.png), a leaf picture
(leaf.png) and a leaf mesh in text .x form with texture coordinates
(leaf.x, a decimal point in every float). They and the slide pictures are
put in a temporary folder that is removed after composing, so a saver
playing the document can only use the copies embedded in it.

    compose_object3d_scene.py WINE_RUN COMPOSER SCENE PICTURE_FOLDER FX_FOLDER LIBRARY_FOLDER OUTPUT
"""
import math
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "scenepics"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
sys.path.insert(0, HERE)
import imagefiles  # noqa: E402
import make_common_res  # noqa: E402
from compose_picture_scene import compose_with_made_files, words_of  # noqa: E402

SIZE = 128


def wing_cut():
    """A bright orange wing with a dark rim and two eye spots, fully opaque
    inside its outline and fully transparent outside (no partial alpha).
    The wing mesh maps u along the wing (hinge at 0) and v across it."""
    rows = []
    for j in range(SIZE):
        row = bytearray()
        for i in range(SIZE):
            u, v = (i + 0.5) / SIZE, (j + 0.5) / SIZE - 0.5
            inside = u < 0.95 and abs(v) < 0.45 * math.sqrt(max(0.0, 1 - (u - 0.5) ** 2 / 0.3))
            if not inside:
                row += bytes(4)
                continue
            edge = u > 0.85 or abs(v) > 0.38 * math.sqrt(max(0.0, 1 - (u - 0.5) ** 2 / 0.3))
            spot = (u - 0.6) ** 2 + (abs(v) - 0.15) ** 2 < 0.006
            colour = (30, 20, 20) if edge else (40, 60, 200) if spot else (250, 140, 20)
            row += bytes(colour + (255,))
        rows.append(bytes(row))
    return imagefiles.png_rgba(SIZE, SIZE, rows)


def leaf_picture():
    """A green leaf filling the picture's ellipse, a lighter vein down the
    middle, transparent outside."""
    rows = []
    for j in range(SIZE):
        row = bytearray()
        for i in range(SIZE):
            x, y = (i + 0.5) / SIZE * 2 - 1, (j + 0.5) / SIZE * 2 - 1
            if x * x + y * y > 1.0:
                row += bytes(4)
                continue
            colour = (150, 200, 60) if abs(x) < 0.04 else (60, 140 + int(40 * y), 30)
            row += bytes(colour + (255,))
        rows.append(bytes(row))
    return imagefiles.png_rgba(SIZE, SIZE, rows)


def leaf_mesh():
    """A slightly curled leaf in the x-y plane, 20 units long and 12 wide,
    as a fan round its centre; u and v follow x and y over the picture."""
    steps = 16
    verts, uvs = [(0.0, 0.0, 0.0)], [(0.5, 0.5)]
    for k in range(steps):
        a = 2 * math.pi * k / steps
        x, y = 6.0 * math.cos(a), 10.0 * math.sin(a)
        verts.append((x, y, 0.05 * x * x))
        uvs.append((0.5 + x / 12.0, 0.5 + y / 20.0))
    faces = [(0, 1 + k, 1 + (k + 1) % steps) for k in range(steps)]
    # Written as the library's meshes are.
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "leaf.x")
        make_common_res.write_x(path, verts, faces, uvs)
        with open(path, "rb") as f:
            return f.read()


MADE = {"wing_cut.png": wing_cut, "leaf.png": leaf_picture, "leaf.x": leaf_mesh}


def main(wine_run, composer, scene, picture_folder, fx_folder, library_folder, output):
    def make_files(folder):
        for name in words_of(scene, "wing-picture") + words_of(scene, "mesh") + words_of(scene, "texture"):
            if name not in MADE:
                sys.exit("%s: %s is not a file made here (%s)" % (scene, name, ", ".join(sorted(MADE))))
            with open(os.path.join(folder, name), "wb") as f:
                f.write(MADE[name]())
    compose_with_made_files(make_files, wine_run, composer, scene, picture_folder, fx_folder, library_folder, output,
                            prefix="objects3d-")


if __name__ == "__main__":
    if len(sys.argv) != 8:
        sys.exit(__doc__)
    main(*sys.argv[1:])

"""Composes a scene document whose masks and pattern pictures are made here
from their names:
  box-LEFT-TOP-RIGHT-BOTTOM.png   a 256 x 256 mask stretched over the
                                  1024 x 768 picture: opaque white inside the
                                  box (picture pixels), transparent outside
  pattern-RRGGBB.png              a 64 x 64 pattern: the colour in the top
                                  left and bottom right quarters, transparent
                                  in the others
The pictures and the slide pictures are put in a temporary folder that is
removed after composing, so a saver playing the document can only use the
copies embedded in it.

    compose_picture_scene.py WINE_RUN COMPOSER SCENE PICTURE_FOLDER FX_FOLDER LIBRARY_FOLDER OUTPUT
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "scenepics"))
import imagefiles  # noqa: E402

BOX = re.compile(r"box-(\d+)-(\d+)-(\d+)-(\d+)\.png$")
PATTERN = re.compile(r"pattern-([0-9A-Fa-f]{6})\.png$")
PICTURE_WIDTH, PICTURE_HEIGHT = 1024, 768
MASK_SIZE = 256
PATTERN_SIZE = 64


def words_of(scene, keyword):
    """Every word after the keyword in the scene's statements with it."""
    found = []
    with open(scene) as f:
        for line in f:
            words = line.split("#", 1)[0].split()
            if words and words[0] == keyword:
                found.extend(words[1:])
    return found


def box_mask(left, top, right, bottom):
    rows = []
    for j in range(MASK_SIZE):
        y = (j + 0.5) * PICTURE_HEIGHT / MASK_SIZE
        row = bytearray()
        for i in range(MASK_SIZE):
            x = (i + 0.5) * PICTURE_WIDTH / MASK_SIZE
            v = 255 if left <= x < right and top <= y < bottom else 0
            row += bytes((v, v, v, v))
        rows.append(bytes(row))
    return imagefiles.png_rgba(MASK_SIZE, MASK_SIZE, rows)


def pattern(color):
    r, g, b = int(color[0:2], 16), int(color[2:4], 16), int(color[4:6], 16)
    half = PATTERN_SIZE // 2
    rows = []
    for y in range(PATTERN_SIZE):
        row = bytearray()
        for x in range(PATTERN_SIZE):
            row += bytes((r, g, b, 255)) if (x < half) == (y < half) else bytes(4)
        rows.append(bytes(row))
    return imagefiles.png_rgba(PATTERN_SIZE, PATTERN_SIZE, rows)


def make_picture(folder, name):
    box, colour = BOX.match(name), PATTERN.match(name)
    if box:
        data = box_mask(*(int(v) for v in box.groups()))
    elif colour:
        data = pattern(colour.group(1))
    else:
        return False
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
    return True


def compose_with_made_files(make_files, wine_run, composer, scene, picture_folder, fx_folder, library_folder,
                            output, prefix="pictures-"):
    """Runs the composer over a temporary folder holding the scene's slide
    pictures and what make_files(folder) writes into it, then removes it."""
    folder = tempfile.mkdtemp(prefix=prefix, dir=os.path.dirname(os.path.abspath(output)))
    try:
        make_files(folder)
        for name in words_of(scene, "picture"):
            shutil.copy(os.path.join(picture_folder, name), os.path.join(folder, name))
        subprocess.run([wine_run, composer, scene, folder, fx_folder, library_folder, output], check=True,
                       stdin=subprocess.DEVNULL)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main(wine_run, composer, scene, picture_folder, fx_folder, library_folder, output):
    def make_files(folder):
        for name in words_of(scene, "mask") + words_of(scene, "pattern"):
            if name.endswith(".png") and not make_picture(folder, name):
                sys.exit("%s: %s names no picture made here (box-L-T-R-B.png, pattern-RRGGBB.png)" % (scene, name))
    compose_with_made_files(make_files, wine_run, composer, scene, picture_folder, fx_folder, library_folder, output)


if __name__ == "__main__":
    if len(sys.argv) != 8:
        sys.exit(__doc__)
    main(*sys.argv[1:])

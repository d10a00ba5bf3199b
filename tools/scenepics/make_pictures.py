#!/usr/bin/env python3
"""Makes the pictures of the embedded scene into OUTDIR:

  landscape.jpg     the slide picture, 1024 x 768
  splash.bmp        the splash picture, 512 x 512, 24-bit
  mask_water.png    brush mask on the lake           (512 x 512 RGBA)
  mask_stream.png   brush mask on the waterfall      (512 x 512 RGBA)
  mask_ripple.png   brush mask where the falls hit the lake (512 x 512 RGBA)
  regions.json      the regions of the masks in picture pixels
  ripple_dudv.dds   the lake light's tileable ripple map (256 x 256 V8U8 DDS)
  sprite_*.png      the sprite pictures (sprites.py)
  particle_*.png    the particle sprites: glint, glow, star and a four-frame
                    sequence frame0 to frame3 (particle_sprites.py)
  explosion_*.png   the explosion effect's gradient and noise (effect_pictures.py)

The landscape is painted at half size and enlarged by ImageMagick, which
also encodes the JPEG and draws the splash title. Output is the same bytes
on every run.
"""
import argparse
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import geometry as geo  # noqa: E402
import imagefiles  # noqa: E402
import landscape  # noqa: E402
import effect_pictures  # noqa: E402
import masks  # noqa: E402
import particle_sprites  # noqa: E402
import ripple  # noqa: E402
import splash  # noqa: E402
import sprites  # noqa: E402

CONVERT = "/usr/bin/convert"
PAINT_SIZE = (geo.WIDTH // 2, geo.HEIGHT // 2)
MASK_SIZE = 512
JPEG_QUALITY = 90
OUTPUTS = ["landscape.jpg", "splash.bmp", "mask_water.png", "mask_stream.png", "mask_ripple.png", "regions.json",
           "ripple_dudv.dds"] + sorted(sprites.SPRITES) + sorted(particle_sprites.SPRITES)
OUTPUTS += sorted(effect_pictures.SPRITES)


def run_convert(convert, args, ppm_bytes):
    # one thread: the build runs many jobs at once, and the output must not depend on scheduling
    result = subprocess.run([convert, "-limit", "thread", "1"] + args, input=ppm_bytes, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s" % (convert, result.stderr.decode(errors="replace").strip()))


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def make(outdir, convert=CONVERT):
    os.makedirs(outdir, exist_ok=True)
    w, h = PAINT_SIZE
    painted = imagefiles.ppm(w, h, landscape.paint(w, h))
    run_convert(convert, ["ppm:-", "-filter", "Lanczos", "-resize", "%dx%d!" % (geo.WIDTH, geo.HEIGHT),
                          "-quality", str(JPEG_QUALITY), "-strip", "jpg:" + os.path.join(outdir, "landscape.jpg")],
                painted)
    run_convert(convert, splash.convert_args(w, h, os.path.join(outdir, "splash.bmp")), painted)
    for name in geo.MASKS:
        rows = masks.mask_rows(name, MASK_SIZE)
        write_file(os.path.join(outdir, "mask_%s.png" % name), imagefiles.png_rgba(MASK_SIZE, MASK_SIZE, rows))
    info = geo.regions()
    info["masks"] = {name: {"file": "mask_%s.png" % name, "width": MASK_SIZE, "height": MASK_SIZE} for name in geo.MASKS}
    write_file(os.path.join(outdir, "regions.json"), (json.dumps(info, indent=2, sort_keys=True) + "\n").encode())
    write_file(os.path.join(outdir, "ripple_dudv.dds"), ripple.dds_v8u8())
    for name, painter in sorted(sprites.SPRITES.items()) + sorted(particle_sprites.SPRITES.items()):
        write_file(os.path.join(outdir, name), imagefiles.png_rgba(*painter()))
    for name, painter in sorted(effect_pictures.SPRITES.items()):
        write_file(os.path.join(outdir, name), imagefiles.png_rgba(*painter()))


def main(argv=None):
    parser = argparse.ArgumentParser(description="Makes the pictures of the embedded scene.")
    parser.add_argument("outdir")
    parser.add_argument("--convert", default=CONVERT, help="ImageMagick convert program (default %(default)s)")
    args = parser.parse_args(argv)
    try:
        make(args.outdir, args.convert)
    except (OSError, RuntimeError, ValueError) as e:
        print("make_pictures: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

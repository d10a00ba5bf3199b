"""The splash picture: a square, darkened crop of the landscape with the
title in large letters, drawn by ImageMagick with a Liberation font.
"""
import os

TITLE = "Corvalline"
SIZE = 512
FONT = "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf"


def convert_args(source_width, source_height, out_path, font=FONT):
    """convert arguments that turn a PPM of the landscape on standard input into the splash BMP."""
    if not os.path.isfile(font):
        raise FileNotFoundError("font for the splash title not found: " + font)
    side = source_height
    left = 0  # the left part: the falls, the cliff and the highest peaks
    return [
        "ppm:-", "-crop", "%dx%d+%d+0" % (side, side, left), "+repage",
        "-filter", "Lanczos", "-resize", "%dx%d!" % (SIZE, SIZE),
        "-modulate", "78,90",
        "-font", font, "-pointsize", "84", "-kerning", "3", "-gravity", "center",
        "-fill", "rgba(0,0,0,0.45)", "-annotate", "+3-62", TITLE,
        "-fill", "#f6f2e8", "-annotate", "+0-65", TITLE,
        "-type", "TrueColor", "BMP3:" + out_path,
    ]

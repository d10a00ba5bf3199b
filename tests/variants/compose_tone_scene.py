"""Composes a scene document whose music files are test tones made here.
Every "audio" statement and every "sound KIND FILE" statement of the scene
names its tone: tone-440hz.wav is one second of a 440 Hz sine at half of
full scale, tone-440hz-500ms.wav half a second of it, a .mp3 name is encoded
with lame; noise-6000-9000hz.wav is one second of white noise kept to that
band. The tones and the slide pictures are put in a temporary folder that is
removed after composing, so a saver playing the document can only play the
copies embedded in it.

    compose_tone_scene.py WINE_RUN COMPOSER SCENE PICTURE_FOLDER FX_FOLDER LIBRARY_FOLDER OUTPUT

The effect and library folders are passed on to the composer as they are.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

TONE_NAME = re.compile(r"tone-(\d+)hz(?:-(\d+)ms)?\.(wav|mp3)$")
NOISE_NAME = re.compile(r"noise-(\d+)-(\d+)hz\.wav$")
SECONDS = 1.0


def statements(scene, keyword):
    """The arguments of the scene's statements with this keyword, in order."""
    found = []
    with open(scene) as f:
        for line in f:
            words = line.split("#", 1)[0].split(None, 1)
            if len(words) == 2 and words[0] == keyword:
                found.append(words[1].strip())
    return found


def make_tone(path, frequency, seconds=SECONDS):
    synth = ["sox", "-n", "-r", "44100", "-c", "2", "-b", "16"]
    effect = ["synth", str(seconds), "sine", str(frequency), "vol", "0.5"]
    if path.endswith(".mp3"):
        source = path[:-4] + "-source.wav"
        subprocess.run(synth + [source] + effect, check=True)
        subprocess.run(["lame", "--quiet", source, path], check=True)
        os.remove(source)
    else:
        subprocess.run(synth + [path] + effect, check=True)


def make_noise(path, low, high):
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth", str(SECONDS), "whitenoise",
                    "vol", "0.5", "sinc", "%d-%d" % (low, high)], check=True)


def main(wine_run, composer, scene, picture_folder, fx_folder, library_folder, output):
    folder = tempfile.mkdtemp(prefix="tones-", dir=os.path.dirname(os.path.abspath(output)))
    try:
        sounds = [words.split()[-1] for words in statements(scene, "sound")]
        for name in sorted(set(statements(scene, "audio") + sounds)):
            noise = NOISE_NAME.match(name)
            if noise:
                make_noise(os.path.join(folder, name), int(noise.group(1)), int(noise.group(2)))
                continue
            match = TONE_NAME.match(name)
            if not match:
                sys.exit("%s: %s does not name a tone (tone-FREQUENCYhz[-MSms].wav or .mp3, noise-LOW-HIGHhz.wav)" % (scene, name))
            seconds = int(match.group(2)) / 1000.0 if match.group(2) else SECONDS
            make_tone(os.path.join(folder, name), int(match.group(1)), seconds)
        for name in statements(scene, "picture"):
            shutil.copy(os.path.join(picture_folder, name), os.path.join(folder, name))
        subprocess.run([wine_run, composer, scene, folder, fx_folder, library_folder, output], check=True, stdin=subprocess.DEVNULL)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) != 8:
        sys.exit(__doc__)
    main(*sys.argv[1:])

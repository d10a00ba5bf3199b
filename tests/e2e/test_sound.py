"""Sound of the real programs under Wine, recorded from a null sink: the
music graph's level follows the user's volume and mute, the playlist moves
on when a file ends, and the saver opens the sound device when there is one
and runs silently when there is none."""
import array
import math
import os
import subprocess
import time
import unittest
import wave

from harness import BIN, DRIVER, VK_SPACE, WM_CLOSE, WM_KEYDOWN, Session

UNIT_TESTS = os.path.join(BIN, "unit_tests.exe")
PLAYER_CASE = "--gtest_filter=MusicGraphPlayback.PlaysFilesForRecording"
SETTINGS_KEY = r"HKCU\Software\Tessaverd\Glimmerwright\Screensaver"
WINDOW = 0.1  # seconds per analysis window


def make_tone(folder, name, frequency, seconds):
    """A sine tone at half of full scale; .mp3 names are encoded with lame."""
    path = os.path.join(folder, name)
    synth = ["sox", "-n", "-r", "44100", "-c", "2", "-b", "16"]
    effect = ["synth", str(seconds), "sine", str(frequency), "vol", "0.5"]
    if name.endswith(".mp3"):
        wav = path[:-4] + "-source.wav"
        subprocess.run(synth + [wav] + effect, check=True)
        subprocess.run(["lame", "--quiet", wav, path], check=True)
    else:
        subprocess.run(synth + [path] + effect, check=True)
    return path


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read_windows(path):
    """Per window of the recording's first channel: (rms, frequency from zero crossings)."""
    with wave.open(path) as w:
        channels, rate = w.getnchannels(), w.getframerate()
        self_check = w.getsampwidth()
        data = array.array("h", w.readframes(w.getnframes()))
    assert self_check == 2, "16-bit recording expected"
    samples = data[::channels]
    size = int(rate * WINDOW)
    result = []
    for start in range(0, len(samples) - size + 1, size):
        chunk = samples[start:start + size]
        rms = math.sqrt(sum(v * v for v in chunk) / size) / 32768.0
        crossings = sum(1 for a, b in zip(chunk, chunk[1:]) if (a < 0) != (b < 0))
        result.append((rms, crossings / (2 * WINDOW)))
    return result


def loud_rms(windows):
    """Mean rms of the windows where music played (over a tenth of the loudest)."""
    peak = max((rms for rms, _ in windows), default=0.0)
    loud = [rms for rms, _ in windows if rms > peak / 10 and rms > 1e-4]
    return sum(loud) / len(loud) if loud else 0.0


class MusicRecording(unittest.TestCase):
    def play(self, s, files, ends, name):
        """Runs the player case over the files while recording; returns the recording's windows."""
        env = {"CORVALLINE_MUSIC_FILES": ";".join(windows_path(f) for f in files),
               "CORVALLINE_MUSIC_ENDS": str(ends)}
        with s.record(name) as rec:
            p = s.start(PLAYER_CASE, program=UNIT_TESTS, extra_env=env)
            code = s.wait_exit(p, timeout=90)
        out = s.output(p)
        self.assertEqual(code, 0, out)
        self.assertNotIn("SKIPPED", out, "the player found no audio device")
        return read_windows(rec.path)

    def set_dword(self, s, name, value):
        r = s.reg("add", SETTINGS_KEY, "/v", '"%s"' % name, "/t", "REG_DWORD", "/d", str(value), "/f")
        self.assertEqual(r.returncode, 0, r.stderr)

    def test_level_follows_volume_and_mute(self):
        with Session(sound=True) as s:
            tone = make_tone(s.tmp, "tone.wav", 440, 1.5)
            full = loud_rms(self.play(s, [tone], 1, "full.wav"))
            self.assertGreater(full, 0.05, "no music heard at volume 100")
            self.set_dword(s, "SoundVolume", 50)
            half = loud_rms(self.play(s, [tone], 1, "half.wav"))
            self.assertGreater(half, 0.0, "no music heard at volume 50")
            drop = 20 * math.log10(full / half)
            self.assertAlmostEqual(drop, 20.0, delta=2.5, msg="volume 50 is %.1f dB below 100" % drop)
            self.set_dword(s, "MuteSound", 1)
            muted = self.play(s, [tone], 1, "muted.wav")
            self.assertLess(max(rms for rms, _ in muted), 1e-3, "music heard while muted")

    def test_playlist_moves_on_when_a_file_ends(self):
        with Session(sound=True) as s:
            low = make_tone(s.tmp, "low.wav", 440, 1.0)
            high = make_tone(s.tmp, "high.mp3", 1000, 1.0)
            heard = []
            for rms, frequency in self.play(s, [low, high], 3, "list.wav"):
                if rms < 0.02:
                    continue
                tone = 440 if abs(frequency - 440) < 60 else 1000 if abs(frequency - 1000) < 100 else None
                if tone is not None and (not heard or heard[-1] != tone):
                    heard.append(tone)
            # File 1, file 2 (an MP3), file 1 again, then file 2 starts.
            self.assertEqual(heard[:3], [440, 1000, 440], heard)


class SoundDevice(unittest.TestCase):
    def test_saver_modes_open_the_sound_device(self):
        with Session(sound=True) as s:
            host = subprocess.Popen([s.loader, DRIVER, "host", "152", "112"], env=s.env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            s.procs.append(host)
            parent = int(host.stdout.readline().decode().strip())
            # How each mode is ended: the window to post to and the message.
            for args in (("/t",), ("/s",), ("/p", str(parent))):
                with self.subTest(args=args):
                    p = s.start(*args)
                    (w,) = s.wait_windows()
                    deadline = time.time() + 30
                    while not s.sink_inputs() and time.time() < deadline:
                        time.sleep(0.3)
                    self.assertTrue(s.sink_inputs(), "no sound stream while the saver runs")
                    if args[0] == "/t":
                        s.post(w.hwnd, WM_CLOSE)
                    elif args[0] == "/s":
                        s.post(w.hwnd, WM_KEYDOWN, VK_SPACE)
                    else:
                        s.post(parent, WM_CLOSE)
                    self.assertEqual(s.wait_exit(p), 0, s.output(p))
                    deadline = time.time() + 10
                    while s.sink_inputs() and time.time() < deadline:
                        time.sleep(0.3)
                    self.assertEqual(s.sink_inputs(), [], "the sound stream outlived the saver")

    def test_no_audio_device_runs_silently(self):
        with Session() as s:
            p = s.start("/s")
            (w,) = s.wait_windows()
            # The first frame can take seconds on a loaded machine.
            deadline = time.time() + 30
            while s.screenshot().pixel(512, 384) == (0, 0, 0) and time.time() < deadline:
                time.sleep(0.5)
            self.assertEqual(s.windows("#32770"), [])
            img = s.screenshot()
            self.assertNotEqual(img.pixel(512, 384), (0, 0, 0), "no frames rendered without sound")
            self.assertNotEqual(img.pixel(512, 384), (255, 255, 255), "an error box instead of frames")
            s.post(w.hwnd, WM_KEYDOWN, VK_SPACE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))


if __name__ == "__main__":
    unittest.main()

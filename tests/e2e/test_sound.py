"""Sound of the real programs under Wine, recorded from a null sink: a
saver built with a scene of known music tones plays them in the test window
and full screen but not in the preview, its level follows the user's volume
and mute, and its playlist moves on when a file ends; the saver opens the
sound device when there is one and runs silently when there is none."""
import array
import math
import os
import time
import unittest
import wave

from harness import BIN, Session

MUSIC_SCR = os.path.join(BIN, "corvalline_music.scr")
# The music of tests/variants/music.scene in playlist order: one second of
# each tone, at half of full scale.
PLAYLIST = (440, 1000)
SETTINGS_KEY = r"HKCU\Software\Tessaverd\Glimmerwright\Screensaver"
WINDOW = 0.1  # seconds per analysis window


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


def tones_heard(windows):
    """The playlist's tones in the order they were heard, each change once."""
    heard = []
    for rms, frequency in windows:
        if rms < 0.02:
            continue
        tone = next((t for t in PLAYLIST if abs(frequency - t) < t / 10), None)
        if tone is not None and (not heard or heard[-1] != tone):
            heard.append(tone)
    return heard


class SaverMusic(unittest.TestCase):
    def record_saver(self, s, name, args, seconds):
        """Runs the music saver in a mode for seconds after its window shows
        while recording; returns the recording's windows."""
        with s.record(name) as rec:
            p = s.start(*args, program=MUSIC_SCR)
            (w,) = s.wait_windows()
            time.sleep(seconds)
            s.end_saver(args, w)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))
        return read_windows(rec.path)

    def set_dword(self, s, name, value):
        r = s.reg("add", SETTINGS_KEY, "/v", '"%s"' % name, "/t", "REG_DWORD", "/d", str(value), "/f")
        self.assertEqual(r.returncode, 0, r.stderr)

    def test_playlist_heard_in_saver_windows_not_in_preview(self):
        with Session(sound=True) as s:
            for args in (("/t",), ("/s",), ("/p", str(s.preview_host()))):
                with self.subTest(mode=args[0]):
                    if args[0] == "/p":
                        # The preview has no music graph.
                        heard = self.record_saver(s, "preview.wav", args, 4)
                        self.assertLess(max(rms for rms, _ in heard), 1e-3, "music heard in the preview")
                        continue
                    # The music starts once the scene has loaded: file 1,
                    # then file 2 (an MP3), then file 1 again.
                    heard = self.record_saver(s, "mode%s.wav" % args[0][1:], args, 8)
                    self.assertGreater(loud_rms(heard), 0.05, "no music heard")
                    self.assertEqual(tones_heard(heard)[:3], [440, 1000, 440])

    def test_level_follows_volume_and_mute(self):
        with Session(sound=True) as s:
            full = loud_rms(self.record_saver(s, "full.wav", ("/t",), 5))
            self.assertGreater(full, 0.05, "no music heard at volume 100")
            self.set_dword(s, "SoundVolume", 50)
            half = loud_rms(self.record_saver(s, "half.wav", ("/t",), 5))
            self.assertGreater(half, 0.0, "no music heard at volume 50")
            drop = 20 * math.log10(full / half)
            self.assertAlmostEqual(drop, 20.0, delta=2.5, msg="volume 50 is %.1f dB below 100" % drop)
            self.set_dword(s, "MuteSound", 1)
            muted = self.record_saver(s, "muted.wav", ("/t",), 5)
            self.assertLess(max(rms for rms, _ in muted), 1e-3, "music heard while muted")


class SoundDevice(unittest.TestCase):
    def test_saver_modes_open_the_sound_device(self):
        with Session(sound=True) as s:
            for args in (("/t",), ("/s",), ("/p", str(s.preview_host()))):
                with self.subTest(args=args):
                    p = s.start(*args)
                    (w,) = s.wait_windows()
                    deadline = time.time() + 30
                    while not s.sink_inputs() and time.time() < deadline:
                        time.sleep(0.3)
                    self.assertTrue(s.sink_inputs(), "no sound stream while the saver runs")
                    s.end_saver(args, w)
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
            s.end_saver(("/s",), w)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))


if __name__ == "__main__":
    unittest.main()

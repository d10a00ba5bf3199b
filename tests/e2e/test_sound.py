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
# How long the playlist may take to be heard from file 1 to file 2 and back:
# warm, about 4 s once the window shows; a cold start first builds Wine's
# prefix services and GStreamer's plugin registry.
PLAYLIST_LIMIT = 90


def read_windows(path):
    """Per window of the recording's first channel: (rms, frequency from zero crossings)."""
    with wave.open(path) as w:
        channels, rate = w.getnchannels(), w.getframerate()
        self_check = w.getsampwidth()
        data = array.array("h", w.readframes(w.getnframes()))
    assert self_check == 2, "16-bit recording expected"
    return analyse(data[::channels], rate)


class LiveWindows:
    """read_windows of a recording still being written, a little more each
    call: its header does not give the length yet, so the samples are
    whatever follows the data chunk's header now. Whole windows only; the
    rest waits for the next call."""

    def __init__(self, path):
        self.path = path
        self.windows = []
        self.offset = None  # file offset of the first sample not yet analysed
        self.channels = self.rate = 0

    def update(self):
        try:
            with open(self.path, "rb") as f:
                if self.offset is None and not self._read_header(f.read(4096)):
                    return self.windows
                f.seek(self.offset)
                raw = f.read()
        except FileNotFoundError:
            return self.windows
        window_bytes = int(self.rate * WINDOW) * 2 * self.channels
        whole = len(raw) - len(raw) % window_bytes
        if whole:
            samples = array.array("h", raw[:whole])
            self.windows += analyse(samples[::self.channels], self.rate)
            self.offset += whole
        return self.windows

    def _read_header(self, head):
        fmt = head.find(b"fmt ")
        data = head.find(b"data")
        if fmt < 0 or data < 0 or len(head) < max(fmt + 24, data + 8):
            return False
        self.channels = int.from_bytes(head[fmt + 10:fmt + 12], "little")
        self.rate = int.from_bytes(head[fmt + 12:fmt + 16], "little")
        assert int.from_bytes(head[fmt + 22:fmt + 24], "little") == 16, "16-bit recording expected"
        self.offset = data + 8
        return True


def analyse(samples, rate):
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

    def assert_playlist_heard(self, s, name, args):
        """Runs the music saver until the playlist has been heard moving from
        file 1 to file 2 (an MP3) and back to file 1, or PLAYLIST_LIMIT
        seconds have passed; the music starts once the scene has loaded."""
        expected = [PLAYLIST[0], PLAYLIST[1], PLAYLIST[0]]
        with s.record(name) as rec:
            p = s.start(*args, program=MUSIC_SCR)
            (w,) = s.wait_windows()
            started = time.time()
            live = LiveWindows(rec.path)
            heard = []
            while time.time() - started < PLAYLIST_LIMIT and tones_heard(heard)[:3] != expected:
                time.sleep(0.5)
                heard = live.update()
            waited = time.time() - started
            s.end_saver(args, w)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))
        self.assertGreater(loud_rms(heard), 0.05, "no music heard within %d s" % PLAYLIST_LIMIT)
        self.assertEqual(tones_heard(heard)[:3], expected,
                         "heard %s within %d s" % (tones_heard(heard), waited))

    def test_playlist_heard_in_saver_windows_not_in_preview(self):
        with Session(sound=True) as s:
            for args in (("/t",), ("/s",), ("/p", str(s.preview_host()))):
                with self.subTest(mode=args[0]):
                    if args[0] == "/p":
                        # The preview has no music graph.
                        heard = self.record_saver(s, "preview.wav", args, 4)
                        self.assertLess(max(rms for rms, _ in heard), 1e-3, "music heard in the preview")
                        continue
                    self.assert_playlist_heard(s, "mode%s.wav" % args[0][1:], args)

    def test_playlist_heard_on_a_cold_start(self):
        # A new machine: a Wine prefix made new and no GStreamer registry,
        # so the first MP3 waits for the registry to be built.
        with Session(sound=True, cold=True) as s:
            self.assert_playlist_heard(s, "cold.wav", ("/t",))

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

"""Sound items of a scene, heard through a null sink: corvalline_sounds.scr
(tests/variants/sounds.scene) gives every MP3 and WAV item a tone of its
own, so a recording shows each item by its band. Slide 1's items play while
slide 1 shows and stop at the switch, slide 2's start with slide 2; the
items' volume and balance, the cycle of a WAV item and the user's volume
and mute are measured; MP3 items with hostile stored names play from files
inside the temporary folder that are gone after the saver ends; without an
audio device the saver runs silently."""
import array
import math
import os
import time
import unittest
import wave

from harness import BIN, ServerStartError, Session

SOUNDS_SCR = os.path.join(BIN, "corvalline_sounds.scr")
SETTINGS_KEY = r"HKCU\Software\Tessaverd\Glimmerwright\Screensaver"
WINDOW = 0.1  # seconds per analysis window
DECIMATE = 4  # the bands lie far below the decimated rate's limit

# The items' tones in Hz (tests/variants/sounds.scene).
MP3_FULL, MP3_HALF, WAV_LEFT, WAV_CYCLE = 400, 600, 800, 1000
SLIDE_1 = (MP3_FULL, MP3_HALF, WAV_LEFT, WAV_CYCLE)
MP3_2, WAV_2 = 1200, 1400
HOSTILE = (1600, 1800, 2000, 2200, 2400)
SLIDE_2 = (MP3_2, WAV_2) + HOSTILE
HOSTILE_FILES = ("corvalline-up.mp3", "corvalline-drive.mp3", "corvalline-host.mp3")
# Slide 1's noise item lies in 6 to 9 kHz, above every tone.
NOISE_BINS = (6500, 7000, 7500, 8000, 8500)

ON = 0.2    # a full-scale item (amplitude 0.5) is playing
OFF = 0.12  # nothing of the band beyond the leakage of the others' clicks


def band_levels(path, bands):
    """Per window: ({band: amplitude} of the left channel, the same of the
    right), by Goertzel over Hann-weighted windows of the decimated signal."""
    with wave.open(path) as w:
        channels, rate = w.getnchannels(), w.getframerate()
        assert w.getsampwidth() == 2, "16-bit recording expected"
        data = array.array("h", w.readframes(w.getnframes()))
    rate //= DECIMATE
    size = int(rate * WINDOW)
    hann = [0.5 - 0.5 * math.cos(2 * math.pi * i / (size - 1)) for i in range(size)]
    norm = 2.0 / sum(hann) / 32768.0
    coefficients = {f: 2 * math.cos(2 * math.pi * f / rate) for f in bands}
    sides = []
    for channel in range(min(channels, 2)):
        raw = data[channel::channels]
        decimated = [sum(raw[i:i + DECIMATE]) / DECIMATE for i in range(0, len(raw) - DECIMATE + 1, DECIMATE)]
        rows = []
        for start in range(0, len(decimated) - size + 1, size):
            chunk = [v * h for v, h in zip(decimated[start:start + size], hann)]
            row = {}
            for f, k in coefficients.items():
                s1 = s2 = 0.0
                for x in chunk:
                    s1, s2 = x + k * s1 - s2, s1
                row[f] = math.sqrt(max(s1 * s1 + s2 * s2 - k * s1 * s2, 0.0)) * norm
            rows.append(row)
        sides.append(rows)
    if len(sides) == 1:
        sides.append(sides[0])
    return list(zip(sides[0], sides[1]))


def level(rows, band, side=0, start=0.0, end=None, quantile=0.95):
    """A band's playing level between two times: by default the 95th
    percentile of its windows. Under load the audio has short drop-outs,
    which only lower windows, so a high percentile is the level of the tone
    itself."""
    first = int(start / WINDOW)
    last = len(rows) if end is None else int(end / WINDOW)
    values = sorted(r[side][band] for r in rows[first:last])
    return values[min(len(values) - 1, int(quantile * len(values)))] if values else 0.0


def first_on(rows, band, start=0.0):
    for i in range(int(start / WINDOW), len(rows)):
        if rows[i][0][band] > ON:
            return i * WINDOW
    return None


def last_on(rows, band, start, end):
    found = None
    for i in range(int(start / WINDOW), min(int(end / WINDOW), len(rows))):
        if rows[i][0][band] > ON:
            found = i * WINDOW
    return found


def onsets(rows, band, start, end):
    """Times where the band starts after at least 0.4 s of silence."""
    times = []
    quiet = 0.0
    for i in range(int(start / WINDOW), min(int(end / WINDOW), len(rows))):
        if rows[i][0][band] > ON:
            if quiet >= 0.4:
                times.append(i * WINDOW)
            quiet = 0.0
        else:
            quiet += WINDOW
    return times


def noise_power(path, seconds=6.0):
    """The noise item's power: per window the mean Hann-weighted power of the
    left channel at NOISE_BINS, whose median over the first seconds after
    the noise starts is taken (drop-outs and clicks touch few windows)."""
    with wave.open(path) as w:
        channels, rate = w.getnchannels(), w.getframerate()
        data = array.array("h", w.readframes(w.getnframes()))
    raw = data[0::channels]
    size = int(rate * WINDOW)
    hann = [0.5 - 0.5 * math.cos(2 * math.pi * i / (size - 1)) for i in range(size)]
    coefficients = [2 * math.cos(2 * math.pi * f / rate) for f in NOISE_BINS]
    powers = []
    for start in range(0, len(raw) - size + 1, size):
        chunk = [v * h / 32768.0 for v, h in zip(raw[start:start + size], hann)]
        total = 0.0
        for k in coefficients:
            s1 = s2 = 0.0
            for x in chunk:
                s1, s2 = x + k * s1 - s2, s1
            total += s1 * s1 + s2 * s2 - k * s1 * s2
        powers.append(total / len(coefficients))
    loudest = max(powers, default=0.0)
    begin = next((i for i, p in enumerate(powers) if p > loudest / 10), None)
    if begin is None or loudest <= 0.0:
        return 0.0
    window = sorted(powers[begin + 5:begin + 5 + int(seconds / WINDOW)])
    return window[len(window) // 2] if window else 0.0


def db(a, b):
    return 20 * math.log10(max(a, 1e-9) / max(b, 1e-9))


class SoundItems(unittest.TestCase):
    def run_saver(self, s, name, seconds, during=None):
        """Runs the sounds saver in the test window for seconds while
        recording; during(s) runs halfway. Returns the recording's path."""
        with s.record(name) as rec:
            p = s.start("/t", program=SOUNDS_SCR)
            (w,) = s.wait_windows()
            if during:
                time.sleep(seconds / 2)
                during(s)
                time.sleep(seconds / 2)
            else:
                time.sleep(seconds)
            s.end_saver(("/t",), w)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))
        return rec.path

    def set_dword(self, s, name, value):
        r = s.reg("add", SETTINGS_KEY, "/v", '"%s"' % name, "/t", "REG_DWORD", "/d", str(value), "/f")
        self.assertEqual(r.returncode, 0, r.stderr)

    @staticmethod
    def sound_files(s):
        """Every .mp3 file of the prefix's drive C and the host's /tmp with
        one of the scene's stored names, as paths."""
        names = set(HOSTILE_FILES) | {"bell.mp3", "bell (2).mp3", "tone-1200hz.mp3", "sound.mp3"}
        found = []
        for top in (os.path.join(s.prefix, "drive_c"), "/tmp"):
            for folder, dirs, files in os.walk(top):
                if top == "/tmp" and folder != "/tmp":
                    dirs[:] = []
                found += [os.path.join(folder, f) for f in files
                          if f.endswith(".mp3") and (f in names or f.startswith("nnnnnnnn"))]
        return found

    def test_items_play_with_their_slide_at_their_own_levels(self):
        with Session(sound=True) as s:
            seen = []
            path = self.run_saver(s, "items.wav", 30, during=lambda s: seen.extend(self.sound_files(s)))
            # While the saver ran, every item file lay in one temporary
            # folder, the hostile names included; after it none is left.
            folders = {os.path.dirname(f) for f in seen}
            self.assertEqual(len(folders), 1, seen)
            self.assertTrue(folders.pop().lower().endswith("temp"), seen)
            self.assertEqual(sorted(os.path.basename(f) for f in seen if "nnnn" not in f),
                             sorted(["bell (2).mp3", "bell.mp3", "corvalline-drive.mp3", "corvalline-host.mp3",
                                     "corvalline-up.mp3", "sound.mp3", "tone-1200hz.mp3"]))
            self.assertEqual(self.sound_files(s), [], "files left after the saver ended")

            rows = band_levels(path, SLIDE_1 + SLIDE_2)
            start = first_on(rows, WAV_LEFT)
            self.assertIsNotNone(start, "slide 1 not heard")
            switch = min(t for t in (first_on(rows, b, start) for b in SLIDE_2) if t is not None)
            self.assertGreater(switch - start, 8.0, "slide 2 heard too early")
            one = (start + 0.5, switch - 0.5)
            two = (switch + 0.5, switch + 8.0)
            for band in SLIDE_1[:3]:
                self.assertGreater(level(rows, band, 1 if band == MP3_HALF else 0, *one), ON / 10, band)
                # Slide 1's items stop at the switch.
                self.assertLess(level(rows, band, 0, *two), OFF, "%d Hz heard on slide 2" % band)
                self.assertLess(last_on(rows, band, start, switch + 1.0) or 0, switch + 0.5, band)
            for band in SLIDE_2:
                self.assertGreater(level(rows, band, 0, *two), ON, "%d Hz not heard on slide 2" % band)
                self.assertLess(level(rows, band, 0, *one), OFF, "%d Hz heard before slide 2" % band)

            # Two items of one stored name both play, the volume-50 one 20 dB
            # lower (measured on the right, where the left-panned WAV item
            # is absent).
            full = level(rows, MP3_FULL, 1, *one)
            half = level(rows, MP3_HALF, 1, *one)
            self.assertGreater(full, ON)
            self.assertAlmostEqual(db(full, half), 20.0, delta=2.0)
            # Balance 0: the right channel at least 30 dB below the left. The
            # right side's median: the other items' starts and drop-outs
            # click into every band now and then, a tone leaking to the right
            # would be there all the time.
            right = level(rows, WAV_LEFT, 1, *one, quantile=0.5)
            self.assertGreater(db(level(rows, WAV_LEFT, 0, *one), right), 30.0)
            # The mode-0 WAV item plays throughout; the cycle item starts
            # once per cycle of 1.5 s (0.5 s of sound, 1 s invisible), plus a
            # frame for each of the cycle's four state changes.
            on_windows = [r[0][WAV_LEFT] > ON for r in rows[int(one[0] / WINDOW):int(one[1] / WINDOW)]]
            self.assertGreater(sum(on_windows) / len(on_windows), 0.7, "the looping WAV item is not continuous")
            starts = onsets(rows, WAV_CYCLE, *one)
            self.assertGreaterEqual(len(starts), 3, starts)
            for a, b in zip(starts, starts[1:]):
                self.assertTrue(1.4 <= b - a <= 2.5, "the cycle WAV item started at %s" % starts)

            # The user's volume 50 lowers WAV items by 25 dB; MP3 items keep
            # their own level.
            self.set_dword(s, "SoundVolume", 50)
            rows50 = band_levels(self.run_saver(s, "volume50.wav", 10), (MP3_FULL, WAV_LEFT))
            start50 = first_on(rows50, MP3_FULL)
            self.assertIsNotNone(start50, "nothing heard at volume 50")
            span = (start50 + 0.5, start50 + 7.0)
            self.assertAlmostEqual(db(level(rows, WAV_LEFT, 0, *one), level(rows50, WAV_LEFT, 0, *span)), 25.0,
                                   delta=2.5)
            self.assertAlmostEqual(db(full, level(rows50, MP3_FULL, 1, *span)), 0.0, delta=1.5)

            self.set_dword(s, "MuteSound", 1)
            muted = band_levels(self.run_saver(s, "muted.wav", 8), (MP3_FULL, WAV_LEFT, WAV_CYCLE))
            self.assertLess(max(max(r[0].values()) for r in muted), 1e-3, "sound heard while muted")

    def record_full_screen(self, s, name, seconds, monitors):
        with s.record(name) as rec:
            p = s.start("/s", program=SOUNDS_SCR)
            windows = s.wait_windows(count=monitors)
            time.sleep(seconds)
            s.end_saver(("/s",), min(windows, key=lambda w: w.rect[0]))
            self.assertEqual(s.wait_exit(p), 0, s.output(p))
        return rec.path

    def test_two_monitors_play_each_item_once(self):
        # Every monitor has its own copy of the scene; only one may play the
        # sound items, or each would be heard twice (the noise 3 dB louder,
        # as measured with every copy playing).
        with Session(sound=True) as s:
            one = noise_power(self.record_full_screen(s, "one.wav", 12, 1))
        self.assertGreater(one, 0.0, "no noise heard with one monitor")
        session = Session(two_monitors=True, sound=True)
        try:
            s = session.__enter__()
        except ServerStartError as e:
            self.skipTest("Xorg with the dummy driver cannot start here: %s" % e)
        try:
            two = noise_power(self.record_full_screen(s, "two.wav", 12, 2))
        finally:
            session.__exit__(None, None, None)
        self.assertAlmostEqual(10 * math.log10(max(two, 1e-12) / one), 0.0, delta=1.5)

    def test_no_audio_device_runs_silently(self):
        with Session() as s:
            p = s.start("/t", program=SOUNDS_SCR)
            (w,) = s.wait_windows()
            img = s.wait_screen(lambda img: img.pixel(512, 384) != (0, 0, 0), timeout=30)
            self.assertEqual(s.windows("#32770"), [])
            self.assertNotEqual(img.pixel(512, 384), (0, 0, 0), "no frames rendered without sound")
            self.assertTrue(s.alive_after(p, 3), s.output(p))
            s.end_saver(("/t",), w)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))


if __name__ == "__main__":
    unittest.main()

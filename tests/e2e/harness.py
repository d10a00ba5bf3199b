"""End-to-end harness: runs the real screensaver under Wine on a private
Xvfb display, in a private copy of the build's Wine prefix, with a warm
wineserver of its own, so that tests can run side by side.

The build folder comes from CORVALLINE_BUILD (set by CTest)."""
import contextlib
import os
import resource
import select
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

BUILD = os.environ.get("CORVALLINE_BUILD", os.path.join(os.path.dirname(__file__), "..", "..", "build"))
SOURCE = os.environ.get("CORVALLINE_SOURCE", os.path.join(os.path.dirname(__file__), "..", ".."))
TOOLS = os.path.join(SOURCE, "tools")
BIN = os.path.join(BUILD, "bin")
SCR = os.path.join(BIN, "corvalline.scr")
DRIVER = os.path.join(BIN, "saverdrv.exe")

WM_CLOSE = 0x0010
WM_KEYDOWN = 0x0100
WM_SYSKEYDOWN = 0x0104
WM_MOUSEMOVE = 0x0200
WM_LBUTTONDOWN = 0x0201
WM_RBUTTONDOWN = 0x0204
WM_ACTIVATEAPP = 0x001C
WM_POWERBROADCAST = 0x0218
PBT_APMSUSPEND = 4
VK_SPACE = 0x20
SAVER_CLASS = "D3DSaverWndClass"


XORG_DUMMY_CONF = """
Section "ServerFlags"
    Option "DontVTSwitch" "true"
    Option "AutoAddDevices" "false"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 64000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "800x600"
        Virtual 1440 600
    EndSubSection
EndSection
"""


class Window:
    def __init__(self, line):
        f = line.split(" ", 13)
        self.hwnd = int(f[0])
        self.pid = int(f[1])
        self.style = int(f[2], 16)
        self.exstyle = int(f[3], 16)
        self.rect = tuple(int(v) for v in f[4:8])
        self.client = (int(f[8]), int(f[9]))
        self.parent = int(f[10])
        self.owner = int(f[11])
        self.topmost = f[12] == "1"
        self.title = f[13] if len(f) > 13 else ""

    def __repr__(self):
        return "Window(%d %r rect=%r client=%r)" % (self.hwnd, self.title, self.rect, self.client)


def client_area(w):
    """The screen rectangle of a window's client area, for frames that add
    the same border left, right and below and a caption above."""
    border = (w.rect[2] - w.rect[0] - w.client[0]) // 2
    left = w.rect[0] + border
    top = w.rect[3] - border - w.client[1]
    return left, top, left + w.client[0], top + w.client[1]


class Image:
    """A screenshot as RGB bytes."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def mean(self, left, top, right, bottom, step=4):
        total = [0, 0, 0]
        count = 0
        for y in range(top, bottom, step):
            for x in range(left, right, step):
                p = self.pixel(x, y)
                for c in range(3):
                    total[c] += p[c]
                count += 1
        return tuple(t / max(count, 1) for t in total)


class ServerStartError(Exception):
    """The X server could not start: its program is missing, or it ended or
    stayed silent before it named its display."""


def _read_line(fd, timeout):
    """Reads fd up to the first newline and returns what came; that lacks the
    newline when the writer closed its end or timeout seconds passed."""
    data = b""
    deadline = time.monotonic() + timeout
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            break
        chunk = os.read(fd, 64)
        if not chunk:
            break
        data += chunk
    return data


def _run(what, command, timeout, **kwargs):
    """subprocess.run with a limit: a step that takes longer fails the test
    with a message that names it (subprocess.run kills the program)."""
    try:
        return subprocess.run(command, timeout=timeout, **kwargs)
    except subprocess.TimeoutExpired:
        raise AssertionError("%s did not finish within %d s: %s" % (what, timeout, " ".join(command))) from None


def _stop(proc, timeout=10):
    """Ends a program started with Popen: terminate, then kill."""
    if proc is None:
        return
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            try:
                proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                pass


def _allow_core_dumps():
    resource.setrlimit(resource.RLIMIT_CORE, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))


def _native_stacks(loader, folder):
    """The native stacks of every thread in a core file left in folder, read
    with gdb; empty when there is no core or no gdb."""
    if not folder or not os.path.isdir(folder) or shutil.which("gdb") is None:
        return ""
    cores = [n for n in os.listdir(folder) if n.startswith("core")]
    if not cores:
        return "\n(no core file was written)\n"
    r = subprocess.run(["gdb", "-batch", "-nx", "-ex", "thread apply all bt 20",
                        loader, os.path.join(folder, cores[0])], capture_output=True, timeout=300)
    return "\n--- native stacks of the crashed process ---\n" + r.stdout.decode("utf-8", "replace")[-20000:]


def pe_is_64bit(path):
    with open(path, "rb") as f:
        data = f.read(1024)
    off = int.from_bytes(data[60:64], "little")
    return data[off + 4:off + 6] == b"\x64\x86"


class Recording:
    """Audio of the session's null sink, recorded while the block runs."""

    def __init__(self, session, path):
        self.session, self.path = session, path

    def __enter__(self):
        self.proc = subprocess.Popen(["parecord", "--latency-msec=20", "--device=nullsink.monitor",
                                      "--file-format=wav", self.path], env=self.session.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # parecord needs a moment before the first sound and after the last
        # one, or recordings come out short or empty.
        time.sleep(1.0)
        return self

    def __exit__(self, *exc):
        time.sleep(1.0)
        self.proc.send_signal(signal.SIGINT)
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            _stop(self.proc)


class Session:
    """One private display and Wine prefix. Use as a context manager.

    sound=True starts a private PulseAudio server with a null sink that the
    programs play into and record() records from; otherwise the programs
    find no audio device at all."""

    def __init__(self, screen="1024x768x24", two_monitors=False, sound=False, cold=False):
        self.screen = screen
        self.two_monitors = two_monitors
        self.sound = sound
        # cold=True starts as a new machine would: a Wine prefix made new for
        # the session (not copied from the build's template) and an empty
        # cache folder, so that GStreamer builds its plugin registry again.
        self.cold = cold
        self.pulse = None

    def __enter__(self):
        self.tmp = tempfile.mkdtemp(prefix="corvalline-e2e-")
        self.procs = []
        self.pulse = None
        self.xvfb = None
        self.env = None
        # A start that fails partway undoes what it did: no server is left
        # running, whatever step failed.
        try:
            self._enter()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _enter(self):
        base = os.path.join(os.path.abspath(BUILD), "wineprefix")
        self.wow64 = pe_is_64bit(SCR)
        self.loader = "/usr/lib/wine/wine64" if self.wow64 else "wine"
        self.prefix = os.path.join(self.tmp, "prefix")
        if self.cold:
            _run("making a new Wine prefix", [os.path.join(TOOLS, "wine-prefix.sh"), self.prefix, self.loader], 300,
                 check=True)
        else:
            # The first session of a build makes the template prefix (about
            # 20 s) while others wait for its lock.
            _run("making the Wine prefix", [os.path.join(TOOLS, "wine-prefix.sh"), base, self.loader], 300,
                 check=True)
            _run("copying the Wine prefix", ["cp", "-a", base + "-template", self.prefix], 120, check=True)
        self.env = dict(os.environ)
        if self.cold:
            # GStreamer keeps its plugin registry under XDG_CACHE_HOME.
            self.env["XDG_CACHE_HOME"] = os.path.join(self.tmp, "cache")
            os.makedirs(self.env["XDG_CACHE_HOME"])
        self.env.update({
            "WINEPREFIX": self.prefix,
            "WINEARCH": "win64" if self.wow64 else "win32",
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "winedbg.exe=d;mscoree,mshtml=",
            # Mesa's shader disk cache writes from a nice-19 thread that the
            # process exit waits for; on a busy machine that thread gets no
            # time for seconds and the wineserver kills the exiting saver
            # (exit status -9) although it ended well (see run-gtest.py).
            "MESA_SHADER_CACHE_DISABLE": "true",
        })
        if self.two_monitors:
            self._start_xorg_two_monitors()
        else:
            self._start_xvfb()
        self._start_pulse()
        _run("starting the wineserver", ["wineserver", "-p"], 60, env=self.env, check=False)
        _run("warming up Wine", [self.loader, DRIVER, "cursor"], 120, env=self.env, stdin=subprocess.DEVNULL,
             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def _start_xvfb(self):
        self._start_server(["Xvfb", "-screen", "0", self.screen, "-nolisten", "tcp"])

    def _start_xorg_two_monitors(self):
        """Xorg with the dummy driver and a second output added with xrandr:
        800x600 at (0,0) and 640x480 at (800,0). (Xvfb's Xinerama screens all
        sit at (0,0), which leaves Wine's second adapter without a mode.)"""
        conf = os.path.join(self.tmp, "xorg.conf")
        with open(conf, "w") as f:
            f.write(XORG_DUMMY_CONF)
        self._start_server(["Xorg", "-config", conf, "-logfile", os.path.join(self.tmp, "xorg.log"), "-noreset",
                            "-nolisten", "tcp", "-novtswitch", "-sharevts"])
        env = dict(self.env)
        _run("adding the second output", ["xrandr", "--addmode", "DUMMY1", "640x480"], 30, env=env, check=True)
        _run("placing the second output",
             ["xrandr", "--output", "DUMMY1", "--mode", "640x480", "--right-of", "DUMMY0"], 30, env=env, check=True)
        # Query once so the server has settled on the new layout before Wine
        # reads the monitors.
        _run("querying the outputs", ["xrandr"], 30, env=env, stdout=subprocess.DEVNULL)
        time.sleep(1.0)

    def _start_server(self, command, timeout=20):
        """Starts an X server that writes its display number to a pipe;
        raises ServerStartError (with the server ended) when none comes
        within timeout seconds."""
        r, w = os.pipe()
        try:
            self.xvfb = subprocess.Popen(command[:1] + ["-displayfd", str(w)] + command[1:],
                                         pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except OSError as e:
            os.close(r)
            raise ServerStartError("%s cannot run: %s" % (command[0], e)) from None
        finally:
            os.close(w)
        number = _read_line(r, timeout)
        os.close(r)
        if not number.strip().isdigit():
            code = self.xvfb.poll()
            _stop(self.xvfb)
            raise ServerStartError("%s named no display within %d s (%s)" % (
                command[0], timeout, "still running" if code is None else "exit code %d" % code))
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display

    def _start_pulse(self):
        sock = os.path.join(self.tmp, "pulse.sock")
        # Without sound the server named here never exists: Wine then finds
        # no audio device, whatever runs on the machine.
        self.env["PULSE_SERVER"] = "unix:" + sock
        if not self.sound:
            return
        if shutil.which("pulseaudio") is None:
            raise unittest.SkipTest("pulseaudio is not installed")
        for name in ("runtime", "state"):
            os.makedirs(os.path.join(self.tmp, "pulse-" + name))
        env = dict(self.env, PULSE_RUNTIME_PATH=os.path.join(self.tmp, "pulse-runtime"),
                   PULSE_STATE_PATH=os.path.join(self.tmp, "pulse-state"))
        self.pulse = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "-L", "module-null-sink sink_name=nullsink rate=44100 channels=2",
             "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + sock],
            env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while not os.path.exists(sock) and time.time() < deadline:
            time.sleep(0.1)
        if not os.path.exists(sock):
            raise AssertionError("PulseAudio did not start")

    def record(self, name="rec.wav"):
        """with s.record() as rec: ... records the null sink into rec.path."""
        return Recording(self, os.path.join(self.tmp, name))

    def sink_inputs(self):
        """The streams now playing into the null sink, one line each."""
        r = subprocess.run(["pactl", "list", "short", "sink-inputs"], env=self.env, capture_output=True, timeout=30)
        return [line for line in r.stdout.decode().splitlines() if line.strip()]

    def __exit__(self, *exc):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    pass
            log = getattr(p, "log", None)
            if log:
                log.close()
            if p.stdout:
                p.stdout.close()
        if self.env is not None:
            try:
                subprocess.run(["wineserver", "-k"], env=self.env, check=False, stderr=subprocess.DEVNULL,
                               timeout=30)
            except subprocess.TimeoutExpired:
                pass
        _stop(self.pulse)
        _stop(self.xvfb)
        shutil.rmtree(self.tmp, ignore_errors=True)

    # Programs.
    def start(self, *args, program=SCR, extra_env=None):
        env = dict(self.env)
        if extra_env:
            env.update(extra_env)
        index = len(self.procs)
        log = open(os.path.join(self.tmp, "log-%d.txt" % index), "w+b")
        # Each program runs in a folder of its own with core dumps on, so
        # that a crash of the Wine process (a signal, not a Windows
        # exception) can be shown with its native stack in output().
        cwd = os.path.join(self.tmp, "run-%d" % index)
        os.makedirs(cwd)
        p = subprocess.Popen([self.loader, program] + list(args), env=env, stdin=subprocess.DEVNULL,
                             stdout=log, stderr=subprocess.STDOUT, cwd=cwd, preexec_fn=_allow_core_dumps)
        p.log = log
        p.cwd = cwd
        self.procs.append(p)
        return p

    def output(self, proc):
        proc.log.flush()
        proc.log.seek(0)
        text = proc.log.read().decode("utf-8", "replace")
        if proc.returncode is not None and proc.returncode < 0:
            text += _native_stacks(self.loader, getattr(proc, "cwd", None))
        return text

    def drv(self, *args, timeout=60):
        r = subprocess.run([self.loader, DRIVER] + [str(a) for a in args], env=self.env,
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
        return r.stdout.decode("utf-8", "replace")

    def windows(self, cls=SAVER_CLASS, timeout=60):
        return [Window(line) for line in self.drv("windows", cls, timeout=timeout).splitlines() if line.strip()]

    def children(self, hwnd):
        return [Window(line) for line in self.drv("children", hwnd).splitlines() if line.strip()]

    def wait_windows(self, cls=SAVER_CLASS, count=1, timeout=60):
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                # Wine 8, 2026-12: now and then a driver started while a saver
                # starts up in a fresh prefix stays stuck for a minute or
                # more; one started again at once answers.
                found = self.windows(cls, timeout=15)
            except subprocess.TimeoutExpired:
                continue

            if len(found) >= count:
                return found
            time.sleep(0.3)
        raise AssertionError("no %d window(s) of class %s after %d s" % (count, cls, timeout))

    def post(self, hwnd, msg, wparam=0, lparam=0):
        self.drv("post", hwnd, msg, wparam, lparam)

    def cursor(self):
        x, y = self.drv("cursor").split()
        return int(x), int(y)

    def reg(self, *args):
        return _run("reg " + " ".join(args[:2]), [self.loader, "reg"] + list(args), 60, env=self.env,
                    stdin=subprocess.DEVNULL, capture_output=True)

    def program_folder(self, program, with_library, contents=None):
        """A folder of the session's own holding a copy of program (or
        contents under its name) and, with_library, common_res.dll beside
        it; returns the copy's path."""
        folder = os.path.join(self.tmp, "bin")
        os.makedirs(folder, exist_ok=True)
        copy = os.path.join(folder, os.path.basename(program))
        if contents is None:
            shutil.copy(program, copy)
        else:
            with open(copy, "wb") as f:
                f.write(contents)
        if with_library:
            shutil.copy(os.path.join(BIN, "common_res.dll"), folder)
        return copy

    def set_picture_position(self, mode):
        """Stores "PicPos" (0 Stretch, 1 Fit, 2 Fill) for the next saver."""
        r = self.reg("add", r"HKCU\Software\Tessaverd\Glimmerwright\Screensaver", "/v", '"PicPos"',
                     "/t", "REG_DWORD", "/d", str(mode), "/f")
        if r.returncode != 0:
            raise AssertionError("cannot store the picture position: %s" % r.stderr.decode("utf-8", "replace"))

    def preview_host(self, width=152, height=112):
        """A visible top-level window of the driver with a width x height
        client for a preview to live in; returns its handle. Closing it
        ends the preview."""
        host = subprocess.Popen([self.loader, DRIVER, "host", str(width), str(height)], env=self.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.procs.append(host)
        line = _read_line(host.stdout.fileno(), 60)
        if not line.endswith(b"\n"):
            raise AssertionError("the preview host window named no handle within 60 s (driver %s)" % (
                "still running" if host.poll() is None else "exit code %d" % host.returncode))
        return int(line.decode().strip())

    def end_saver(self, args, window):
        """Ends a saver started with these arguments the way its mode ends:
        the test window is closed, full screen takes a key, the preview
        ends with its parent."""
        if args[0] == "/p":
            self.post(int(args[1]), WM_CLOSE)
        elif args[0] == "/t":
            self.post(window.hwnd, WM_CLOSE)
        else:
            self.post(window.hwnd, WM_KEYDOWN, VK_SPACE)

    def wait_exit(self, proc, timeout=20):
        try:
            return proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def alive_after(self, proc, seconds):
        time.sleep(seconds)
        return proc.poll() is None

    def wait_screen(self, predicate, timeout=30):
        """Takes screenshots until predicate(image) holds; returns the last
        image either way (a loaded machine can take long to show a frame)."""
        deadline = time.time() + timeout
        while True:
            img = self.screenshot()
            if predicate(img) or time.time() > deadline:
                return img
            time.sleep(0.5)

    def screenshot(self, path=None):
        # xwd also asks about the windows on the root (for their colour
        # maps); a window that goes away meanwhile makes it fail with
        # BadWindow. Such a capture is taken again; any other failure is not.
        for attempt in range(3):
            xwd = _run("taking a screenshot", ["xwd", "-root", "-silent", "-display", self.display], 30,
                       capture_output=True)
            if xwd.returncode == 0 or b"BadWindow" not in xwd.stderr:
                break
        ppm = _run("converting a screenshot", ["/usr/bin/convert", "xwd:-", "-depth", "8", "ppm:-"], 30,
                   input=xwd.stdout, capture_output=True).stdout
        if path:
            _run("saving a screenshot", ["/usr/bin/convert", "xwd:-", path], 30, input=xwd.stdout)
        # A failed capture gives no picture at all: fail with what xwd said.
        if not ppm.startswith(b"P6"):
            raise AssertionError("no screenshot of %s: %s" % (self.display, xwd.stderr.decode("utf-8", "replace")))
        return parse_ppm(ppm)


@contextlib.contextmanager
def two_monitor_session(test):
    """A Session on Xorg with two monitors for the block. Only a server that
    cannot start skips the test: any other failure while the session starts
    fails it. A session that fails to start has ended its server already."""
    session = Session(two_monitors=True)
    try:
        s = session.__enter__()
    except ServerStartError as e:
        test.skipTest("Xorg with the dummy driver cannot start here: %s" % e)
    try:
        yield s
    finally:
        session.__exit__(None, None, None)


def parse_ppm(ppm):
    """An Image from the bytes of a binary PPM (P6, maxval 255)."""
    # Header: magic, width, height, maxval, separated by white space, with
    # "#" comments running to the end of their line. A cut header fails
    # rather than scanning past the end.
    fields = []
    pos = 0
    while len(fields) < 4:
        if pos >= len(ppm):
            raise AssertionError("truncated picture header: %r" % ppm[:64])
        while ppm[pos:pos + 1].isspace():
            pos += 1
        if ppm[pos:pos + 1] == b"#":
            pos = ppm.index(b"\n", pos) + 1
            continue
        start = pos
        while pos < len(ppm) and not ppm[pos:pos + 1].isspace():
            pos += 1
        fields.append(ppm[start:pos])
    pos += 1
    return Image(int(fields[1]), int(fields[2]), ppm[pos:])


def read_picture(path):
    """A picture file (any format ImageMagick reads) as an Image."""
    r = _run("reading " + path, ["/usr/bin/convert", path, "-depth", "8", "ppm:-"], 60, capture_output=True)
    if r.returncode != 0 or not r.stdout:
        raise AssertionError("cannot read %s: %s" % (path, r.stderr.decode("utf-8", "replace")))
    return parse_ppm(r.stdout)


def color_distance(p, q):
    """Mean difference of red, green and blue."""
    return sum(abs(a - b) for a, b in zip(p, q)) / 3


class PictureView:
    """A screenshot's client area showing a picture stretched over it,
    addressed in the picture's pixels, beside the picture itself."""

    def __init__(self, img, area, landscape, picture_size, step, near, changed):
        self.img, self.area, self.landscape = img, area, landscape
        self.picture_size, self.step, self.near, self.changed = picture_size, step, near, changed
        self.width, self.height = area[2] - area[0], area[3] - area[1]

    def shown(self, x, y):
        return self.img.pixel(self.area[0] + x * self.width // self.picture_size[0],
                              self.area[1] + y * self.height // self.picture_size[1])

    def picture(self, x, y):
        lw, lh = self.landscape.width, self.landscape.height
        return self.landscape.pixel(min(x * lw // self.picture_size[0], lw - 1),
                                    min(y * lh // self.picture_size[1], lh - 1))

    def points(self, box):
        left, top, right, bottom = box
        half = self.step // 2
        return [(x, y) for y in range(top + half, bottom, self.step) for x in range(left + half, right, self.step)]

    def share(self, boxes, test):
        """The share of the sample points of boxes for which test(x, y) holds."""
        points = [p for box in boxes for p in self.points(box)]
        return sum(1 for x, y in points if test(x, y)) / len(points)

    def like_picture(self, boxes):
        return self.share(boxes, lambda x, y: color_distance(self.shown(x, y), self.picture(x, y)) < self.near)

    def changed_from(self, other, box):
        return self.share([box], lambda x, y: color_distance(self.shown(x, y), other.shown(x, y)) > self.changed)


def screenshots_a_second_apart(test, program, make_view, ready, count=3, with_library=False, keep=None):
    """Plays program in the test window from a copy of its folder (with or
    without common_res.dll), stretched so the picture covers the client
    area; waits (up to 90 s past the splash) until ready(view) holds, takes
    count screenshots a second apart, then closes the window and checks that
    the program ends cleanly. Returns the views, each make_view(image,
    client area). With keep (a folder) the later screenshots are also saved
    there as shot1.png and on."""
    with Session() as s:
        copy = s.program_folder(program, with_library=with_library)
        s.set_picture_position(0)
        p = s.start("/t", program=copy)
        (w,) = s.wait_windows(timeout=120)
        area = client_area(w)
        deadline = time.time() + 90
        first = make_view(s.screenshot(), area)
        while not ready(first) and time.time() < deadline:
            time.sleep(0.5)
            first = make_view(s.screenshot(), area)
        test.assertTrue(ready(first), s.output(p))
        shots = [first]
        for i in range(1, count):
            time.sleep(1.0)
            path = os.path.join(keep, "shot%d.png" % i) if keep else None
            shots.append(make_view(s.screenshot(path), area))
        s.post(w.hwnd, WM_CLOSE)
        test.assertEqual(s.wait_exit(p), 0, s.output(p))
    return shots


def changes_between(shots, box):
    """The changed share of box from each screenshot to the next."""
    return [later.changed_from(earlier, box) for earlier, later in zip(shots, shots[1:])]


def make_lparam(x, y):
    return ((y & 0xFFFF) << 16) | (x & 0xFFFF)


# The scene composer and the build folders it takes its files from.
COMPOSER = os.path.join(BIN, "scene_composer.exe")
SCENE_PICTURES = os.path.join(BUILD, "scenepics")
EFFECTS = os.path.join(BUILD, "fx")
LIBRARY = os.path.join(BUILD, "res", "common_res", "generated")


def compose(scene, folder, library=LIBRARY):
    """Composes the scene text in folder (test.scene into test.kvb);
    returns the composer's exit code, its error output and the document's
    path."""
    path = os.path.join(folder, "test.scene")
    with open(path, "w") as f:
        f.write(scene)
    output = os.path.join(folder, "test.kvb")
    r = subprocess.run([os.path.join(TOOLS, "wine-run.sh"), COMPOSER, path, SCENE_PICTURES, EFFECTS, library, output],
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    return r.returncode, r.stderr.decode("utf-8", "replace"), output

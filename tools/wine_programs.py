"""What the runners of Windows programs under Wine share: the unit tests
(tools/run-gtest.py) and the frame benchmark (tools/bench_run.py) run with
the same environment and report an ended program the same way."""
import os
import signal


def test_environment():
    """The environment of a test or benchmark program under Wine.

    Mesa (llvmpipe), 2026-12: the shader disk cache writes from a thread that
    runs at nice 19, and the process exit waits for that thread. On a machine
    whose processors are all busy it gets no time for seconds; once the
    Windows side of the process has ended, the wineserver kills a process
    whose Unix exit takes that long (SIGKILL, exit status 137), although the
    program ended well. Without the cache there is no such thread; compiling
    the tests' few small shaders again costs nothing measurable."""
    env = dict(os.environ)
    env.setdefault("MESA_SHADER_CACHE_DISABLE", "true")
    return env


def describe(code):
    """A subprocess return code in words: an exit status or a signal."""
    if code is None:
        return "no exit status"
    if code < 0:
        try:
            return "signal %d (%s)" % (-code, signal.Signals(-code).name)
        except ValueError:
            return "signal %d" % -code
    return "exit status %d" % code

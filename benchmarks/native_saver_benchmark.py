#!/usr/bin/env python3
"""The native vexaframe on the virtual X display DISPLAY names: the share of a core it takes
beside XScreenSaver's OpenGL slideshow on the same photographs, and its frame intervals while
12- and 48-megapixel pictures change.

Run it on a display of its own, which scripts/benchmark.sh does:
  VEXAFRAME_SCREEN=1280x1024x24 tests/wine/run_on_virtual_display.sh --native \\
      python3 benchmarks/native_saver_benchmark.py

A program's processor time is what /proc says it and its children took (user and system),
those still running and those it has collected, over the same window after its first frame.
The X server's time is shown beside it: a program that draws through XPutImage has the server do
part of its work.

A frame is a picture put on the root window, as the server's DAMAGE extension reports it: the
program is measured from outside, as it runs for a user. Each frame's time is the server's
millisecond timestamp of its report, so how late this script reads it does not count.
"""

import argparse
import ctypes
import os
import select
import signal
import shutil
import subprocess
import tempfile
import threading
import time

from picture_change_frames import REFRESH_MS, START_SECONDS, photograph, report

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "linux")
XSCREENSAVER_PROGRAMS = "/usr/libexec/xscreensaver"

SHARE_SECONDS = 30
SHARE_START_SECONDS = 5  # after the first frame, left for the start to settle
FRAMES_SECONDS = 30
INTERVAL_SECONDS = 10  # the shortest interval the saver takes
STOP_SECONDS = 10
FIRST_FRAME_BOUND_SECONDS = 120  # only guards against a hang
TICKS = os.sysconf("SC_CLK_TCK")
PHOTOGRAPHS = (("12 MP", 4000, 3000), ("48 MP", 8000, 6000))


class Failure(Exception):
    pass


# --- Processor time ---

def process_table():
    """pid: (parent pid, clock ticks taken by it and by the children it has collected)."""
    table = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat", encoding="ascii", errors="replace") as stat:
                text = stat.read()
        except OSError:
            continue  # ended since the listing
        # The command name may hold blanks and parentheses; the fields follow its last ')'.
        fields = text[text.rindex(")") + 2:].split()
        utime, stime, cutime, cstime = (int(field) for field in fields[11:15])
        table[int(name)] = (int(fields[1]), utime + stime + cutime + cstime)
    return table


def tree_ticks(pid):
    """The ticks of a process and all its descendants now running."""
    table = process_table()
    children = {}
    for child, (parent, _) in table.items():
        children.setdefault(parent, []).append(child)
    total, pending = 0, [pid]
    while pending:
        current = pending.pop()
        if current in table:
            total += table[current][1]
            pending.extend(children.get(current, []))
    return total


def own_ticks(pid):
    return process_table().get(pid, (0, 0))[1]


def x_server_pid():
    """The Xvfb that run_on_virtual_display.sh started beside this script."""
    runner = os.getppid()
    for pid, (parent, _) in process_table().items():
        if parent == runner:
            with open(f"/proc/{pid}/comm", encoding="ascii", errors="replace") as comm:
                if comm.read().strip() == "Xvfb":
                    return pid
    return None


# --- Frames, from the server's DAMAGE reports ---

class DamageEvent(ctypes.Structure):
    """XDamageNotifyEvent, padded to the size of an XEvent."""
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("drawable", ctypes.c_ulong),
                ("damage", ctypes.c_ulong), ("level", ctypes.c_int), ("more", ctypes.c_int),
                ("timestamp", ctypes.c_ulong), ("area", ctypes.c_short * 4),
                ("geometry", ctypes.c_short * 4), ("padding", ctypes.c_long * 24)]


class FrameWatch(threading.Thread):
    """Records the server's time of every picture put on the root window until stopped."""

    RAW_RECTANGLES = 0  # XDamageReportRawRectangles: a report for each drawing, never merged

    def __init__(self):
        super().__init__(daemon=True)
        self.times = []
        self.stopping = threading.Event()
        self.ready = threading.Event()
        self.failure = None

    def run(self):
        try:
            self.watch()
        except Failure as failure:
            self.failure = failure
            self.ready.set()

    def watch(self):
        xlib = ctypes.CDLL("libX11.so.6")
        damage = ctypes.CDLL("libXdamage.so.1")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        for name in ("XPending", "XConnectionNumber", "XFlush", "XCloseDisplay"):
            getattr(xlib, name).argtypes = [ctypes.c_void_p]
        xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        damage.XDamageQueryExtension.argtypes = [ctypes.c_void_p] + [
            ctypes.POINTER(ctypes.c_int)] * 2
        damage.XDamageCreate.restype = ctypes.c_ulong
        damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]

        display = xlib.XOpenDisplay(None)
        if not display:
            raise Failure("cannot open the display")
        try:
            event_base, error_base = ctypes.c_int(), ctypes.c_int()
            if not damage.XDamageQueryExtension(display, ctypes.byref(event_base),
                                                ctypes.byref(error_base)):
                raise Failure("the display has no DAMAGE extension")
            damage.XDamageCreate(display, xlib.XDefaultRootWindow(display), self.RAW_RECTANGLES)
            xlib.XFlush(display)
            self.ready.set()
            connection = xlib.XConnectionNumber(display)
            event = DamageEvent()
            while not self.stopping.is_set():
                if xlib.XPending(display) == 0:
                    select.select([connection], [], [], 0.1)
                    continue
                xlib.XNextEvent(display, ctypes.byref(event))
                # One drawing may come as several rectangles; the last says no more follow.
                if event.type == event_base.value and not event.more:
                    self.times.append(event.timestamp / 1000)
        finally:
            xlib.XCloseDisplay(display)

    def __enter__(self):
        self.start()
        self.ready.wait(STOP_SECONDS)
        if self.failure:
            raise self.failure
        return self

    def __exit__(self, *_):
        self.stopping.set()
        self.join(STOP_SECONDS)

    def wait_for_first(self, program):
        deadline = time.monotonic() + FIRST_FRAME_BOUND_SECONDS
        while not self.times:
            program.expect_running()
            if time.monotonic() > deadline:
                raise Failure(f"{program.command[0]} drew nothing in "
                              f"{FIRST_FRAME_BOUND_SECONDS} s")
            time.sleep(0.1)


# --- Programs ---

class Program:
    """A program drawing on the root window, with a home of its own; ended when left."""

    def __init__(self, folders, name, command, env=None):
        self.home = os.path.join(folders, name)
        os.makedirs(self.home)
        self.env = dict(os.environ, HOME=self.home,
                        XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        XDG_CACHE_HOME=os.path.join(self.home, "cache"), **(env or {}))
        self.env.pop("XSCREENSAVER_WINDOW", None)
        self.command = command
        self.process = None
        self.log = open(os.path.join(self.home, "output.log"), "w+b")

    def __enter__(self):
        self.process = subprocess.Popen(self.command, env=self.env, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        return self

    def __exit__(self, *_):
        if self.process.poll() is None:
            # A signal ends both programs as XScreenSaver ends them, with their helpers.
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(STOP_SECONDS)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(STOP_SECONDS)
        self.log.close()

    def expect_running(self):
        if self.process.poll() is not None:
            self.log.seek(0)
            said = self.log.read().decode("utf-8", "replace").strip()
            raise Failure(f"{self.command[0]} ended early; it said: {said}")


def clear_root():
    """Black over what the last program drew, which the root window keeps."""
    subprocess.run(["xsetroot", "-solid", "black"], check=True, timeout=STOP_SECONDS)


def vexaframe(options, folders, name, folder, arguments):
    return Program(folders, name, [options.program, "-root", "-folder", folder, *arguments])


# On a slow or busy machine the slideshow would otherwise stop panning and fading for good,
# and show still pictures instead: another kind of work than the cube's.
def slideshow(folders, folder):
    program = Program(folders, "glslideshow", [
        os.path.join(XSCREENSAVER_PROGRAMS, "glslideshow"), "-root",
        "-duration", str(INTERVAL_SECONDS), "-cutoff", "0"],
        # XScreenSaver starts its modules with its own programs on the path: the slideshow's
        # pictures come from xscreensaver-getimage, which runs xscreensaver-getimage-file.
        env={"PATH": XSCREENSAVER_PROGRAMS + os.pathsep + os.environ["PATH"]})
    with open(os.path.join(program.home, ".xscreensaver"), "w", encoding="utf-8") as settings:
        settings.write(f"imageDirectory:\t{folder}\nchooseRandomImages:\tTrue\n"
                       "grabDesktopImages:\tFalse\ngrabVideoFrames:\tFalse\n")
    return program


# --- The benchmarks ---

def photograph_folder(label, width, height):
    """Two photographs of a size, made once for the build."""
    folder = os.path.join(BUILD, "benchmarks", "photographs", label.replace(" ", ""))
    os.makedirs(folder, exist_ok=True)
    for seed in (1, 2):
        if not os.path.exists(os.path.join(folder, f"{seed}.jpg")):
            photograph(folder, f"{seed}.jpg", width, height, seed)
    return folder


def shares(program, server):
    """The share of a core the program and the server took over the window, and its frames a
    second."""
    clear_root()
    with FrameWatch() as frames, program:
        frames.wait_for_first(program)
        time.sleep(SHARE_START_SECONDS)
        program.expect_running()
        started = time.monotonic()
        program_before, server_before = tree_ticks(program.process.pid), own_ticks(server)
        frames_before = len(frames.times)
        time.sleep(SHARE_SECONDS)
        program_after, server_after = tree_ticks(program.process.pid), own_ticks(server)
        seconds = time.monotonic() - started
        frame_count = len(frames.times) - frames_before
        program.expect_running()
    return ((program_after - program_before) / TICKS / seconds,
            (server_after - server_before) / TICKS / seconds, frame_count / seconds)


def processor_shares(options, folders):
    server = x_server_pid()
    if server is None:
        raise Failure("no Xvfb beside this script: run it through run_on_virtual_display.sh")
    label, width, height = PHOTOGRAPHS[0]
    folder = photograph_folder(label, width, height)
    print(f"Processor, a share of one core, over {SHARE_SECONDS} s after {SHARE_START_SECONDS} s "
          f"from the first frame, on the root window of a virtual display; two {label} "
          f"photographs, a new one every {INTERVAL_SECONDS} s; frames counted from the server's "
          f"reports")
    print(f"  {'program':42} {'program':>8} {'X server':>8} {'both':>8} {'frames/s':>8} "
          f"{'ms/frame':>8}")
    # The device it chooses by itself, then OpenGL whatever renders it.
    runs = (("vexaframe -root", vexaframe(options, folders, "default", folder, [])),
            ("vexaframe -root -caption", vexaframe(options, folders, "caption", folder,
                                                   ["-caption"])),
            ("vexaframe -root -opengl", vexaframe(options, folders, "opengl", folder, ["-opengl"])),
            (f"glslideshow -root -duration {INTERVAL_SECONDS} -cutoff 0",
             slideshow(folders, folder)))
    results = []
    for name, program in runs:
        program_share, server_share, rate = shares(program, server)
        both = program_share + server_share
        # What a frame costs barely changes when the machine is busy; the share does. Below a
        # frame a second the program hardly ran, and its start would count for its frames.
        per_frame = both / rate * 1000 if rate >= 1 else None
        results.append((program_share, both, per_frame))
        shown = f"{per_frame:8.1f}" if per_frame is not None else f"{'-':>8}"
        print(f"  {name:42} {program_share:8.2f} {server_share:8.2f} {both:8.2f} {rate:8.1f} "
              f"{shown}", flush=True)
    *ours, slides = results
    print(f"  captions on / off: the program alone {ratio(ours[1][0], ours[0][0])}, "
          f"processor a frame {ratio(ours[1][2], ours[0][2])}")
    for (name, _), measured in zip(runs, ours):
        print(f"  {name} / glslideshow: " + ", ".join(
            f"{what} {ratio(measured[at], slides[at])}" for at, what in (
                (0, "the program alone"), (1, "with the X server"), (2, "processor a frame"))))
    if any(per_frame is None for _, _, per_frame in results):
        print("  (a program drew less than a frame a second: the machine was too busy for these "
              "shares to compare)")


def ratio(numerator, denominator):
    return f"{numerator / denominator:.2f}" if numerator is not None and denominator else "-"


def frame_times(options, folders, name, folder, interval, extra=()):
    program = vexaframe(options, folders, name, folder, [
        "-interval", str(interval), "-order", "sequential", "-transparency", "opaque", *extra])
    clear_root()
    with FrameWatch() as frames, program:
        frames.wait_for_first(program)
        time.sleep(FRAMES_SECONDS)
        program.expect_running()
    first = frames.times[0] + START_SECONDS
    return [t for t in frames.times if t >= first]


def report_frames(name, times):
    if len(times) < 2:
        # A machine too busy to give the program a second frame after its start.
        print(f"  {name:28} {len(times):6}  too few frames for an interval", flush=True)
    else:
        report(name, times)


def frame_intervals(options, folders):
    print(f"vexaframe -root (the device it chooses), {FRAMES_SECONDS} s a run from its first "
          f"frame, the first {START_SECONDS} s left out; refresh period {REFRESH_MS:.1f} ms (the "
          f"pace it keeps where the display reports no rate)")
    print(f"  {'run':28} {'frames':>6} {'median':>7} {'p99':>7} {'longest':>7} "
          f"{'x refr':>6} {'>2 refr':>7}  (intervals in ms)")
    for label, width, height in PHOTOGRAPHS:
        folder = photograph_folder(label, width, height)
        if label == PHOTOGRAPHS[0][0]:
            report_frames(f"{label}, no change", frame_times(options, folders, "still", folder, 60))
        report_frames(f"{label}, a change every {INTERVAL_SECONDS} s",
               frame_times(options, folders, label.replace(" ", ""), folder, INTERVAL_SECONDS))
        if label == PHOTOGRAPHS[0][0]:
            report_frames(f"{label}, change, captions",
                          frame_times(options, folders, "captions", folder, INTERVAL_SECONDS,
                                      ["-caption"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", default=os.path.join(BUILD, "vexaframe"))
    options = parser.parse_args()
    folders = tempfile.mkdtemp(prefix="vexaframe-native-benchmark-")
    try:
        processor_shares(options, folders)
        frame_intervals(options, folders)
    except Failure as failure:
        print(f"native saver benchmark failed: {failure}")
        return 1
    finally:
        shutil.rmtree(folders, ignore_errors=True)
    return 0


if __name__ == "__main__":
    raise SystemExit(main())

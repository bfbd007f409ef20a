#!/usr/bin/env python3
"""The frame intervals of the real Vexaframe.scr /s under Wine while its pictures change, for
12- and 48-megapixel JPEGs, against a run whose picture never changes. Each frame's time is
that of its Direct3D Present call in Wine's d3d8 trace (millisecond timestamps); the refresh
period is the virtual display's 60 Hz.

Each run shows two such pictures in turn, changing every 3 seconds, for RUN_SECONDS; the
first seconds of the start are left out. The trace goes to memory (/dev/shm) where there is
such a folder: written to the disk, its own lines wait on the file system's journal while the
saver frees a picture's file, and the frames seem held where they are not.
"""

import os
import re
import statistics
import subprocess
import time

import wine_benchmark
from wine_benchmark import end_to_end, wine_session

RUN_SECONDS = 30
START_SECONDS = 4
INTERVAL_SECONDS = 3
REFRESH_MS = 1000 / 60
TRACE_FOLDER = "/dev/shm" if os.path.isdir("/dev/shm") else None
PRESENT = re.compile(r"^(\d+\.\d+):[0-9a-f]+:trace:d3d8:d3d8_device_Present ")


def photograph(folder, name, width, height, seed):
    """A noisy picture, so that it decodes at about a photograph's cost."""
    path = os.path.join(folder, name)
    subprocess.run(["convert", "-seed", str(seed), "-size", f"{width}x{height}",
                    "gradient:#203060-#F0A040", "-attenuate", "0.4", "+noise", "Gaussian",
                    "-quality", "90", path], check=True, timeout=600)
    return path


def frame_times(session, name, pictures, interval, caption=0):
    windows_folder = session.windows_picture_folder(name, pictures)
    settings = {**wine_session.saver_settings(windows_folder, interval),
                wine_session.CAPTION_KEY: caption}
    copy = session.fresh_copy(name, settings)
    log_path = os.path.join(TRACE_FOLDER or session.folders, f"vexaframe-{os.getpid()}-{name}.log")
    env = dict(session.env, WINEDEBUG="-all,+timestamp,trace+d3d8")
    try:
        with open(log_path, "wb") as log:
            process = subprocess.Popen([session.wine_run, copy, "/s"], env=env,
                                       stdout=subprocess.DEVNULL, stderr=log)
            time.sleep(RUN_SECONDS)
            end_to_end.stop(process)
        with open(log_path, encoding="utf-8", errors="replace") as log:
            presents = [float(match.group(1)) for match in map(PRESENT.match, log) if match]
    finally:
        os.remove(log_path)
    if len(presents) < 2:
        raise end_to_end.Failure(f"{name}: no frames in the trace")
    first = presents[0] + START_SECONDS
    return [t for t in presents if t >= first]


def report(name, times):
    intervals = sorted((b - a) * 1000 for a, b in zip(times, times[1:]))
    longest = intervals[-1]
    over = sum(1 for interval in intervals if interval > 2 * REFRESH_MS)
    print(f"  {name:28} {len(times):6} {statistics.median(intervals):7.1f} "
          f"{intervals[int(len(intervals) * 0.99)]:7.1f} {longest:7.1f} "
          f"{longest / REFRESH_MS:6.1f} {over:7}", flush=True)


def benchmark(session):
    print(f"Vexaframe.scr /s under Wine at {end_to_end.SCREEN[0]} x {end_to_end.SCREEN[1]}, "
          f"{RUN_SECONDS} s a run, the first {START_SECONDS} s left out; refresh period "
          f"{REFRESH_MS:.1f} ms")
    print(f"  {'run':28} {'frames':>6} {'median':>7} {'p99':>7} {'longest':>7} "
          f"{'x refr':>6} {'>2 refr':>7}  (intervals in ms)")
    for label, width, height in (("12 MP", 4000, 3000), ("48 MP", 8000, 6000)):
        pictures = {f"{n}.jpg": photograph(session.folders, f"{label[:2]}-{n}.jpg", width,
                                           height, n)
                    for n in (1, 2)}
        if label == "12 MP":
            report("12 MP, no change", frame_times(session, "still", pictures, 60))
        report(f"{label}, a change every {INTERVAL_SECONDS} s",
               frame_times(session, label[:2], pictures, INTERVAL_SECONDS))
        if label == "12 MP":
            report("12 MP, change, captions",
                   frame_times(session, "captions", pictures, INTERVAL_SECONDS, caption=1))


def main():
    parser = wine_benchmark.argument_parser(__doc__.split("\n\n")[0], "picture_change_prefix")
    return wine_benchmark.run(parser.parse_args(), benchmark, "picture change frames benchmark")


if __name__ == "__main__":
    raise SystemExit(main())

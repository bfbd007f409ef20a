#!/usr/bin/env python3
"""Runs the real Vexaframe.scr /s under Wine for some minutes at a 1-second interval over a
folder of pictures (the build's samples unless given), with broken files added, and prints
every few seconds its resident memory, the decoders running and the pictures staged so far.

GDI and USER object counts are not printed: Wine does not count them per process.
"""

import os
import time

import wine_benchmark
from wine_benchmark import end_to_end, wine_session

POLL_SECONDS = 0.2


def decoders_running():
    """Decoder processes: their command line names the pending bitmap file."""
    count = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                count += b"Vexaframe.bmp.next" in cmdline.read()
        except OSError:
            pass
    return count


def pictures_of(folder):
    return {name: os.path.join(folder, name) for name in sorted(os.listdir(folder))
            if os.path.isfile(os.path.join(folder, name))}


def soak(session, minutes, folder, every):
    pictures = pictures_of(folder or session.samples)
    jpegs = [path for path in pictures.values() if path.lower().endswith(".jpg")]
    if jpegs:
        pictures.update(wine_session.broken_pictures(session, jpegs[0]))
    windows_folder = session.windows_picture_folder("soak", pictures)
    settings = wine_session.saver_settings(windows_folder, 1)
    copy = session.fresh_copy("soak", settings)
    bitmap = os.path.join(os.path.dirname(copy), "Vexaframe.bmp")
    process = session.start_copy(copy, ["/s"])
    print(f"{len(pictures)} files, interval 1 s, {minutes} min, a line every {every} s")
    print(f"{'time':>8} {'resident MiB':>12} {'decoders':>8} {'staged':>7}", flush=True)
    started = time.monotonic()
    version, staged, next_line = wine_session.staged_version(bitmap), 0, started + every
    rows = []
    try:
        while time.monotonic() - started < minutes * 60:
            if process.poll() is not None:
                raise end_to_end.Failure(
                    f"the saver ended after {time.monotonic() - started:.0f} s "
                    f"(exit status {process.returncode})")
            now = wine_session.staged_version(bitmap)
            if now != version:
                version, staged = now, staged + 1
            if time.monotonic() >= next_line:
                elapsed = int(time.monotonic() - started)
                rows.append((elapsed, wine_session.resident_bytes(process.pid) >> 20))
                print(f"{elapsed // 60:5}:{elapsed % 60:02} {rows[-1][1]:12} "
                      f"{decoders_running():8} {staged:7}", flush=True)
                next_line += every
            time.sleep(POLL_SECONDS)
    finally:
        end_to_end.stop(process)
    later = [resident for elapsed, resident in rows if elapsed >= 60] or [rows[-1][1]]
    print(f"resident after the first minute: {min(later)} to {max(later)} MiB; "
          f"{staged} pictures staged; the saver ran to the end")


def main():
    parser = wine_benchmark.argument_parser(__doc__.split("\n\n")[0], "soak_prefix")
    parser.add_argument("minutes", type=float)
    parser.add_argument("folder", nargs="?", help="the pictures (default: the samples)")
    parser.add_argument("--every", type=int, default=5, help="seconds between lines")
    options = parser.parse_args()
    return wine_benchmark.run(
        options, lambda session: soak(session, options.minutes, options.folder, options.every),
        "soak")


if __name__ == "__main__":
    raise SystemExit(main())

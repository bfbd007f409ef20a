#!/usr/bin/env python3
"""From starting the real Vexaframe.scr /s under Wine to its window and its first lit frame,
on a virtual X display, against the start of a trivial Wine program (window_probe list).

The window is looked for with window_probe list and the screen with xwd screenshots, each
as fast as one look follows the other; a time is when the first look that saw it ended, so
it can be late by up to one look. A look that fails (the X server refusing a screenshot, a
Wine start failing) has not seen it yet. The saver's first frame is black by design, so the
cube first shows lit in its second frame.
"""

import os
import statistics
import subprocess
import threading
import time

import wine_benchmark
from wine_benchmark import end_to_end, wine_session

RUNS = 5
BOUND_SECONDS = 30  # only guards against a hang
LIT_LEVEL = 24  # a colour channel above this is lit
LIT_CHANNELS = 3000  # lit channels around the centre: some thousand pixels of the cube
CORNER = 16


WIDTH, HEIGHT = end_to_end.SCREEN
LIT_TABLE = bytes(1 if level > LIT_LEVEL else 0 for level in range(256))


def region(screen, left, top, right, bottom):
    """The RGB bytes of a rectangle of the screen, row after row."""
    return b"".join(screen[(y * WIDTH + left) * 3:(y * WIDTH + right) * 3]
                    for y in range(top, bottom))


def corners_black(screen):
    corners = ((0, 0), (WIDTH - CORNER, 0), (0, HEIGHT - CORNER),
               (WIDTH - CORNER, HEIGHT - CORNER))
    return not any(region(screen, x, y, x + CORNER, y + CORNER).strip(b"\0")
                   for x, y in corners)


def centre(screen):
    return region(screen, WIDTH // 4, HEIGHT // 4, WIDTH * 3 // 4, HEIGHT * 3 // 4)


def cube_lit(screen, before):
    """The screen holds a lit frame of this start: the root window keeps whatever was last
    drawn on it, so a frame of the previous start stays there until something covers it."""
    now = centre(screen)
    return (corners_black(screen) and now.translate(LIT_TABLE).count(1) >= LIT_CHANNELS
            and now != centre(before))


def saver_window_shown(windows):
    return any(window.caption == "Vexaframe_S" and window.visible for window in windows)


LOOK_FAILURES = (end_to_end.Failure, subprocess.SubprocessError)


class Watch(threading.Thread):
    """Looks again and again until a look passes `test`; records when that look ended, how
    long each look took and how many looks failed."""

    def __init__(self, event, look, test, started):
        super().__init__(daemon=True)
        self.event, self.look, self.test, self.started = event, look, test, started
        self.seen_after = None
        self.look_seconds = []
        self.failed_looks = 0

    def run(self):
        deadline = self.started + BOUND_SECONDS
        while self.seen_after is None and time.monotonic() < deadline:
            look_started = time.monotonic()
            try:
                passed = self.test(self.look())
            except LOOK_FAILURES:
                self.failed_looks += 1
                passed = False
            now = time.monotonic()
            self.look_seconds.append(now - look_started)
            if passed:
                self.seen_after = now - self.started


def start_once(session, copy, look_for_window):
    """The seconds from the start to the cube lit (and to the window shown; None for what was
    not seen), the seconds each look took and how many looks failed. Each window_probe list is
    a Wine start of its own, which competes with the saver's start for the processor."""
    before = session.screenshot()
    started = time.monotonic()
    process = session.start_copy(copy, ["/s"])
    watches = []
    if look_for_window:
        watches.append(
            Watch("window shown (window_probe)", session.windows, saver_window_shown, started))
    lit = "cube lit (xwd)" if look_for_window else "cube lit (xwd alone)"
    watches.append(
        Watch(lit, session.screenshot, lambda screen: cube_lit(screen, before), started))
    for watch in watches:
        watch.start()
    for watch in watches:
        watch.join()
    end_to_end.stop(process)
    wait_until_no_saver_window(session)
    return ({watch.event: watch.seen_after for watch in watches},
            {watch.event: watch.look_seconds for watch in watches},
            {watch.event: watch.failed_looks for watch in watches})


def saver_window_left(session):
    try:
        return any(window.caption in wine_session.OUR_CAPTIONS for window in session.windows())
    except LOOK_FAILURES:
        return True


def wait_until_no_saver_window(session):
    # A second saver beside a running one ends at once.
    deadline = time.monotonic() + BOUND_SECONDS
    while saver_window_left(session):
        if time.monotonic() > deadline:
            raise end_to_end.Failure("the saver's windows stayed after it was stopped")
        time.sleep(end_to_end.POLL_SECONDS)


def trivial_start_seconds(session):
    started = time.monotonic()
    session.windows()
    return time.monotonic() - started


def milliseconds(seconds):
    return f"{seconds * 1e3:7.0f}"


def print_row(name, values):
    seen = [value for value in values if value is not None]
    if not seen:
        print(f"  {name:34} not seen in {len(values)} runs")
        return
    unseen = f"  (not seen in {len(values) - len(seen)} runs)" if len(seen) < len(values) else ""
    print(f"  {name:34} {milliseconds(statistics.median(seen))} "
          f"{milliseconds(min(seen))} {milliseconds(max(seen))}{unseen}")


def benchmark(session):
    windows_folder = session.windows_picture_folder("pictures", {
        name: os.path.join(session.samples, name) for name in sorted(os.listdir(session.samples))})
    settings = wine_session.saver_settings(windows_folder, 60)
    copies = [session.fresh_copy(f"run{run}", settings) for run in range(2 * RUNS + 1)]

    first, _, _ = start_once(session, copies[0], True)  # the disk cache is cold for the first
    times, look_seconds, failed_looks = {}, {}, {}
    for run, copy in enumerate(copies[1:]):
        seen, looks, failed = start_once(session, copy, look_for_window=run % 2 == 0)
        for name, seconds in seen.items():
            times.setdefault(name, []).append(seconds)
        for name, seconds in looks.items():
            look_seconds.setdefault(name, []).extend(seconds)
        for name, count in failed.items():
            failed_looks[name] = failed_looks.get(name, 0) + count
    trivial = [trivial_start_seconds(session) for _ in range(RUNS)]

    pictures = len(os.listdir(session.samples))
    print(f"Vexaframe.scr /s under Wine at {WIDTH} x {HEIGHT}, {pictures} sample pictures, "
          f"sequential, opaque; after one run not counted, {RUNS} runs looking for the window "
          f"and the screen, and {RUNS} looking at the screen alone, taking turns")
    print(f"  {'from the start (ms)':34} {'median':>7} {'min':>7} {'max':>7}")
    for name, values in times.items():
        print_row(name, values)
    print_row("window_probe list (start to end)", trivial)
    print("  the first run: " + ", ".join(
        f"{name} {milliseconds(seconds).strip() if seconds is not None else 'not seen'}"
        for name, seconds in first.items()))
    trivial_median = statistics.median(trivial)
    print("  against window_probe list: " + ", ".join(
        f"{name} {statistics.median(seen) / trivial_median:.1f}x"
        for name, seen in ((name, [v for v in values if v is not None])
                           for name, values in times.items()) if seen))
    print("  a look took (median, so a time may be late by up to this): " + ", ".join(
        f"{name} {milliseconds(statistics.median(values)).strip()} ms"
        for name, values in look_seconds.items()))
    print("  looks that failed and counted as not seen yet: " + ", ".join(
        f"{name} {count}" for name, count in failed_looks.items()))


def main():
    parser = wine_benchmark.argument_parser(__doc__.split("\n\n")[0], "saver_start_prefix")
    return wine_benchmark.run(parser.parse_args(), benchmark, "saver start benchmark")


if __name__ == "__main__":
    raise SystemExit(main())

#!/usr/bin/env python3
"""The real Vexaframe.scr /c under Wine on a library of 100 000 pictures (1 000 year, month and
event folders, sub-folders on): from its start to its settings dialog shown with all of them
listed, against the same start on an empty folder; and, the dialog shown, from a click that
turns sub-folders on again to the list holding all of them.

The dialog lists the folder before it shows its window, so the time to the window shown holds
the listing and the list box's filling. The window is looked for with window_probe list, the
list's count with window_probe count, each as fast as one look follows the other; a time is
when the first look that saw it ended, so it can be late by up to one look.
"""

import os
import statistics
import time

import wine_benchmark
from wine_benchmark import end_to_end, wine_session
from dialog_end_to_end import CAPTION, SUBFOLDERS_CAPTION, SUBFOLDERS_KEY, within_caption

RUNS = 3
FOLDERS = 1000
PICTURES_PER_FOLDER = 100
BOUND_SECONDS = 600  # only guards against a hang


def make_library(root):
    """Empty files are enough: the dialog lists names, and reads a picture only when clicked."""
    for i in range(FOLDERS):
        folder = os.path.join(root, str(2000 + i // 40), str(i // 4 % 10 + 1), f"event {i}")
        os.makedirs(folder)
        for j in range(PICTURES_PER_FOLDER):
            open(os.path.join(folder, f"IMG_{j}.jpg"), "wb").close()


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def dialog_shown(session):
    return any(window.caption == CAPTION and window.visible for window in session.windows())


def dialog_window(session):
    return next((window for window in session.windows()
                 if window.caption == CAPTION and window.visible), None)


def lines_listed(session):
    return int(session.probe_output(["count", CAPTION])[0])


def seconds_until_listed(session, count, started):
    if not end_to_end.wait_for(lambda: lines_listed(session) == count, BOUND_SECONDS):
        raise end_to_end.Failure(f"the list never held {count} lines")
    return time.monotonic() - started


def click_subfolders(session, window):
    x, y = within_caption(SUBFOLDERS_CAPTION)
    session.xdotool("mousemove", str(window.rect[0] + x), str(window.rect[1] + y), "click", "1")


def seconds_to_dialog(session, copy, count):
    """The seconds to the dialog shown, and then to the list refilled after sub-folders went
    off and on again."""
    started = time.monotonic()
    process = session.start_copy(copy, ["/c"])
    try:
        window = end_to_end.wait_for(lambda: dialog_window(session), BOUND_SECONDS)
        if window is None:
            raise end_to_end.Failure(f"no dialog within {BOUND_SECONDS} s")
        shown = time.monotonic() - started
        if lines_listed(session) != count:
            raise end_to_end.Failure(f"the dialog shows {lines_listed(session)} lines")
        time.sleep(0.5)  # from a dialog shown to its X window taking input
        click_subfolders(session, window)
        seconds_until_listed(session, 0, time.monotonic())
        time.sleep(0.6)  # two clicks closer than this would make a double click
        click_subfolders(session, window)
        return shown, seconds_until_listed(session, count, time.monotonic())
    finally:
        end_to_end.stop(process)
        # A second dialog beside one still going away would end at once.
        end_to_end.wait_for(lambda: not any(window.caption == CAPTION
                                            for window in session.windows()))


def median_seconds(session, name, folder, count):
    """The medians of seconds_to_dialog's times."""
    settings = {wine_session.FOLDER_KEY: windows_path(folder), SUBFOLDERS_KEY: 1}
    copies = [session.fresh_copy(f"{name}{run}", settings) for run in range(RUNS + 1)]
    seconds_to_dialog(session, copies[0], count)  # warms the disk cache and Wine
    runs = [seconds_to_dialog(session, copy, count) for copy in copies[1:]]
    return tuple(statistics.median(times) for times in zip(*runs))


def benchmark(session):
    library = os.path.join(session.folders, "library")
    empty = os.path.join(session.folders, "empty")
    os.makedirs(empty)
    make_library(library)
    pictures = FOLDERS * PICTURES_PER_FOLDER
    listed, relisted = median_seconds(session, "library", library, pictures)
    bare, rebare = median_seconds(session, "empty", empty, 0)
    print(f"Vexaframe.scr /c under Wine, sub-folders on; median of {RUNS} runs after one not "
          "counted")
    print(f"  to the dialog shown, {pictures} pictures:     {listed * 1e3:8.0f} ms")
    print(f"  to the dialog shown, an empty folder:    {bare * 1e3:8.0f} ms")
    print(f"  listing {pictures} pictures took:          {(listed - bare) * 1e3:8.0f} ms")
    print(f"  shown, sub-folders on to {pictures} lines: {relisted * 1e3:8.0f} ms")
    print(f"  shown, the same on an empty folder:      {rebare * 1e3:8.0f} ms")


def main():
    parser = wine_benchmark.argument_parser(__doc__.split("\n\n")[0], "dialog_list_prefix")
    return wine_benchmark.run(parser.parse_args(), benchmark, "dialog list benchmark")


if __name__ == "__main__":
    raise SystemExit(main())

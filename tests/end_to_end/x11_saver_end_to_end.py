#!/usr/bin/env python3
"""The native program vexaframe on the X display DISPLAY names: the cube it draws into the root
window or another program's window, and every way out of the saver run by hand.

Each case starts the program with settings and staged picture in folders of its own, and
checks its exit code.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from saver_end_to_end import cube_shows, expect_cube_of
from wine_session import (RUN_BOUND_SECONDS, SCREEN, Failure, ended_within, expect_ended, expect_running, rgb_of, screenshot, stop,
                          wait_for_screen)

# One picture, in catalogue order and opaque, so that the cube shows only its colours.
ONE_PICTURE = ["-order", "sequential", "-transparency", "opaque"]


class Run:
    """A test run's display and folders; each case's program sees a home of its own."""

    def __init__(self, options):
        self.program = os.path.abspath(options.program)
        self.test_window = os.path.abspath(options.test_window)
        self.samples = options.samples
        self.folders = tempfile.mkdtemp(prefix="vexaframe-x11-e2e-")
        self.env = dict(os.environ)

    # What expect_cube_of asks of a session.
    def screenshot(self):
        return screenshot(self.env)

    def wait_for_screen(self, shows, bound=RUN_BOUND_SECONDS):
        return wait_for_screen(self.env, shows, bound)

    def picture_folder(self, name, picture):
        folder = os.path.join(self.folders, name, "pictures")
        os.makedirs(folder)
        shutil.copy(os.path.join(self.samples, picture), folder)
        return folder

    def start(self, name, arguments, picture="aurora_lake.bmp"):
        home = os.path.join(self.folders, name, "home")
        os.makedirs(home)
        env = dict(self.env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
                   XDG_CACHE_HOME=os.path.join(home, "cache"))
        env.pop("XSCREENSAVER_WINDOW", None)
        folder = self.picture_folder(name, picture) if picture else os.path.join(home, "none")
        return subprocess.Popen([self.program, "-folder", folder, *ONE_PICTURE, *arguments],
                                env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def xdotool(self, *arguments):
        return subprocess.run(["xdotool", *arguments], env=self.env, check=True, timeout=10,
                              capture_output=True, text=True).stdout

    def clear_root(self):
        """Black over what earlier cases drew into the root window, which keeps it."""
        subprocess.run(["xsetroot", "-solid", "black"], env=self.env, check=True, timeout=10)

    def close(self):
        shutil.rmtree(self.folders, ignore_errors=True)


class Saver:
    """The program started for a case; stopped when the case leaves it, whatever happened."""

    def __init__(self, run, name, arguments, picture="aurora_lake.bmp"):
        self.run = run
        # The root window keeps what the last case drew.
        self.screen_before = run.screenshot()
        self.process = run.start(name, arguments, picture)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        stop(self.process)

    def wait_until_drawing(self, drawing=cube_shows):
        if not self.run.wait_for_screen(
                lambda screen: screen != self.screen_before and drawing(screen)):
            raise Failure(f"the screen does not show the saver drawing; it said: "
                          f"{self.said()}")

    def said(self):
        if self.process.poll() is None:
            return "(still running)"
        return self.process.stderr.read().decode("utf-8", "replace").strip()


class TestWindow:
    """Another program's window of `size`, as XScreenSaver makes one; gone when the case
    leaves it, or earlier with close()."""

    def __init__(self, run, size):
        self.holder = subprocess.Popen([run.test_window, *map(str, size)], env=run.env,
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.id = self.holder.stdout.readline().decode().strip()

    def __enter__(self):
        if not self.id:
            self.close()
            raise Failure("the test window was not made")
        return self

    def __exit__(self, *_):
        self.close()

    def close(self):
        if not self.holder.stdin.closed:
            self.holder.stdin.close()
        self.holder.wait(RUN_BOUND_SECONDS)


def lit_in(screen, left, top, right, bottom):
    width = SCREEN[0]
    return sum(1 for y in range(top, bottom, 4) for x in range(left, right, 4)
               if max(screen[(y * width + x) * 3:(y * width + x) * 3 + 3]) > 24)


def pointer(run):
    fields = dict(field.split(":") for field in run.xdotool("getmouselocation").split())
    return int(fields["x"]), int(fields["y"])


# --- Cases ---

def case_root_shows_the_cube_of_the_picture_around_the_centre(run):
    for device in ([], ["-software"]):
        with Saver(run, "root" + "".join(device), ["-root", *device]) as saver:
            saver.wait_until_drawing()
            expect_cube_of(run, rgb_of(os.path.join(run.samples, "aurora_lake.bmp")))
            expect_running(saver.process, f"drawing into the root window {device}")


def case_a_given_window_is_drawn_into_and_followed_when_resized(run):
    small, large = (400, 300), (800, 600)
    for device in ([], ["-software"]):
        run.clear_root()
        with TestWindow(run, small) as test_window:
            window = test_window.id
            name = "window" + "".join(device)
            with Saver(run, name, ["-window-id", window, *device]) as saver:
                # Around the small window's centre, nothing right of or below it.
                saver.wait_until_drawing(
                    lambda screen: lit_in(screen, 150, 100, 250, 200) > 100)
                if lit_in(run.screenshot(), small[0], 0, SCREEN[0], SCREEN[1]):
                    raise Failure("drawn outside the window")
                run.xdotool("windowsize", window, *map(str, large))
                # The cube now turns around the large window's centre, beyond the small one.
                if not run.wait_for_screen(
                        lambda screen: lit_in(screen, 350, 250, 450, 350) > 100 and
                        lit_in(screen, small[0], 0, large[0], large[1]) > 100):
                    raise Failure(f"the drawing did not follow the resize {device}")
                if lit_in(run.screenshot(), large[0], 0, SCREEN[0], SCREEN[1]):
                    raise Failure("drawn outside the resized window")
                saver.process.send_signal(signal.SIGTERM)
                expect_ended(saver.process, f"SIGTERM into a given window {device}")


def case_a_given_window_that_its_owner_destroys_ends_it_quietly(run):
    for device in ([], ["-software"]):
        run.clear_root()
        with TestWindow(run, (400, 300)) as window:
            with Saver(run, "gone" + "".join(device), ["-window-id", window.id, *device]) as saver:
                saver.wait_until_drawing(lambda screen: lit_in(screen, 150, 100, 250, 200) > 100)
                window.close()
                try:
                    expect_ended(saver.process, f"its window destroyed {device}")
                except Failure as failure:
                    raise Failure(f"{failure}, saying {saver.said()!r}") from None
                said = saver.said()
                if said:
                    raise Failure(f"its window destroyed {device}, it said {said!r}")


def case_the_daemon_ends_it_with_a_signal_and_input_never_does(run):
    for ending in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        with Saver(run, f"signal{ending}", ["-root"]) as saver:
            saver.wait_until_drawing()
            x, y = pointer(run)
            run.xdotool("mousemove", str(x + 50), str(y + 50), "key", "a", "click", "1")
            expect_running(saver.process, "input under XScreenSaver")
            saver.process.send_signal(ending)
            expect_ended(saver.process, signal.Signals(ending).name)


def case_by_hand_a_character_key_ends_shift_does_not(run):
    with Saver(run, "keys", []) as saver:
        saver.wait_until_drawing()
        run.xdotool("key", "shift")
        expect_running(saver.process, "Shift")
        run.xdotool("key", "Left")
        expect_running(saver.process, "an arrow")
        run.xdotool("key", "a")
        expect_ended(saver.process, "the key a")


def case_by_hand_a_click_ends(run):
    with Saver(run, "click", []) as saver:
        saver.wait_until_drawing()
        run.xdotool("click", "3")
        expect_running(saver.process, "a right click")
        run.xdotool("click", "1")
        expect_ended(saver.process, "a left click")


def case_by_hand_only_a_move_along_both_axes_ends(run):
    with Saver(run, "mouse", []) as saver:
        saver.wait_until_drawing()
        x, y = pointer(run)
        run.xdotool("mousemove", str(x + 40), str(y))
        expect_running(saver.process, "a move along x")
        run.xdotool("mousemove", str(x), str(y + 40))
        expect_running(saver.process, "a move along y")
        run.xdotool("mousemove", str(x + 40), str(y + 40))
        expect_ended(saver.process, "a move along both axes")


def case_without_pictures_it_says_where_to_choose_them(run):
    process = run.start("none", ["-root"], picture=None)
    if not ended_within(process, RUN_BOUND_SECONDS):
        stop(process)
        raise Failure("still running without pictures")
    said = process.stderr.read().decode("utf-8", "replace")
    asked = os.path.join(run.folders, "none", "home", "none")  # the missing folder start gave
    if process.returncode != 1 or f'"{asked}"' not in said or "Vexaframe.ini" not in said:
        raise Failure(f"ended with code {process.returncode}, saying {said!r}")


CASES = [
    case_root_shows_the_cube_of_the_picture_around_the_centre,
    case_a_given_window_is_drawn_into_and_followed_when_resized,
    case_a_given_window_that_its_owner_destroys_ends_it_quietly,
    case_the_daemon_ends_it_with_a_signal_and_input_never_does,
    case_by_hand_a_character_key_ends_shift_does_not,
    case_by_hand_a_click_ends,
    case_by_hand_only_a_move_along_both_axes_ends,
    case_without_pictures_it_says_where_to_choose_them,
]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True, help="the built vexaframe")
    parser.add_argument("--test-window", required=True, help="the built x11_test_window")
    parser.add_argument("--samples", required=True, help="the build's sample pictures")
    parser.add_argument("--only", default="", help="run only the cases whose names hold this")
    options = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("FAIL set-up: DISPLAY names no display")
        return 1
    run = Run(options)
    cases = [case for case in CASES if options.only in case.__name__]
    passed = 0
    try:
        for case in cases:
            name = case.__name__.removeprefix("case_")
            started = time.monotonic()
            try:
                case(run)
                passed += 1
                print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
            except (Failure, subprocess.SubprocessError) as failure:
                print(f"FAIL {name}: {failure}", flush=True)
    finally:
        run.close()
    print(f"{passed} of {len(cases)} cases passed")
    return 0 if passed == len(cases) else 1


if __name__ == "__main__":
    sys.exit(main())

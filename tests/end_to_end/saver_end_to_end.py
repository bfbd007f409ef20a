#!/usr/bin/env python3
"""The running saver of the real Vexaframe.scr under Wine on a virtual X display: its
window, its pictures, and every way out.

Each case starts a fresh copy of the program with a settings file that points at a folder
of the build's sample pictures.
"""

import os
import subprocess
import sys
import time

from wine_session import (FIRST_WINE_START_SECONDS, FOLDER_KEY, INTERVAL_KEY, ORDER_KEY,
                          POLL_SECONDS, RUN_BOUND_SECONDS, SCREEN, TRANSPARENCY_KEY, Failure,
                          broken_pictures, expect_ended, expect_running, resident_bytes, rgb_of,
                          run_cases, staged_version, stop)

SEQUENTIAL, OPAQUE = 0, 0
LIT_PIXELS = 1000  # around the centre, where the cube turns


def sample(session, name):
    return os.path.join(session.samples, name)


def all_samples(session):
    return {name: sample(session, name) for name in sorted(os.listdir(session.samples))}


class RunningSaver:
    """A saver started on a folder of pictures; stopped when the case leaves it."""

    def __init__(self, session, name, pictures, arguments=("/s",), interval=60):
        self.session = session
        windows_folder, self.picture_folder = session.picture_folder(name, pictures)
        settings = {ORDER_KEY: SEQUENTIAL, INTERVAL_KEY: interval,
                    TRANSPARENCY_KEY: OPAQUE, FOLDER_KEY: windows_folder}
        copy = session.fresh_copy(name, settings)
        self.bitmap = os.path.join(os.path.dirname(copy), "Vexaframe.bmp")
        # The root window keeps what was drawn last, a frame of an earlier saver perhaps.
        self.screen_before = session.screenshot()
        self.process = session.start_copy(copy, list(arguments))
        self.started = time.monotonic()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        stop(self.process)

    def wait_until_shown(self, drawing=None):
        """The saver's window, once the screen shows it drawing (`drawing(screenshot)`; by
        default a cube around the centre) in a frame of its own: its X windows are mapped then,
        and take input."""
        window = self.session.wait_for_window(
            lambda w: w.caption == "Vexaframe_S" and w.visible)
        if window is None:
            raise Failure(f"no window Vexaframe_S shown within {RUN_BOUND_SECONDS} s")
        print(f"  shown after {time.monotonic() - self.started:.1f} s", flush=True)
        drawing = drawing or cube_shows
        if not self.session.wait_for_screen(
                lambda screen: screen != self.screen_before and drawing(screen)):
            raise Failure("the screen does not show the saver drawing")
        return window

    def staged_pictures(self, count, bound):
        """The first `count` different pictures the bitmap file held, in order."""
        seen = []
        deadline = time.monotonic() + bound
        while len(seen) < count and time.monotonic() < deadline:
            if os.path.exists(self.bitmap):
                picture = rgb_of(self.bitmap)
                if not seen or picture != seen[-1]:
                    seen.append(picture)
            time.sleep(POLL_SECONDS)
        return seen


def corner_pixels(screen):
    width, height = SCREEN
    for x0, y0 in ((0, 0), (width - 16, 0), (0, height - 16), (width - 16, height - 16)):
        for y in range(y0, y0 + 16):
            for x in range(x0, x0 + 16):
                yield screen[(y * width + x) * 3:(y * width + x) * 3 + 3]


def centre_pixels(screen):
    width, height = SCREEN
    for y in range(height // 4, height * 3 // 4, 2):
        for x in range(width // 4, width * 3 // 4, 2):
            yield screen[(y * width + x) * 3:(y * width + x) * 3 + 3]


def lit_centre_pixels(screen):
    return [pixel for pixel in centre_pixels(screen) if max(pixel) > 24]


def cube_shows(screen):
    return len(lit_centre_pixels(screen)) >= LIT_PIXELS


def coarse_colours(rgb):
    """Colours cut to 3 bits a channel, so that sampling and rounding do not matter."""
    return {(rgb[i] >> 5, rgb[i + 1] >> 5, rgb[i + 2] >> 5) for i in range(0, len(rgb), 3)}


def expect_cube_of(session, picture):
    """The screen shows the cube with `picture` (RGB bytes) around its centre, on black."""
    picture_colours = coarse_colours(picture)
    screen = session.wait_for_screen(cube_shows) or session.screenshot()
    if any(pixel != b"\0\0\0" for pixel in corner_pixels(screen)):
        raise Failure("the screen's corners are not black")
    lit = lit_centre_pixels(screen)
    foreign = [pixel for pixel in lit if not coarse_colours(pixel) <= picture_colours]
    if len(lit) < LIT_PIXELS or len(foreign) > len(lit) // 20:
        raise Failure(f"around the centre {len(lit)} lit pixels, {len(foreign)} of them "
                      f"in colours the picture does not have")


def start_once(session):
    """The first start in a new prefix also sets up Direct3D (and Mesa's shaders) and the
    picture loader there: it is left out of the cases, whose starts are timed."""
    with RunningSaver(session, "first-start", {"a.bmp": sample(session, "aurora_lake.bmp")}):
        if session.wait_for_window(lambda w: w.caption == "Vexaframe_S" and w.visible,
                                   FIRST_WINE_START_SECONDS) is None:
            raise Failure("the saver's first start showed no window")


# --- Cases ---

def case_full_screen_cube_of_the_first_picture(session):
    # All four kinds in the folder; the catalogue's first picture is a bitmap file.
    with RunningSaver(session, "first", all_samples(session)) as saver:
        window = saver.wait_until_shown()
        if window.rect != (0, 0) + SCREEN:
            raise Failure(f"the window covers {window.rect}, not the screen")
        first = rgb_of(sample(session, "aurora_lake.bmp"))
        if saver.staged_pictures(1, RUN_BOUND_SECONDS) != [first]:
            raise Failure("Vexaframe.bmp does not hold the catalogue's first picture")

        expect_cube_of(session, first)
        expect_running(saver.process, "showing the first picture")


def case_without_a_direct3d_device_the_cube_is_drawn_in_software(session):
    # Wine's Direct3D without any 3D renderer makes no device, as a machine without 3D
    # hardware (and without the developer kit's reference device) would.
    renderer_key = "HKCU\\Software\\Wine\\Direct3D"
    session.wine(["reg", "add", renderer_key, "/v", "renderer", "/d", "no3d", "/f"],
                 stdout=subprocess.DEVNULL).wait(RUN_BOUND_SECONDS)
    try:
        with RunningSaver(session, "software", {"a.wmf": sample(session, "sunflower.wmf")}) as saver:
            saver.wait_until_shown()
            staged = saver.staged_pictures(1, RUN_BOUND_SECONDS)
            if not staged:
                raise Failure("nothing was staged")
            expect_cube_of(session, staged[0])
            expect_running(saver.process, "drawing in software")
    finally:
        session.wine(["reg", "delete", renderer_key, "/v", "renderer", "/f"],
                     stdout=subprocess.DEVNULL).wait(RUN_BOUND_SECONDS)


def case_pictures_change_in_catalogue_order(session):
    names = ["rainbow_bubbles.bmp", "aurora_lake.bmp", "mandelbrot_detail.bmp"]
    with RunningSaver(session, "order", {name: sample(session, name) for name in names},
                      interval=1) as saver:
        expected = [rgb_of(sample(session, name)) for name in sorted(names)]
        if saver.staged_pictures(3, 10) != expected:
            raise Failure("the pictures were not staged one a second in catalogue order")


def case_broken_files_are_skipped_and_every_good_picture_shows_in_order(session):
    broken = broken_pictures(session, sample(session, "julia_spiral.jpg"))
    pictures = {"a.bmp": sample(session, "aurora_lake.bmp"),
                "c.bmp": sample(session, "mandelbrot_detail.bmp"),
                "f.bmp": sample(session, "rainbow_bubbles.bmp")}
    # Between the good ones in the catalogue's order.
    for name, prefix in zip(sorted(broken), "bdeg"):
        pictures[f"{prefix}_{name}"] = broken[name]
    good = [rgb_of(pictures[name]) for name in ("a.bmp", "c.bmp", "f.bmp")]
    with RunningSaver(session, "broken", pictures, interval=1) as saver:
        saver.wait_until_shown()
        staged = saver.staged_pictures(4, 30)
        if staged != good + [good[0]]:
            raise Failure("the good pictures were not staged in order, each once a cycle: "
                          f"{[good.index(p) if p in good else len(p) for p in staged]}")
        expect_running(saver.process, "a folder of broken files")
        boxes = [w for w in session.windows() if w.window_class == "#32770"]
        if boxes:
            raise Failure(f"a message or crash dialog came up: {boxes}")
        session.xdotool("key", "a")
        expect_ended(saver.process, "the key a")
    left = [ending for ending in (".next", ".held") if os.path.exists(saver.bitmap + ending)]
    if left:
        raise Failure(f"the saver left Vexaframe.bmp{left[0]} beside Vexaframe.bmp")


def case_memory_stays_flat_over_many_changes_of_large_pictures(session):
    width, height, changes = 3000, 2000, 30
    pictures = {}
    for name, colours in (("a.jpg", "#203060-#F0A040"), ("b.jpg", "#F02020-#20F0F0"),
                          ("c.jpg", "#102010-#E0F0E0")):
        pictures[name] = os.path.join(session.folders, name)
        subprocess.run(["convert", "-size", f"{width}x{height}", f"gradient:{colours}",
                        "-quality", "90", pictures[name]], check=True, timeout=60)
    with RunningSaver(session, "memory", pictures, interval=1) as saver:
        saver.wait_until_shown()
        # The least resident memory while each picture showed: the moment between the change
        # and the next preparation's allocations, alike for every change.
        least, version = [], staged_version(saver.bitmap)
        deadline = time.monotonic() + changes * 10
        while len(least) <= changes + 1 and time.monotonic() < deadline:  # whole windows
            now = staged_version(saver.bitmap)
            if now != version:
                version = now
                least.append(resident_bytes(saver.process.pid))
            elif least:
                least[-1] = min(least[-1], resident_bytes(saver.process.pid))
            time.sleep(0.05)
        if len(least) <= changes + 1:
            raise Failure(f"only {len(least)} changes")
        grown = least[changes] - least[5]
        print(f"  resident after change 5: {least[5] >> 20} MiB, after change {changes}: "
              f"{least[changes] >> 20} MiB", flush=True)
        if grown >= width * height * 4:
            raise Failure(f"resident memory grew by {grown >> 20} MiB over {changes - 5} "
                          "changes: more than one decoded picture")


def case_a_texture_problem_is_reported_in_one_box_at_a_time(session):
    # Nothing was ever staged, so there is no bitmap file to make a texture from.
    broken = os.path.join(session.folders, "never.jpg")
    with open(broken, "wb") as file:
        file.write(b"no picture at all")
    with RunningSaver(session, "texture", {"never.jpg": broken}, interval=1) as saver:
        def is_texture_box(window):
            return (window.window_class == "#32770" and window.caption == "Vexaframe"
                    and any(child.text == "Texture problem!" for child in window.children))
        if session.wait_for_window(is_texture_box) is None:
            raise Failure("no message box saying Texture problem!")
        time.sleep(3)  # three picture changes while the box is up
        boxes = [w for w in session.windows() if w.window_class == "#32770"]
        if len(boxes) != 1:
            raise Failure(f"{len(boxes)} message boxes while the first was up")
        expect_running(saver.process, "a texture problem")


def case_a_character_key_ends_shift_does_not(session):
    with RunningSaver(session, "keys", {"a.bmp": sample(session, "aurora_lake.bmp")}) as saver:
        saver.wait_until_shown()
        session.xdotool("key", "shift")
        expect_running(saver.process, "Shift")
        session.xdotool("key", "a")
        expect_ended(saver.process, "the key a")


def case_a_click_ends(session):
    with RunningSaver(session, "click", {"a.bmp": sample(session, "aurora_lake.bmp")}) as saver:
        saver.wait_until_shown()
        session.xdotool("mousemove", "300", "300", "click", "1")
        expect_ended(saver.process, "a click")


def case_only_a_move_along_both_axes_ends(session):
    # A window that appears under the pointer is told where the pointer is: that is the first
    # position the saver sees, and the one later moves are measured from.
    session.put_pointer(200, 200)
    with RunningSaver(session, "mouse", {"a.bmp": sample(session, "aurora_lake.bmp")}) as saver:
        saver.wait_until_shown()
        for x, y in ((200, 300), (200, 500), (400, 200), (700, 200)):
            session.xdotool("mousemove", str(x), str(y))
            expect_running(saver.process, f"a move to {x},{y}")
        session.xdotool("mousemove", "450", "450")
        expect_ended(saver.process, "a move along both axes")


def case_without_arguments_the_mouse_never_ends(session):
    with RunningSaver(session, "plain", {"a.bmp": sample(session, "aurora_lake.bmp")},
                      arguments=()) as saver:
        saver.wait_until_shown()
        for x, y in ((100, 100), (600, 500), (900, 50)):
            session.xdotool("mousemove", str(x), str(y))
        expect_running(saver.process, "moves along both axes")
        session.xdotool("key", "Return")
        expect_ended(saver.process, "Enter")


def case_a_second_start_ends_at_once(session):
    pictures = {"a.bmp": sample(session, "aurora_lake.bmp")}
    with RunningSaver(session, "running", pictures) as saver:
        saver.wait_until_shown()
        with RunningSaver(session, "second", pictures) as second:
            expect_ended(second.process, "a start beside a running saver")
        expect_running(saver.process, "a second start")


CASES = [
    case_full_screen_cube_of_the_first_picture,
    case_without_a_direct3d_device_the_cube_is_drawn_in_software,
    case_pictures_change_in_catalogue_order,
    case_broken_files_are_skipped_and_every_good_picture_shows_in_order,
    case_memory_stays_flat_over_many_changes_of_large_pictures,
    case_a_texture_problem_is_reported_in_one_box_at_a_time,
    case_a_character_key_ends_shift_does_not,
    case_a_click_ends,
    case_only_a_move_along_both_axes_ends,
    case_without_arguments_the_mouse_never_ends,
    case_a_second_start_ends_at_once,
]

if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, prepare=start_once))

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

import saver_input_cases
from end_to_end import (RUN_BOUND_SECONDS, SCREEN, Failure, Running, ended_within,
                        expect_cube_of, expect_ended, expect_running, rgb_of, run_cases, wait_for)
from picture_memory import (expect_large_picture_in_bounded_memory, large_jpeg, resident_bytes,
                            staged_version)
from wine_session import (CAPTION_KEY, FIRST_WINE_START_SECONDS, SUBFOLDERS_KEY, WineSession,
                          broken_pictures, photograph_in_kinds, saver_settings)

# What the saver says when not one picture of its folder loads, the folder on the next line.
NOTHING_LOADED = "次のﾌｫﾙﾀﾞの画像ﾌｧｲﾙを一つも読み込めませんでした。"
# What a Mac leaves beside each file it copies to a foreign disk: an AppleDouble header.
APPLE_DOUBLE = bytes.fromhex("00051607 00020000") + b"Mac OS X        " + bytes(4000)


class SaverSession(WineSession):
    """For the saver's input cases: started by the system (/s) the mouse ends it; without
    arguments it never does, and Enter does."""

    MOUSE_ENDS_IT, MOUSE_NEVER_ENDS_IT = ["/s"], []

    def start_saver(self, name, arguments):
        return RunningSaver(self, name, {"a.bmp": self.sample("aurora_lake.bmp")}, arguments)

    def start_show(self, name, pictures, interval, caption=0):
        return RunningSaver(self, name, pictures, self.MOUSE_ENDS_IT, interval,
                            {CAPTION_KEY: caption})

    def mouse_never_endings(self):
        return [("Enter", lambda saver: self.xdotool("key", "Return"))]


class RunningSaver(Running):
    """A saver started on a folder of pictures."""

    def __init__(self, session, name, pictures, arguments=("/s",), interval=60, settings=()):
        self.folder = session.windows_picture_folder(name, pictures)
        # A folder of its own: nothing was staged there before, as on a fresh install.
        self.copy = session.fresh_copy(name, {**saver_settings(self.folder, interval),
                                              **dict(settings)})
        self.bitmap = os.path.join(os.path.dirname(self.copy), "Vexaframe.bmp")
        super().__init__(session, lambda: session.start_copy(self.copy, list(arguments)))

    def wait_until_shown(self, drawing=None):
        """The saver's window, once the screen shows it drawing: its X windows are mapped then,
        and take input."""
        window = self.session.wait_for_window(
            lambda w: w.caption == "Vexaframe_S" and w.visible)
        if window is None:
            raise Failure(f"no window Vexaframe_S shown within {RUN_BOUND_SECONDS} s")
        super().wait_until_shown(drawing)
        return window


def start_once(session):
    """The first start in a new prefix also sets up Direct3D (and Mesa's shaders) and the
    picture loader there, which takes longer than a case's bound."""
    with session.start_saver("first-start", session.MOUSE_ENDS_IT):
        if session.wait_for_window(lambda w: w.caption == "Vexaframe_S" and w.visible,
                                   FIRST_WINE_START_SECONDS) is None:
            raise Failure("the saver's first start showed no window")


# --- Cases ---

def case_full_screen_cube_of_the_first_picture(session):
    # Every kind in the folder; the catalogue's first picture is a bitmap file.
    all_samples = session.pictures(*sorted(os.listdir(session.samples)))
    with RunningSaver(session, "first", all_samples) as saver:
        window = saver.wait_until_shown()
        if window.rect != (0, 0) + SCREEN:
            raise Failure(f"the window covers {window.rect}, not the screen")
        first = rgb_of(session.sample("aurora_lake.bmp"))
        if saver.staged_pictures(1) != [first]:
            raise Failure("Vexaframe.bmp does not hold the catalogue's first picture")

        expect_cube_of(session, first)
        expect_running(saver.process, "showing the first picture")


def case_without_a_direct3d_device_the_cube_is_drawn_in_software(session):
    # Wine's Direct3D without any 3D renderer makes no device, as a machine without 3D
    # hardware (and without the developer kit's reference device) would.
    with session.registry_value("HKCU\\Software\\Wine\\Direct3D", "renderer", "no3d"), \
            RunningSaver(session, "software", {"a.wmf": session.sample("sunflower.wmf")}) as saver:
        saver.wait_until_shown()
        staged = saver.staged_pictures(1)
        if not staged:
            raise Failure("nothing was staged")
        expect_cube_of(session, staged[0])
        expect_running(saver.process, "drawing in software")


def case_broken_files_are_skipped_and_the_good_pictures_change_in_catalogue_order(session):
    broken = broken_pictures(session, session.sample("julia_spiral.jpg"))
    pictures = {"a.bmp": session.sample("aurora_lake.bmp"),
                "c.bmp": session.sample("mandelbrot_detail.bmp"),
                "f.bmp": session.sample("rainbow_bubbles.bmp")}
    # Between the good ones in the catalogue's order.
    for name, prefix in zip(sorted(broken), "bdeg"):
        pictures[f"{prefix}_{name}"] = broken[name]
    good = [rgb_of(pictures[name]) for name in ("a.bmp", "c.bmp", "f.bmp")]
    with RunningSaver(session, "broken", pictures, interval=1) as saver:
        saver.wait_until_shown()
        staged = saver.staged_pictures(4)
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


def case_with_sub_folders_a_library_shows_in_path_order_without_the_debris(session):
    pictures = {"2023/07/a.bmp": session.sample("aurora_lake.bmp"),
                "2024/01/b.bmp": session.sample("mandelbrot_detail.bmp"),
                "@eaDir/a.bmp/SYNOPHOTO_THUMB_M.bmp": session.sample("rainbow_bubbles.bmp")}
    library = [rgb_of(pictures[name]) for name in ("2023/07/a.bmp", "2024/01/b.bmp")]
    with RunningSaver(session, "library", pictures, interval=1,
                      settings={SUBFOLDERS_KEY: 1}) as saver:
        saver.wait_until_shown()
        staged = saver.staged_pictures(3)
        if staged != library + [library[0]]:
            raise Failure("the library's pictures were not staged in path order, each once a "
                          "cycle")
        expect_running(saver.process, "showing a library")


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
        if grown >= width * height * 4:
            raise Failure(f"resident memory grew by {grown >> 20} MiB over {changes - 5} "
                          "changes: more than one decoded picture")


def message_boxes(session):
    return [w for w in session.windows() if w.window_class == "#32770"]


def case_first_pictures_that_give_nothing_are_passed_over_without_a_word(session):
    broken = broken_pictures(session, session.sample("julia_spiral.jpg"))
    companion = os.path.join(session.folders, "companion")
    with open(companion, "wb") as file:
        file.write(APPLE_DOUBLE)
    # Photographs of the kinds Wine has no codec for give nothing, as where a user has not
    # installed the system's extension for them; PNG is built in.
    photograph = photograph_in_kinds(session, session.sample("moonlit_sea.jpg"))
    # The Mac's companion file first in the catalogue's order, the forged JPEG next. Wine
    # hides dot files unless told otherwise; a Windows disk shows them.
    pictures = {"._b.bmp": companion, "a_forged.jpg": broken["forged.jpg"],
                "a_photo.avif": photograph["avif"], "a_photo.heic": photograph["heic"],
                "a_photo.webp": photograph["webp"],
                "b.bmp": session.sample("aurora_lake.bmp"),
                "c.png": photograph["png"],
                "d.bmp": session.sample("rainbow_bubbles.bmp")}
    good = [rgb_of(pictures[name]) for name in ("b.bmp", "c.png", "d.bmp")]
    with session.registry_value("HKCU\\Software\\Wine", "ShowDotFiles", "Y"), \
            RunningSaver(session, "unloadable-first", pictures, interval=1) as saver:
        staged = saver.staged_pictures(len(good))
        boxes = message_boxes(session)
        if staged != good or boxes:
            raise Failure("the good pictures were not staged in order: "
                          f"{[good.index(p) if p in good else len(p) for p in staged]}; "
                          f"message boxes: {boxes}")
        expect_running(saver.process, "pictures that give nothing")


def case_a_folder_where_nothing_loads_is_named_in_one_box_and_ends_the_saver(session):
    broken = broken_pictures(session, session.sample("julia_spiral.jpg"))
    with RunningSaver(session, "nothing-loads", broken, interval=1) as saver:
        def says_nothing_loaded(window):
            texts = [child.text for child in window.children]
            return (window.window_class == "#32770" and window.caption == "Vexaframe" and
                    any(NOTHING_LOADED in text and saver.folder in text for text in texts))
        if session.wait_for_window(says_nothing_loaded) is None:
            raise Failure(f"no box names the folder; the boxes: {message_boxes(session)}")
        time.sleep(len(broken) + 1)  # a whole catalogue's time, in which no second box comes
        boxes = message_boxes(session)
        if len(boxes) != 1:
            raise Failure(f"{len(boxes)} message boxes: {boxes}")
        session.press_key_on("Vexaframe", "Return")
        if not ended_within(saver.process, RUN_BOUND_SECONDS):
            raise Failure(f"still running {RUN_BOUND_SECONDS} s after the box was dismissed")


def case_a_very_large_picture_is_shown_in_bounded_memory(session):
    pictures = {"a.jpg": session.sample("moonlit_sea.jpg"),
                "b.jpg": large_jpeg(os.path.join(session.folders, "large.jpg")),
                "c.jpg": session.sample("sunset_hills.jpg")}
    with RunningSaver(session, "large", pictures, interval=1) as saver:
        # Wine keeps a Windows environment to itself, and the process that starts another is
        # not its parent; a decoder's command line names the copy by its Windows path.
        program = ("Z:" + saver.copy.replace("/", "\\")).encode()
        expect_large_picture_in_bounded_memory(
            saver, lambda command_line, _: program in command_line)


CASES = [
    case_full_screen_cube_of_the_first_picture,
    case_without_a_direct3d_device_the_cube_is_drawn_in_software,
    case_broken_files_are_skipped_and_the_good_pictures_change_in_catalogue_order,
    case_with_sub_folders_a_library_shows_in_path_order_without_the_debris,
    case_memory_stays_flat_over_many_changes_of_large_pictures,
    case_first_pictures_that_give_nothing_are_passed_over_without_a_word,
    case_a_folder_where_nothing_loads_is_named_in_one_box_and_ends_the_saver,
    case_a_very_large_picture_is_shown_in_bounded_memory,
    *saver_input_cases.CASES,
]

if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, SaverSession, prepare=start_once))

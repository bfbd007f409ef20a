#!/usr/bin/env python3
"""The native program vexaframe on a virtual X display: the cube it draws into the root window
or another program's window, and every way out of the saver, run by hand or as XScreenSaver
runs it.

Each case starts the program with settings and staged picture in folders of its own, and
checks its exit code.
"""

import os
import signal
import subprocess
import sys

import saver_input_cases
from end_to_end import (RUN_BOUND_SECONDS, SCREEN, Failure, Held, Running, Session, ended_within,
                        expect_cube_of, expect_ended, expect_running, first_line, lit, pixels,
                        rgb_of, run_cases)
from picture_memory import DECODER_MARK, expect_large_picture_in_bounded_memory, large_jpeg
from wine_session import CAPTION_KEY, INTERVAL_KEY

# One picture, in catalogue order and opaque, so that the cube shows only its colours.
ONE_PICTURE = ["-order", "sequential", "-transparency", "opaque"]
ENDING_SIGNALS = (signal.SIGTERM, signal.SIGINT, signal.SIGHUP)


class NativeSession(Session):
    """The native program's runs; for the saver's input cases, started by hand the mouse ends
    it, and in a window XScreenSaver gives (the root window here) nothing but a signal does."""

    MOUSE_ENDS_IT, MOUSE_NEVER_ENDS_IT = [], ["-root"]

    def __init__(self, options):
        super().__init__(options)
        self.program = os.path.abspath(options.program)
        self.test_window = os.path.abspath(options.test_window)

    @classmethod
    def add_arguments(cls, parser):
        super().add_arguments(parser)
        parser.add_argument("--program", required=True, help="the built vexaframe")
        parser.add_argument("--test-window", required=True, help="the built x11_test_window")

    def start_saver(self, name, arguments, picture="aurora_lake.bmp"):
        return Saver(self, name, arguments, self.pictures(picture) if picture else None)

    def start_show(self, name, pictures, interval, caption=0):
        # Shorter than the options allow, as a settings file may say.
        return Saver(self, name, self.MOUSE_ENDS_IT, pictures,
                     {INTERVAL_KEY: interval, CAPTION_KEY: caption})

    def mouse_never_endings(self):
        def after_input(ending):
            def end(saver):
                self.xdotool("key", "a", "click", "1")
                expect_running(saver.process, "a key and a click under XScreenSaver")
                saver.process.send_signal(ending)
            return end
        return [(signal.Signals(ending).name, after_input(ending)) for ending in ENDING_SIGNALS]


class Saver(Running):
    """The program started for a case, with settings and staged picture in a home of its
    own."""

    def __init__(self, session, name, arguments, pictures, settings=None):
        self.home = os.path.join(session.folders, name, "home")
        os.makedirs(self.home)
        if settings:
            write_settings(os.path.join(self.home, "config", "vexaframe", "Vexaframe.ini"),
                           settings)
        cache = os.path.join(self.home, "cache")
        self.bitmap = os.path.join(cache, "vexaframe", "Vexaframe.bmp")
        env = dict(session.env, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                   XDG_CACHE_HOME=cache)
        env.pop("XSCREENSAVER_WINDOW", None)
        folder = (session.picture_folder(name, pictures) if pictures
                  else os.path.join(self.home, "none"))
        super().__init__(session, lambda: subprocess.Popen(
            [session.program, "-folder", folder, *ONE_PICTURE, *arguments], env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE))


def write_settings(path, settings):
    """A settings file holding `settings` (key: value), its keys in Shift-JIS as ever."""
    os.makedirs(os.path.dirname(path))
    lines = [b"[Section]"] + [key.encode("shift_jis") + f"={value}".encode()
                              for key, value in settings.items()]
    with open(path, "wb") as ini:
        ini.write(b"\n".join(lines + [b""]))


class TestWindow(Held):
    """Another program's window of `size`, as XScreenSaver makes one; gone when the case
    leaves it, or earlier with close()."""

    def __init__(self, session, size):
        self.holder = subprocess.Popen([session.test_window, *map(str, size)], env=session.env,
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.id = first_line(self.holder, "the test window")

    def close(self):
        if not self.holder.stdin.closed:
            self.holder.stdin.close()
        self.holder.wait(RUN_BOUND_SECONDS)


def lit_in(screen, left, top, right, bottom):
    return len(lit(pixels(screen, left, top, right, bottom, 4)))


# --- Cases ---

def case_root_shows_the_cube_of_the_picture_around_the_centre(session):
    # With no device option Mesa's llvmpipe here hands the window on to the software device.
    for device in ([], ["-opengl"], ["-software"]):
        with session.start_saver("root" + "".join(device), ["-root", *device]) as saver:
            saver.wait_until_shown()
            expect_cube_of(session, rgb_of(session.sample("aurora_lake.bmp")))
            expect_running(saver.process, f"drawing into the root window {device}")


def case_a_given_window_is_drawn_into_followed_and_its_destruction_ends_it_quietly(session):
    small, large = (400, 300), (800, 600)
    for device in (["-opengl"], ["-software"]):
        # Black over what earlier cases drew into the root window, which keeps it.
        subprocess.run(["xsetroot", "-solid", "black"], env=session.env, check=True, timeout=10)
        with TestWindow(session, small) as window, session.start_saver(
                "window" + "".join(device), ["-window-id", window.id, *device]) as saver:
            # Around the small window's centre, nothing right of or below it.
            saver.wait_until_shown(lambda screen: lit_in(screen, 150, 100, 250, 200) > 100)
            if lit_in(session.screenshot(), small[0], 0, SCREEN[0], SCREEN[1]):
                raise Failure("drawn outside the window")
            session.xdotool("windowsize", window.id, *map(str, large))
            # The cube now turns around the large window's centre, beyond the small one.
            if not session.wait_for_screen(
                    lambda screen: lit_in(screen, 350, 250, 450, 350) > 100 and
                    lit_in(screen, small[0], 0, large[0], large[1]) > 100):
                raise Failure(f"the drawing did not follow the resize {device}")
            if lit_in(session.screenshot(), large[0], 0, SCREEN[0], SCREEN[1]):
                raise Failure("drawn outside the resized window")
            window.close()
            expect_ended(saver.process, f"its window destroyed {device}")
            said = saver.said()
            if said:
                raise Failure(f"its window destroyed {device}, it said {said!r}")


def case_without_pictures_it_says_where_to_choose_them(session):
    with session.start_saver("none", ["-root"], picture=None) as saver:
        if not ended_within(saver.process, RUN_BOUND_SECONDS):
            raise Failure("still running without pictures")
        said = saver.said()
    asked = os.path.join(session.folders, "none", "home", "none")  # the missing folder start gave
    if saver.process.returncode != 1 or f'"{asked}"' not in said or "Vexaframe.ini" not in said:
        raise Failure(f"ended with code {saver.process.returncode}, saying {said!r}")


def case_with_sub_folders_it_shows_a_library_of_year_and_month_folders(session):
    library = {"2024/07/aurora_lake.bmp": session.sample("aurora_lake.bmp"),
               "@eaDir/2024/thumb.bmp": session.sample("rainbow_bubbles.bmp")}
    with Saver(session, "library", ["-root", "-subfolders"], library) as saver:
        saver.wait_until_shown()
        expect_cube_of(session, rgb_of(session.sample("aurora_lake.bmp")))
        expect_running(saver.process, "showing a library")
    with Saver(session, "folder-only", ["-root"], library) as saver:
        if not ended_within(saver.process, RUN_BOUND_SECONDS) or saver.process.returncode != 1:
            raise Failure("without -subfolders the folder alone holds no picture to show")


def case_a_very_large_picture_is_shown_in_bounded_memory(session):
    pictures = {"a.jpg": session.sample("moonlit_sea.jpg"),
                "b.jpg": large_jpeg(os.path.join(session.folders, "large.jpg")),
                "c.jpg": session.sample("sunset_hills.jpg")}
    # The shortest interval the options allow.
    with Saver(session, "large", ["-root", "-interval", "10"], pictures) as saver:
        home = f"HOME={saver.home}".encode()

        def is_decoder(_, environment):  # the program started again from this saver
            return DECODER_MARK in environment and home in environment
        expect_large_picture_in_bounded_memory(saver, is_decoder)


CASES = [
    case_root_shows_the_cube_of_the_picture_around_the_centre,
    case_a_given_window_is_drawn_into_followed_and_its_destruction_ends_it_quietly,
    *saver_input_cases.CASES,
    case_without_pictures_it_says_where_to_choose_them,
    case_with_sub_folders_it_shows_a_library_of_year_and_month_folders,
    case_a_very_large_picture_is_shown_in_bounded_memory,
]

if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, NativeSession))

"""What the end-to-end tests of both programs share: an X display and what it shows, the
pointer on it, the program's process, and the runner that runs a script's cases and reports.
"""

import argparse
import contextlib
import os
import select
import shutil
import subprocess
import tempfile
import time

RUN_BOUND_SECONDS = 30  # only guards against a hang; speed is not asserted here
KEEPS_RUNNING_SECONDS = 1  # how long a program must stay after an input it should ignore
POLL_SECONDS = 0.2
SCREENSHOT_ATTEMPTS = 5
SCREEN = (1024, 768)
LIT_LEVEL = 24  # a colour channel above this is lit
LIT_PIXELS = 1000  # around the centre, where the cube turns


class Failure(Exception):
    pass


class Session:
    """A run's X display and folders; a platform's session adds its program."""

    def __init__(self, options):
        self.samples = options.samples
        self.given_display = getattr(options, "given_display", False)
        self.env = dict(os.environ)
        self.xvfb = None
        self.folders = tempfile.mkdtemp(prefix="vexaframe-e2e-")

    @classmethod
    def add_arguments(cls, parser):
        parser.add_argument("--samples", required=True, help="the build's sample pictures")
        parser.add_argument("--given-display", action="store_true",
                            help="run on the display DISPLAY names, which the caller starts and "
                                 "stops, rather than on an Xvfb of its own")

    def start(self):
        if self.given_display:
            if not self.env.get("DISPLAY"):
                raise Failure("--given-display, but DISPLAY names none")
            return
        # Otherwise a display of our own: the saver covers the whole screen, of a known size.
        read_end, write_end = os.pipe()
        # -noreset: the server would otherwise reset whenever its last client leaves.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
             "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        # Xvfb ends when it cannot write the whole line, so the pipe stays open until the
        # line is complete.
        with os.fdopen(read_end, "rb") as display_fd:
            line = b""
            while not line.endswith(b"\n"):
                ready, _, _ = select.select([display_fd], [], [], 20)
                chunk = display_fd.read1(64) if ready else b""
                if not chunk:
                    raise Failure("Xvfb did not start")
                line += chunk
        self.env["DISPLAY"] = ":" + line.decode().strip()

    def close(self):
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(10)
        shutil.rmtree(self.folders, ignore_errors=True)

    def before_case(self):
        """Whatever report_failure needs to tell what happened during a case."""

    def report_failure(self, before):
        pass

    def sample(self, name):
        return os.path.join(self.samples, name)

    def pictures(self, *names):
        """The samples `names`, each name: its path."""
        return {name: self.sample(name) for name in names}

    def picture_folder(self, name, pictures):
        """A folder holding `pictures` (name: source path)."""
        folder = os.path.join(self.folders, name, "pictures")
        os.makedirs(folder)
        for picture, source in pictures.items():
            os.makedirs(os.path.dirname(os.path.join(folder, picture)), exist_ok=True)
            shutil.copy(source, os.path.join(folder, picture))
        return folder

    def xdotool(self, *arguments):
        return subprocess.run(["xdotool", *arguments], env=self.env, check=True, timeout=10,
                              capture_output=True, text=True).stdout

    def screenshot(self):
        """The whole screen as rows of RGB bytes. xwd walks the window tree before it reads
        the screen and gives up when a window goes in between, as windows do while a program
        starts or ends; such a capture is simply taken again."""
        for _ in range(SCREENSHOT_ATTEMPTS):
            capture = subprocess.run(["xwd", "-root", "-silent"], env=self.env,
                                     capture_output=True, timeout=20)
            if capture.returncode == 0:
                return rgb_of("xwd:-", capture.stdout)
            time.sleep(POLL_SECONDS)
        raise Failure(f"xwd failed {SCREENSHOT_ATTEMPTS} times in a row: "
                      f"{capture.stderr.decode('utf-8', 'replace').strip()}")

    def wait_for_screen(self, shows, bound=RUN_BOUND_SECONDS):
        """The first screenshot for which `shows(screenshot)` holds within `bound` seconds, or
        None."""
        def shown():
            screen = self.screenshot()
            return screen if shows(screen) else None
        return wait_for(shown, bound)

    def put_pointer(self, x, y, on_root=None):
        """Puts the mouse pointer at x,y of the screen the program sees; `on_root` is the same
        point in X's root window where the two differ."""
        root = on_root or (x, y)

        def there():
            self.xdotool("mousemove", str(root[0]), str(root[1]))
            at = dict(line.split("=", 1) for line in
                      self.xdotool("getmouselocation", "--shell").split())
            return self.pointer_told(x, y) and (int(at["X"]), int(at["Y"])) == tuple(root)
        if not wait_for(there):
            raise Failure(f"the pointer could not be put at {x},{y}")

    def pointer_told(self, x, y):
        """Tells a platform that keeps a pointer of its own where X's is; whether it agrees."""
        return True


class Held:
    """What a case starts and holds with `with`: closed when the case leaves it, whatever
    happened; by default its `process` is stopped."""

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def close(self):
        stop(self.process)


class Running(Held):
    """A program started for a case by `start()`."""

    def __init__(self, session, start):
        self.session = session
        # The root window keeps what was drawn last, a frame of an earlier case perhaps.
        self.screen_before = session.screenshot()
        self.process = start()

    def wait_until_shown(self, drawing=None):
        """Once the screen shows the program drawing (`drawing(screenshot)`; by default a cube
        around the centre) in a frame of its own."""
        drawing = drawing or cube_shows
        if not self.session.wait_for_screen(
                lambda screen: screen != self.screen_before and drawing(screen)):
            raise Failure(f"the screen does not show the saver drawing; it said: {self.said()}")

    def staged(self):
        """The picture the saver's staged bitmap file (`self.bitmap`) holds; None before one."""
        return rgb_of(self.bitmap) if os.path.exists(self.bitmap) else None

    def staged_pictures(self, count, bound=RUN_BOUND_SECONDS):
        """The first `count` different pictures the bitmap file held, in order."""
        seen = []

        def all_seen():
            picture = self.staged()
            if picture is not None and (not seen or picture != seen[-1]):
                seen.append(picture)
            return len(seen) >= count
        wait_for(all_seen, bound)
        return seen

    def expect_staged(self, picture, after):
        """The bitmap file comes to hold `picture` after `after`, within the bound."""
        if not wait_for(lambda: self.staged() == picture):
            raise Failure(f"after {after} the saver did not stage the expected picture")

    def expect_kept(self, picture, seconds, after):
        """The bitmap file keeps holding `picture` for `seconds` after `after`."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.staged() != picture:
                raise Failure(f"after {after} the saver changed the picture")
            time.sleep(POLL_SECONDS)

    def said(self):
        """What the program wrote on its error output, where that is kept, once it ended."""
        if self.process.poll() is None:
            return "(still running)"
        stderr = self.process.stderr
        return stderr.read().decode("utf-8", "replace").strip() if stderr else ""


def wait_for(find, bound=RUN_BOUND_SECONDS):
    """The first value of `find()` that is neither false nor None within `bound` seconds,
    looking at least once; None if there is none."""
    deadline = time.monotonic() + bound
    while True:
        found = find()
        if found:
            return found
        if time.monotonic() > deadline:
            return None
        time.sleep(POLL_SECONDS)


def first_line(process, what):
    """The first line a helper program writes, which says it is ready; one that writes none
    within the bound is stopped."""
    ready, _, _ = select.select([process.stdout], [], [], RUN_BOUND_SECONDS)
    line = process.stdout.readline().decode().strip() if ready else ""
    if not line:
        stop(process)
        raise Failure(f"{what} did not start")
    return line


def ended_within(process, seconds):
    try:
        process.wait(seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


def expect_running(process, after):
    """The program is still there a moment after `after`, an input it should ignore."""
    if ended_within(process, KEEPS_RUNNING_SECONDS):
        raise Failure(f"ended with code {process.returncode} after {after}")


def expect_ended(process, after):
    """The program ended after `after`, and ended well. The bound only guards against a
    hang: how quickly it ends is not asserted."""
    if not ended_within(process, RUN_BOUND_SECONDS):
        raise Failure(f"still running {RUN_BOUND_SECONDS} s after {after}")
    if process.returncode != 0:
        raise Failure(f"ended with code {process.returncode} after {after}")


def stop(process):
    if process.poll() is None:
        process.kill()
        process.wait(10)


@contextlib.contextmanager
def stopping(process):
    """`process`, stopped when the case leaves it whatever happened."""
    try:
        yield process
    finally:
        stop(process)


# --- What the screen shows ---

def rgb_of(source, data=None):
    """Raw RGB bytes of a picture ImageMagick reads (a file, or `data` for "format:-")."""
    convert = shutil.which("convert-im6.q16") or "convert"
    return subprocess.run([convert, source, "-depth", "8", "rgb:-"], input=data, check=True,
                          capture_output=True, timeout=60).stdout


def pixels(screen, left, top, right, bottom, step=1, width=SCREEN[0]):
    """Every `step`th pixel of a rectangle of a screenshot `width` pixels wide, row by row."""
    for y in range(top, bottom, step):
        for x in range(left, right, step):
            yield screen[(y * width + x) * 3:(y * width + x) * 3 + 3]


def lit(some_pixels):
    return [pixel for pixel in some_pixels if max(pixel) > LIT_LEVEL]


def lit_centre_pixels(screen):
    width, height = SCREEN
    return lit(pixels(screen, width // 4, height // 4, width * 3 // 4, height * 3 // 4, 2))


def cube_shows(screen):
    return len(lit_centre_pixels(screen)) >= LIT_PIXELS


def coarse_colours(rgb):
    """Colours cut to 3 bits a channel, so that sampling and rounding do not matter."""
    return {(rgb[i] >> 5, rgb[i + 1] >> 5, rgb[i + 2] >> 5) for i in range(0, len(rgb), 3)}


def expect_cube_of(session, picture):
    """The screen shows the cube with `picture` (RGB bytes) around its centre, on black."""
    picture_colours = coarse_colours(picture)
    screen = session.wait_for_screen(cube_shows) or session.screenshot()
    width, height = SCREEN
    for left, top in ((0, 0), (width - 16, 0), (0, height - 16), (width - 16, height - 16)):
        if any(pixel != b"\0\0\0" for pixel in pixels(screen, left, top, left + 16, top + 16)):
            raise Failure("the screen's corners are not black")
    lit_pixels = lit_centre_pixels(screen)
    foreign = [pixel for pixel in lit_pixels if not coarse_colours(pixel) <= picture_colours]
    if len(lit_pixels) < LIT_PIXELS or len(foreign) > len(lit_pixels) // 20:
        raise Failure(f"around the centre {len(lit_pixels)} lit pixels, {len(foreign)} of them "
                      f"in colours the picture does not have")


# --- The runner ---

def run_cases(cases, description, session_type, prepare=None):
    """Runs each case (a function of the session, named case_...) in one session of
    `session_type` and reports; the exit code says whether all passed. `prepare(session)` runs
    first, once the session is set up."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--only", default="", help="run only the cases whose names hold this")
    session_type.add_arguments(parser)
    options = parser.parse_args()
    cases = [case for case in cases if options.only in case.__name__]
    session = session_type(options)
    passed = 0
    try:
        session.start()
        if prepare:
            prepare(session)
        for case in cases:
            name = case.__name__.removeprefix("case_")
            started = time.monotonic()
            before = session.before_case()
            try:
                case(session)
                passed += 1
                print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
            except (Failure, OSError, subprocess.SubprocessError) as failure:
                print(f"FAIL {name}: {failure}", flush=True)
                session.report_failure(before)
    except Failure as failure:
        print(f"FAIL set-up: {failure}", flush=True)
    finally:
        session.close()
    print(f"{passed} of {len(cases)} cases passed")
    return 0 if passed == len(cases) else 1

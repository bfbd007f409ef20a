"""Runs the real Vexaframe.scr under Wine on a virtual X display, for the end-to-end tests.

A run has a Wine prefix of its own: Wine binds a prefix's desktop to the X display of the
first program started in it, so a prefix shared with other tests (which run without a
display) would leave our windows nowhere, and their windows would meet our look-ups.
"""

import argparse
import collections
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

OUR_CAPTIONS = {"Vexaframe", "Vexaframe_S", "Vexaframe_P", "Preview Window"}
FIRST_WINE_START_SECONDS = 300  # a fresh prefix is set up on the first run
RUN_BOUND_SECONDS = 30  # only guards against a hang; speed is not asserted here
KEEPS_RUNNING_SECONDS = 1  # how long a program must stay after an input it should ignore
POLL_SECONDS = 0.2
SETTLE_SECONDS = 0.5  # from a dialog shown to its X window taking input
SCREENSHOT_ATTEMPTS = 5
SCREEN = (1024, 768)

Window = collections.namedtuple("Window", "window_class caption rect visible children")
Child = collections.namedtuple("Child", "window_class text rect visible")

# The saver's settings keys, in Shift-JIS.
ORDER_KEY = "画像ﾁｪﾝｼﾞ"
INTERVAL_KEY = "ｲﾝﾀｰﾊﾞﾙ"
TRANSPARENCY_KEY = "透明効果"
FOLDER_KEY = "画像のﾌｫﾙﾀﾞ"


class Failure(Exception):
    pass


class Session:
    def __init__(self, options):
        self.saver = os.path.abspath(options.saver)
        self.probe = os.path.abspath(options.probe)
        self.wine_run = os.path.abspath(options.wine_run)
        self.prefix = os.path.abspath(options.wine_prefix)
        # Wine's own error messages, kept so that a failing case can show what Wine said.
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all,err+all")
        self.samples = options.samples
        self.given_display = getattr(options, "given_display", False)
        self.xvfb = None
        self.folders = tempfile.mkdtemp(prefix="vexaframe-e2e-")
        self.wine_errors = open(os.path.join(self.folders, "wine-errors.log"), "w+b")

    # --- Set-up and tear-down ---

    def start_display(self):
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

    def keep_wine_server(self):
        os.makedirs(self.prefix, exist_ok=True)
        # A server left by an earlier run keeps its desktop on that run's display.
        self.wine_server("--kill")
        self.wine_server("--wait")
        # One server for the whole run, started before any program so that none starts a
        # short-lived one first.
        self.wine_server("--persistent=15")
        self.windows(FIRST_WINE_START_SECONDS)  # sets up a new prefix

    def wine_server(self, option):
        wineserver = shutil.which("wineserver") or "/usr/lib/wine/wineserver"
        subprocess.run([wineserver, option], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=20)

    def close(self):
        if os.path.isdir(self.prefix):
            self.wine_server("--kill")
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(10)
        self.wine_errors.close()
        shutil.rmtree(self.folders, ignore_errors=True)

    # --- Running programs ---

    def wine(self, arguments, **popen):
        if popen.get("stderr", subprocess.DEVNULL) == subprocess.DEVNULL:
            popen["stderr"] = self.wine_errors
        return subprocess.Popen([self.wine_run] + arguments, env=self.env, **popen)

    def wine_errors_since(self, offset):
        """What Wine reported on its error channel since `offset` of its log."""
        self.wine_errors.seek(offset)
        said = self.wine_errors.read().decode("utf-8", "replace")
        self.wine_errors.seek(0, os.SEEK_END)
        return said

    def fresh_copy(self, name, settings=None):
        """A copy of the program in a folder of its own, with `settings` (key: value) written
        beside it."""
        # A blank and a Japanese name in the path: the program's name arrives quoted.
        folder = os.path.join(self.folders, name, "写真 saver")
        os.makedirs(folder)
        copy = os.path.join(folder, "Vexaframe.scr")
        shutil.copy(self.saver, copy)
        if settings is not None:
            lines = ["[Section]"] + [f"{key}={value}" for key, value in settings.items()]
            with open(os.path.join(folder, "Vexaframe.ini"), "wb") as ini:
                ini.write("\r\n".join(lines + [""]).encode("shift_jis"))
        return copy

    def start_saver(self, name, arguments, settings=None):
        return self.start_copy(self.fresh_copy(name, settings), arguments)

    def start_copy(self, copy, arguments):
        return self.wine([copy] + arguments, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)

    def picture_folder(self, name, pictures):
        """A folder holding `pictures` (name: source path), as a Windows path and a local one."""
        folder = os.path.join(self.folders, name, "pictures")
        os.makedirs(folder)
        for picture, source in pictures.items():
            shutil.copy(source, os.path.join(folder, picture))
        return "Z:" + folder.replace("/", "\\"), folder

    def xdotool(self, *arguments):
        subprocess.run(["xdotool", *arguments], env=self.env, check=True, timeout=10,
                       stdout=subprocess.DEVNULL)

    def xdotool_output(self, *arguments):
        return subprocess.run(["xdotool", *arguments], env=self.env, check=True, timeout=10,
                              capture_output=True, text=True).stdout

    def screenshot(self):
        return screenshot(self.env)

    def wait_for_screen(self, shows, bound=RUN_BOUND_SECONDS):
        return wait_for_screen(self.env, shows, bound)

    def windows(self, bound=RUN_BOUND_SECONDS):
        """The top-level windows, each with its child windows."""
        found = []
        for line in self.probe_output(["list"], bound):
            fields = line.split("\t")
            if len(fields) != 5:
                continue
            kind, window_class, text, rect, shown = fields
            rect = tuple(int(number) for number in rect.split(","))
            visible = shown == "visible"
            if kind == "window":
                found.append(Window(window_class, text, rect, visible, []))
            elif kind == "child" and found:
                found[-1].children.append(Child(window_class, text, rect, visible))
        return found

    def wait_for_window(self, matches, bound=RUN_BOUND_SECONDS):
        deadline = time.monotonic() + bound
        while time.monotonic() < deadline:
            for window in self.windows():
                if matches(window):
                    return window
            time.sleep(POLL_SECONDS)
        return None

    def hold_window(self, title):
        holder = self.wine([self.probe, "hold", title], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL)
        ready, _, _ = select.select([holder.stdout], [], [], RUN_BOUND_SECONDS)
        if not ready or holder.stdout.readline().strip() != b"ready":
            stop(holder)
            raise Failure(f"could not hold a window titled {title}")
        return holder

    def show_window(self, left, top, width, height):
        """A white window of another program at `left`,`top`, until the process is stopped."""
        shown = self.wine([self.probe, "show", str(left), str(top), str(width), str(height)],
                          stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL)
        ready, _, _ = select.select([shown.stdout], [], [], RUN_BOUND_SECONDS)
        if not ready or shown.stdout.readline().strip() != b"ready":
            stop(shown)
            raise Failure("could not show a window")
        return shown

    def monitors(self):
        """The monitors as Wine sees them: each its rectangle on the virtual screen and whether
        it is the primary."""
        found = []
        for line in self.probe_output(["monitors"]):
            if "\t" in line:
                rect, kind = line.split("\t")
                found.append((tuple(int(number) for number in rect.split(",")), kind == "primary"))
        return found

    def press_enter_on(self, caption):
        self.press_key_on(caption, "Return")

    def press_key_on(self, caption, key):
        # The X window may exist a moment before it can take the focus.
        deadline = time.monotonic() + RUN_BOUND_SECONDS
        while time.monotonic() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                    f"^{caption}$"], env=self.env, capture_output=True,
                                   text=True, timeout=10)
            for window_id in found.stdout.split():
                focused = subprocess.run(["xdotool", "windowfocus", "--sync", window_id, "key",
                                          key], env=self.env, capture_output=True, timeout=10)
                if focused.returncode == 0:
                    return
            time.sleep(POLL_SECONDS)
        raise Failure(f"could not press {key} on an X window named {caption}")

    def list_box_lines(self, caption):
        """The lines of the list box in the top-level window `caption`: each its rectangle on
        the screen and its text."""
        lines = []
        for line in self.probe_output(["lines", caption]):
            if "\t" in line:
                rect, text = line.split("\t", 1)
                lines.append((tuple(int(number) for number in rect.split(",")), text))
        return lines

    def probe_output(self, arguments, bound=RUN_BOUND_SECONDS):
        """The lines window_probe prints."""
        probe = self.wine([self.probe] + arguments, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL)
        try:
            out, _ = probe.communicate(timeout=bound)
        except subprocess.TimeoutExpired:
            probe.kill()
            raise Failure(f"window_probe {arguments[0]} did not finish")
        if probe.returncode != 0:
            raise Failure(f"window_probe {' '.join(arguments)} failed with code "
                          f"{probe.returncode}")
        return out.decode("utf-8", "replace").split("\n")

    def put_pointer(self, x, y, on_root=None):
        """Puts the mouse pointer at x,y of the virtual screen, where X and Wine both know it
        is; `on_root` is the same point in X's root window where the two differ. Wine's own
        move now and then leaves the X pointer where it was while Wine believes it moved, so X
        moves it first and Wine is then told; both are checked, and tried again until they
        agree."""
        root = on_root or (x, y)
        deadline = time.monotonic() + RUN_BOUND_SECONDS
        while True:
            self.xdotool("mousemove", str(root[0]), str(root[1]))
            told = self.wine([self.probe, "cursor", str(x), str(y)]).wait(RUN_BOUND_SECONDS)
            if told == 0 and self.pointer_on_root() == tuple(root):
                return
            if time.monotonic() > deadline:
                raise Failure(f"the pointer could not be put at {x},{y}")
            time.sleep(POLL_SECONDS)

    def pointer_on_root(self):
        found = self.xdotool_output("getmouselocation", "--shell")
        fields = dict(line.split("=", 1) for line in found.split())
        return int(fields["X"]), int(fields["Y"])

    # --- Checks ---

    def expect_none_of_our_windows(self, what):
        left = [window for window in self.windows() if window.caption in OUR_CAPTIONS]
        if left:
            raise Failure(f"{what}: windows left behind: {left}")


def screenshot(env):
    """The whole screen of env's DISPLAY as rows of RGB bytes. xwd walks the window tree before
    it reads the screen and gives up when a window goes in between, as windows do while a
    program starts or ends; such a capture is simply taken again."""
    for _ in range(SCREENSHOT_ATTEMPTS):
        capture = subprocess.run(["xwd", "-root", "-silent"], env=env, capture_output=True,
                                 timeout=20)
        if capture.returncode == 0:
            return rgb_of("xwd:-", capture.stdout)
        time.sleep(POLL_SECONDS)
    raise Failure(f"xwd failed {SCREENSHOT_ATTEMPTS} times in a row: "
                  f"{capture.stderr.decode('utf-8', 'replace').strip()}")


def wait_for_screen(env, shows, bound=RUN_BOUND_SECONDS):
    """The first screenshot for which `shows(screenshot)` holds within `bound` seconds, or
    None."""
    deadline = time.monotonic() + bound
    while True:
        screen = screenshot(env)
        if shows(screen):
            return screen
        if time.monotonic() > deadline:
            return None
        time.sleep(POLL_SECONDS)


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


def forged_size_jpeg(jpeg):
    """The JPEG with its frame header claiming 60000 x 60000 pixels."""
    frame = next(at for at in range(2, len(jpeg) - 9)
                 if jpeg[at] == 0xFF and 0xC0 <= jpeg[at + 1] <= 0xC2)
    return jpeg[:frame + 5] + (60000).to_bytes(2, "big") * 2 + jpeg[frame + 9:]


def broken_pictures(session, jpeg_path):
    """Files a picture folder collects, made from a good JPEG: name: path."""
    with open(jpeg_path, "rb") as file:
        jpeg = file.read()
    contents = {"forged.jpg": forged_size_jpeg(jpeg), "truncated.jpg": jpeg[:len(jpeg) // 3],
                "empty.jpg": b"", "text.jpg": b"this is no picture\n" * 40}
    paths = {}
    for name, data in contents.items():
        paths[name] = os.path.join(session.folders, "broken-" + name)
        with open(paths[name], "wb") as file:
            file.write(data)
    return paths


def resident_bytes(pid):
    with open(f"/proc/{pid}/status") as status:
        kilobytes = next(line.split()[1] for line in status if line.startswith("VmRSS:"))
    return int(kilobytes) * 1024


def staged_version(bitmap):
    """What tells one staged picture from the next: each is a new file moved into place."""
    try:
        status = os.stat(bitmap)
    except FileNotFoundError:
        return None
    return status.st_ino, status.st_mtime_ns


def rgb_of(source, data=None):
    """Raw RGB bytes of a picture ImageMagick reads (a file, or `data` for "format:-")."""
    convert = shutil.which("convert-im6.q16") or "convert"
    return subprocess.run([convert, source, "-depth", "8", "rgb:-"], input=data, check=True,
                          capture_output=True, timeout=60).stdout


def picture_size(path):
    identify = shutil.which("identify-im6.q16") or "identify"
    out = subprocess.run([identify, "-format", "%w %h", path], check=True, capture_output=True,
                         text=True, timeout=60).stdout
    width, height = out.split()
    return int(width), int(height)


def ended_within(process, seconds):
    try:
        process.wait(seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


def run_cases(cases, description, prepare=None):
    """Runs each case in one session and reports; the exit code says whether all passed.
    `prepare(session)` runs first, once the session's prefix is set up."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--saver", required=True, help="the built Vexaframe.scr")
    parser.add_argument("--probe", required=True, help="the built window_probe.exe")
    parser.add_argument("--wine-run", required=True, help="cmake/wine-run.sh")
    parser.add_argument("--wine-prefix", required=True, help="this run's own Wine prefix")
    parser.add_argument("--samples", required=True, help="the build's sample pictures")
    parser.add_argument("--only", default="", help="run only the cases whose names hold this")
    parser.add_argument("--given-display", action="store_true",
                        help="run on the display DISPLAY names, which the caller starts and "
                             "stops, rather than on an Xvfb of its own")
    options = parser.parse_args()
    cases = [case for case in cases if options.only in case.__name__]
    session = Session(options)
    passed = 0
    try:
        session.start_display()
        session.keep_wine_server()
        if prepare:
            prepare(session)
        for case in cases:
            name = case.__name__.removeprefix("case_")
            started = time.monotonic()
            errors_at = session.wine_errors.seek(0, os.SEEK_END)
            try:
                case(session)
                passed += 1
                print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
            except (Failure, subprocess.SubprocessError) as failure:
                print(f"FAIL {name}: {failure}", flush=True)
                said = session.wine_errors_since(errors_at).strip()
                if said:
                    print("  Wine's errors during the case:\n    " +
                          "\n    ".join(said.splitlines()[-30:]), flush=True)
    except Failure as failure:
        print(f"FAIL set-up: {failure}", flush=True)
    finally:
        session.close()
    print(f"{passed} of {len(cases)} cases passed")
    return 0 if passed == len(cases) else 1



"""The real Vexaframe.scr under Wine on the session's X display: copies of it with their
settings, Wine's server and error log, and window_probe.exe, which looks at and makes windows
as Windows programs see them.

A run has a Wine prefix of its own: Wine binds a prefix's desktop to the X display of the
first program started in it, so a prefix shared with other tests (which run without a
display) would leave our windows nowhere, and their windows would meet our look-ups.
"""

import collections
import contextlib
import os
import shutil
import subprocess

from end_to_end import RUN_BOUND_SECONDS, Failure, Session, first_line, stop, wait_for

OUR_CAPTIONS = {"Vexaframe", "Vexaframe_S", "Vexaframe_P", "Preview Window"}
FIRST_WINE_START_SECONDS = 300  # a fresh prefix is set up on the first run

Window = collections.namedtuple("Window", "window_class caption rect visible children")
Child = collections.namedtuple("Child", "window_class text rect visible")

# The saver's settings keys, in Shift-JIS.
ORDER_KEY = "画像ﾁｪﾝｼﾞ"
INTERVAL_KEY = "ｲﾝﾀｰﾊﾞﾙ"
CAPTION_KEY = "ｷｬﾌﾟｼｮﾝ"
TRANSPARENCY_KEY = "透明効果"
FOLDER_KEY = "画像のﾌｫﾙﾀﾞ"
SUBFOLDERS_KEY = "ｻﾌﾞﾌｫﾙﾀﾞ"


def saver_settings(windows_folder, interval):
    """The pictures of a folder in catalogue order, opaque, so that the cube shows only their
    colours."""
    return {ORDER_KEY: 0, INTERVAL_KEY: interval, TRANSPARENCY_KEY: 0, FOLDER_KEY: windows_folder}


class WineSession(Session):
    def __init__(self, options):
        super().__init__(options)
        self.saver = os.path.abspath(options.saver)
        self.probe = os.path.abspath(options.probe)
        self.wine_run = os.path.abspath(options.wine_run)
        self.prefix = os.path.abspath(options.wine_prefix)
        # Wine's own error messages, kept so that a failing case can show what Wine said.
        self.env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all,err+all")
        self.wine_errors = open(os.path.join(self.folders, "wine-errors.log"), "w+b")

    @classmethod
    def add_arguments(cls, parser):
        super().add_arguments(parser)
        for option, what in (("--saver", "the built Vexaframe.scr"),
                             ("--probe", "the built window_probe.exe"),
                             ("--wine-run", "cmake/wine-run.sh"),
                             ("--wine-prefix", "this run's own Wine prefix")):
            parser.add_argument(option, required=True, help=what)

    def start(self):
        super().start()
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
        self.wine_errors.close()
        super().close()

    def before_case(self):
        return self.wine_errors.seek(0, os.SEEK_END)

    def report_failure(self, before):
        """What Wine reported on its error channel since `before`, an offset of its log."""
        self.wine_errors.seek(before)
        said = self.wine_errors.read().decode("utf-8", "replace").strip()
        self.wine_errors.seek(0, os.SEEK_END)
        if said:
            print("  Wine's errors during the case:\n    " +
                  "\n    ".join(said.splitlines()[-30:]), flush=True)

    # --- Running programs ---

    def wine(self, arguments, **popen):
        if popen.get("stderr", subprocess.DEVNULL) == subprocess.DEVNULL:
            popen["stderr"] = self.wine_errors
        return subprocess.Popen([self.wine_run] + arguments, env=self.env, **popen)

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

    def start_fresh_copy(self, name, arguments):
        return self.start_copy(self.fresh_copy(name), arguments)

    def start_copy(self, copy, arguments):
        return self.wine([copy] + arguments, stdout=subprocess.DEVNULL)

    @contextlib.contextmanager
    def registry_value(self, key, name, value):
        """The prefix's registry holds `value` as `name` under `key` while the case is in this."""
        self.wine(["reg", "add", key, "/v", name, "/d", value, "/f"],
                  stdout=subprocess.DEVNULL).wait(RUN_BOUND_SECONDS)
        try:
            yield
        finally:
            self.wine(["reg", "delete", key, "/v", name, "/f"],
                      stdout=subprocess.DEVNULL).wait(RUN_BOUND_SECONDS)

    def windows_picture_folder(self, name, pictures):
        """A folder holding `pictures` (name: source path), as a Windows path."""
        return "Z:" + self.picture_folder(name, pictures).replace("/", "\\")

    def windows(self, bound=RUN_BOUND_SECONDS):
        """The top-level windows, each with its child windows."""
        found = []
        for line in self.probe_output(["list"], bound):
            fields = line.split("\t")
            if len(fields) != 5:
                continue
            kind, window_class, text, rect, shown = fields
            rect, visible = parse_rect(rect), shown == "visible"
            if kind == "window":
                found.append(Window(window_class, text, rect, visible, []))
            elif kind == "child" and found:
                found[-1].children.append(Child(window_class, text, rect, visible))
        return found

    def wait_for_window(self, matches, bound=RUN_BOUND_SECONDS):
        return wait_for(lambda: next(filter(matches, self.windows()), None), bound)

    def start_probe(self, what, *arguments):
        """window_probe showing a window (`arguments`) until its input ends or it is stopped,
        once it says it is ready; and the words it said after "ready"."""
        process = self.wine([self.probe, *arguments], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE)
        words = first_line(process, what).split()
        if words[0] != "ready":
            stop(process)
            raise Failure(f"{what} did not start")
        return process, words[1:]

    def press_key_on(self, caption, key):
        # The X window may exist a moment before it can take the focus.
        def pressed():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                    f"^{caption}$"], env=self.env, capture_output=True,
                                   text=True, timeout=10)
            return any(subprocess.run(["xdotool", "windowfocus", "--sync", window_id, "key",
                                       key], env=self.env, capture_output=True,
                                      timeout=10).returncode == 0
                       for window_id in found.stdout.split())
        if not wait_for(pressed):
            raise Failure(f"could not press {key} on an X window named {caption}")

    def rect_lines(self, arguments):
        """The lines window_probe prints that begin with a rectangle: each that and the rest."""
        return [(parse_rect(rect), rest) for rect, tab, rest in
                (line.partition("\t") for line in self.probe_output(arguments)) if tab]

    def probe_output(self, arguments, bound=RUN_BOUND_SECONDS):
        """The lines window_probe prints."""
        probe = self.wine([self.probe] + arguments, stdout=subprocess.PIPE)
        try:
            out, _ = probe.communicate(timeout=bound)
        except subprocess.TimeoutExpired:
            probe.kill()
            raise Failure(f"window_probe {arguments[0]} did not finish")
        if probe.returncode != 0:
            raise Failure(f"window_probe {' '.join(arguments)} failed with code "
                          f"{probe.returncode}")
        return out.decode("utf-8", "replace").split("\n")

    def pointer_told(self, x, y):
        # Wine's own move now and then leaves the X pointer where it was while Wine believes it
        # moved, so X moves it first and Wine is then told; both are checked, and tried again
        # until they agree.
        return self.wine([self.probe, "cursor", str(x), str(y)]).wait(RUN_BOUND_SECONDS) == 0

    # --- Checks ---

    def expect_none_of_our_windows(self, what):
        left = [window for window in self.windows() if window.caption in OUR_CAPTIONS]
        if left:
            raise Failure(f"{what}: windows left behind: {left}")


def parse_rect(text):
    return tuple(int(number) for number in text.split(","))


def photograph_in_kinds(session, source, kinds=("png", "webp", "heic", "avif")):
    """The picture `source` saved in each of `kinds` by the distribution's encoders, which
    take it as PNG: kind: path."""
    stem = os.path.join(session.folders, os.path.basename(source))
    png = stem + ".png"
    convert = shutil.which("convert-im6.q16") or "convert"
    subprocess.run([convert, source, "-strip", png], check=True, capture_output=True, timeout=60)
    encoders = {"webp": lambda out: ["cwebp", "-quiet", "-q", "90", png, "-o", out],
                "heic": lambda out: ["heif-enc", "-q", "90", "-o", out, png],
                "avif": lambda out: ["avifenc", "-j", "1", png, out]}
    paths = {}
    for kind in kinds:
        paths[kind] = png if kind == "png" else f"{stem}.{kind}"
        if kind != "png":
            subprocess.run(encoders[kind](paths[kind]), check=True, capture_output=True,
                           timeout=120)
    return paths


def broken_pictures(session, jpeg_path):
    """Files a picture folder collects, made from a good JPEG: name: path. The forged one's
    frame header claims 60000 x 60000 pixels."""
    with open(jpeg_path, "rb") as file:
        jpeg = file.read()
    frame = next(at for at in range(2, len(jpeg) - 9)
                 if jpeg[at] == 0xFF and 0xC0 <= jpeg[at + 1] <= 0xC2)
    forged = jpeg[:frame + 5] + (60000).to_bytes(2, "big") * 2 + jpeg[frame + 9:]
    contents = {"forged.jpg": forged, "truncated.jpg": jpeg[:len(jpeg) // 3],
                "empty.jpg": b"", "text.jpg": b"this is no picture\n" * 40}
    paths = {}
    for name, data in contents.items():
        paths[name] = os.path.join(session.folders, "broken-" + name)
        with open(paths[name], "wb") as file:
            file.write(data)
    return paths


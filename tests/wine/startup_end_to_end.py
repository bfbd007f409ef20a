#!/usr/bin/env python3
"""Start-up of the real Vexaframe.scr under Wine on a virtual X display.

Each case copies the program into a fresh folder (its settings file lives beside it),
starts it with a command line and watches its windows through window_probe.exe.

The run has a Wine prefix of its own: Wine binds a prefix's desktop to the X display of
the first program started in it, so a prefix shared with other tests (which run without
a display) would leave our windows nowhere, and their windows would meet our look-ups.
"""

import argparse
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

CHOOSE_PICTURES = "設定画面より画像ﾌｧｲﾙを指定して下さい！"
OUR_CAPTIONS = {"Vexaframe", "Vexaframe_S", "Vexaframe_P", "Preview Window"}
FIRST_WINE_START_SECONDS = 300  # a fresh prefix is set up on the first run
RUN_BOUND_SECONDS = 30  # only guards against a hang; speed is not asserted here
POLL_SECONDS = 0.2


class Failure(Exception):
    pass


class Session:
    def __init__(self, options):
        self.saver = os.path.abspath(options.saver)
        self.probe = os.path.abspath(options.probe)
        self.wine_run = os.path.abspath(options.wine_run)
        self.prefix = os.path.abspath(options.wine_prefix)
        self.env = dict(os.environ, WINEPREFIX=self.prefix)
        self.xvfb = None
        self.folders = tempfile.mkdtemp(prefix="vexaframe-e2e-")

    # --- Set-up and tear-down ---

    def start_display(self):
        if self.env.get("DISPLAY"):
            return
        read_end, write_end = os.pipe()
        # -noreset: the server would otherwise reset whenever its last client leaves.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
             "-screen", "0", "1024x768x24"],
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
        shutil.rmtree(self.folders, ignore_errors=True)

    # --- Running programs ---

    def wine(self, arguments, **popen):
        return subprocess.Popen([self.wine_run] + arguments, env=self.env, **popen)

    def fresh_copy(self, name):
        # A blank and a Japanese name in the path: the program's name arrives quoted.
        folder = os.path.join(self.folders, name, "写真 saver")
        os.makedirs(folder)
        copy = os.path.join(folder, "Vexaframe.scr")
        shutil.copy(self.saver, copy)
        return copy

    def start_saver(self, name, arguments):
        return self.wine([self.fresh_copy(name)] + arguments,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def windows(self, bound=RUN_BOUND_SECONDS):
        """The top-level windows as (class, caption, [(child class, child text)])."""
        listing = self.wine([self.probe, "list"], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
        try:
            out, _ = listing.communicate(timeout=bound)
        except subprocess.TimeoutExpired:
            listing.kill()
            raise Failure("window_probe list did not finish")
        if listing.returncode != 0:
            raise Failure(f"window_probe list failed with code {listing.returncode}")
        found = []
        for line in out.decode("utf-8", "replace").split("\n"):
            fields = line.split("\t")
            if len(fields) != 3:
                continue
            kind, window_class, text = fields
            if kind == "window":
                found.append((window_class, text, []))
            elif kind == "child" and found:
                found[-1][2].append((window_class, text))
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

    def press_enter_on(self, caption):
        found = subprocess.run(["xdotool", "search", "--name", f"^{caption}$"], env=self.env,
                               capture_output=True, text=True, timeout=10)
        window_ids = found.stdout.split()
        if not window_ids:
            raise Failure(f"no X window named {caption}")
        subprocess.run(["xdotool", "windowfocus", "--sync", window_ids[0], "key", "Return"],
                       env=self.env, check=True, timeout=10)

    # --- Checks ---

    def expect_end(self, process, what):
        try:
            code = process.wait(RUN_BOUND_SECONDS)
        except subprocess.TimeoutExpired:
            raise Failure(f"{what}: still running after {RUN_BOUND_SECONDS} s")
        if code != 0:
            raise Failure(f"{what}: ended with code {code}")

    def expect_none_of_our_windows(self, what):
        left = [window for window in self.windows() if window[1] in OUR_CAPTIONS]
        if left:
            raise Failure(f"{what}: windows left behind: {left}")


def stop(process):
    if process.poll() is None:
        process.kill()
        process.wait(10)


def is_choose_pictures_box(window):
    window_class, caption, children = window
    return (window_class == "#32770" and caption == "Vexaframe"
            and ("Static", CHOOSE_PICTURES) in children
            and any(child_class == "Button" for child_class, _ in children))


# --- Cases ---

def runs_to_its_end(session, name, arguments, what):
    # Without pictures a saver start shows a modal message box: ending at all means that
    # nothing was shown.
    saver = session.start_saver(name, arguments)
    try:
        session.expect_end(saver, what)
    finally:
        stop(saver)


def ends_silently(session, name, arguments):
    runs_to_its_end(session, name, arguments, f"{arguments}")
    session.expect_none_of_our_windows(f"{arguments}")


def case_unknown_switch(session):
    ends_silently(session, "unknown", ["/x"])


def case_bare_letter(session):
    ends_silently(session, "bare", ["s"])


def case_settings_and_preview_end_after_dispatch(session):
    ends_silently(session, "settings", ["/c"])
    ends_silently(session, "settings-handle", ["/c:1234"])
    ends_silently(session, "preview", ["/p", "1234"])


def asks_to_choose_pictures(session, name, arguments):
    saver = session.start_saver(name, arguments)
    try:
        if not session.wait_for_window(is_choose_pictures_box):
            raise Failure(f"{arguments}: no message box captioned Vexaframe with the text "
                          f"{CHOOSE_PICTURES}")
        if saver.poll() is not None:
            raise Failure(f"{arguments}: ended while its message box was up")
        session.press_enter_on("Vexaframe")
        session.expect_end(saver, f"{arguments} after Enter")
    finally:
        stop(saver)
    session.expect_none_of_our_windows(f"{arguments}")


def case_saver_without_pictures(session):
    asks_to_choose_pictures(session, "switched", ["/s"])


def case_saver_without_switch_or_pictures(session):
    asks_to_choose_pictures(session, "plain", [])


def ends_beside(session, title):
    holder = session.hold_window(title)
    try:
        for name, arguments in (("saver", ["/s"]), ("preview", ["/p", "1234"])):
            runs_to_its_end(session, f"{title}-{name}", arguments, f"{arguments} beside {title}")
    finally:
        stop(holder)


def case_single_instance_saver(session):
    ends_beside(session, "Vexaframe_S")


def case_single_instance_dialog(session):
    ends_beside(session, "Vexaframe_P")


CASES = [
    case_unknown_switch,
    case_bare_letter,
    case_saver_without_pictures,
    case_saver_without_switch_or_pictures,
    case_single_instance_saver,
    case_single_instance_dialog,
    case_settings_and_preview_end_after_dispatch,
]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--saver", required=True, help="the built Vexaframe.scr")
    parser.add_argument("--probe", required=True, help="the built window_probe.exe")
    parser.add_argument("--wine-run", required=True, help="cmake/wine-run.sh")
    parser.add_argument("--wine-prefix", required=True, help="this run's own Wine prefix")
    session = Session(parser.parse_args())
    passed = 0
    try:
        session.start_display()
        session.keep_wine_server()
        for case in CASES:
            name = case.__name__.removeprefix("case_")
            started = time.monotonic()
            try:
                case(session)
                passed += 1
                print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
            except (Failure, subprocess.SubprocessError) as failure:
                print(f"FAIL {name}: {failure}", flush=True)
    except Failure as failure:
        print(f"FAIL set-up: {failure}", flush=True)
    finally:
        session.close()
    print(f"{passed} of {len(CASES)} cases passed")
    return 0 if passed == len(CASES) else 1


if __name__ == "__main__":
    sys.exit(main())

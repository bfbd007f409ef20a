#!/usr/bin/env python3
"""vexaframe run by the XScreenSaver daemon on a virtual X display, as a user who chose it:
the daemon started with a settings file that names only our module, told to blank the screen,
shows the cube; told to unblank, it ends the module, and nothing of ours is left.

XScreenSaver runs no display modules for root, so as root the daemon runs as nobody, with the
program and the picture copied into a home that user owns.
"""

import ctypes
import os
import pwd
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from end_to_end import (POLL_SECONDS, RUN_BOUND_SECONDS, Failure, Held, cube_shows, ended_within,
                        expect_cube_of, rgb_of, run_cases, stop, wait_for)
from x11_saver_end_to_end import NativeSession

PICTURE = "aurora_lake.bmp"
PR_SET_CHILD_SUBREAPER = 36


def settings_file(program, folder):
    """~/.xscreensaver: our module the only one, shown at once when asked, never locked, never
    faded, and not blanking or cycling by itself while the test runs. GL: asks the daemon for
    the visual its GL probe finds best, as the module's description says it draws with
    OpenGL."""
    command = shlex.join([program, "-root", "-folder", folder, "-order", "sequential",
                          "-transparency", "opaque"])
    return "".join(f"{name}: {value}\n" for name, value in [
        ("mode", "one"), ("selected", "0"), ("lock", "False"), ("splash", "False"),
        ("fade", "False"), ("unfade", "False"), ("timeout", "1:00:00"), ("cycle", "0"),
        ("dpmsEnabled", "False"), ("programs", f"GL: {command} \\n\\")]) + "\n"


def living_processes_with(home):
    """pid: command line of every process still running (not a zombie, whose environment is
    gone) whose HOME is `home`: the daemon, its helpers and the module all inherit it. Those
    that end while we look, or are not ours to read, are left out."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as environ:
                if f"HOME={home}".encode() not in environ.read().split(b"\0"):
                    continue
            with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                found[int(pid)] = cmdline.read().replace(b"\0", b" ").decode()
        except OSError:
            continue
    return found


def adopt_orphans(adopt):
    """While set, processes whose parent ends become this one's children, so that the module,
    whose parent the daemon ends first, can still be waited for and its exit status read."""
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, int(adopt), 0, 0, 0) != 0:
        raise OSError(ctypes.get_errno(), "prctl")


def wait_for_end(pid):
    """Waits until the process `pid` has ended; gives its exit code when it came to us to
    reap, None when its own parent reaped it."""
    deadline = time.monotonic() + RUN_BOUND_SECONDS
    while True:
        try:
            done, status = os.waitpid(pid, os.WNOHANG)
            if done:
                return os.waitstatus_to_exitcode(status)
        except ChildProcessError:  # not (yet) ours
            if not os.path.exists(f"/proc/{pid}"):
                return None
        if time.monotonic() > deadline:
            raise Failure(f"the module (pid {pid}) still runs {RUN_BOUND_SECONDS} s after "
                          f"XScreenSaver unblanked")
        time.sleep(POLL_SECONDS)


class Daemon(Held):
    """XScreenSaver in a home of its own, ended however the case leaves it."""

    def __init__(self, session):
        self.home = tempfile.mkdtemp(prefix="vexaframe-xscreensaver-")
        self.program = os.path.join(self.home, "vexaframe")
        folder = os.path.join(self.home, "pictures")
        os.makedirs(folder)
        shutil.copy(session.program, self.program)
        shutil.copy(session.sample(PICTURE), folder)
        with open(os.path.join(self.home, ".xscreensaver"), "w") as file:
            file.write(settings_file(self.program, folder))
        self.as_user = []
        if os.geteuid() == 0:
            user = pwd.getpwnam("nobody")
            subprocess.run(["chown", "-R", f"{user.pw_uid}:{user.pw_gid}", self.home], check=True)
            self.as_user = ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}",
                            "--clear-groups"]
        self.env = {name: value for name, value in session.env.items()
                    if not name.startswith(("XDG_", "XSCREENSAVER"))}
        self.env["HOME"] = self.home
        self.log_path = os.path.join(self.home, "xscreensaver.log")
        self.log = open(self.log_path, "wb")
        self.process = subprocess.Popen(
            [*self.as_user, "xscreensaver", "-no-splash", "-verbose"], env=self.env,
            stdout=self.log, stderr=subprocess.STDOUT)

    def close(self):
        # Whatever a failed case left of the daemon, its helpers and the module.
        stop(self.process)
        for pid in living_processes_with(self.home):
            os.kill(pid, signal.SIGKILL)
        self.log.close()
        shutil.rmtree(self.home, ignore_errors=True)

    def command(self, *arguments):
        return subprocess.run([*self.as_user, "xscreensaver-command", *arguments], env=self.env,
                              capture_output=True, timeout=RUN_BOUND_SECONDS).returncode == 0

    def fail(self, what):
        self.log.flush()
        with open(self.log_path, "rb") as log:
            said = log.read().decode("utf-8", "replace")[-3000:]
        raise Failure(f"{what}; XScreenSaver said:\n{said}")


# --- Cases ---

def case_xscreensaver_shows_the_cube_and_ends_the_module_when_unblanking(session):
    with Daemon(session) as daemon:
        # The daemon takes commands once its window is up.
        if not wait_for(lambda: daemon.command("-version") or daemon.process.poll() is not None):
            raise Failure(f"XScreenSaver answering not within {RUN_BOUND_SECONDS} s")
        if daemon.process.poll() is not None:
            daemon.fail(f"XScreenSaver ended with code {daemon.process.returncode}")
        adopt_orphans(True)
        try:
            if not daemon.command("-activate"):
                daemon.fail("xscreensaver-command -activate failed")
            if not session.wait_for_screen(cube_shows):
                daemon.fail("the screen does not show the cube")
            expect_cube_of(session, rgb_of(session.sample(PICTURE)))
            pids = [pid for pid, command in living_processes_with(daemon.home).items()
                    if command.startswith(daemon.program + " ")]
            if len(pids) != 1:
                daemon.fail(f"{len(pids)} copies of the module run, not one")

            if not daemon.command("-deactivate"):
                daemon.fail("xscreensaver-command -deactivate failed")
            status = wait_for_end(pids[0])
            if status not in (0, None):
                daemon.fail(f"the module ended with code {status}")
        finally:
            adopt_orphans(False)
        if not daemon.command("-exit") or not ended_within(daemon.process, RUN_BOUND_SECONDS):
            daemon.fail("XScreenSaver did not exit when told")
        left = living_processes_with(daemon.home)
        if left:
            daemon.fail(f"still running after XScreenSaver exited: {left}")


CASES = [case_xscreensaver_shows_the_cube_and_ends_the_module_when_unblanking]


if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, NativeSession))

#!/usr/bin/env python3
"""The preview of the real Vexaframe.scr under Wine on a virtual X display, in a preview
area that window_probe.exe hosts as the display settings would.

Wine 8 never shows what one process draws inside another process's window (the host's own
window surface covers it), so the picture itself is checked by the Windows unit tests; here
the window's place, size and life are.
"""

import sys

from end_to_end import (RUN_BOUND_SECONDS, Failure, Held, expect_ended, run_cases, stop,
                        stopping)
from wine_session import WineSession


class Host(Held):
    """A preview area of the given size at the screen's top-left corner."""

    def __init__(self, session, width, height):
        self.process, said = session.start_probe("the preview host", "host", str(width),
                                                 str(height))
        self.area = " ".join(said)

    def destroy(self):
        """Destroys the host window; returns once it is gone (under Wine without a window
        manager that takes a while, as Wine waits for the X server to withdraw the window)."""
        self.process.stdin.write(b"destroy\n")
        self.process.stdin.flush()
        self.process.wait(RUN_BOUND_SECONDS)


def preview_window(window):
    return next((child for child in window.children if child.text == "Preview Window"), None)


def start_preview_in(session, host, name):
    """The preview started in `host`, and its window once it is there."""
    preview = session.start_fresh_copy(name, ["/p", host.area])
    host_window = session.wait_for_window(lambda window: preview_window(window) is not None)
    if host_window is None:
        stop(preview)
        raise Failure("no window Preview Window inside the host")
    return preview, preview_window(host_window)


def case_preview_covers_the_host_area_and_ends_with_it(session):
    width, height = 200, 150
    with Host(session, width, height) as host:
        preview, window = start_preview_in(session, host, "preview")
        with stopping(preview):
            if window.rect != (0, 0, width, height):
                raise Failure(f"the preview covers {window.rect} of the area")
            if not window.visible or window.window_class != "VexaframePreview":
                raise Failure(f"the preview window is {window}")
            host.destroy()
            expect_ended(preview, "the host went")


def case_preview_ends_when_its_host_process_is_killed(session):
    with Host(session, 152, 112) as host:
        preview, _ = start_preview_in(session, host, "killed-host")
        with stopping(preview):
            stop(host.process)
            expect_ended(preview, "the host was killed")


CASES = [
    case_preview_covers_the_host_area_and_ends_with_it,
    case_preview_ends_when_its_host_process_is_killed,
]

if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, WineSession))

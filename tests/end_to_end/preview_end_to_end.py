#!/usr/bin/env python3
"""The preview of the real Vexaframe.scr under Wine on a virtual X display, in a preview
area that window_probe.exe hosts in a process of its own, as the display settings would.

Wine 8 never shows what one process draws inside another process's window (the host's own
window surface covers it), so the picture, and the end when the host destroys the window,
are checked by the Windows unit tests; here the window's place and size across processes,
and its end with the host's process, are.
"""

import sys

from end_to_end import Failure, expect_ended, run_cases, stop, stopping
from wine_session import WineSession


def preview_window(window):
    return next((child for child in window.children if child.text == "Preview Window"), None)


def case_preview_covers_the_host_area_and_ends_with_the_host_process(session):
    width, height = 200, 150
    host, area = session.start_probe("the preview host", "host", str(width), str(height))
    with stopping(host), stopping(session.start_fresh_copy("preview", ["/p", *area])) as preview:
        host_window = session.wait_for_window(lambda window: preview_window(window) is not None)
        if host_window is None:
            raise Failure("no window Preview Window inside the host")
        window = preview_window(host_window)
        if window.rect != (0, 0, width, height):
            raise Failure(f"the preview covers {window.rect} of the area")
        if not window.visible or window.window_class != "VexaframePreview":
            raise Failure(f"the preview window is {window}")
        stop(host)
        expect_ended(preview, "the host was killed")


CASES = [case_preview_covers_the_host_area_and_ends_with_the_host_process]

if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, WineSession))

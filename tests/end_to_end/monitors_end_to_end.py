#!/usr/bin/env python3
"""The running saver of the real Vexaframe.scr under Wine on a display with two monitors: the
cube on the primary, a black cover on the other, and the ways out from the other.

Runs on the display run_on_two_monitors.sh starts (--given-display): the second monitor lies
left of the primary and lower, so that it has negative coordinates on the virtual screen and
rows of its own.
"""

import collections
import sys

from end_to_end import (LIT_PIXELS, Failure, expect_ended, expect_running, lit, pixels,
                        run_cases, stopping)
from saver_end_to_end import SaverSession, start_once

Rect = collections.namedtuple("Rect", "left top right bottom")


class Desk:
    """The two monitors as Wine sees them. The X screen is just large enough for the monitors,
    so its top-left corner is the top-left corner of their bounding box on the virtual screen,
    whose origin is the primary's top-left corner instead."""

    def __init__(self, session):
        found = session.rect_lines(["monitors"])
        primaries = [Rect(*rect) for rect, kind in found if kind == "primary"]
        others = [Rect(*rect) for rect, kind in found if kind != "primary"]
        if len(primaries) != 1 or len(others) != 1:
            raise Failure(f"Wine sees the monitors {found}, not a primary and one other")
        self.primary, self.other = primaries[0], others[0]
        self.left = min(self.primary.left, self.other.left)
        self.top = min(self.primary.top, self.other.top)
        self.width = max(self.primary.right, self.other.right) - self.left
        self.height = max(self.primary.bottom, self.other.bottom) - self.top

    def on_root(self, x, y):
        """A point of the virtual screen, in X's root window."""
        return x - self.left, y - self.top

    def pixels(self, screen, rect, step):
        """Every `step`th pixel of `rect` (virtual screen) in a screenshot."""
        if len(screen) != self.width * self.height * 3:
            raise Failure(f"the screenshot is not {self.width} x {self.height}")
        return pixels(screen, *self.on_root(rect.left, rect.top),
                      *self.on_root(rect.right, rect.bottom), step, self.width)

    def covered_with_cube(self, screen):
        """Whether a screenshot shows the other monitor black and the cube on the primary."""
        left, top, right, bottom = self.primary
        centre = Rect(left + (right - left) // 4, top + (bottom - top) // 4,
                      right - (right - left) // 4, bottom - (bottom - top) // 4)
        return (len(lit(self.pixels(screen, centre, 2))) >= LIT_PIXELS and
                all(pixel == b"\0\0\0" for pixel in self.pixels(screen, self.other, 4)))

    def start_with_pointer_at(self, session, name, at):
        """A saver started while the pointer rests at `at` (virtual screen)."""
        session.put_pointer(*at, on_root=self.on_root(*at))
        return session.start_saver(name, session.MOUSE_ENDS_IT)


# --- Cases ---

def case_a_window_on_the_other_monitor_is_covered_while_the_cube_shows(session):
    desk = Desk(session)
    bright = Rect(desk.other.left + 100, desk.other.top + 100, desk.other.left + 500,
                  desk.other.top + 400)
    with stopping(session.start_probe("a white window", "show", "Bright window", *map(str, (
            bright.left, bright.top, bright.right - bright.left, bright.bottom - bright.top)))[0]):
        inner = Rect(bright.left + 2, bright.top + 2, bright.right - 2, bright.bottom - 2)
        if not session.wait_for_screen(lambda screen: all(
                pixel == b"\xff\xff\xff" for pixel in desk.pixels(screen, inner, 8))):
            raise Failure("the white window does not show before the saver starts")

        with session.start_saver("covered", session.MOUSE_ENDS_IT) as saver:
            # Shown means drawn: the other monitor black and the cube on the primary.
            shown = saver.wait_until_shown(desk.covered_with_cube)
            if Rect(*shown.rect) != desk.primary:
                raise Failure(f"the saver window covers {shown.rect}, not the primary monitor")
            covers = [Rect(*w.rect) for w in session.windows()
                      if w.window_class == "VexaframeCover" and w.visible]
            if covers != [desk.other]:
                raise Failure(f"covers over {covers}, not over the other monitor {desk.other}")
            expect_running(saver.process, "covering the other monitor")


def case_a_key_or_a_click_with_the_pointer_on_the_other_monitor_ends(session):
    desk = Desk(session)
    middle = ((desk.other.left + desk.other.right) // 2, (desk.other.top + desk.other.bottom) // 2)
    for name, at, end in (("key", middle, ["key", "a"]),
                          ("click", (desk.other.left + 200, desk.other.bottom - 200),
                           ["click", "1"])):
        with desk.start_with_pointer_at(session, name, at) as saver:
            saver.wait_until_shown(desk.covered_with_cube)
            expect_running(saver.process, "the pointer resting on the other monitor")
            session.xdotool(*end)
            expect_ended(saver.process, f"a {name} on the other monitor")


# Positions on the two monitors are compared on the virtual screen: measured in each window's
# own frame, the move right onto the primary would have ended the saver.
def case_moves_between_the_monitors_end_only_along_both_axes(session):
    desk = Desk(session)
    row = max(desk.primary.top, desk.other.top) + 100  # on both monitors
    with desk.start_with_pointer_at(session, "moves", (desk.other.right - 10, row)) as saver:
        saver.wait_until_shown(desk.covered_with_cube)
        for x, y in ((desk.other.right - 20, row), (desk.primary.left + 10, row)):
            session.xdotool("mousemove", *map(str, desk.on_root(x, y)))
            expect_running(saver.process, f"a move along the row to {x}")
        session.xdotool("mousemove", *map(str, desk.on_root(desk.primary.left + 10, row + 20)))
        expect_ended(saver.process, "a move along both axes")


CASES = [
    case_a_window_on_the_other_monitor_is_covered_while_the_cube_shows,
    case_a_key_or_a_click_with_the_pointer_on_the_other_monitor_ends,
    case_moves_between_the_monitors_end_only_along_both_axes,
]

if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, SaverSession, prepare=start_once))

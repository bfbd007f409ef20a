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
BLACK, WHITE = b"\0\0\0", b"\xff\xff\xff"


class Desk:
    """The two monitors as Wine sees them. The X screen is just large enough for the monitors,
    so its top-left corner is the top-left corner of their bounding box on the virtual screen,
    whose origin is the primary's top-left corner instead."""

    def __init__(self, session):
        found = session.monitors()
        primaries = [Rect(*rect) for rect, primary in found if primary]
        others = [Rect(*rect) for rect, primary in found if not primary]
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

    def on_x(self, x, y):
        """A point of the virtual screen, as xdotool's arguments."""
        return tuple(map(str, self.on_root(x, y)))

    def pixels(self, screen, rect, step):
        """Every `step`th pixel of `rect` (virtual screen) in a screenshot."""
        if len(screen) != self.width * self.height * 3:
            raise Failure(f"the screenshot is not {self.width} x {self.height}")
        return pixels(screen, *self.on_root(rect.left, rect.top),
                      *self.on_root(rect.right, rect.bottom), step, self.width)


def inner(rect, margin):
    return Rect(rect.left + margin, rect.top + margin, rect.right - margin, rect.bottom - margin)


def centre_half(rect):
    width, height = rect.right - rect.left, rect.bottom - rect.top
    return Rect(rect.left + width // 4, rect.top + height // 4,
                rect.right - width // 4, rect.bottom - height // 4)


def start_with_pointer_on_other(session, desk, name, at):
    """A saver started while the pointer rests at `at` on the other monitor."""
    session.put_pointer(*at, on_root=desk.on_root(*at))
    return session.start_saver(name, session.MOUSE_ENDS_IT)


def covered_with_cube(desk):
    """Whether a screenshot shows the other monitor black and the cube on the primary."""
    def shows(screen):
        return (len(lit(desk.pixels(screen, centre_half(desk.primary), 2))) >= LIT_PIXELS and
                all(pixel == BLACK for pixel in desk.pixels(screen, desk.other, 4)))
    return shows


# --- Cases ---

def case_a_window_on_the_other_monitor_is_covered_while_the_cube_shows(session):
    desk = Desk(session)
    bright = Rect(desk.other.left + 100, desk.other.top + 100, desk.other.left + 500,
                  desk.other.top + 400)
    with stopping(session.show_window(bright.left, bright.top, bright.right - bright.left,
                                      bright.bottom - bright.top)):
        def bright_shows(screen):
            return all(pixel == WHITE for pixel in desk.pixels(screen, inner(bright, 2), 8))
        if not session.wait_for_screen(bright_shows):
            raise Failure("the white window does not show before the saver starts")

        with session.start_saver("covered", session.MOUSE_ENDS_IT) as saver:
            # Shown means drawn: the other monitor black and the cube on the primary.
            shown = saver.wait_until_shown(covered_with_cube(desk))
            if Rect(*shown.rect) != desk.primary:
                raise Failure(f"the saver window covers {shown.rect}, not the primary monitor")
            covers = [Rect(*w.rect) for w in session.windows()
                      if w.window_class == "VexaframeCover" and w.visible]
            if covers != [desk.other]:
                raise Failure(f"covers over {covers}, not over the other monitor {desk.other}")
            expect_running(saver.process, "covering the other monitor")


def case_a_character_key_with_the_pointer_on_the_other_monitor_ends(session):
    desk = Desk(session)
    at = ((desk.other.left + desk.other.right) // 2, (desk.other.top + desk.other.bottom) // 2)
    with start_with_pointer_on_other(session, desk, "key", at) as saver:
        saver.wait_until_shown(covered_with_cube(desk))
        expect_running(saver.process, "the pointer resting on the other monitor")
        session.xdotool("key", "a")
        expect_ended(saver.process, "the key a")


def case_a_click_on_the_other_monitor_ends(session):
    desk = Desk(session)
    at = (desk.other.left + 200, desk.other.bottom - 200)
    with start_with_pointer_on_other(session, desk, "click", at) as saver:
        saver.wait_until_shown(covered_with_cube(desk))
        session.xdotool("click", "1")
        expect_ended(saver.process, "a click on the other monitor")


# Positions on the two monitors are compared on the virtual screen: measured in each window's
# own frame, the move right onto the primary would have ended the saver.
def case_moves_between_the_monitors_end_only_along_both_axes(session):
    desk = Desk(session)
    row = max(desk.primary.top, desk.other.top) + 100  # on both monitors
    with start_with_pointer_on_other(session, desk, "moves", (desk.other.right - 10, row)) as saver:
        saver.wait_until_shown(covered_with_cube(desk))
        for x in (desk.other.right - 20, desk.primary.left + 10):
            session.xdotool("mousemove", *desk.on_x(x, row))
            expect_running(saver.process, f"a move along the row to {x}")
        session.xdotool("mousemove", *desk.on_x(desk.primary.left + 10, row + 20))
        expect_ended(saver.process, "a move along both axes")


CASES = [
    case_a_window_on_the_other_monitor_is_covered_while_the_cube_shows,
    case_a_character_key_with_the_pointer_on_the_other_monitor_ends,
    case_a_click_on_the_other_monitor_ends,
    case_moves_between_the_monitors_end_only_along_both_axes,
]

if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, SaverSession, prepare=start_once))

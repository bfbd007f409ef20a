"""The ways a user's input ends the running saver, or does not: one table of cases that runs
against Vexaframe.scr under Wine and against the native vexaframe alike. Both programs share
the rules; the session a script runs them in says how its program starts:

  start_saver(name, arguments)  the saver showing one picture, as a Running;
  MOUSE_ENDS_IT                 the arguments of a start where a real mouse movement ends it
                                (by the system on Windows, by hand on Linux);
  MOUSE_NEVER_ENDS_IT           those of a start where the mouse never does (on Windows without
                                arguments, on Linux in a window XScreenSaver gives);
  mouse_never_endings()         how such a start is ended instead: pairs of what it is and
                                end(saver), each tried on a saver of its own;
  start_show(name, pictures, interval, caption=0)
                                the saver showing `pictures` (name: sample path) in catalogue
                                order, opaque, changing every `interval` seconds, its staged
                                bitmap file followed through the Running's staged(); with
                                captions when `caption` is 1.
"""

import time

from end_to_end import SCREEN, Failure, expect_ended, expect_running, pixels, rgb_of

# Where the pointer rests as the saver's window appears: the first position the saver sees,
# which later moves are measured from.
START = (200, 200)


def case_a_character_key_ends_shift_and_an_arrow_do_not(session):
    with session.start_saver("keys", session.MOUSE_ENDS_IT) as saver:
        saver.wait_until_shown()
        for key, what in (("shift", "Shift"), ("Left", "an arrow")):
            session.xdotool("key", key)
            expect_running(saver.process, what)
        session.xdotool("key", "a")
        expect_ended(saver.process, "the key a")


def case_the_arrows_step_through_the_pictures_and_pause_holds_one(session):
    samples = ("aurora_lake.bmp", "mandelbrot_detail.bmp", "rainbow_bubbles.bmp")
    a, b, c = (rgb_of(session.sample(name)) for name in samples)
    pictures = {f"{letter}.bmp": session.sample(name) for letter, name in zip("abc", samples)}
    with session.start_show("arrows", pictures, interval=2) as saver:
        saver.wait_until_shown()
        saver.expect_staged(a, "the start")
        session.xdotool("key", "Pause")
        saver.expect_kept(a, 5, "Pause")  # two intervals and more
        session.xdotool("key", "Right")
        saver.expect_staged(b, "the right arrow, while held")
        saver.expect_kept(b, 3, "the right arrow, while held")
        session.xdotool("key", "Left")
        saver.expect_staged(a, "the left arrow")
        session.xdotool("key", "Down")  # released: the show goes on through what it showed
        saver.expect_staged(b, "Down, which releases the hold")
        saver.expect_staged(c, "the next interval")
        expect_running(saver.process, "the arrows and Pause")
        session.xdotool("key", "a")
        expect_ended(saver.process, "the key a")


def caption_strip_ink(screen):
    """The white letters in the strip along the screen's bottom left, below where the cube
    turns: only a caption puts any there."""
    width, height = SCREEN
    return [pixel for pixel in pixels(screen, 0, height * 85 // 100, width // 2, height, step=2)
            if min(pixel) > 200]


def case_a_caption_shows_where_on_and_up_shows_one_where_off(session):
    pictures = {"a.bmp": session.sample("aurora_lake.bmp")}
    with session.start_show("caption", pictures, interval=60, caption=1) as saver:
        saver.wait_until_shown()
        if session.wait_for_screen(caption_strip_ink) is None:
            raise Failure("with captions on no caption showed")
    with session.start_show("no_caption", pictures, interval=60) as saver:
        saver.wait_until_shown()
        time.sleep(2)  # as long as a caption takes to fade in
        if caption_strip_ink(session.screenshot()):
            raise Failure("with captions off a caption showed")
        session.xdotool("key", "Up")
        if session.wait_for_screen(caption_strip_ink) is None:
            raise Failure("the up arrow showed no caption")
        expect_running(saver.process, "the up arrow")
        session.xdotool("key", "a")
        expect_ended(saver.process, "the key a")


def case_a_left_click_ends_a_right_click_does_not(session):
    session.put_pointer(*START)
    with session.start_saver("click", session.MOUSE_ENDS_IT) as saver:
        saver.wait_until_shown()
        session.xdotool("click", "3")
        expect_running(saver.process, "a right click")
        session.xdotool("click", "1")
        expect_ended(saver.process, "a left click")


def case_only_a_move_along_both_axes_ends(session):
    x, y = START
    session.put_pointer(x, y)
    with session.start_saver("mouse", session.MOUSE_ENDS_IT) as saver:
        saver.wait_until_shown()
        for to in ((x, y + 100), (x, y + 300), (x + 200, y), (x + 500, y)):
            session.xdotool("mousemove", *map(str, to))
            expect_running(saver.process, f"a move to {to}")
        session.xdotool("mousemove", str(x + 250), str(y + 250))
        expect_ended(saver.process, "a move along both axes")


def case_where_the_mouse_never_ends_it_it_does_not(session):
    for number, (what, end) in enumerate(session.mouse_never_endings()):
        session.put_pointer(*START)
        with session.start_saver(f"no-mouse-{number}", session.MOUSE_NEVER_ENDS_IT) as saver:
            saver.wait_until_shown()
            for to in ((100, 100), (600, 500), (900, 50)):
                session.xdotool("mousemove", *map(str, to))
            expect_running(saver.process, "moves along both axes")
            end(saver)
            expect_ended(saver.process, what)


CASES = [
    case_the_arrows_step_through_the_pictures_and_pause_holds_one,
    case_a_caption_shows_where_on_and_up_shows_one_where_off,
    case_a_character_key_ends_shift_and_an_arrow_do_not,
    case_a_left_click_ends_a_right_click_does_not,
    case_only_a_move_along_both_axes_ends,
    case_where_the_mouse_never_ends_it_it_does_not,
]

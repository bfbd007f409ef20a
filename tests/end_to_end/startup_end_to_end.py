#!/usr/bin/env python3
"""Start-up of the real Vexaframe.scr under Wine on a virtual X display.

Each case copies the program into a fresh folder (its settings file lives beside it),
starts it with a command line and watches its windows through window_probe.exe.
"""

import sys

from end_to_end import Failure, expect_ended, run_cases, stopping
from wine_session import WineSession

CHOOSE_PICTURES = "設定画面より画像ﾌｧｲﾙを指定して下さい！"


def is_choose_pictures_box(window):
    return (window.window_class == "#32770" and window.caption == "Vexaframe"
            and any(child.window_class == "Static" and child.text == CHOOSE_PICTURES
                    for child in window.children)
            and any(child.window_class == "Button" for child in window.children))


# --- Cases ---

def runs_to_its_end(session, name, arguments, what):
    # Without pictures a saver start shows a modal message box: ending at all means that
    # nothing was shown.
    with stopping(session.start_fresh_copy(name, arguments)) as saver:
        expect_ended(saver, what)


def ends_silently(session, name, arguments):
    runs_to_its_end(session, name, arguments, f"{arguments}")
    session.expect_none_of_our_windows(f"{arguments}")


def case_unknown_switch(session):
    ends_silently(session, "unknown", ["/x"])


def case_bare_letter(session):
    ends_silently(session, "bare", ["s"])


def case_hostless_preview_ends_at_once(session):
    ends_silently(session, "preview-no-handle", ["/p"])
    ends_silently(session, "preview-no-window", ["/p", "1234"])


def asks_to_choose_pictures(session, name, arguments):
    with stopping(session.start_fresh_copy(name, arguments)) as saver:
        if not session.wait_for_window(is_choose_pictures_box):
            raise Failure(f"{arguments}: no message box captioned Vexaframe with the text "
                          f"{CHOOSE_PICTURES}")
        if saver.poll() is not None:
            raise Failure(f"{arguments}: ended while its message box was up")
        session.press_enter_on("Vexaframe")
        expect_ended(saver, f"{arguments} after Enter")
    session.expect_none_of_our_windows(f"{arguments}")


def case_saver_without_pictures(session):
    asks_to_choose_pictures(session, "switched", ["/s"])


def case_saver_without_switch_or_pictures(session):
    asks_to_choose_pictures(session, "plain", [])


def ends_beside(session, title):
    with stopping(session.hold_window(title)):
        for name, arguments in (("saver", ["/s"]), ("preview", ["/p", "1234"])):
            runs_to_its_end(session, f"{title}-{name}", arguments, f"{arguments} beside {title}")


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
    case_hostless_preview_ends_at_once,
]


if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, WineSession))

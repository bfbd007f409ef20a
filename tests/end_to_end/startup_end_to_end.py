#!/usr/bin/env python3
"""Start-up of the real Vexaframe.scr under Wine on a virtual X display: the command line as
Windows hands it over, the message without pictures, and the look-up for a running copy. What
each command line does is the start-up's unit tests' (tests/app); here a case of each outcome
runs.

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


# Without pictures a saver start shows a modal message box: ending at all means that nothing
# was shown.
def case_no_mode_and_a_preview_without_its_window_end_silently(session):
    for name, arguments in (("unknown", ["/x"]), ("preview-no-window", ["/p", "1234"])):
        with stopping(session.start_fresh_copy(name, arguments)) as program:
            expect_ended(program, f"{arguments}")
        session.expect_none_of_our_windows(f"{arguments}")


def case_a_saver_without_pictures_asks_to_choose_them(session):
    for name, arguments in (("switched", ["/s"]), ("plain", [])):
        with stopping(session.start_fresh_copy(name, arguments)) as saver:
            if not session.wait_for_window(is_choose_pictures_box):
                raise Failure(f"{arguments}: no message box captioned Vexaframe with the text "
                              f"{CHOOSE_PICTURES}")
            if saver.poll() is not None:
                raise Failure(f"{arguments}: ended while its message box was up")
            session.press_key_on("Vexaframe", "Return")
            expect_ended(saver, f"{arguments} after Enter")
        session.expect_none_of_our_windows(f"{arguments}")


def case_every_mode_ends_beside_a_running_saver_or_dialog(session):
    for title in ("Vexaframe_S", "Vexaframe_P"):
        with stopping(session.start_probe(f"a window titled {title}", "show", title,
                                          "0", "0", "100", "100")[0]):
            for mode, arguments in (("saver", ["/s"]), ("preview", ["/p", "1234"]),
                                    ("dialog", ["/c"])):
                with stopping(session.start_fresh_copy(f"{title}-{mode}", arguments)) as copy:
                    expect_ended(copy, f"{arguments} beside {title}")


CASES = [
    case_no_mode_and_a_preview_without_its_window_end_silently,
    case_a_saver_without_pictures_asks_to_choose_them,
    case_every_mode_ends_beside_a_running_saver_or_dialog,
]

if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, WineSession))

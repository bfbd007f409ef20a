#!/usr/bin/env python3
"""The settings dialog of the real Vexaframe.scr (/c) under Wine on a virtual X display: what
it paints, the file list and its preview, the folder browser, the ways out, and the settings
file it writes, or says it cannot write. The dialog's logic has unit tests of its own
(tests/settings_dialog); these check that the system's messages reach it and what it shows.

Each case starts a fresh copy of the program with a settings file that points at a folder of
some of the build's sample pictures.
"""

import collections
import math
import os
import shutil
import struct
import subprocess
import sys
import time

from end_to_end import (SCREEN, Failure, Held, expect_ended, expect_running, run_cases, stop,
                        wait_for)
from wine_session import (CAPTION_KEY, FOLDER_KEY, INTERVAL_KEY, ORDER_KEY, SUBFOLDERS_KEY,
                          TRANSPARENCY_KEY, WineSession, photograph_in_kinds)

CAPTION = "Vexaframe_P"
SAVE_FAILED = "設定を保存できませんでした。"
KIND_KEYS = [f"画像種類_{index}" for index in range(8)]
BROWSE_TEXT = "ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください"
DOUBLE_CLICK_SECONDS = 0.6  # two clicks closer than this would make a double click
SETTLE_SECONDS = 0.5  # from a dialog shown to its X window taking input

# --- Where the controls lie, in pixels of the window (src/settings_dialog/dialog_layout.h).
# The layout was designed in twips, 15 to the pixel; each number rounds toward zero. ---

TWIPS = 15


class Rect(collections.namedtuple("Rect", "left top width height")):
    right = property(lambda self: self.left + self.width)
    bottom = property(lambda self: self.top + self.height)
    centre = property(lambda self: (self.left + self.width // 2, self.top + self.height // 2))

    def points(self):
        return [(x, y) for y in range(self.top, self.bottom) for x in range(self.left, self.right)]


def from_twips(origin, left, top, width, height):
    return Rect(origin[0] + left // TWIPS, origin[1] + top // TWIPS, width // TWIPS,
                height // TWIPS)


def in_twips(origin, left, top):
    return origin[0] + left // TWIPS, origin[1] + top // TWIPS


BODY = from_twips((0, 0), 0, 300, 7275, 5535)
WINDOW_SIZE = (BODY.width, BODY.top + BODY.height)
FILES = from_twips(BODY[:2], 180, 180, 4635, 4815)
OPTIONS = from_twips(BODY[:2], 5040, 180, 1935, 3495)
TITLE = in_twips((0, 0), 180, 60)
CLOSE = from_twips((0, 0), 6960, 60, 225, 225)
LIST = from_twips(FILES[:2], 180, 1020, 2535, 3180)
FOLDER_LABEL = from_twips(FILES[:2], 180, 4320, 3135, 255)
SUBFOLDERS_BOX = from_twips(FILES[:2], 3375, 4350, 180, 180)
SUBFOLDERS_CAPTION = in_twips(FILES[:2], 3615, 4350)
CAPTION_BOX = from_twips(BODY[:2], 5400, 3840, 180, 180)
CAPTION_CAPTION = in_twips(BODY[:2], 5640, 3840)
PREVIEW = from_twips(FILES[:2], 2880, 780, 1500, 1500)
SECONDS_LABEL = Rect(*in_twips(OPTIONS[:2], 720, 1740), 40, 13)  # as wide as "60 秒" and more
SPINNER = from_twips(OPTIONS[:2], 360, 1620, 255, 375)
HEADING_TABS = [from_twips(panel[:2], left, top, 1425, 330) for panel, left, top in (
    (FILES, 180, 120), (FILES, 2880, 120), (FILES, 2880, 2460),
    (OPTIONS, 180, 120), (OPTIONS, 180, 1200), (OPTIONS, 180, 2160))]
FOLDER_BUTTON = from_twips(FILES[:2], 180, 660, 1425, 255)  # the captions take the mouse
SET_BUTTON = from_twips(BODY[:2], 5520, 4320, 1425, 255)
CANCEL_BUTTON = from_twips(BODY[:2], 5520, 4680, 1425, 255)
KIND_PLACES = tuple((left, top) for left in (2880, 3780) for top in (2880, 3120, 3360, 3600))
KIND_BOXES = [from_twips(FILES[:2], left, top, 180, 180) for left, top in KIND_PLACES]
KIND_CAPTIONS = [in_twips(FILES[:2], left + 240, top) for left, top in KIND_PLACES]
SEQUENTIAL_CAPTION = in_twips(OPTIONS[:2], 600, 540)
ORDER_RADIOS = from_twips(OPTIONS[:2], 360, 540, 195, 435)
BMP, GIF, JPG, WMF, PNG, WEBP, HEIC, AVIF = range(8)


def within_caption(start):
    """A point on the first letters of a caption that sizes itself to its text."""
    return start[0] + 6, start[1] + 6


def body_gradient(row):
    c = round(abs(math.sin(row / (BODY.height / 3.142)) * 220))
    return c, c, c + 30


# --- The dialog on the screen ---

class Screenshot:
    """The screen, read in the dialog window's pixels."""

    def __init__(self, screen, origin):
        self.screen = screen
        self.origin = origin

    def pixel(self, x, y):
        at = ((self.origin[1] + y) * SCREEN[0] + self.origin[0] + x) * 3
        return tuple(self.screen[at:at + 3])

    def area(self, rect):
        return [self.pixel(x, y) for x, y in rect.points()]


def no_window(session, matches):
    return wait_for(lambda: not any(map(matches, session.windows())))


class Dialog(Held):
    """A settings dialog opened on a folder of `pictures` (name: source path), with the settings
    `entries(folder)` gives for that folder; stopped when the case leaves it."""

    def __init__(self, session, name, pictures, entries=lambda folder: {FOLDER_KEY: folder}):
        self.session = session
        self.windows_folder = session.windows_picture_folder(name, pictures)
        self.copy = session.fresh_copy(name, entries(self.windows_folder))
        self.settings_file = os.path.join(os.path.dirname(self.copy), "Vexaframe.ini")
        self.written = self.settings_bytes()
        self.process = None

    def __enter__(self):
        # A dialog that is still going away would make this one end at once.
        if not no_window(self.session, lambda window: window.caption == CAPTION):
            raise Failure("an earlier dialog is still there")
        self.process = self.session.start_copy(self.copy, ["/c"])
        self.window = self.session.wait_for_window(lambda w: w.caption == CAPTION and w.visible)
        if self.window is None:
            stop(self.process)
            raise Failure(f"no window {CAPTION} shown")
        time.sleep(SETTLE_SECONDS)
        return self

    def settings_bytes(self):
        with open(self.settings_file, "rb") as settings:
            return settings.read()

    def on_screen(self, point):
        return self.window.rect[0] + point[0], self.window.rect[1] + point[1]

    def click(self, point, button=1):
        self.session.xdotool("mousemove", *map(str, self.on_screen(point)), "click", str(button))

    def screenshot(self):
        return Screenshot(self.session.screenshot(), self.window.rect[:2])

    def lines(self):
        return [text for _, text in self.session.rect_lines(["lines", CAPTION])]

    def changed(self, before, read, what):
        """What `read()` gives once it differs from `before`."""
        now = wait_for(lambda: [value for value in [read()] if value != before])
        if not now:
            raise Failure(f"{what}: nothing changed")
        return now[0]

    def area_changed(self, rect, before, what):
        return self.changed(before, lambda: self.screenshot().area(rect), what)

    def toggle_kind(self, kind):
        self.toggle(KIND_CAPTIONS[kind], f"a click on kind {kind}")

    def toggle_subfolders(self):
        return self.toggle(SUBFOLDERS_CAPTION, "a click on the sub-folders box")

    def toggle(self, caption, what):
        """Clicks a box's caption; the list's lines once it has changed."""
        lines = self.lines()
        self.click(within_caption(caption))
        return self.changed(lines, self.lines, what)

    def expect_settings_untouched(self, after):
        if self.settings_bytes() != self.written:
            raise Failure(f"the settings file changed after {after}")


def save_failure_shown(session):
    """Whether a message box says that the settings could not be saved, naming their file."""
    return any(window.window_class == "#32770" and window.caption == "Vexaframe" and window.visible
               and any(child.text.startswith(SAVE_FAILED) and "\\Vexaframe.ini " in child.text
                       for child in window.children) for window in session.windows())


SOME_PICTURES = ("aurora_lake.bmp", "night_city.gif", "julia_spiral.jpg", "sunflower.wmf",
                 "stained_glass.gif", "moonlit_sea.jpg", "tumbling_blocks.png")


def size_and_mean_colour(path):
    identify = shutil.which("identify-im6.q16") or "identify"
    out = subprocess.run([identify, "-format", "%w %h %[fx:255*mean.r] %[fx:255*mean.g] "
                          "%[fx:255*mean.b]", path + "[0]"], check=True, capture_output=True,
                         text=True, timeout=60).stdout.split()
    return (int(out[0]), int(out[1])), tuple(map(float, out[2:]))


# --- What the dialog paints ---

def expect_tiled_panels(shot):
    # The tiles cover the body's gradient up to the panels' edges, no further.
    for panel in (FILES, OPTIONS):
        rows = range(panel.top, panel.bottom)
        for x, inside in ((panel.left + 2, True), (panel.right - 2, True),
                          (panel.left - 2, False), (panel.right + 1, False)):
            gradient = sum(shot.pixel(x, y) == body_gradient(y - BODY.top) for y in rows)
            if gradient != (0 if inside else len(rows)):
                raise Failure(f"{gradient} pixels of column {x} by the panel at {panel} show "
                              f"the body")


def expect_heading_tabs(shot):
    # One picture for all six, unlike the panel beside them, each with a caption in dark
    # letters.
    def left_end(tab):
        return shot.area(tab._replace(width=4))
    for tab in HEADING_TABS:
        panel = left_end(tab._replace(left=tab.left - 6))
        if (left_end(tab) != left_end(HEADING_TABS[0]) or
                sum(a == b for a, b in zip(left_end(tab), panel)) > len(panel) // 4 or
                sum(max(pixel) < 96 for pixel in shot.area(tab)) < 20):
            raise Failure(f"the heading tab at {tab} is not the tab's picture with a caption")


def expect_kind_boxes(shot, kinds):
    """One picture for the kinds set to 1, another for those set to 0."""
    on = [shot.area(box) for box, kind in zip(KIND_BOXES, kinds) if kind]
    off = [shot.area(box) for box, kind in zip(KIND_BOXES, kinds) if not kind]
    if any(box != on[0] for box in on) or any(box != off[0] for box in off) or on[0] == off[0]:
        raise Failure(f"the kinds' boxes do not show {kinds}")


def expect_title_and_clipped_folder(shot):
    # White letters where the title starts, none further right on the strip; the folder's
    # path, longer than its label, ends there.
    title = Rect(TITLE[0], TITLE[1], 110, 13)
    white = sum(min(pixel) > 200 for pixel in shot.area(title))
    if white < 100 or any(min(pixel) > 200 for pixel in shot.area(title._replace(left=250))):
        raise Failure(f"the title strip has {white} white pixels at the title, some right of it")
    beside = Rect(FOLDER_LABEL.right + 1, FOLDER_LABEL.top,
                  SUBFOLDERS_BOX.left - FOLDER_LABEL.right - 1, FOLDER_LABEL.height)
    if any(max(pixel) < 96 for pixel in shot.area(beside)):
        raise Failure("the folder path is drawn beyond its label")


# --- Cases ---

def case_window_place_controls_and_painting(session):
    with Dialog(session, "long-" + "x" * 60, session.pictures(*SOME_PICTURES),
                lambda folder: {FOLDER_KEY: folder, KIND_KEYS[WMF]: 0}) as dialog:
        expected = ((SCREEN[0] - WINDOW_SIZE[0]) // 2, (SCREEN[1] - WINDOW_SIZE[1]) // 3)
        if dialog.window.rect != expected + (expected[0] + WINDOW_SIZE[0],
                                             expected[1] + WINDOW_SIZE[1]):
            raise Failure(f"the window covers {dialog.window.rect}")
        controls = {child.window_class: child.rect for child in dialog.window.children}
        for window_class, rect in (("ListBox", LIST), ("ScrollBar", SPINNER)):
            if controls.get(window_class) != (rect.left, rect.top, rect.right, rect.bottom):
                raise Failure(f"the {window_class} lies at {controls.get(window_class)}")
        if dialog.lines() != sorted(name for name in SOME_PICTURES if not name.endswith(".wmf")):
            raise Failure(f"the list shows {dialog.lines()}")
        shot = dialog.screenshot()
        expect_tiled_panels(shot)
        expect_heading_tabs(shot)
        expect_kind_boxes(shot, (1, 1, 1, 0, 1, 1, 1, 1))
        expect_title_and_clipped_folder(shot)


def settings_text(entries):
    return "".join(f"{line}\r\n" for line in ["[Section]"] + entries).encode("cp932")


def case_set_writes_the_settings_file_and_ends(session):
    # Keys the file lacks come after the section's last entry, in the order they are written;
    # keys it has keep their place, and values that read the same keep their text.
    starting_files = [
        ("missing", lambda folder: {FOLDER_KEY: folder},
         lambda folder: [f"{FOLDER_KEY}={folder}", f"{ORDER_KEY}= 0", f"{INTERVAL_KEY}= 12",
                         f"{TRANSPARENCY_KEY}= 2", f"{KIND_KEYS[0]}= 1", f"{KIND_KEYS[1]}= 1",
                         f"{KIND_KEYS[2]}= 0", f"{KIND_KEYS[3]}= 1", f"{KIND_KEYS[4]}= 0",
                         f"{KIND_KEYS[5]}= 1", f"{KIND_KEYS[6]}= 0", f"{KIND_KEYS[7]}= 1",
                         f"{SUBFOLDERS_KEY}= 1", f"{CAPTION_KEY}= 1"]),
        ("present", lambda folder: {KIND_KEYS[3]: "0", TRANSPARENCY_KEY: "1", ORDER_KEY: "1",
                                    FOLDER_KEY: folder, INTERVAL_KEY: "10", KIND_KEYS[2]: "1"},
         lambda folder: [f"{KIND_KEYS[3]}=0", f"{TRANSPARENCY_KEY}=1", f"{ORDER_KEY}= 0",
                         f"{FOLDER_KEY}={folder}", f"{INTERVAL_KEY}= 12", f"{KIND_KEYS[2]}= 0",
                         f"{KIND_KEYS[0]}= 1", f"{KIND_KEYS[1]}= 1", f"{KIND_KEYS[4]}= 0",
                         f"{KIND_KEYS[5]}= 1", f"{KIND_KEYS[6]}= 0", f"{KIND_KEYS[7]}= 1",
                         f"{SUBFOLDERS_KEY}= 1", f"{CAPTION_KEY}= 1"]),
    ]
    # A picture of a month's folder, which the list shows by its path once sub-folders are on,
    # and a phone's name, which the list drops when its kind is switched off.
    pictures = session.pictures(*SOME_PICTURES) | {
        "2024/07/deep.bmp": session.sample("aurora_lake.bmp"),
        "IMG_0001.HEIC": session.sample("moonlit_sea.jpg")}
    for name, entries, expected in starting_files:
        # A Japanese folder name: the folder is stored in the system's code page.
        with Dialog(session, f"設定-{name}", pictures, entries) as dialog:
            dialog.click(within_caption(SEQUENTIAL_CAPTION))
            for _ in range(2):
                seconds = dialog.screenshot().area(SECONDS_LABEL)
                dialog.click((SPINNER.right - 3, SPINNER.centre[1]))  # its right arrow
                dialog.area_changed(SECONDS_LABEL, seconds, "the spinner's right arrow")
                time.sleep(DOUBLE_CLICK_SECONDS)
            dialog.toggle_kind(JPG)
            dialog.toggle_kind(PNG)
            dialog.toggle_kind(HEIC)
            if "2024\\07\\deep.bmp" not in dialog.toggle_subfolders():
                raise Failure(f"with sub-folders the list shows {dialog.lines()}")
            box = dialog.screenshot().area(CAPTION_BOX)
            dialog.click(within_caption(CAPTION_CAPTION))
            dialog.area_changed(CAPTION_BOX, box, "a click on the caption box")
            dialog.click(SET_BUTTON.centre)
            expect_ended(dialog.process, f"設定 ({name})")
            if dialog.settings_bytes() != settings_text(expected(dialog.windows_folder)):
                raise Failure(f"from the {name} keys the file holds "
                              f"{dialog.settings_bytes().decode('cp932')!r}")


def case_each_way_out_but_set_leaves_the_settings_file_untouched(session):
    ways_out = [("ｷｬﾝｾﾙ", CANCEL_BUTTON.centre, 1),
                ("ｷｬﾝｾﾙ with the right button", CANCEL_BUTTON.centre, 3),
                ("the close picture", CLOSE.centre, 1)]
    for number, (way, point, button) in enumerate(ways_out):
        with Dialog(session, f"out-{number}", session.pictures(*SOME_PICTURES)) as dialog:
            # Changes a save would write, shown as they are made.
            dialog.click(within_caption(SEQUENTIAL_CAPTION))
            dialog.toggle_kind(BMP)
            expect_kind_boxes(dialog.screenshot(), (0, 1, 1, 1, 1, 1, 1, 1))
            dialog.click(point, button)
            expect_ended(dialog.process, way)
            dialog.expect_settings_untouched(way)


def case_a_save_the_file_system_refuses_says_so_and_keeps_the_dialog(session):
    # Wine reports a file without write permission as read-only, even to root. Running as
    # root, the program can always write its own folder, so it is that folder which goes
    # (Linux keeps the running program's file until it ends); it must not be made again.
    refusals = [("read-only", lambda d: os.chmod(d.settings_file, 0o444),
                 lambda d: d.settings_bytes() == d.written),
                ("removed", lambda d: shutil.rmtree(os.path.dirname(d.settings_file)),
                 lambda d: not os.path.exists(os.path.dirname(d.settings_file)))]
    for name, refuse, kept in refusals:
        with Dialog(session, name, session.pictures(*SOME_PICTURES)) as dialog:
            refuse(dialog)
            radios = dialog.screenshot().area(ORDER_RADIOS)
            dialog.click(within_caption(SEQUENTIAL_CAPTION))  # a change a save would write
            radios = dialog.area_changed(ORDER_RADIOS, radios, "ｼｰｹﾝｼｬﾙ")
            dialog.click(SET_BUTTON.centre)
            if not wait_for(lambda: save_failure_shown(session)):
                raise Failure(f"{name}: no message that the settings could not be saved")
            session.press_key_on("Vexaframe", "Return")
            if not wait_for(lambda: not save_failure_shown(session)):
                raise Failure(f"{name}: the message stayed after Enter")
            expect_running(dialog.process, f"the refused save ({name})")
            if not wait_for(lambda: dialog.screenshot().area(ORDER_RADIOS) == radios):
                raise Failure(f"{name}: the order chosen is no longer shown")
            dialog.click(CANCEL_BUTTON.centre)
            expect_ended(dialog.process, f"ｷｬﾝｾﾙ after a refused save ({name})")
            if not kept(dialog):
                raise Failure(f"{name}: the refused save changed the settings folder")


def case_enter_and_escape_do_nothing_and_the_title_strip_drags(session):
    with Dialog(session, "drag", session.pictures(*SOME_PICTURES)) as dialog:
        for key in ("Return", "Escape"):
            session.press_key_on(CAPTION, key)
            expect_running(dialog.process, key)
        dialog.expect_settings_untouched("Enter and Escape")
        x, y = dialog.on_screen((300, 11))  # on the strip, right of the title
        session.xdotool("mousemove", str(x), str(y), "mousedown", "1")
        for step in range(1, 7):
            session.xdotool("mousemove", str(x + 10 * step), str(y + 40 * step // 6))
        session.xdotool("mouseup", "1")
        left, top, right, bottom = dialog.window.rect
        expected = (left + 60, top + 40, right + 60, bottom + 40)
        if session.wait_for_window(lambda w: w.caption == CAPTION and w.rect == expected) is None:
            raise Failure(f"the window did not move to {expected}")
        expect_running(dialog.process, "a drag")


def fitted(size):
    width, height = size
    if width > height:
        return 100, round(height * 100 / width)
    return round(width * 100 / height), 100


def preview_edge(pixels, shadow, dark):
    """Where the raised edge's shadow ends along a row or column of the preview box."""
    ends = [i + 1 for i in range(1, len(pixels)) if pixels[i - 1:i + 1] == [shadow, dark]]
    return ends[-1] if ends else None


def case_a_list_click_previews_the_picture_fitted(session):
    names = ("aurora_lake.bmp", "julia_spiral.jpg", "night_city.gif")  # wide, tall, 4:3
    pictures = session.pictures(*names)
    with Dialog(session, "preview", pictures) as dialog:
        shot = dialog.screenshot()
        # Before any click the box is empty: light grey inside its raised edge.
        grey = shot.pixel(*PREVIEW.centre)
        shadow, dark = (shot.pixel(PREVIEW.right - i, PREVIEW.top + 50) for i in (2, 1))
        if grey != (224, 224, 224) or shadow == dark:
            raise Failure(f"the empty preview box shows {grey}, edge {shadow} {dark}")
        for rect, name in session.rect_lines(["lines", CAPTION]):
            before = shot.area(PREVIEW)
            session.xdotool("mousemove", str((rect[0] + rect[2]) // 2),
                            str((rect[1] + rect[3]) // 2), "click", "1")
            dialog.area_changed(PREVIEW, before, f"a click on {name}")
            shot = dialog.screenshot()
            size, original = size_and_mean_colour(pictures[name])
            width, height = fitted(size)
            across = [shot.pixel(PREVIEW.left + x, PREVIEW.top + height // 2) for x in range(100)]
            down = [shot.pixel(PREVIEW.left + width // 2, PREVIEW.top + y) for y in range(100)]
            ends = (preview_edge(across, shadow, dark), preview_edge(down, shadow, dark))
            if None in ends or abs(ends[0] - width) > 1 or abs(ends[1] - height) > 1:
                raise Failure(f"{name}: the preview box ends at {ends}, not {width} x {height}")
            inside = shot.area(Rect(PREVIEW.left + 3, PREVIEW.top + 3, width - 6, height - 6))
            shown = [sum(pixel[channel] for pixel in inside) / len(inside) for channel in range(3)]
            if max(abs(a - b) for a, b in zip(shown, original)) > 12:
                raise Failure(f"{name}: the preview's colours average {shown}, the picture's "
                              f"{original}")
            if any(shot.pixel(x, y) == grey for x, y in PREVIEW.points()
                   if x > PREVIEW.left + width or y > PREVIEW.top + height):
                raise Failure(f"{name}: the empty box still shows beyond the picture")


def case_a_preview_of_a_photograph_without_its_codec_names_the_extensions(session):
    # Wine has neither the HEIF container nor a HEVC codec: a phone's photograph shows a note
    # in the whole box instead, in dark letters on the box's grey, and a later picture again.
    photograph = photograph_in_kinds(session, session.sample("moonlit_sea.jpg"), ("heic",))
    pictures = {"a_phone.heic": photograph["heic"],
                "b.bmp": session.sample("aurora_lake.bmp")}
    with Dialog(session, "codec", pictures) as dialog:
        lines = session.rect_lines(["lines", CAPTION])
        for (rect, name), note in zip(lines, (True, False)):
            before = dialog.screenshot().area(PREVIEW)
            session.xdotool("mousemove", str((rect[0] + rect[2]) // 2),
                            str((rect[1] + rect[3]) // 2), "click", "1")
            dialog.area_changed(PREVIEW, before, f"a click on {name}")
            inside = dialog.screenshot().area(Rect(PREVIEW.left + 3, PREVIEW.top + 3, 94, 94))
            grey = sum(pixel == (224, 224, 224) for pixel in inside)
            letters = sum(max(pixel) < 96 for pixel in inside)
            if note != (grey > len(inside) // 2 and letters > 100):
                raise Failure(f"{name}: {grey} grey and {letters} dark pixels in the box")


def case_the_folder_browser_opens_and_cancelled_writes_nothing(session):
    with Dialog(session, "browse", session.pictures(*SOME_PICTURES)) as dialog:
        dialog.click(FOLDER_BUTTON.centre)

        def is_browser(window):
            return (window.window_class == "#32770" and window.visible
                    and any(child.window_class == "Static" and child.text == BROWSE_TEXT
                            for child in window.children))
        browser = session.wait_for_window(is_browser)
        if browser is None:
            raise Failure(f"no folder browser saying {BROWSE_TEXT}")
        session.press_key_on(browser.caption, "Escape")
        if not no_window(session, is_browser):
            raise Failure("the folder browser stayed after Escape")
        dialog.expect_settings_untouched("the cancelled browse")
        expect_running(dialog.process, "the cancelled browse")


def small_bmp(path, size, colour):
    """A 24-bit BMP of one colour, written to `path`."""
    width, height = size
    row = bytes(reversed(colour)) * width
    row += bytes(-len(row) % 4)
    pixels = row * height
    with open(path, "wb") as picture:
        picture.write(struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54))
        picture.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels),
                                  2835, 2835, 0, 0))
        picture.write(pixels)
    return path


def light(pixel):
    return min(pixel) > 200


def case_a_tree_of_thousands_of_pictures_lists_whole_and_answers(session):
    # Year and month folders of copies of one small picture, the last one another: every
    # line is listed in path order, the lines are drawn, and the keys reach the last line.
    folders = [f"{year}\\{month:02}" for year in (2023, 2024) for month in range(1, 13)]
    names = [f"{folder}\\IMG_{number:03}.bmp" for folder in folders for number in range(125)]
    wide = small_bmp(os.path.join(session.folders, "wide.bmp"), (4, 2), (40, 90, 200))
    tall = small_bmp(os.path.join(session.folders, "tall.bmp"), (2, 4), (220, 60, 30))
    pictures = {name.replace("\\", "/"): wide for name in names[:-1]}
    pictures[names[-1].replace("\\", "/")] = tall
    with Dialog(session, "thousands", pictures,
                lambda folder: {FOLDER_KEY: folder, SUBFOLDERS_KEY: 1}) as dialog:
        lines = session.rect_lines(["lines", CAPTION])
        if [text for _, text in lines] != names:
            raise Failure(f"{len(lines)} lines from {lines[0][1] if lines else None} to "
                          f"{lines[-1][1] if lines else None}, not {len(names)} from {names[0]} "
                          f"to {names[-1]}")
        # The start of a line, in the window's pixels: a line is as wide as the list scrolls.
        first, second = (Rect(LIST.left + 4, rect[1] - dialog.window.rect[1], 60,
                              rect[3] - rect[1]) for rect, _ in lines[:2])
        shot = dialog.screenshot()
        if sum(max(pixel) < 96 for pixel in shot.area(second)) < 20:
            raise Failure(f"the line {names[1]} shows no letters")
        dialog.click(first.centre)
        dialog.area_changed(PREVIEW, shot.area(PREVIEW), f"a click on {names[0]}")
        shot = dialog.screenshot()
        if (sum(map(light, shot.area(first))) > first.width * first.height // 2 or
                sum(map(light, shot.area(second))) < second.width * second.height // 2):
            raise Failure("the clicked line is not shown selected")
        session.press_key_on(CAPTION, "End")
        shown = dialog.area_changed(PREVIEW, shot.area(PREVIEW), "End in the list")
        if sum(pixel[0] > 150 and pixel[2] < 100 for pixel in shown) < 1000:
            raise Failure(f"End did not preview {names[-1]}")
        expect_running(dialog.process, "the list of thousands")


CASES = [
    case_window_place_controls_and_painting,
    case_set_writes_the_settings_file_and_ends,
    case_each_way_out_but_set_leaves_the_settings_file_untouched,
    case_a_save_the_file_system_refuses_says_so_and_keeps_the_dialog,
    case_enter_and_escape_do_nothing_and_the_title_strip_drags,
    case_a_list_click_previews_the_picture_fitted,
    case_a_preview_of_a_photograph_without_its_codec_names_the_extensions,
    case_the_folder_browser_opens_and_cancelled_writes_nothing,
    case_a_tree_of_thousands_of_pictures_lists_whole_and_answers,
]

if __name__ == "__main__":
    sys.exit(run_cases(CASES, __doc__, WineSession))

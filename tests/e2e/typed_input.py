"""End-to-end cases of the personal data dialog typed by hand: dates in many ways and in two locales, and
names typed or picked, with real key events through the X server.

Run one case:  /usr/bin/python3 typed_input.py CASE PROGRAM DATA_FOLDER
"""

import re
import sys
import time

sys.dont_write_bytecode = True

from cases import CAPTION, LION, MainWindow, PersonalData, ini_section, read_ini
from harness import (check, check_equal, click_at, find_all, has_state, main, press_keys, right_click_at,
                     step, text_of, type_into, type_keys, wait_for, wait_name, wait_state, wait_text)

ARIES, PISCES, AQUARIUS = "Овен (21.03 - 20.04)", "Рыбы (19.02 - 20.03)", "Водолей (20.01 - 18.02)"
SAGITTARIUS, SCORPIO = "Стрелец (22.11 - 21.12)", "Скорпион (24.10 - 21.11)"
CAPRICORN, TAURUS = "Козерог (22.12 - 19.01)", "Телец (21.04 - 20.05)"
VIRGO = "Дева (23.08 - 23.09)"
NOT_A_DATE = "Это не дата"

# What a person types into the date edit ({Key} is a key by its X name), the date text the caption and
# names.ini then hold, and the sign. For text the field cannot read as a date, None: "Готово" then keeps
# the dialog open with the focus in the marked field, and nothing is stored.
RUSSIAN_ROWS = [
    ("dots", "15.08.1975", "15.08.1975", LION),
    ("no separators", "29021988", "29.02.1988", PISCES),
    ("no leading zeros", "4.4.2004", "04.04.2004", ARIES),
    ("blanks", "2 8 1990", "02.08.1990", LION),
    ("slashes", "04/04/2004", "04.04.2004", ARIES),
    ("dashes", "1-2-1980", "01.02.1980", AQUARIUS),
    ("two-digit year, no separators", "150875", "15.08.1975", LION),
    ("two-digit year 80", "1.2.80", "01.02.1980", AQUARIUS),
    ("two-digit year 12", "12.12.12", "12.12.2012", SAGITTARIUS),
]
RUSSIAN_ROWS_2 = [
    ("month by its first letters", "15 авг 1975", "15.08.1975", LION),
    ("month by name", "3 марта 1980", "03.03.1980", PISCES),
    ("a correction with Backspace", "15.09{BackSpace}8.1975", "15.08.1975", LION),
    ("Delete after Home", "{Home}{Delete}{Delete}25", None, None),  # mends the shown text
    ("Shift+Tab leaves backwards", "5.5.1995{shift+Tab}", "05.05.1995", TAURUS),
    ("Enter presses Готово", "7.11.1917{Return}", "07.11.1917", SCORPIO),
    ("impossible date", "31.02.1990", None, None),
    ("incomplete date", "15.08", None, None),
]
ENGLISH_ROWS = [
    ("month first", "8/15/1975", "8/15/1975", LION),
    ("no separators", "08151975", "8/15/1975", LION),
    ("two-digit year", "12 25 80", "12/25/1980", CAPRICORN),
    ("month by its English name", "aug 15 1975", "8/15/1975", LION),
    ("month by its Russian name, day first", "15 авг 1975", "8/15/1975", LION),
    ("day first is no date", "25.12.1980", None, None),
]


def perform(keys):
    """Types a row's keys: text as it stands, {Name} as one key."""
    for part in re.split(r"(\{[^}]+\})", keys):
        if part.startswith("{"):
            press_keys(part[1:-1])
        else:
            type_keys(part)


def paste_date(dialog, text):
    """Puts text on the clipboard the way a person would (typed elsewhere, cut), then pastes it."""
    type_into(dialog.name_field, text)
    press_keys("ctrl+a", "ctrl+x")
    wait_text(dialog.name_field, lambda t: t == "", "the cut name field")
    click_at(dialog.date)
    wait_state(dialog.date, "focused")
    press_keys("ctrl+a", "ctrl+v")


def type_dates(s, locale, rows):
    app = s.launch(locale)
    main_window = MainWindow(app)
    for number, (what, keys, date_text, sign) in enumerate(rows, 1):
        step("%s: %r" % (what, keys))
        dialog = PersonalData(app)
        name = "Гость %d" % number
        if keys is None:
            paste_date(dialog, date_text)
        elif keys.startswith("{Home}"):
            # Mends the date the row before left: "15   августа 1975" becomes "25   августа 1975".
            click_at(dialog.date)
            wait_state(dialog.date, "focused")
            perform(keys)
            date_text, sign = "25.08.1975", VIRGO
        else:
            type_into(dialog.date, "")
            perform(keys)
        if keys is None or not keys.endswith(("{Return}", "{shift+Tab}")):
            press_keys("Tab")
        if keys is None or not keys.endswith("{Return}"):
            wait_state(dialog.date, "focused", False)
            if date_text is None:
                wait_for(lambda: dialog.date.description == NOT_A_DATE, "the date edit marked as no date")
                check_equal(text_of(dialog.date), keys, "the text left for the person to mend")
            else:
                check(dialog.date.description != NOT_A_DATE, "a date that reads is not marked")
            # The name last: typed into its own field, it leaves the date as it is.
            type_into(dialog.name_field, name)
            wait_text(dialog.name_field, lambda t: t == name, "the name %r" % name)
            press_keys("Return")  # in the name box, Enter presses Готово
        if date_text is None:
            wait_state(dialog.date, "focused")
            check_equal(dialog.date.description, NOT_A_DATE, "the field still marked")
            check(app.windows("dialog", "Личные данные"), "the dialog still open")
            check(ini_section(read_ini(s.path("names.ini")), name) == [], "nothing stored for %r" % name)
            app.check_no_message_box()
            continue
        app.wait_window_gone(dialog.window)
        if keys is not None and keys.endswith("{Return}"):
            # The name of the row before is still in the box.
            name = "Гость %d" % (number - 1)
        wait_name(main_window.window, CAPTION + "  [%s, %s, %s]" % (name, date_text, sign))
        wait_for(lambda: dict(ini_section(read_ini(s.path("names.ini")), name)).get("Date") == date_text,
                 "the date %r stored for %r" % (date_text, name))
        app.check_no_message_box()
        # Without a window manager the focus does not go back to the main window: click its tool button.
        click_at(main_window.tool("Личные данные"))
        app.window("dialog", "Личные данные")


def typing_russian(s):
    type_dates(s, "ru_RU.UTF-8", RUSSIAN_ROWS)


def typing_russian_more(s):
    type_dates(s, "ru_RU.UTF-8", RUSSIAN_ROWS_2 + [("pasted", None, "21.03.1980", ARIES)])


def typing_english(s):
    type_dates(s, "en_US.UTF-8", ENGLISH_ROWS)


STORED = ("[Иван]\r\nDate=01.02.1980\r\nShowMain=1\r\nShowHoroscop=1\r\nHoroscopType=2\r\n"
          "[Мария]\r\nDate=3.3.80\r\nShowMain=0\r\nShowHoroscop=1\r\nHoroscopType=1\r\n"
          "[Пётр]\r\nDate=12.06.1971\r\n")


def names_menu_opened():
    """Popup menus are not in a Qt program's accessibility tree: give the menu a moment to open, then
    the case checks what its item did."""
    time.sleep(0.5)


def typed_names(s):
    with open(s.path("names.ini"), "wb") as f:
        f.write(STORED.encode("cp1251"))
    app = s.launch()
    main_window = MainWindow(app)
    dialog = PersonalData(app)
    check_equal([i.name for i in find_all(dialog.name_box, "list item")], ["Иван", "Мария", "Пётр"], "the list")

    step("a typed name that matches a stored one, in other letters: the typed date counts and is stored")
    type_into(dialog.date, "15.08.1975")
    type_into(dialog.name_field, "иван")
    press_keys("Tab")
    check_equal(text_of(dialog.name_field), "иван", "the typed name, unchanged")
    check_equal(text_of(dialog.date), "15   августа 1975", "the typed date, not the stored one")
    check(not has_state(dialog.show_summary, "checked"), "a typed name fills no choices")
    click_at(dialog.name_field)
    press_keys("End", "Return")
    app.wait_window_gone(dialog.window)
    wait_name(main_window.window, CAPTION + "  [иван, 15.08.1975, " + LION + "]")
    app.check_no_message_box()
    stored = read_ini(s.path("names.ini"))
    check_equal(dict(ini_section(stored, "Иван")).get("Date"), "15.08.1975", "the stored date")
    check_equal(stored.lower().count("[иван]"), 1,
                "one entry for the name")

    step("a typed beginning of a stored name stays as typed")
    click_at(main_window.tool("Личные данные"))
    dialog = PersonalData(app)
    type_into(dialog.name_field, "Ма")
    press_keys("Tab")
    check_equal(text_of(dialog.name_field), "Ма", "the typed beginning")

    step("a pick from the list by the keyboard fills the date and the choices (a stored date without zeros)")
    click_at(dialog.name_field)
    press_keys("alt+Down")
    wait_for(lambda: any(has_state(i, "showing") for i in find_all(dialog.name_box, "list item")),
             "the open name list")
    press_keys("End", "Up", "Return")
    wait_text(dialog.name_field, lambda t: t == "Мария", "the picked name")
    wait_text(dialog.date, lambda t: t == "3   марта 1980", "the stored date")
    wait_state(dialog.show_horoscope, "checked")
    wait_name(dialog.systems, "Китайский")

    step("the Menu key opens Имена; Удалить текущее имя deletes the name")
    click_at(dialog.name_field)
    press_keys("Menu")
    names_menu_opened()
    press_keys("Down", "Return")
    wait_text(dialog.name_field, lambda t: t == "", "the emptied name box")
    wait_for(lambda: not ini_section(read_ini(s.path("names.ini")), "Мария"), "Мария gone from names.ini")
    check_equal([i.name for i in find_all(dialog.name_box, "list item")], ["Иван", "Пётр"],
                "the list after deleting")

    step("Shift+F10 opens Имена too: a typed name that is stored is deleted")
    type_into(dialog.name_field, "Пётр")
    press_keys("shift+F10")
    names_menu_opened()
    press_keys("Down", "Return")
    wait_for(lambda: not ini_section(read_ini(s.path("names.ini")), "Пётр"), "Пётр gone from names.ini")
    check(ini_section(read_ini(s.path("names.ini")), "Иван"), "Иван is still stored")

    step("a right-click on the arrow opens Имена; Очистить список clears the list and the file")
    right_click_at(dialog.name_box, dx=-6)
    names_menu_opened()
    press_keys("Down", "Return")  # with an empty name box, deleting is disabled: the first item is clearing
    wait_for(lambda: not find_all(dialog.name_box, "list item"), "the empty list")
    wait_for(lambda: "[" not in read_ini(s.path("names.ini")), "names.ini without entries")


CASES = {
    "typing_russian": typing_russian,
    "typing_russian_more": typing_russian_more,
    "typing_english": typing_english,
    "typed_names": typed_names,
}

if __name__ == "__main__":
    main(CASES)

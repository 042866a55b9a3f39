"""End-to-end cases of the main window's keys, sent as real key events through the X server: the menus'
access keys on a Latin and on a Russian keyboard layout, Ctrl+Q while the settings dialog is the active
window, and Ctrl+A in the find field, which is a shortcut of the window too.

Run one case:  /usr/bin/python3 keyboard.py CASE PROGRAM DATA_FOLDER
"""

import sys
import time

sys.dont_write_bytecode = True

from cases import CAPTION, LION, MainWindow, PersonalData, heading, ini_section, read_ini
from harness import (active_layout, check, check_equal, click_at, find, find_all, has_state, main, press_keys,
                     select_layout, step, type_into, type_keys, wait_for, wait_name, wait_state, wait_text)


def set_layout(layout):
    """The active one of the session's keyboard layouts, picked with the layout switch as a person does."""
    select_layout(layout)
    check_equal(active_layout(), layout, "the active keyboard layout")


def start_with_a_birth_date(s):
    """Starts the program and gives a birth date with the keyboard; Enter presses Готово."""
    app = s.launch()
    main_window = MainWindow(app)
    dialog = PersonalData(app)
    type_into(dialog.date, "15.08.1975")
    press_keys("Return")
    app.wait_window_gone(dialog.window)
    wait_name(main_window.window, CAPTION + "  [Без имени, 15.08.1975, " + LION + "]")
    # No window manager hands the focus back to the main window: a click on the page does.
    click_at(main_window.page)
    wait_state(main_window.window, "active")
    return app, main_window


def menu_items(main_window, title):
    """The items of a menu of the menu bar (the menu's own title left out)."""
    menu = main_window.menu_item(title)
    return [i for i in find_all(menu, "menu item") if i != menu]


def open_menu(main_window):
    """The title of the menu bar's menu that is open, read back from the accessibility tree."""
    titles = [t for t in ("Гороскоп", "Вид", "Справка")
              if any(has_state(i, "showing") for i in menu_items(main_window, t))]
    return titles[0] if len(titles) == 1 else titles or None


def wait_menu_open(main_window, title):
    """Waits until exactly that menu of the menu bar is open, its first item selected."""
    wait_for(lambda: open_menu(main_window) == title, "the menu %r to open" % title)
    first = menu_items(main_window, title)[0]
    wait_state(first, "focused")
    return first


def wait_menus_closed(main_window):
    wait_for(lambda: open_menu(main_window) is None, "the menus to close")


# The key of Ч, which no menu has for its access key.
KEYS_OF_CHE = {"us": "x", "ru": "Cyrillic_che"}


def access_keys(s, layout, keys):
    """keys: the X names of the keys that carry Г and В on the layout."""
    ghe, ve = keys
    set_layout(layout)
    app, main_window = start_with_a_birth_date(s)
    check_equal(open_menu(main_window), None, "the open menu at start")

    step("Alt and the key of Г open Гороскоп; Enter runs its first item, Ввести личные данные")
    press_keys("alt+" + ghe)
    first = wait_menu_open(main_window, "Гороскоп")
    check_equal(first.name, "Ввести личные данные", "the first item of Гороскоп")
    press_keys("Return")
    dialog = PersonalData(app)
    wait_menus_closed(main_window)
    press_keys("Escape")
    app.wait_window_gone(dialog.window)
    click_at(main_window.page)
    wait_state(main_window.window, "active")

    step("Alt alone, then the key of В, opens Вид; Enter ticks its first item, Показывать подсказки")
    hints = menu_items(main_window, "Вид")[0]
    check_equal(hints.name, "Показывать подсказки", "the first item of Вид")
    check(not has_state(hints, "checked"), "hints are off at the first start")
    press_keys("alt")
    press_keys(ve)
    wait_menu_open(main_window, "Вид")
    press_keys("Return")
    wait_menus_closed(main_window)
    wait_state(hints, "checked")

    step("Alt and the key of Ч: no menu has it")
    press_keys("alt+" + KEYS_OF_CHE[layout])
    time.sleep(0.5)  # what would open has had its time
    check_equal(open_menu(main_window), None, "the open menu")
    app.check_no_message_box()


def access_keys_latin_layout(s):
    access_keys(s, "us", ("u", "d"))


def access_keys_russian_layout(s):
    access_keys(s, "ru", ("Cyrillic_ghe", "Cyrillic_ve"))


# The five settings as an earlier run's ОК left them, all off their defaults.
STORED_SETTINGS = [("StoreNames", "0"), ("ShowHints", "1"), ("SoftScroll", "0"), ("ScrollDelay", "35"),
                   ("AutoDelay", "0")]


def quit_from_settings(s, layout, settings_key, quit_key):
    set_layout(layout)
    with open(s.path("solvenna.ini"), "wb") as f:
        f.write(("[main]\r\n" + "".join("%s=%s\r\n" % pair for pair in STORED_SETTINGS)).encode("cp1251"))
    app, main_window = start_with_a_birth_date(s)

    step("Ctrl+O (%s) opens the settings dialog, which becomes the active window" % settings_key)
    press_keys(settings_key)
    window = app.window("dialog", "Настройки")
    wait_state(window, "active")
    remember = find(window, "check box", "Запоминать все введенные имена")
    wait_state(remember, "focused")
    check(not has_state(remember, "checked"), "the stored setting is in the dialog")
    step("a change in the dialog, not confirmed with ОК")
    press_keys("space")
    wait_state(remember, "checked")
    check(has_state(window, "active"), "the settings dialog is still the active window")

    step("Ctrl+Q (%s) with the settings dialog active ends the program" % quit_key)
    press_keys(quit_key)
    check_equal(app.wait_exit(), 0, "the exit code")
    text = read_ini(s.path("solvenna.ini"))
    check_equal(ini_section(text, "main"), STORED_SETTINGS, "the five settings after the exit")
    check(text.startswith("[main]\r\n" + "".join("%s=%s\r\n" % pair for pair in STORED_SETTINGS)),
          "the settings file starts as it did: %r" % text[:200])


def quit_from_settings_latin_layout(s):
    quit_from_settings(s, "us", "ctrl+o", "ctrl+q")


def quit_from_settings_russian_layout(s):
    quit_from_settings(s, "ru", "ctrl+Cyrillic_shcha", "ctrl+Cyrillic_shorti")


def select_all_in_find_field(s):
    """Ctrl+A in the find field selects what it holds, so that the next word typed replaces it; the window's
    Ctrl+A (the Zoroastrian horoscope) leaves the page alone."""
    set_layout("us")
    app, main_window = start_with_a_birth_date(s)
    press_keys("ctrl+k")
    cat = "Кот — Китайский гороскоп"
    main_window.wait_page(lambda t: heading(t) == cat, "the Cat page")
    chinese = main_window.menu_item("Гороскоп", "Выдать гороскоп", "Китайский")
    zoroastrian = main_window.menu_item("Гороскоп", "Выдать гороскоп", "Зороастрийский")
    caption = main_window.caption()
    # Ctrl+F and Ctrl+A by the keys under F and A on each layout.
    for layout, find_key, select_all, first, second in (
            ("us", "ctrl+f", "ctrl+a", "cat", "moon"),
            ("ru", "ctrl+Cyrillic_a", "ctrl+Cyrillic_ef", "кот", "луна")):
        set_layout(layout)
        step("%s: Ctrl+F, %r, Ctrl+A, %r" % (layout, first, second))
        press_keys(find_key)
        field = find(main_window.window, "text", "Найти на странице")
        wait_state(field, "focused")
        type_keys(first)
        wait_text(field, lambda t: t == first, "the find field to hold %r" % first)
        press_keys(select_all)
        type_keys(second)
        wait_text(field, lambda t: t == second, "the find field to hold %r only" % second)
        check(has_state(field, "focused"), "the find field keeps the focus")
        check_equal(heading(main_window.page_text()), cat, "the page's heading")
        check_equal(main_window.caption(), caption, "the caption")
        check(has_state(chinese, "checked") and not has_state(zoroastrian, "checked"),
              "the Chinese menu item keeps the check mark")
    app.check_no_message_box()


CASES = {
    "access_keys_latin_layout": access_keys_latin_layout,
    "access_keys_russian_layout": access_keys_russian_layout,
    "quit_from_settings_latin_layout": quit_from_settings_latin_layout,
    "quit_from_settings_russian_layout": quit_from_settings_russian_layout,
    "select_all_in_find_field": select_all_in_find_field,
}

if __name__ == "__main__":
    main(CASES)

"""End-to-end case of compatibility: the current person and a partner typed with real key events, the page
read back, and a link on it followed with a real click.

Run one case:  /usr/bin/python3 compatibility.py CASE PROGRAM DATA_FOLDER
"""

import subprocess
import sys

sys.dont_write_bytecode = True

from cases import heading, start_as_anna
from harness import check, click_at, find, main, press_keys, step, type_keys, wait_for, wait_state


def partner_from_the_keyboard(s):
    app, main_window = start_as_anna(s)

    step("Ctrl+Shift+C: the partner Ольга, 3 March 1980, typed; Enter shows the page")
    click_at(main_window.page)  # no window manager gives the focus back by itself
    press_keys("ctrl+shift+c")
    window = app.window("dialog", "Совместимость")
    name = find(window, "text", "Имя партнёра")
    wait_state(name, "focused")
    type_keys("Ольга")
    press_keys("Tab")
    date = find(window, "text", "Дата рождения партнёра")
    wait_state(date, "focused")
    type_keys("3.3.1980")
    press_keys("Return")
    app.wait_window_gone(window)

    step("the page names both, their signs and animals and how they stand")
    text = main_window.wait_page(lambda t: "Ольга" in t and "Анна" in t, "the compatibility page")
    for word in ("Лев", "Рыбы", "Кот", "Обезьяна", "Квинконс"):
        check(word in text, "%r on the page" % word)
    wait_for(lambda: [i.name for i in main_window.items()] == ["Совместимость"], "the single item")

    step("the link of the partner's tree, reached by Tab, opens its page")
    # Table cells come through as text split by U+FDD0: the row's caption, then Анна's, then Ольга's.
    row_at = text.rindex("Гороскоп Друидов")
    cells = text[row_at:].split("\ufdd0")
    tree = cells[2]
    offset = row_at + len(cells[0]) + 1 + len(cells[1]) + 1
    check(text[offset:offset + len(tree)] == tree, "the partner's tree found on the page")
    # By the keyboard: Tab leads from link to link, each one selected in turn, up to the partner's tree
    # (Анна's tree comes first in its row); Enter follows it.
    click_at(main_window.page)
    press_keys("ctrl+Home")
    page_text = main_window.page.queryText()
    for _ in range(60):
        press_keys("Tab")
        wait_for(lambda: page_text.getNSelections() > 0, "a link to be selected")
        start, end = page_text.getSelection(0)
        if start >= offset and text[start:end] == tree:
            break
    else:
        check(False, "Tab never reached the partner's tree")
    press_keys("Return")
    main_window.wait_page(lambda t: heading(t) == tree + " — Гороскоп Друидов", "the partner's Druid page")
    app.check_no_message_box()


CASES = {
    "partner_from_the_keyboard": partner_from_the_keyboard,
}

if __name__ == "__main__":
    main(CASES)

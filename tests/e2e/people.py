"""End-to-end case of "Люди": a vCard file imported through the file dialog, the list filtered, one person
opened, four compared as a group and one cell of the grid followed, with real keys and clicks.

Run one case:  /usr/bin/python3 people.py CASE PROGRAM DATA_FOLDER
"""

import os
import sys

sys.dont_write_bytecode = True

from cases import start_as_anna
from harness import check, click_at, find, main, press_keys, step, type_into, type_keys, wait_for, wait_state

SIX = [("Борис", "1961-04-12"), ("Вера", "19990101"), ("Глеб", "1985-05-05T00:00:00Z"),
       ("Дарья", "1992-10-20"), ("Ольга", "1980-03-03"), ("Пётр", "1980-01-02")]


def count_label(window, prefix):
    return find(window, "label", lambda n: n.startswith(prefix))


def import_filter_open_and_group(s):
    app, main_window = start_as_anna(s)
    vcf = os.path.join(s.work, "home", "friends.vcf")
    with open(vcf, "w", encoding="utf-8", newline="") as f:
        for name, bday in SIX:
            f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:%s\r\nBDAY:%s\r\nEND:VCARD\r\n" % (name, bday))

    step("Ctrl+L opens Люди with Анна; Импорт... asks for the file, typed into the file dialog")
    click_at(main_window.page)  # no window manager gives the focus back by itself
    press_keys("ctrl+l")
    people = app.window("frame", "Люди")
    count_label(people, "Людей: 1")
    click_at(find(people, "push button", "Импорт..."))
    app.window("dialog", "Импорт людей")
    press_keys("ctrl+a")
    type_keys(vcf)
    press_keys("Return")

    step("the preview lists the six; Enter imports them")
    preview = app.window("dialog", "Импорт: friends.vcf")
    find(preview, "label", lambda n: n.startswith("Новых людей: 6"))
    press_keys("Return")
    app.wait_window_gone(preview)
    count_label(people, "Людей: 7")

    step("filtered by typing ольг; Down and Enter open Ольга in the main window")
    filter_field = find(people, "text", "Найти по имени")
    type_into(filter_field, "ольг")
    count_label(people, "Найдено: 1 из 7")
    press_keys("Down", "Return")
    wait_for(lambda: "[Ольга, 03.03.1980, Рыбы" in main_window.caption(), "Ольга in the main window's caption")

    step("Ctrl+L brings Люди back; the filter emptied, the first four selected, their group grid shown")
    click_at(main_window.page)
    press_keys("ctrl+l")
    wait_state(people, "active")
    type_into(filter_field, "x")
    press_keys("BackSpace")
    count_label(people, "Людей: 7")
    # Down leads from the filter into the table; Ctrl+Home selects the first row alone.
    press_keys("Down", "ctrl+Home", "shift+Down", "shift+Down", "shift+Down")
    count_label(people, "Людей: 7, выбрано: 4")
    click_at(find(people, "push button", "Совместимость группы"))
    text = main_window.wait_page(lambda t: "Совместимость группы" in t, "the group grid")
    for name in ("Анна", "Борис", "Вера", "Глеб"):
        check(name in text, "%r on the grid" % name)
    check("Дарья" not in text, "only the four selected on the grid")

    step("the first cell's link, reached by Tab, opens that pair's page")
    click_at(main_window.page)
    press_keys("ctrl+Home", "Tab", "Return")
    main_window.wait_page(lambda t: "Совместимость группы" not in t and "Анна" in t and "Борис" in t,
                          "the page of Анна and Борис")
    wait_for(lambda: [i.name for i in main_window.items()] == ["Совместимость"], "the pair's item")
    app.check_no_message_box()


CASES = {
    "import_filter_open_and_group": import_filter_open_and_group,
}

if __name__ == "__main__":
    main(CASES)

"""End-to-end case of the lunar calendar: "Сегодня", tomorrow, the month's calendar and a day followed from
it, all with real keys on the Russian layout, read back through the accessibility tree.

Run one case:  /usr/bin/python3 lunar.py CASE PROGRAM DATA_FOLDER
"""

import datetime
import sys
import zoneinfo

sys.dont_write_bytecode = True

from cases import GENITIVE_MONTHS, start_as_anna
from harness import (active_layout, check, check_equal, click_at, find, main, press_keys, select_layout, step,
                     text_of, wait_for, wait_state)


def shown_as(day):
    """A date as the bar's date field shows it: "10   декабря 2026"."""
    return "%d   %s %d" % (day.day, GENITIVE_MONTHS[day.month - 1], day.year)


def lunar_calendar_from_the_keyboard(s):
    app, main_window = start_as_anna(s)
    click_at(main_window.page)  # no window manager gives the focus back by itself
    wait_state(main_window.window, "active")
    # The default place is Moscow: its today, whatever the machine's zone.
    today = datetime.datetime.now(zoneinfo.ZoneInfo("Europe/Moscow")).date()

    step("Ctrl+T on the Russian layout (the key of Е): today's page and the bar above it")
    select_layout("ru")
    check_equal(active_layout(), "ru", "the active keyboard layout")
    press_keys("ctrl+Cyrillic_ie")
    field = find(main_window.window, "text", "Дата лунного календаря")
    wait_for(lambda: text_of(field) == shown_as(today), "the bar's date to be today, %s" % shown_as(today))
    main_window.wait_page(lambda t: "%d %s" % (today.day, GENITIVE_MONTHS[today.month - 1]) in t,
                          "today's lunar page")
    wait_for(lambda: [i.name for i in main_window.items()] == ["Лунный календарь"], "the single item")

    step("Ctrl+PgDown: tomorrow")
    tomorrow = today + datetime.timedelta(days=1)
    press_keys("ctrl+Page_Down")
    wait_for(lambda: text_of(field) == shown_as(tomorrow), "the bar's date to be tomorrow")
    main_window.wait_page(lambda t: "%d %s" % (tomorrow.day, GENITIVE_MONTHS[tomorrow.month - 1]) in t,
                          "tomorrow's lunar page")

    step("Ctrl+G on the Russian layout (the key of П): the month's calendar")
    press_keys("ctrl+Cyrillic_pe")
    first = tomorrow.replace(day=1)
    wait_for(lambda: text_of(field) == shown_as(first), "the bar's date to be the month's first day")
    text = main_window.wait_page(lambda t: "%d" % first.year in t, "the month's calendar")

    step("Tab to the 15th's link, Enter: that day's page")
    target = first.replace(day=15)
    click_at(main_window.page)
    press_keys("ctrl+Home")
    page_text = main_window.page.queryText()
    for _ in range(80):
        press_keys("Tab")
        wait_for(lambda: page_text.getNSelections() > 0, "a link to be selected")
        start, end = page_text.getSelection(0)
        words = text[start:end].split()
        if words and words[0] == "15":
            break
    else:
        check(False, "Tab never reached the link of the 15th")
    press_keys("Return")
    wait_for(lambda: text_of(field) == shown_as(target), "the bar's date to be the 15th")
    main_window.wait_page(lambda t: "15 %s" % GENITIVE_MONTHS[target.month - 1] in t, "the 15th's lunar page")

    step("Alt+Left: back to the month")
    press_keys("alt+Left")
    wait_for(lambda: text_of(field) == shown_as(first), "the month's calendar again")
    app.check_no_message_box()


CASES = {
    "lunar_calendar_from_the_keyboard": lunar_calendar_from_the_keyboard,
}

if __name__ == "__main__":
    main(CASES)

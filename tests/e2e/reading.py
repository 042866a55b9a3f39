"""End-to-end case of the reading tools: the whole horoscope exported as one PDF, by the keyboard only,
the file dialog answered by typing the path.

Run one case:  /usr/bin/python3 reading.py CASE PROGRAM DATA_FOLDER
"""

import os
import subprocess
import sys

sys.dont_write_bytecode = True

from cases import LION, start_as_anna
from harness import check, check_equal, click_at, main, press_keys, step, type_keys, wait_for


def export_whole_horoscope(s):
    app, main_window = start_as_anna(s)

    step("Ctrl+Shift+E asks where to save; the path is typed into the file dialog")
    # Without a window manager the focus does not come back by itself: a click into the main window.
    click_at(main_window.page)
    press_keys("ctrl+shift+e")
    app.window("dialog", "Сохранить весь гороскоп в PDF")
    target = os.path.join(s.work, "home", "horoscope.pdf")
    press_keys("ctrl+a")
    type_keys(target)
    press_keys("Return")
    wait_for(lambda: os.path.exists(target) and os.path.getsize(target) > 0, "the PDF file", timeout=20)
    app.check_no_message_box()

    step("the file holds the cover with the summary, the contents and the pages")
    text = subprocess.run(["pdftotext", "-enc", "UTF-8", target, "-"], capture_output=True, text=True,
                          timeout=30).stdout
    flat = " ".join(text.split())
    for line in ("Персональный гороскоп", "Анна", "Дата рождения: 15.08.1975", "Содержание",
                 "Анна, по знаку Зодиака Вы " + LION, "Лев — Зодиакальный гороскоп", "Кот — Китайский гороскоп"):
        check(line in flat, "%r in the PDF" % line)
    info = subprocess.run(["pdfinfo", target], capture_output=True, text=True, timeout=30)
    check_equal(info.stderr.strip(), "", "what pdfinfo says of the file")
    pages = [l for l in info.stdout.splitlines() if l.startswith("Pages:")]
    check(pages and int(pages[0].split()[1]) >= 18, "at least 18 pages: %r" % pages)
    with open(target, "rb") as f:
        check(b"/Outlines" in f.read(), "the file has bookmarks")


CASES = {
    "export_whole_horoscope": export_whole_horoscope,
}

if __name__ == "__main__":
    main(CASES)

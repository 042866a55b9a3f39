"""End-to-end cases: each drives the real program through its accessibility tree.

Run one case:  /usr/bin/python3 cases.py CASE PROGRAM DATA_FOLDER
(CTest does this for every case; see tests/CMakeLists.txt.)
"""

import datetime
import os
import re
import shutil
import sys

sys.dont_write_bytecode = True  # runs from the source tree; leave no caches in it

from harness import (actions, check, check_equal, choose, click_at, close_message_box, do_action, find, find_all,
                     has_icon, has_state, main, message_text, press, press_keys, step, text_of, toggle, type_into,
                     wait_for, wait_name, wait_state, wait_text)

CAPTION = "Solvenna, версия 1.3"
LION = "Лев (23.07 - 22.08)"
ZODIAC_TOPICS = [
    "Стихия знака", "Профессии", "Эротический гороскоп", "Спутники жизни", "Ароматический гороскоп",
    "Темперамент и характер", "Здоровье", "Психосексуальный гороскоп", "Опора в жизни",
    "Любовный гороскоп", "Полезные продукты",
]
SYSTEMS = ["Зодиакальный", "Китайский", "Друидов", "Зороастрийский", "Мифологический", "Нумерологический"]
# The summary separates its lines with a line feed followed by a carriage return.
SUMMARY_BREAK = "\n\r"


# --------------------------------------------------------------------------------------------------
# The windows as a person sees them.

class PersonalData:
    """The "Личные данные" dialog."""

    def __init__(self, app):
        self.app = app
        self.window = app.window("dialog", "Личные данные")
        w = self.window
        self.date = find(w, "text", "Дата рождения")
        self.today = find(w, "push button", "Сегодня")
        self.show_summary = find(w, "check box", "Вывести общую информацию")
        self.show_horoscope = find(w, "check box", "Вывести гороскоп:")
        self.done = find(w, "push button", "Готово")
        # A Qt drop-down list is named after its current entry, so the two lists are told apart by
        # what they hold: the system list by its six entries, the name box by its text field.
        self.systems = find(w, "combo box",
                            predicate=lambda o: [i.name for i in find_all(o, "list item")] == SYSTEMS)
        self.name_box = find(w, "combo box", predicate=lambda o: bool(find_all(o, "text")))
        self.name_field = find(self.name_box, "text")

    def enter(self, name=None, date=None, summary=None, system=None, shown=None):
        """Types the name and the date as a person does; the date edit then shows `shown` if given."""
        if name is not None:
            type_into(self.name_field, name)
            wait_text(self.name_field, lambda t: t == name, "the name %r" % name)
        if date is not None:
            type_into(self.date, date)
            press_keys("Tab")  # the typed date is taken when the focus leaves
            wait_state(self.date, "focused", False)
            if shown is not None:
                wait_text(self.date, lambda t: t == shown, "the date edit to show %r" % shown)
        if summary is not None:
            self.set_checked(self.show_summary, summary)
        if system is not None:
            self.set_checked(self.show_horoscope, True)
            wait_state(self.systems, "sensitive")
            if self.systems.name != system:
                choose(self.systems, system)

    @staticmethod
    def set_checked(box, on):
        if has_state(box, "checked") != on:
            toggle(box)
            wait_state(box, "checked", on)

    def confirm(self):
        press(self.done)


def start_as_anna(s):
    """Starts the program; Анна, 15 August 1975, typed into the dialog it opens with, and Enter in the date
    edit presses Готово. Returns the program and its main window."""
    app = s.launch()
    main_window = MainWindow(app)
    dialog = PersonalData(app)
    step("Анна, 15 August 1975, typed; Enter in the date edit presses Готово")
    type_into(dialog.name_field, "Анна")
    type_into(dialog.date, "15.08.1975")
    press_keys("Return")
    app.wait_window_gone(dialog.window)
    wait_name(main_window.window, CAPTION + "  [Анна, 15.08.1975, " + LION + "]")
    return app, main_window


class MainWindow:
    def __init__(self, app):
        self.app = app
        self.window = app.main_window()
        w = self.window
        self.page = find(w, "label", "Страница гороскопа")
        self.bar = find(w, "page tab list", "Разделы гороскопа")
        self.tool_bar = find(w, "tool bar")

    def tool(self, caption):
        """A tool bar button, as the bar's own item of that caption. Not by its role: a button with a menu
        (Гороскоп) is a "push button" on Qt 6.4 and a "push button menu" on later Qt; nor by its actions,
        which a disabled button has none of. Its menu, the button's child, may carry the same caption."""
        def lookup():
            items = [self.tool_bar.getChildAtIndex(i) for i in range(self.tool_bar.childCount)]
            return next((i for i in items if i is not None and i.name == caption), None)
        return wait_for(lookup, "the tool button %r" % caption)

    def menu_item(self, *path):
        """A menu item of the main menu bar, by its captions from the top."""
        menu_bar = find(self.window, "menu bar")
        node = menu_bar
        for caption in path:
            node = find(node, "menu item", caption)
        return node

    def caption(self):
        return self.window.name

    def page_text(self):
        return text_of(self.page)

    def wait_page(self, predicate, what):
        return wait_text(self.page, predicate, "the page view to show " + what)

    def sections(self):
        return find_all(self.bar, "page tab")

    def items(self):
        return find_all(self.bar, "push button")

    def selected_section(self):
        selected = [s.name for s in self.sections() if has_state(s, "selected")]
        check(len(selected) == 1, "exactly one open section expected, got %r" % selected)
        return selected[0]


GENITIVE_MONTHS = ["января", "февраля", "марта", "апреля", "мая", "июня", "июля", "августа", "сентября",
                   "октября", "ноября", "декабря"]


def russian_date(day):
    """A date as the date edit shows it: day, three blanks, the month's name, the year."""
    return "%d   %s %d" % (day.day, GENITIVE_MONTHS[day.month - 1], day.year)


def heading(text):
    """The first line of a page, its heading."""
    return text.split("\n", 1)[0].strip()


def zodiac_page(topic):
    """A topic page of the lion's zodiac horoscope: the sign's heading, then the topic's."""
    def matches(text):
        lines = [line.strip() for line in text.split("\n")]
        return len(lines) > 1 and lines[0] == "Лев — Зодиакальный гороскоп" and lines[1] == topic
    return matches


def read_ini(path):
    """The program writes its INI files in Windows-1251, or in UTF-8 with a byte-order mark."""
    with open(path, "rb") as f:
        raw = f.read()
    if raw.startswith(b"\xef\xbb\xbf"):
        return raw[3:].decode("utf-8")
    return raw.decode("cp1251")


def ini_section(text, section):
    """Key=value pairs of one section, in file order."""
    pairs, inside = [], False
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            inside = line[1:-1].lower() == section.lower()
        elif inside and "=" in line:
            key, value = line.split("=", 1)
            pairs.append((key.strip(), value.strip()))
    return pairs


def summary_lines(text):
    check(text.count(SUMMARY_BREAK) == 5 and "\r\n" not in text,
          "six lines joined by line feed + carriage return expected: %r" % text)
    return text.split(SUMMARY_BREAK)


def close_personal_data(app):
    """Closes the personal data dialog of a start without entering anything."""
    dialog = PersonalData(app)
    dialog.confirm()
    app.wait_window_gone(dialog.window)


# --------------------------------------------------------------------------------------------------
# Cases.

def first_start(s):
    check(not os.path.exists(s.path("solvenna.ini")) and not os.path.exists(s.path("names.ini")),
          "the program folder should start without INI files")
    app = s.launch()
    step("the personal data dialog opens over the main window, with the focus in the date edit")
    dialog = PersonalData(app)
    wait_state(dialog.date, "focused")
    check_equal(text_of(dialog.date).strip(), "", "the date edit at start")
    check(not has_state(dialog.show_summary, "checked") and not has_state(dialog.show_horoscope, "checked"),
          "both check boxes start unticked")
    check(not has_state(dialog.systems, "sensitive"), "the system list starts disabled")
    check_equal(dialog.systems.name, "Зодиакальный", "the system list's entry at start")

    step("the main window: caption, and the commands that need a birth date are disabled")
    main_window = MainWindow(app)
    check_equal(main_window.caption(), CAPTION, "the main window's caption")
    for caption in ("Информация", "Гороскоп", "Назад", "Вперед"):
        wait_state(main_window.tool(caption), "sensitive", False)
    for path in (("Гороскоп", "Общая информация"), ("Гороскоп", "Выдать гороскоп")):
        check(not has_state(main_window.menu_item(*path), "sensitive"),
              "menu item %r should be disabled" % (path,))
    # The commands that need no date stay available.
    for caption in ("Личные данные", "Настройки", "О программе...", "Выход"):
        check(has_state(main_window.tool(caption), "sensitive"), "tool button %r should be enabled" % caption)
    check_equal(text_of(main_window.page).strip(), "", "the page view at start")
    check(not has_state(main_window.bar, "showing"),
          "the section bar is hidden until a horoscope is asked for")
    app.check_no_message_box()
    check(not os.path.exists(s.path("solvenna.ini")) and not os.path.exists(s.path("names.ini")),
          "starting writes no INI file")

    step("the date edit's Сегодня button puts in today's date")
    before = russian_date(datetime.date.today())
    press(dialog.today)
    wait_text(dialog.date, lambda t: t in (before, russian_date(datetime.date.today())), "today's date")
    wait_state(main_window.tool("Информация"), "sensitive", False)  # nothing is taken before Готово


def summary_and_chinese(s):
    app = s.launch()
    dialog = PersonalData(app)
    main_window = MainWindow(app)
    step("Анна, 15 August 1975, summary and the Chinese horoscope")
    dialog.enter(name="Анна", date="15.08.1975", shown="15   августа 1975", summary=True, system="Китайский")
    dialog.confirm()

    box = app.message_box()
    check(not has_icon(box), "the summary comes in the standard message box, without an icon")
    lines = summary_lines(message_text(box))
    check_equal(lines, [
        "Анна, по знаку Зодиака Вы " + LION,
        "Вашему году рождения (1975) по Китайскому гороскопу соответствует год Кота",
        "По гороскопу Друидов Вашим деревом является Картас",
        "Число Вашего дня рождения - 9",
        "В Зороастрийском гороскопе Вам соответствует год Паука",
        "По Мифологическому гороскопу Вам соответствует Грифон",
    ], "the summary")
    # The page comes after the summary has been closed, and the name is stored last.
    check_equal(main_window.page_text().strip(), "", "the page view while the summary is open")
    check(not os.path.exists(s.path("names.ini")), "names.ini is written only after the displays")
    close_message_box(app, box)

    step("the Chinese page of the Cat, the caption, the single item in the section bar")
    main_window.wait_page(lambda t: heading(t) == "Кот — Китайский гороскоп", "the Cat page")
    app.wait_window_gone(dialog.window)
    wait_name(main_window.window, CAPTION + "  [Анна, 15.08.1975, " + LION + "]")
    wait_state(main_window.bar, "showing")
    check_equal([i.name for i in main_window.items()], ["Китайский гороскоп"], "the section bar's items")
    check_equal(main_window.sections(), [], "page tabs in the single-page layout")
    for caption in ("Информация", "Гороскоп"):
        wait_state(main_window.tool(caption), "sensitive")
    check("ShowMenu" in actions(main_window.tool("Гороскоп")),
          "Гороскоп opens its menu: %r" % actions(main_window.tool("Гороскоп")))
    for caption in ("Назад", "Вперед"):
        check(not has_state(main_window.tool(caption), "sensitive"),
              "%r is for the zodiac layout only" % caption)
    check(has_state(main_window.menu_item("Гороскоп", "Выдать гороскоп", "Китайский"), "checked"),
          "the Chinese menu item carries the check mark")

    step("names.ini holds the entry")
    wait_for(lambda: os.path.exists(s.path("names.ini")), "names.ini")
    check_equal(ini_section(read_ini(s.path("names.ini")), "Анна"),
                [("Date", "15.08.1975"), ("ShowMain", "1"), ("ShowHoroscop", "1"), ("HoroscopType", "1")],
                "the entry of Анна in names.ini")
    app.check_no_message_box()


def zodiac_navigation(s):
    app = s.launch()
    dialog = PersonalData(app)
    main_window = MainWindow(app)
    step("15 August 1975 with the zodiac horoscope")
    dialog.enter(date="15.08.1975", shown="15   августа 1975", system="Зодиакальный")
    dialog.confirm()
    app.wait_window_gone(dialog.window)
    main_window.wait_page(zodiac_page(ZODIAC_TOPICS[0]), "the lion's first topic")
    wait_state(main_window.bar, "showing")
    check_equal([t.name for t in main_window.sections()], ZODIAC_TOPICS, "the section bar's sections")
    check_equal(main_window.items(), [], "items in the zodiac layout")
    check_equal(main_window.selected_section(), ZODIAC_TOPICS[0], "the open section")
    back, forward = main_window.tool("Назад"), main_window.tool("Вперед")
    wait_state(back, "sensitive")
    wait_state(forward, "sensitive")

    def wait_open(index):
        wait_for(lambda: main_window.selected_section() == ZODIAC_TOPICS[index],
                 "section %d (%s) to open" % (index, ZODIAC_TOPICS[index]))
        main_window.wait_page(zodiac_page(ZODIAC_TOPICS[index]), "the topic page " + ZODIAC_TOPICS[index])

    step("opening section 5 shows its page")
    press(main_window.sections()[5])
    wait_open(5)
    step("Назад opens section 4, Вперед section 5 again")
    press(back)
    wait_open(4)
    press(forward)
    wait_open(5)

    step("at the first section Назад does nothing")
    press(main_window.sections()[0])
    wait_open(0)
    # The buttons click in order; a wrap to the last section would leave Вперед nothing to do.
    press(back)
    press(forward)
    wait_open(1)

    step("at the last section Вперед does nothing")
    press(main_window.sections()[10])
    wait_open(10)
    press(forward)
    press(back)
    wait_open(9)
    app.check_no_message_box()


def year_before_1910(s):
    app = s.launch()
    dialog = PersonalData(app)
    main_window = MainWindow(app)
    step("no name, 15 August 1905, summary only")
    dialog.enter(date="15081905", shown="15   августа 1905", summary=True)
    dialog.confirm()

    step("first the Chinese calculator's message")
    box = app.message_box()
    check_equal(message_text(box), "Год рождения не должен быть меньше, чем 1910.", "the first message")
    check(not has_icon(box), "the calculator's message comes in the standard message box")
    close_message_box(app, box)

    step("then the summary with no animal")
    box = wait_for(lambda: [b for b in app.windows("alert", "solvenna") if "1905" in message_text(b)],
                   "the summary")[0]
    lines = summary_lines(message_text(box))
    check_equal(lines[0], "Ваш знак Зодиака - " + LION, "the summary's first line")
    check_equal(lines[1], "Вашему году рождения (1905) по Китайскому гороскопу соответствует год ",
                "the summary's Chinese line")
    # 1905 is not before 1900, so the Zoroastrian totem is there.
    prefix = "В Зороастрийском гороскопе Вам соответствует год "
    check(lines[4].startswith(prefix) and len(lines[4]) > len(prefix), "a totem in %r" % lines[4])
    close_message_box(app, box)
    app.wait_window_gone(dialog.window)
    wait_name(main_window.window, CAPTION + "  [Без имени, 15.08.1905, " + LION + "]")
    app.check_no_message_box()
    # No horoscope was asked for: the start page names the person and says why there is no animal.
    main_window.wait_page(lambda t: heading(t) == "Без имени", "the start page")
    check("китайский гороскоп составляется для годов с 1910" in main_window.page_text(),
          "the start page's Chinese line")


def readonly_folder(s):
    os.chmod(s.folder, 0o555)
    check(not os.access(s.folder, os.W_OK), "the program folder should refuse writes to this user")
    app = s.launch()
    dialog = PersonalData(app)
    main_window = MainWindow(app)
    step("a name, a date and the zodiac horoscope, with the names file impossible to write")
    dialog.enter(name="Анна", date="15.08.1975", shown="15   августа 1975", system="Зодиакальный")
    dialog.confirm()

    box = app.message_box()
    names_file = os.path.join(os.path.realpath(s.folder), "names.ini")
    check_equal(message_text(box), "Unable to write to %s." % names_file, "the error message")
    check(has_icon(box), "the error box shows an error icon")
    # The displays came before the failed write.
    main_window.wait_page(zodiac_page(ZODIAC_TOPICS[0]), "the lion's first topic")
    check(has_state(dialog.window, "showing"), "the error box stands over the personal data dialog")
    close_message_box(app, box)
    app.wait_window_gone(dialog.window)
    check(not os.path.exists(s.path("names.ini")), "no names.ini in a read-only folder")
    wait_name(main_window.window, CAPTION + "  [Анна, 15.08.1975, " + LION + "]")

    step("the program goes on: a horoscope command and a section still work")
    do_action(main_window.menu_item("Гороскоп", "Выдать гороскоп", "Китайский"), "Press")
    main_window.wait_page(lambda t: heading(t) == "Кот — Китайский гороскоп", "the Cat page")
    do_action(main_window.menu_item("Гороскоп", "Выдать гороскоп", "Зодиакальный"), "Press")
    main_window.wait_page(zodiac_page(ZODIAC_TOPICS[0]), "the lion's first topic")
    wait_for(lambda: len(main_window.sections()) == 11, "the zodiac sections")
    press(main_window.sections()[3])
    main_window.wait_page(zodiac_page(ZODIAC_TOPICS[3]), "the topic page " + ZODIAC_TOPICS[3])
    app.check_no_message_box()


def settings_persist(s):
    ok, cancel = "\u041e\u041a", "Отмена"  # the settings dialog's "ОК" is written in Cyrillic letters
    remember, hints, smooth, auto_delay = ("Запоминать все введенные имена", "Показывать подсказки",
                                           "Плавная прокрутка", "Автоматическая задержка")

    def open_settings(main_window):
        press(main_window.tool("Настройки"))
        window = main_window.app.window("dialog", "Настройки")
        boxes = {name: find(window, "check box", name) for name in (remember, hints, smooth, auto_delay)}
        return window, boxes

    def view_item(main_window, caption):
        return main_window.menu_item("Вид", caption)

    def checked(obj):
        return has_state(obj, "checked")

    step("first start: the defaults")
    app = s.launch()
    close_personal_data(app)
    main_window = MainWindow(app)
    check(not checked(view_item(main_window, hints)) and checked(view_item(main_window, smooth)),
          "View menu at the first start: hints off, smooth scrolling on")
    window, boxes = open_settings(main_window)
    check_equal({n: checked(b) for n, b in boxes.items()},
                {remember: True, hints: False, smooth: True, auto_delay: True}, "the settings by default")
    delay = find(window, "spin button", "Задержка прокрутки")
    check_equal(text_of(delay), "20 мсек", "the scroll delay by default")
    check(not has_state(delay, "sensitive"), "the scroll delay is chosen automatically by default")

    step("untick smooth scrolling, tick hints: the View menu follows at once")
    toggle(boxes[smooth])
    wait_state(boxes[smooth], "checked", False)
    wait_state(view_item(main_window, smooth), "checked", False)
    wait_state(boxes[auto_delay], "sensitive", False)
    toggle(boxes[hints])
    wait_state(boxes[hints], "checked")
    wait_state(view_item(main_window, hints), "checked")
    check(not os.path.exists(s.path("solvenna.ini")), "nothing is saved before ОК")

    step("ОК saves the settings file")
    press(find(window, "push button", ok))
    app.wait_window_gone(window)
    check_equal(ini_section(read_ini(s.path("solvenna.ini")), "main"),
                [("StoreNames", "1"), ("ShowHints", "1"), ("SoftScroll", "0"), ("ScrollDelay", "20"),
                 ("AutoDelay", "1")], "the settings file")
    press(main_window.tool("Выход"))
    check_equal(app.wait_exit(), 0, "the exit code")
    # Taken after the exit: closing the window keeps its place in the file too.
    saved = open(s.path("solvenna.ini"), "rb").read()

    step("next start in the same folder: the saved settings are in force")
    app = s.launch()
    close_personal_data(app)
    main_window = MainWindow(app)
    check(checked(view_item(main_window, hints)) and not checked(view_item(main_window, smooth)),
          "View menu after the restart: hints on, smooth scrolling off")
    window, boxes = open_settings(main_window)
    check_equal({n: checked(b) for n, b in boxes.items()},
                {remember: True, hints: True, smooth: False, auto_delay: True},
                "the settings after the restart")
    check(not has_state(boxes[auto_delay], "sensitive"), "no automatic delay without smooth scrolling")

    step("changes from the View menu and the dialog, then Отмена puts the saved ones back")
    do_action(view_item(main_window, smooth), "Press")
    wait_state(boxes[smooth], "checked")
    wait_state(boxes[auto_delay], "sensitive")
    toggle(boxes[hints])
    wait_state(view_item(main_window, hints), "checked", False)
    press(find(window, "push button", cancel))
    app.wait_window_gone(window)
    wait_state(view_item(main_window, smooth), "checked", False)
    wait_state(view_item(main_window, hints), "checked")
    window, boxes = open_settings(main_window)
    check_equal({n: checked(b) for n, b in boxes.items()},
                {remember: True, hints: True, smooth: False, auto_delay: True}, "the settings after Отмена")
    check_equal(open(s.path("solvenna.ini"), "rb").read(), saved, "the settings file after Отмена")
    app.check_no_message_box()


def missing_data(s):
    spare = os.path.join(s.work, "spare-data")
    shutil.move(s.path("Data"), spare)
    error_page = os.path.join(spare, "ErrorPage", "error.htm")
    with open(error_page, encoding="utf-8") as f:
        error_heading = re.search(r"<h1>(.*?)</h1>", f.read()).group(1)

    app = s.launch()
    dialog = PersonalData(app)
    main_window = MainWindow(app)
    step("no data folder: the Chinese horoscope shows its item and an empty page")
    dialog.enter(date="15.08.1975", shown="15   августа 1975", system="Китайский")
    dialog.confirm()
    app.wait_window_gone(dialog.window)
    wait_for(lambda: [i.name for i in main_window.items()] == ["Китайский гороскоп"], "the Chinese item")
    check_equal(main_window.page_text().strip(), "", "the page view without a data folder")
    app.check_alive()
    app.check_no_message_box()

    step("only the error page present: the item shows the error page")
    os.makedirs(s.path("Data", "ErrorPage"))
    shutil.copy(error_page, s.path("Data", "ErrorPage", "error.htm"))
    press(main_window.items()[0])
    main_window.wait_page(lambda t: heading(t) == error_heading, "the error page")

    step("the data folder gone again: the item empties the page view")
    shutil.rmtree(s.path("Data"))
    press(main_window.items()[0])
    main_window.wait_page(lambda t: t.strip() == "", "nothing")

    step("the error page back: the zodiac horoscope falls back on it too")
    os.makedirs(s.path("Data", "ErrorPage"))
    shutil.copy(error_page, s.path("Data", "ErrorPage", "error.htm"))
    do_action(main_window.menu_item("Гороскоп", "Выдать гороскоп", "Зодиакальный"), "Press")
    wait_for(lambda: len(main_window.sections()) == 11, "the zodiac sections")
    main_window.wait_page(lambda t: heading(t) == error_heading, "the error page")
    app.check_alive()
    app.check_no_message_box()


def page_outside_data(s):
    secret = os.path.join(s.work, "secret.htm")
    with open(secret, "w", encoding="utf-8") as f:
        f.write("<html><body><h1>Чужой файл</h1><p>Тайный текст вне папки Data.</p></body></html>")
    with open(s.path("Data", "ErrorPage", "error.htm"), encoding="utf-8") as f:
        error_heading = re.search(r"<h1>(.*?)</h1>", f.read()).group(1)
    # The Cat's page, the Chinese horoscope of 1975, becomes a symbolic link to the file outside.
    cat = s.path("Data", "Chinese", "cat.htm")
    os.remove(cat)
    os.symlink(secret, cat)

    app = s.launch()
    dialog = PersonalData(app)
    main_window = MainWindow(app)
    step("the birth date 15.08.1975 typed, Enter")
    type_into(dialog.date, "15.08.1975")
    press_keys("Return")
    app.wait_window_gone(dialog.window)
    wait_name(main_window.window, CAPTION + "  [Без имени, 15.08.1975, " + LION + "]")
    click_at(main_window.page)  # no window manager gives the focus back by itself
    wait_state(main_window.window, "active")

    step("Ctrl+K, the Chinese horoscope: its page leads out of the data folder, so the error page shows")
    press_keys("ctrl+k")
    text = main_window.wait_page(lambda t: heading(t) == error_heading, "the error page")
    check("Тайный" not in text and "Чужой" not in text, "the outside file's text is not shown: %r" % text)
    check_equal([i.name for i in main_window.items()], ["Китайский гороскоп"], "the section bar's items")
    app.check_alive()
    app.check_no_message_box()


def stored_name(s):
    step("first start: Борис, 1 March 1990, summary and the Druid horoscope, stored")
    app = s.launch()
    dialog = PersonalData(app)
    main_window = MainWindow(app)
    dialog.enter(name="Борис", date="1.3.1990", shown="1   марта 1990", summary=True, system="Друидов")
    dialog.confirm()
    close_message_box(app, app.message_box())
    main_window.wait_page(lambda t: heading(t) == "Ива — Гороскоп Друидов", "the Willow page")
    wait_for(lambda: ini_section(read_ini(s.path("names.ini")), "Борис"), "the entry in names.ini")
    press(main_window.tool("Выход"))
    check_equal(app.wait_exit(), 0, "the exit code")

    step("next start: the name is in the list, and the dialog starts empty")
    app = s.launch()
    dialog = PersonalData(app)
    main_window = MainWindow(app)
    check_equal([i.name for i in find_all(dialog.name_box, "list item")], ["Борис"], "the name list")
    check_equal(text_of(dialog.date).strip(), "", "the date edit before a name is picked")
    check(not has_state(dialog.show_summary, "checked") and not has_state(dialog.show_horoscope, "checked"),
          "the check boxes before a name is picked")

    step("picking the name fills the date and the choices")
    choose(dialog.name_box, "Борис")
    wait_text(dialog.date, lambda t: t == "1   марта 1990", "the stored date")
    wait_state(dialog.show_summary, "checked")
    wait_state(dialog.show_horoscope, "checked")
    wait_state(dialog.systems, "sensitive")
    wait_name(dialog.systems, "Друидов")

    step("Готово shows what was chosen for the name")
    dialog.confirm()
    box = app.message_box()
    lines = summary_lines(message_text(box))
    check_equal(lines[0], "Борис, по знаку Зодиака Вы Рыбы (19.02 - 20.03)", "the summary's first line")
    check_equal(lines[2], "По гороскопу Друидов Вашим деревом является Ива", "the summary's Druid line")
    close_message_box(app, box)
    main_window.wait_page(lambda t: heading(t) == "Ива — Гороскоп Друидов", "the Willow page")
    wait_name(main_window.window, CAPTION + "  [Борис, 01.03.1990, Рыбы (19.02 - 20.03)]")
    app.check_no_message_box()


CASES = {
    "first_start": first_start,
    "summary_and_chinese": summary_and_chinese,
    "zodiac_navigation": zodiac_navigation,
    "year_before_1910": year_before_1910,
    "readonly_folder": readonly_folder,
    "missing_data": missing_data,
    "page_outside_data": page_outside_data,
    "settings_persist": settings_persist,
    "stored_name": stored_name,
}

if __name__ == "__main__":
    main(CASES)

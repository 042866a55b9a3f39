"""End-to-end case of the installed program: installed into a temporary prefix that is then made
read-only, started from prefix/bin as an ordinary user with a fresh home folder. It reads its pages from
prefix/share/solvenna/Data, keeps its two INI files in ~/.config/solvenna/ and never writes under the
prefix.

Run:  /usr/bin/python3 installed.py installed_program INSTALL_TREE
(INSTALL_TREE is what `cmake --install build --prefix INSTALL_TREE` made; it is copied, not changed.)
"""

import hashlib
import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True

import harness
from cases import CAPTION, LION, MainWindow, PersonalData, heading, ini_section, read_ini
from harness import (check, check_equal, click_at, find, find_all, has_state, press, press_keys, right_click_at,
                     step, toggle, type_into, wait_for, wait_name, wait_state, wait_text)

HERE = os.path.dirname(os.path.abspath(__file__))


def snapshot(top):
    """Every entry under top with its type, mode, size, time stamp and content digest."""
    seen = {}
    for root, dirs, files in os.walk(top):
        for name in dirs + files:
            path = os.path.join(root, name)
            info = os.lstat(path)
            digest = None
            if stat.S_ISREG(info.st_mode):
                with open(path, "rb") as f:
                    digest = hashlib.sha256(f.read()).hexdigest()
            seen[os.path.relpath(path, top)] = (stat.S_IFMT(info.st_mode), stat.S_IMODE(info.st_mode),
                                                info.st_size, info.st_mtime_ns, digest)
    return seen


def make_read_only(top):
    for root, dirs, files in os.walk(top):
        for name in files:
            path = os.path.join(root, name)
            os.chmod(path, stat.S_IMODE(os.lstat(path).st_mode) & ~0o222)
        os.chmod(root, 0o555)


def mode_of(path):
    return stat.S_IMODE(os.stat(path).st_mode)


def installed_program(s):
    prefix = os.path.join(s.work, "prefix")
    home = os.environ["HOME"]
    config = os.path.join(home, ".config", "solvenna")
    names_file, settings_file = os.path.join(config, "names.ini"), os.path.join(config, "solvenna.ini")
    # The program runs from prefix/bin: the harness starts Session.folder/solvenna there.
    s.folder = os.path.join(prefix, "bin")
    check(not os.access(prefix, os.W_OK) and not os.access(s.folder, os.W_OK),
          "the prefix should refuse writes to this user")
    check(not os.path.exists(os.path.join(home, ".config")), "the home folder should start fresh")
    check(not os.path.exists(os.path.join(prefix, "bin", "Data")), "no pages beside the installed program")
    before = snapshot(prefix)

    step("first start: the personal data dialog; Анна, 15 August 1975, the Chinese horoscope")
    app = s.launch()
    dialog = PersonalData(app)
    main_window = MainWindow(app)
    check(not os.path.exists(config), "starting writes nothing")
    dialog.enter(name="Анна", date="15.08.1975", shown="15   августа 1975", system="Китайский")
    dialog.confirm()
    step("the Cat page, read from share/solvenna/Data")
    main_window.wait_page(lambda t: heading(t) == "Кот — Китайский гороскоп", "the Cat page")
    app.wait_window_gone(dialog.window)
    wait_name(main_window.window, CAPTION + "  [Анна, 15.08.1975, " + LION + "]")
    app.check_no_message_box()

    step("names.ini in ~/.config/solvenna/, the folder 0700 and the file 0600")
    wait_for(lambda: os.path.exists(names_file), "names.ini in the configuration folder")
    check_equal(mode_of(config), 0o700, "the mode of ~/.config/solvenna")
    check_equal(mode_of(names_file), 0o600, "the mode of names.ini")
    check_equal(dict(ini_section(read_ini(names_file), "Анна")).get("Date"), "15.08.1975", "Анна's date")

    step("a right click on the page view: Qt's context menu in Russian")
    # Popup menus are not in a Qt program's accessibility tree. The menu is used by its access key
    # instead: the Cyrillic "К" of "&Копировать" copies only when the menu is Russian ("&Copy" wants "C").
    # Its last standard entry selects the whole page (Ctrl+A in this window is the Zoroastrian horoscope);
    # below it come the program's three printing commands.
    right_click_at(main_window.page)
    time.sleep(0.5)
    press_keys("Up", "Up", "Up", "Up", "Return")
    right_click_at(main_window.page)
    time.sleep(0.5)  # give the menu a moment to open
    press_keys("Cyrillic_ka")
    time.sleep(0.3)
    press_keys("Escape")  # closes a menu the key did not match, so that the check below says what failed
    # The date field takes it: the name field refuses a text longer than a name may be.
    step("what it copied, pasted into the date field")
    click_at(main_window.tool("Личные данные"))
    dialog = PersonalData(app)
    type_into(dialog.date, "")
    press_keys("ctrl+v")
    wait_text(dialog.date, lambda t: t.startswith("Кот — Китайский гороскоп"), "the copied page text")
    press_keys("Escape")
    app.wait_window_gone(dialog.window)

    step("settings: hints on, saved with ОК into ~/.config/solvenna/solvenna.ini")
    press(main_window.tool("Настройки"))
    settings = app.window("dialog", "Настройки")
    hints = find(settings, "check box", "Показывать подсказки")
    check(not has_state(hints, "checked"), "hints are off by default")
    toggle(hints)
    wait_state(hints, "checked")
    press(find(settings, "push button", "\u041e\u041a"))
    app.wait_window_gone(settings)
    wait_for(lambda: os.path.exists(settings_file), "solvenna.ini in the configuration folder")
    check_equal(mode_of(settings_file), 0o600, "the mode of solvenna.ini")
    check_equal(dict(ini_section(read_ini(settings_file), "main")).get("ShowHints"), "1", "ShowHints")
    press(main_window.tool("Выход"))
    check_equal(app.wait_exit(), 0, "the exit code")

    step("second start: the name is in the list and the setting in force")
    app = s.launch()
    dialog = PersonalData(app)
    main_window = MainWindow(app)
    check_equal([i.name for i in find_all(dialog.name_box, "list item")], ["Анна"], "the stored names")
    check(has_state(main_window.menu_item("Вид", "Показывать подсказки"), "checked"),
          "hints are on after the restart")
    app.check_no_message_box()
    press_keys("Escape")
    app.wait_window_gone(dialog.window)
    click_at(main_window.tool("Выход"))
    check_equal(app.wait_exit(), 0, "the exit code")

    step("the configuration folder holds the two files, and nothing changed under the prefix")
    check_equal(sorted(os.listdir(config)), ["names.ini", "solvenna.ini"], "the configuration folder")
    after = snapshot(prefix)
    changed = sorted(p for p in set(before) | set(after) if before.get(p) != after.get(p))
    check_equal(changed, [], "entries changed under the prefix")


CASES = {"installed_program": installed_program}


def outer_main(argv):
    """Copies the install tree into a temporary prefix, makes it read-only and runs the case in its bus."""
    if len(argv) != 2 or argv[0] not in CASES:
        print("usage: %s CASE INSTALL_TREE\ncases: %s" % (sys.argv[0], " ".join(CASES)), file=sys.stderr)
        return 2
    case, tree = argv[0], os.path.abspath(argv[1])
    if not os.path.isfile(os.path.join(tree, "bin", "solvenna")):
        print("no installed program under %s" % tree, file=sys.stderr)
        return 2
    as_root = os.geteuid() == 0
    work = tempfile.mkdtemp(prefix="solvenna-e2e-installed-")
    proc = None

    def on_signal(signum, _frame):
        raise SystemExit(128 + signum)

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)
    try:
        # The prefix stays with the user who installed it (root in CI): only home and the logs are the case's.
        shutil.copytree(tree, os.path.join(work, "prefix"), symlinks=True)
        make_read_only(os.path.join(work, "prefix"))
        for name in ("home", "runtime", "harness"):
            os.mkdir(os.path.join(work, name), 0o700)
        for name in sorted(n for n in os.listdir(HERE) if n.endswith(".py")):
            shutil.copy2(os.path.join(HERE, name), os.path.join(work, "harness", name))
        env = harness.case_environment(work)
        popen_user = {}
        if as_root:
            uid, gid = harness._nobody()
            os.chown(work, uid, gid)
            for name in ("home", "runtime", "harness"):
                harness._chown_tree(os.path.join(work, name), uid, gid)
            os.makedirs("/tmp/.X11-unix", exist_ok=True)
            os.chmod("/tmp/.X11-unix", 0o1777)
            popen_user = {"user": uid, "group": gid, "extra_groups": []}
            print("running the case as uid %d" % uid, flush=True)
        script = os.path.join(work, "harness", os.path.basename(sys.argv[0]))
        command = ["dbus-run-session", "--", sys.executable, script, "--inside", case, work]
        proc = subprocess.Popen(command, env=env, cwd=work, start_new_session=True, **popen_user)
        if harness._wait_unreaped(proc.pid, harness.CASE_DEADLINE_S):
            return proc.wait()
        print("FAIL: the case did not finish within %d s" % harness.CASE_DEADLINE_S, flush=True)
        return 1
    finally:
        if proc is not None:
            harness._kill_group(proc.pid)
            proc.wait()
        harness._remove_tree(work)


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--inside":
        sys.exit(harness.inside_main(CASES, sys.argv[2:]))
    sys.exit(outer_main(sys.argv[1:]))

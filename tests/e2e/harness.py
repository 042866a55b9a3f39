"""End-to-end harness: runs the real program in a private X server and drives it through the
accessibility tree (AT-SPI), as a screen reader or a person with assistive technology would.

One case per process. The outer process (started by CTest) copies the program and its pages into a
fresh temporary folder and, when it runs as root, hands everything to the user nobody: a read-only
folder refuses writes only to ordinary users. It then starts a private session bus with
dbus-run-session and runs the case inside it ("--inside"), where the harness starts Xvfb, the
accessibility bus and the program itself. Whatever happens, the whole process group goes and the
temporary folder is removed.
"""

import ctypes
import os
import pwd
import select
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))

# A case gets this long inside its bus before the outer process pulls the plug; CTest's own TIMEOUT
# is above it so that the cleanup below still runs. The case itself gives up a little earlier, so
# that it can still report what the program showed.
CASE_DEADLINE_S = 45
CASE_ALARM_S = CASE_DEADLINE_S - 10
# Waiting for something the program should do at once; generous for a loaded CI machine.
DEFAULT_WAIT_S = 10.0
POLL_S = 0.05

PROGRAM_NAME = "solvenna"


class CaseFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise CaseFailure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise CaseFailure("%s: expected %r, got %r" % (what, expected, actual))


def step(text):
    print("-- " + text, flush=True)


# --------------------------------------------------------------------------------------------------
# Outer process: temporary program folder, user switch, session bus, cleanup.

def _nobody():
    try:
        entry = pwd.getpwnam("nobody")
        return entry.pw_uid, entry.pw_gid
    except KeyError:
        return 65534, 65534


def _chown_tree(top, uid, gid):
    for root, dirs, files in os.walk(top):
        os.chown(root, uid, gid)
        for name in files:
            os.lchown(os.path.join(root, name), uid, gid)


def _remove_tree(top):
    # A case may leave a folder read-only; give the owner its rights back first.
    for root, dirs, _files in os.walk(top):
        for name in dirs:
            path = os.path.join(root, name)
            if not os.path.islink(path):
                os.chmod(path, stat.S_IRWXU)
    os.chmod(top, stat.S_IRWXU)
    shutil.rmtree(top, ignore_errors=True)


def _wait_unreaped(pid, timeout):
    """Waits for the process to end but leaves it to be reaped; False when it is still running."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if os.waitid(os.P_PID, pid, os.WEXITED | os.WNOWAIT | os.WNOHANG) is not None:
            return True
        time.sleep(0.05)
    return False


def _kill_group(pgid):
    try:
        os.killpg(pgid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass


def case_environment(work):
    """The clean environment a case runs in; the test's font configuration goes along as a copy that the
    case's user can read (the build tree may be closed to it)."""
    env = {
        "PATH": "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin",
        "HOME": os.path.join(work, "home"),
        "XDG_RUNTIME_DIR": os.path.join(work, "runtime"),
        "LANG": "C.UTF-8",
        "PYTHONDONTWRITEBYTECODE": "1",
    }
    fonts = os.environ.get("FONTCONFIG_FILE")
    if fonts:
        env["FONTCONFIG_FILE"] = os.path.join(work, "fonts.conf")
        shutil.copyfile(fonts, env["FONTCONFIG_FILE"])
        os.chmod(env["FONTCONFIG_FILE"], 0o644)
    return env


def outer_main(case_names, argv):
    if len(argv) != 3 or argv[0] not in case_names:
        print("usage: %s CASE PROGRAM DATA_FOLDER\ncases: %s" % (sys.argv[0], " ".join(sorted(case_names))),
              file=sys.stderr)
        return 2
    case, program, data = argv
    program = os.path.abspath(program)
    data = os.path.abspath(data)
    if not os.path.isfile(program) or not os.path.isdir(data):
        print("no program at %s or no data folder at %s" % (program, data), file=sys.stderr)
        return 2

    as_root = os.geteuid() == 0
    work = tempfile.mkdtemp(prefix="solvenna-e2e-")
    proc = None

    def on_signal(signum, _frame):
        raise SystemExit(128 + signum)

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)
    try:
        folder = os.path.join(work, "program")
        os.mkdir(folder)
        shutil.copy2(program, os.path.join(folder, PROGRAM_NAME))
        shutil.copytree(data, os.path.join(folder, "Data"))
        for name in ("home", "runtime", "harness"):
            os.mkdir(os.path.join(work, name), 0o700)
        # The scripts run from the temporary folder too: the source tree may be unreadable for nobody.
        # The case script and every module beside it that it may import.
        for name in sorted(n for n in os.listdir(HERE) if n.endswith(".py")):
            shutil.copy2(os.path.join(HERE, name), os.path.join(work, "harness", name))

        env = case_environment(work)
        popen_user = {}
        if as_root:
            uid, gid = _nobody()
            _chown_tree(work, uid, gid)
            # Xvfb would create the socket folder itself, but then owned by nobody.
            os.makedirs("/tmp/.X11-unix", exist_ok=True)
            os.chmod("/tmp/.X11-unix", 0o1777)
            popen_user = {"user": uid, "group": gid, "extra_groups": []}
            print("running the case as uid %d" % uid, flush=True)

        script = os.path.join(work, "harness", os.path.basename(sys.argv[0]))
        command = ["dbus-run-session", "--", sys.executable, script, "--inside", case, work]
        proc = subprocess.Popen(command, env=env, cwd=work, start_new_session=True, **popen_user)
        if _wait_unreaped(proc.pid, CASE_DEADLINE_S):
            return proc.wait()
        print("FAIL: the case did not finish within %d s" % CASE_DEADLINE_S, flush=True)
        return 1
    finally:
        if proc is not None:
            # The group goes before its leader is reaped, so that its number cannot have been reused.
            _kill_group(proc.pid)
            proc.wait()
        _remove_tree(work)


# --------------------------------------------------------------------------------------------------
# Inside the session bus: X server, accessibility bus, the program.

def wait_for(predicate, what, timeout=DEFAULT_WAIT_S):
    """Polls predicate until it returns something true and returns that; fails after timeout."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = predicate()
            if value:
                return value
        except CaseFailure:
            raise
        except Exception as error:  # the tree changes under our feet while windows come and go
            last_error = error
        if time.monotonic() > deadline:
            suffix = " (last error: %s)" % last_error if last_error else ""
            raise CaseFailure("timed out after %.1f s waiting for %s%s" % (timeout, what, suffix))
        time.sleep(POLL_S)


def _session_bus_has(name):
    result = subprocess.run(
        ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
         "org.freedesktop.DBus.NameHasOwner", "string:" + name],
        capture_output=True, text=True)
    return result.returncode == 0 and "boolean true" in result.stdout


class Session:
    """The X server, the accessibility bus and the program runs of one case."""

    def __init__(self, work):
        self.work = work
        self.folder = os.path.join(work, "program")
        self.logs = []
        self._services = []
        self.apps = []

    # --- start and stop

    def start(self):
        read_end, write_end = os.pipe()
        xvfb_log = self._log("xvfb")
        xvfb = subprocess.Popen(
            # No reset when the last client goes: a reset drops the root window's properties (where the
            # accessibility bus is announced) and refuses connections for a moment.
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdout=xvfb_log, stderr=subprocess.STDOUT)
        self._services.append(xvfb)
        self.x_server = xvfb
        os.close(write_end)
        # Xvfb picks a free display itself and writes its number once it accepts connections.
        number = b""
        deadline = time.monotonic() + DEFAULT_WAIT_S
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                raise CaseFailure("Xvfb did not start")
            number += chunk
        os.close(read_end)
        os.environ["DISPLAY"] = ":" + number.decode().strip()
        set_up_keyboard()

        bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                               stdout=self._log("a11y-bus"), stderr=subprocess.STDOUT)
        self._services.append(bus)
        wait_for(lambda: _session_bus_has("org.a11y.Bus"), "the accessibility bus")

        # Only now: the library finds the accessibility bus when it is first used.
        global pyatspi, Atspi
        import pyatspi  # noqa: E402
        from gi.repository import Atspi  # noqa: E402
        self.desktop = pyatspi.Registry.getDesktop(0)
        # Read every property live: nothing here runs the event loop that would refresh a cache.
        self.desktop.set_cache_mask(Atspi.Cache.NONE)

    def stop(self):
        for app in self.apps:
            app.kill()
        for service in reversed(self._services):
            if service.poll() is None:
                service.terminate()
                try:
                    service.wait(timeout=3)
                except subprocess.TimeoutExpired:
                    service.kill()
                    service.wait()

    def _log(self, name):
        path = os.path.join(self.work, "%s-%d.log" % (name, len(self.logs)))
        self.logs.append(path)
        return open(path, "w")

    def print_logs(self):
        for path in self.logs:
            with open(path, errors="replace") as f:
                text = f.read().strip()
            print("--- %s ---\n%s" % (os.path.basename(path), text or "(empty)"))

    # --- the program

    def path(self, *parts):
        return os.path.join(self.folder, *parts)

    def launch(self, locale="ru_RU.UTF-8"):
        """Starts the program from the case's program folder and waits until it is on the bus."""
        env = dict(os.environ)
        env.update({
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_QPA_PLATFORM": "xcb",
            # Dates as text follow the user's locale; Qt carries its own locale data.
            "LANG": locale,
            "LC_ALL": locale,
        })
        proc = subprocess.Popen([self.path(PROGRAM_NAME)], cwd=self.folder, env=env,
                                stdout=self._log("program"), stderr=subprocess.STDOUT)
        app = App(self, proc)
        self.apps.append(app)
        app.root = wait_for(app._find_root, "the program on the accessibility bus")
        return app


class App:
    """One run of the program, seen through its accessibility tree."""

    def __init__(self, session, proc):
        self.session = session
        self.proc = proc
        self.root = None

    def _find_root(self):
        self.check_alive()
        desktop = self.session.desktop
        for i in range(desktop.childCount):
            child = desktop.getChildAtIndex(i)
            if child is not None and child.get_process_id() == self.proc.pid and child.childCount > 0:
                return child
        return None

    def check_alive(self):
        code = self.proc.poll()
        if code is not None:
            x_state = "running" if self.session.x_server.poll() is None else "gone"
            raise CaseFailure("the program ended unexpectedly with exit code %d (the X server is %s)"
                              % (code, x_state))

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def wait_exit(self, timeout=DEFAULT_WAIT_S):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise CaseFailure("the program did not end within %.1f s" % timeout)

    # --- top-level windows

    def windows(self, role=None, name=None):
        found = []
        for i in range(self.root.childCount):
            w = self.root.getChildAtIndex(i)
            if w is None or not has_state(w, "showing"):
                continue
            if role is not None and w.getRole() != _role(role):
                continue
            if name is not None and not _name_matches(w.name, name):
                continue
            found.append(w)
        return found

    def window(self, role, name, timeout=DEFAULT_WAIT_S):
        """A shown top-level window; name is a text or a predicate on the name."""
        def lookup():
            self.check_alive()
            found = self.windows(role, name)
            return found[0] if found else None
        return wait_for(lookup, "window %s" % _describe(role, name), timeout)

    def main_window(self):
        return self.window("frame", lambda n: n.startswith("Solvenna, версия"))

    def wait_window_gone(self, window, timeout=DEFAULT_WAIT_S):
        wait_for(lambda: not _is_showing(window), "window %r to close" % _safe_name(window), timeout)

    def message_box(self, timeout=DEFAULT_WAIT_S):
        """The program's message box: its caption is the program file's name."""
        return self.window("alert", PROGRAM_NAME, timeout)

    def check_no_message_box(self):
        boxes = self.windows("alert")
        check(not boxes, "unexpected message box: %r" % [message_text(b) for b in boxes])

    def dump(self):
        if self.root is not None:
            try:
                dump_tree(self.root)
            except Exception as error:
                print("(tree unreadable: %s)" % error)


# --------------------------------------------------------------------------------------------------
# Accessibility helpers.

def _role(nick):
    return getattr(pyatspi, "ROLE_" + nick.upper().replace(" ", "_"))


def _state(nick):
    return getattr(pyatspi, "STATE_" + nick.upper().replace(" ", "_").replace("-", "_"))


def _name_matches(actual, wanted):
    return wanted(actual) if callable(wanted) else actual == wanted


def _describe(role, name):
    role_text = role or "any role"
    name_text = "<predicate>" if callable(name) else repr(name)
    return "%s %s" % (role_text, name_text)


def _safe_name(obj):
    try:
        return obj.name
    except Exception:
        return "?"


def _is_showing(obj):
    try:
        return has_state(obj, "showing")
    except Exception:
        return False  # gone from the bus


def has_state(obj, state):
    """state: a readable name such as "sensitive", "checked", "focused", "showing", "selected"."""
    return obj.getState().contains(_state(state))


def state_names(obj):
    return sorted(s.value_nick for s in obj.getState().getStates())


def walk(obj):
    yield obj
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def find_all(top, role=None, name=None, predicate=None):
    return [o for o in walk(top)
            if (role is None or o.getRole() == _role(role))
            and (name is None or _name_matches(o.name, name))
            and (predicate is None or predicate(o))]


def find(top, role=None, name=None, predicate=None, timeout=DEFAULT_WAIT_S):
    """The first object under top with that role and name, waiting for it to appear."""
    def lookup():
        found = find_all(top, role, name, predicate)
        return found[0] if found else None
    return wait_for(lookup, _describe(role, name), timeout)


def actions(obj):
    action = obj.queryAction()
    return [action.getName(i) for i in range(action.nActions)]


def do_action(obj, name):
    names = actions(obj)
    check(name in names, "%r offers no action %r (it offers %r)" % (_safe_name(obj), name, names))
    check(obj.queryAction().doAction(names.index(name)), "action %r of %r refused" % (name, _safe_name(obj)))


def press(obj):
    """Presses a button, a section button or an item as a person with a screen reader would."""
    do_action(obj, "Press")


def toggle(obj):
    do_action(obj, "Toggle")


def text_of(obj):
    text = obj.queryText()
    return text.getText(0, text.characterCount)


def _extents(obj):
    box = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def click(obj):
    """A real mouse click in the middle of the object, for the few controls that offer no action."""
    x, y, width, height = _extents(obj)
    check(width > 0 and height > 0, "%r has no place on the screen" % _safe_name(obj))
    # Move there first, as a hand would: an open drop-down list follows the pointer to the entry under it.
    pyatspi.Registry.generateMouseEvent(x + width // 2, y + height // 2, pyatspi.MOUSE_ABS)
    pyatspi.Registry.generateMouseEvent(x + width // 2, y + height // 2, pyatspi.MOUSE_B1C)


# --- The keyboard, as a person uses it: real key presses through the X server (XTest), by keycode.
#
# The session's keyboard has the layouts us and ru, switched with Caps Lock, as a Russian user's has. A
# character is typed on the key and shift level that give it in the active layout, or after switching to
# the layout that has it; the keyboard map itself never changes under the program (remapping a spare key
# for each missing letter, as xdotool type does, lost letters on a loaded machine).

LAYOUTS = ("us", "ru")
GROUP_SWITCH = "grp:caps_toggle"
# A person's pace; the program gets every key in order whatever the pace.
KEY_DELAY_S = 0.06
# xdotool's names for the modifiers in chords such as "ctrl+a".
MODIFIERS = {"ctrl": "Control_L", "alt": "Alt_L", "shift": "Shift_L", "super": "Super_L"}

_x11 = _xtst = _xkbcommon = None


class _XkbState(ctypes.Structure):
    """XkbStateRec of <X11/extensions/XKBstr.h>; group is the active layout."""
    _fields_ = [("group", ctypes.c_ubyte), ("locked_group", ctypes.c_ubyte),
                ("base_group", ctypes.c_ushort), ("latched_group", ctypes.c_ushort)]
    _fields_ += [(name, ctypes.c_ubyte) for name in (
        "mods", "base_mods", "latched_mods", "locked_mods", "compat_state", "grab_mods", "compat_grab_mods",
        "lookup_mods", "compat_lookup_mods")]
    _fields_ += [("ptr_buttons", ctypes.c_ushort)]


def _load_libraries():
    global _x11, _xtst, _xkbcommon
    if _x11 is not None:
        return
    _x11 = ctypes.CDLL("libX11.so.6")
    _x11.XOpenDisplay.restype = ctypes.c_void_p
    _x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    _x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    _x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    int_out = ctypes.POINTER(ctypes.c_int)
    _x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, int_out, int_out]
    _x11.XkbKeycodeToKeysym.restype = ctypes.c_ulong
    _x11.XkbKeycodeToKeysym.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int, ctypes.c_int]
    _x11.XkbGetState.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.POINTER(_XkbState)]
    _x11.XStringToKeysym.restype = ctypes.c_ulong
    _x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
    _xtst = ctypes.CDLL("libXtst.so.6")
    _xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    # The program's own toolkit brings it; it knows which character each keysym stands for.
    _xkbcommon = ctypes.CDLL("libxkbcommon.so.0")
    _xkbcommon.xkb_keysym_to_utf32.restype = ctypes.c_uint32
    _xkbcommon.xkb_keysym_to_utf32.argtypes = [ctypes.c_uint32]


def set_up_keyboard():
    """The session's keyboard: the layouts us and ru and the key that switches between them."""
    command = ["setxkbmap", "-layout", ",".join(LAYOUTS), "-option", "", "-option", GROUP_SWITCH]
    result = subprocess.run(command, capture_output=True, text=True, timeout=30)
    check(result.returncode == 0, "%s failed: %s" % (" ".join(command), result.stderr.strip()))


class _Keyboard:
    """The X server's keyboard as it is now: which key gives what in each layout, the active layout, and
    real presses of keys by their keycodes."""

    XKB_USE_CORE_KBD = 0x100
    ISO_NEXT_GROUP = 0xFE08
    SHIFT_L = 0xFFE1

    def __enter__(self):
        _load_libraries()
        self.display = _x11.XOpenDisplay(None)
        check(self.display, "no connection to the X server %s" % os.environ.get("DISPLAY"))
        low, high = ctypes.c_int(), ctypes.c_int()
        _x11.XDisplayKeycodes(self.display, ctypes.byref(low), ctypes.byref(high))
        self.keycodes = range(low.value, high.value + 1)
        return self

    def __exit__(self, *_exc):
        _x11.XCloseDisplay(self.display)

    def group(self):
        state = _XkbState()
        _x11.XkbGetState(self.display, self.XKB_USE_CORE_KBD, ctypes.byref(state))
        return state.group

    def keysym(self, keycode, group, level):
        """What the key gives in that group at that shift level (0 plain, 1 with Shift)."""
        sym = _x11.XkbKeycodeToKeysym(self.display, keycode, group, level)
        if sym == 0 and _x11.XkbKeycodeToKeysym(self.display, keycode, group, 0) == 0:
            # A key with fewer groups, such as Space or Tab, gives its first group's symbols in every group.
            sym = _x11.XkbKeycodeToKeysym(self.display, keycode, 0, level)
        return sym

    def find(self, gives, what):
        """(group, keycode, level) of the key that gives what gives() accepts: in the active layout if it
        has one, without Shift if possible."""
        active = self.group()
        for group in [active] + [g for g in range(len(LAYOUTS)) if g != active]:
            for level in (0, 1):
                for keycode in self.keycodes:
                    if gives(self.keysym(keycode, group, level)):
                        return group, keycode, level
        raise CaseFailure("no key gives %s on the layouts %s" % (what, ",".join(LAYOUTS)))

    def find_keysym(self, name):
        sym = _x11.XStringToKeysym(MODIFIERS.get(name, name).encode())
        check(sym != 0, "no key is called %r" % name)
        return self.find(lambda s: s == sym, name)

    def find_character(self, char):
        # The main keys only: the keypad's keys give digits and the point only with Num Lock.
        return self.find(lambda s: not 0xFF80 <= s <= 0xFFBD and _xkbcommon.xkb_keysym_to_utf32(s) == ord(char),
                         repr(char))

    def select_group(self, group):
        """Switches the layout with its key, as a person does, until the wanted one is active."""
        switch = self.find(lambda s: s == self.ISO_NEXT_GROUP, "the layout switch")[1]
        for _ in LAYOUTS:
            if self.group() == group:
                return
            # No pause: the server has switched once it has the key, and the program learns it before
            # the next key.
            self.chord([switch], pause=0)
        check_equal(LAYOUTS[self.group()], LAYOUTS[group], "the active layout")

    def chord(self, keycodes, pause=KEY_DELAY_S):
        """Presses the keys in order and lets them go in reverse order."""
        for keycode in keycodes:
            _xtst.XTestFakeKeyEvent(self.display, keycode, True, 0)
        for keycode in reversed(keycodes):
            _xtst.XTestFakeKeyEvent(self.display, keycode, False, 0)
        _x11.XSync(self.display, False)
        time.sleep(pause)

    def press(self, key, modifiers=()):
        """Presses a key found by find(), holding the modifiers' keys and Shift when its level needs it."""
        group, keycode, level = key
        self.select_group(group)
        held = [m[1] for m in modifiers]
        if level == 1:
            shift = self.find(lambda s: s == self.SHIFT_L, "Shift")[1]
            if shift not in held:
                held.append(shift)
        self.chord(held + [keycode])


def select_layout(name):
    """Makes one of the session's layouts the active one with the layout switch, as a person does."""
    check(name in LAYOUTS, "no layout %r in the session's %r" % (name, LAYOUTS))
    with _Keyboard() as keyboard:
        keyboard.select_group(LAYOUTS.index(name))


def active_layout():
    with _Keyboard() as keyboard:
        return LAYOUTS[keyboard.group()]


def type_keys(text):
    """Types text key by key, each character on the key that gives it, switching layouts as needed."""
    with _Keyboard() as keyboard:
        for char in text:
            keyboard.press(keyboard.find_character(char))


def press_keys(*names):
    """Presses keys or chords by their X names: "Tab", "shift+Tab", "ctrl+a", "alt+Cyrillic_ghe", "Menu"."""
    with _Keyboard() as keyboard:
        for name in names:
            *modifiers, key = name.split("+")
            keyboard.press(keyboard.find_keysym(key), [keyboard.find_keysym(m) for m in modifiers])


def _xdotool(*args):
    result = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=30)
    check(result.returncode == 0, "xdotool %s failed: %s" % (" ".join(args), result.stderr.strip()))


def click_at(obj):
    """A real mouse click in the middle of an object, with the keyboard focus following it."""
    x, y, width, height = _extents(obj)
    check(width > 0 and height > 0, "%r has no place on the screen" % _safe_name(obj))
    _xdotool("mousemove", str(x + width // 2), str(y + height // 2), "click", "1")


def right_click_at(obj, dx=None):
    x, y, width, height = _extents(obj)
    check(width > 0 and height > 0, "%r has no place on the screen" % _safe_name(obj))
    at_x = x + (width // 2 if dx is None else (dx if dx >= 0 else width + dx))
    _xdotool("mousemove", str(at_x), str(y + height // 2), "click", "3")


def type_into(field, text):
    """Clicks into a text field, selects what it holds and types the new text over it."""
    click_at(field)
    wait_state(field, "focused")
    press_keys("ctrl+a")
    type_keys(text)


def wait_state(obj, state, on=True, timeout=DEFAULT_WAIT_S):
    word = "" if on else "not "
    wait_for(lambda: has_state(obj, state) == on, "%r to be %s%s" % (_safe_name(obj), word, state), timeout)


def wait_text(obj, predicate, what, timeout=DEFAULT_WAIT_S):
    """Waits until the object's text satisfies predicate and returns it."""
    seen = []

    def probe():
        seen[:] = [text_of(obj)]
        return predicate(seen[0])
    try:
        wait_for(probe, what, timeout)
    except CaseFailure as failure:
        raise CaseFailure("%s; the text was %r" % (failure, seen[0][:300] if seen else None))
    return seen[0]


def wait_name(obj, wanted, timeout=DEFAULT_WAIT_S):
    seen = []

    def probe():
        seen[:] = [obj.name]
        return seen[0] == wanted
    try:
        wait_for(probe, "the name %r" % wanted, timeout)
    except CaseFailure as failure:
        raise CaseFailure("%s; it was %r" % (failure, seen[0] if seen else None))


def choose(combo, entry):
    """Picks an entry of a drop-down list: opens it and clicks the entry, as a person would."""
    item = find(combo, "list item", entry)
    do_action(combo, "ShowMenu")
    wait_state(item, "showing")
    # Click only once the list has settled on the screen.
    places = []

    def settled():
        places.append(_extents(item))
        return len(places) > 1 and places[-1] == places[-2] and places[-1][2] > 0
    wait_for(settled, "the open list of %r" % _safe_name(combo))
    click(item)
    # A Qt drop-down list is named after its current entry.
    wait_name(combo, entry)


def message_text(box):
    labels = [o for o in find_all(box, "label") if o.name]
    return labels[0].name if labels else ""


def has_icon(box):
    """Whether the box shows an icon; the standard message box has none, the error box has one."""
    return any(o.getRole() == _role("image") and has_state(o, "showing") for o in walk(box))


def close_message_box(app, box):
    press(find(box, "push button", "OK"))
    app.wait_window_gone(box)


def dump_tree(obj, depth=0):
    line = "  " * depth + "[%s] %r %s" % (obj.getRoleName(), obj.name, ",".join(state_names(obj)))
    try:
        text = text_of(obj)
        if text and text != obj.name:
            line += " text=%r" % text[:120]
    except Exception:
        pass
    print(line)
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None:
            dump_tree(child, depth + 1)


def inside_main(cases, argv):
    case, work = argv
    session = Session(work)

    def on_alarm(_signum, _frame):
        raise CaseFailure("the case took longer than %d s" % CASE_ALARM_S)

    signal.signal(signal.SIGALRM, on_alarm)
    signal.alarm(CASE_ALARM_S)
    try:
        session.start()
        cases[case](session)
        print("PASS: %s" % case, flush=True)
        return 0
    except Exception:
        traceback.print_exc()
        print("FAIL: %s" % case, flush=True)
        signal.alarm(0)
        live = [a for a in session.apps if a.proc.poll() is None and a.root is not None]
        if live:
            print("--- accessibility tree at the failure ---")
            live[-1].dump()
        session.print_logs()
        return 1
    finally:
        signal.alarm(0)
        session.stop()


def main(cases):
    """Entry of a case script: the outer run, or the run inside the session bus."""
    if len(sys.argv) > 1 and sys.argv[1] == "--inside":
        sys.exit(inside_main(cases, sys.argv[2:]))
    sys.exit(outer_main(cases, sys.argv[1:]))

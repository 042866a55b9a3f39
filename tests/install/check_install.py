"""Installs the built program into a fresh prefix and checks that the tree holds exactly the installed
layout: the program, its pages, the launcher, the metainfo, the theme icons and the package documents.

Usage: /usr/bin/python3 check_install.py BUILD_FOLDER PREFIX SOURCE_DATA_FOLDER APP_ID
"""

import hashlib
import os
import shutil
import stat
import struct
import subprocess
import sys

sys.dont_write_bytecode = True

THEME_SIZES = [16, 22, 24, 32, 48, 64, 128, 256, 512]


def files_under(top):
    found = set()
    for root, dirs, files in os.walk(top):
        for name in files + [d for d in dirs if os.path.islink(os.path.join(root, d))]:
            found.add(os.path.relpath(os.path.join(root, name), top))
    return found


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def read_text(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except OSError:
        return ""


def main(build, prefix, source_data, app_id):
    failures = []
    if os.path.lexists(prefix):
        shutil.rmtree(prefix)
    result = subprocess.run(["cmake", "--install", build, "--prefix", prefix], capture_output=True, text=True)
    if result.returncode != 0:
        print(result.stdout + result.stderr)
        return 1

    expected = {
        "bin/solvenna",
        "share/applications/%s.desktop" % app_id,
        "share/metainfo/%s.metainfo.xml" % app_id,
        "share/icons/hicolor/scalable/apps/%s.svg" % app_id,
        "share/doc/solvenna/copyright",
        "share/doc/solvenna/changelog.gz",
        "share/man/man1/solvenna.1.gz",
    }
    expected |= {"share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, app_id) for n in THEME_SIZES}
    pages = files_under(source_data)
    expected |= {os.path.join("share/solvenna/Data", p) for p in pages}
    installed = files_under(prefix)
    for path in sorted(installed - expected):
        failures.append("unexpected in the install tree: " + path)
    for path in sorted(expected - installed):
        failures.append("missing from the install tree: " + path)

    program = os.path.join(prefix, "bin/solvenna")
    if os.path.isfile(program):
        mode = os.stat(program).st_mode
        if not (mode & stat.S_IXOTH and mode & stat.S_IROTH):
            failures.append("bin/solvenna is not executable by everyone: %o" % mode)
    for page in sorted(pages):
        copy = os.path.join(prefix, "share/solvenna/Data", page)
        if os.path.isfile(copy) and digest(copy) != digest(os.path.join(source_data, page)):
            failures.append("page differs from the source: " + page)
    for n in THEME_SIZES:
        icon = os.path.join(prefix, "share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, app_id))
        if os.path.isfile(icon) and png_size(icon) != (n, n):
            failures.append("%s is %r, not %dx%d" % (icon, png_size(icon), n, n))
    # Everything readable by every user, nothing writable by others.
    for path in sorted(installed):
        mode = os.lstat(os.path.join(prefix, path)).st_mode
        if not mode & stat.S_IROTH or mode & stat.S_IWOTH:
            failures.append("%s has mode %o" % (path, mode & 0o7777))

    entry = read_text(os.path.join(prefix, "share/applications/%s.desktop" % app_id))
    for line in ("Exec=solvenna", "Icon=" + app_id, "StartupWMClass=solvenna"):
        if line not in entry.splitlines():
            failures.append("the launcher lacks " + line)
    metainfo = read_text(os.path.join(prefix, "share/metainfo/%s.metainfo.xml" % app_id))
    for text in ("<id>%s</id>" % app_id, '<launchable type="desktop-id">%s.desktop</launchable>' % app_id,
                 "<binary>solvenna</binary>"):
        if text not in metainfo:
            failures.append("the metainfo lacks " + text)

    for failure in failures:
        print("FAIL: " + failure)
    print("%d files installed, %d pages" % (len(installed), len(pages)))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 5:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))

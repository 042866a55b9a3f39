#!/usr/bin/env bash
# Sets up a Debian 12 or 13 machine for Solvenna, builds it, and then runs the program ("run") or the whole
# test suite ("test"). Installs only the Debian packages that are missing; uses sudo when not root.
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
build_dir=${BUILD_DIR:-build}

packages=(cmake g++ make qt6-base-dev qt6-svg-dev libbenchmark-dev fonts-dejavu-core)
# The Sun and the Moon (libnova), and the independent ephemeris (ERFA) the lunar calendar's tests,
# always built, compare with.
packages+=(libnova-dev liberfa-dev pkgconf)
# The time zones of the lunar calendar's places: minimal systems come without the zone database.
packages+=(tzdata)
# Qt's own texts in Russian; dpkg-dev and file for the Debian package (cpack -G DEB).
packages+=(qt6-translations-l10n dpkg-dev file)
if [ "$mode" = test ]; then
    # The end-to-end suite drives the real program in a private X server over the accessibility bus.
    packages+=(xvfb xauth x11-xkb-utils dbus at-spi2-core python3-pyatspi xdotool poppler-utils)
    # Checks of the installed launcher and metainfo files.
    packages+=(desktop-file-utils appstream)
    # The check that every source matches .clang-format.
    packages+=(clang-format)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir" -j"$(nproc)"

case "$mode" in
run) exec "$build_dir/solvenna" ;;
test) cd "$build_dir" && exec ctest --output-on-failure --timeout 600 ;;
*) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

#!/usr/bin/env bash
# Makes the Debian package from a build folder, checks it with lintian,
# installs it as an operator would, runs the installed program, checks the
# manual page and the menu entry, and removes it again.
#   check-package.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
fail() { echo "check-package: $*" >&2; exit 1; }

rm -f "$build"/qx5170fp_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/qx5170fp_*_amd64.deb)
echo "package: $(basename "$deb")"

# Errors fail; warnings are listed in the README with their reasons.
if ! report=$(lintian --fail-on error "$deb" 2>&1); then
    echo "$report" >&2
    fail "lintian reports errors"
fi
grep -v '^running with root' <<<"$report" || true

if dpkg-query -W -f='${Status}' qx5170fp 2>/dev/null | grep -q 'install ok installed'; then
    fail "qx5170fp is installed already; not touching it"
fi
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
remove() { DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get purge -y -qq qx5170fp >/dev/null 2>&1 || true; }
trap remove EXIT
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$deb" >/dev/null

program=/usr/bin/qx5170fp
[[ -x $program ]] || fail "$program not installed"
# No display is needed for either.
version=$(env -u DISPLAY -u QT_QPA_PLATFORM "$program" --version)
grep -qx 'qx5170fp 4\.3\.1\.[0-9]*' <<<"$(head -1 <<<"$version")" || fail "--version printed: $version"
[[ $(wc -l <<<"$version") -eq 3 ]] || fail "--version printed: $version"
env -u DISPLAY -u QT_QPA_PLATFORM "$program" --help | grep -q '^Usage: qx5170fp \[options\]' \
    || fail "--help does not show the usage"
# The stand-ins come from the package's private folder, not from /usr/lib.
for library in visa64 qx2010_64 qx5170_64; do
    path=$(ldd "$program" | sed -n "s/^[[:space:]]*lib$library\.so => \([^ ]*\) .*/\1/p")
    [[ -n $path && $(readlink -f "$path") == /usr/lib/x86_64-linux-gnu/qx5170fp/lib$library.so ]] \
        || fail "the installed program takes lib$library.so from '$path', not its private folder"
done

page=/usr/share/man/man1/qx5170fp.1.gz
[[ -f $page ]] || fail "$page not installed"
warnings=$(zcat "$page" | groff -man -Tutf8 -ww 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "the manual page renders with warnings: $warnings"
entry=/usr/share/applications/qx5170fp.desktop
[[ -f $entry ]] || fail "$entry not installed"
desktop-file-validate "$entry" || fail "desktop-file-validate refuses $entry"
grep -qx 'Exec=/usr/bin/qx5170fp' "$entry" || fail "$entry does not start $program"
[[ -f /usr/share/icons/hicolor/16x16/apps/qx5170fp.png ]] || fail "the icon is not installed"

remove
trap - EXIT
[[ ! -e $program && ! -e $page && ! -e $entry ]] || fail "files left behind after removing"
echo "package installed, ran and was removed"

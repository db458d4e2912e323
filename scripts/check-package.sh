#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Makes the Debian package from a build folder and checks it with lintian
# (pedantic, hardening included); installs it as an operator would, runs the
# installed program, checks the manual page, the menu entry, the AppStream
# description, the icons and the copyright file, and removes it again.
#   check-package.sh <build folder>
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "check-package: $*" >&2; exit 1; }
[[ $# -eq 1 && -d $1 ]] || fail "usage: check-package.sh <build folder>"
build=$(cd "$1" && pwd)
for tool in cpack lintian dpkg-parsechangelog appstreamcli desktop-file-validate rsvg-convert \
        groff man systemd-analyze; do
    command -v "$tool" >/dev/null || fail "$tool is missing: scripts/deps.sh installs it"
done

id=example.orbelan.qx5170fp
# The package carries the version of the change log's newest entry, which is
# the panel's full version: the file name, the control data and --version
# must all say the same.
version=$(dpkg-parsechangelog -l "$top/packaging/changelog" -S Version)
arch=$(dpkg --print-architecture)

rm -f "$build"/qx5170fp_*.deb
(cd "$build" && cpack -G DEB >/dev/null) || fail "cpack could not make the package"
deb=$build/qx5170fp_${version}_${arch}.deb
[[ -f $deb ]] || fail "expected $(basename "$deb"), cpack made:" \
    "$(cd "$build" && echo qx5170fp_*.deb)" \
    "(build the folder again after changing packaging/changelog)"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] \
    || fail "$(basename "$deb") says it is version $(dpkg-deb -f "$deb" Version), not $version"
echo "package: $(basename "$deb")"

# Errors and warnings fail, and so does every hardening tag whatever its
# level, and an override that no longer matches. Pedantic and informational
# tags that have to stay are listed in the README with their reasons.
status=0
report=$(lintian --pedantic --display-info --fail-on error,warning "$deb" 2>&1) || status=$?
report=$(grep -v '^running with root' <<<"$report" || true)
[[ -z $report ]] || echo "$report"
[[ $status -eq 0 ]] || fail "lintian reports errors or warnings, or could not run (status $status)"
stale='unused-override|mismatched-override'
if grep -E "^.: qx5170fp[^ ]*: (hardening-|$stale)" <<<"$report" >/dev/null; then
    fail "lintian reports a hardening tag or a stale override (above)"
fi

# The AppStream description, checked in the package's own tree: its
# launchable entry must be in it. The application id begins with the
# top-level domain reserved for examples, which appstreamcli does not know
# and mentions as information (cid-maybe-not-rdns); that one note is taken
# as a pedantic hint, so that anything else it finds fails.
appstream=(--no-net --pedantic --strict --override=cid-maybe-not-rdns=pedantic)
tree=$(mktemp -d)
dpkg-deb -x "$deb" "$tree"
if ! appstreamcli validate-tree "${appstream[@]}" "$tree"; then
    rm -rf "$tree"
    fail "appstreamcli refuses the package's tree"
fi
rm -rf "$tree"

# The maintainer scripts, as they run where systemd runs the machine: in
# a mount namespace of their own with /run/systemd/system made, and
# systemctl and deb-systemd-invoke that only write down how they were
# called. The template is read again after installing and removing; the
# running instances are restarted after an upgrade and stopped before a
# removal; nothing is enabled or started.
scripts=$(mktemp -d)
dpkg-deb -e "$deb" "$scripts/control"
mkdir "$scripts/bin"
for tool in systemctl deb-systemd-invoke; do
    printf '#!/bin/sh\necho "%s $*" >> "%s/calls"\n' "$tool" "$scripts" > "$scripts/bin/$tool"
    chmod +x "$scripts/bin/$tool"
done
if unshare --mount true 2>/dev/null; then
    # The script is the inner shell's, its words the scripts' arguments.
    # shellcheck disable=SC2016
    unshare --mount sh -ec '
        mkdir -p /run/systemd
        mount -t tmpfs scripts /run/systemd
        mkdir /run/systemd/system
        cd "$1/control"
        PATH=$1/bin:$PATH
        for call in "postinst configure" "postinst configure 4.3.0" "prerm upgrade 4.3.2" \
                "prerm remove" "postrm remove" "postrm purge"; do
            echo "$call" >> ../calls
            ./$call
        done' sh "$scripts" || { rm -rf "$scripts"; fail "a maintainer script failed"; }
    expected='postinst configure
systemctl --system daemon-reload
postinst configure 4.3.0
systemctl --system daemon-reload
deb-systemd-invoke try-restart qx5170fp-server@*.service
prerm upgrade 4.3.2
prerm remove
deb-systemd-invoke stop qx5170fp-server@*.service
postrm remove
systemctl --system daemon-reload
postrm purge'
    called=$(cat "$scripts/calls")
    rm -rf "$scripts"
    [[ $called == "$expected" ]] || fail "the maintainer scripts called, under systemd:" \
        $'\n'"$called"$'\n'"instead of:"$'\n'"$expected"
else
    rm -rf "$scripts"
    echo "maintainer scripts not run under systemd: no mount namespace can be made here"
fi

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
said=$(env -u DISPLAY -u QT_QPA_PLATFORM "$program" --version)
[[ $(head -1 <<<"$said") == "qx5170fp $version" ]] \
    || fail "the package is version $version, but --version printed: $said"
# The headless server the package's program becomes: found in libexec, on
# the stand-ins in their private folder, serving until SIGTERM ends it.
headless=/usr/libexec/qx5170fp/qx5170fp-headless
[[ -x $headless ]] || fail "$headless not installed"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
served=$(mktemp -d)
env -u DISPLAY -u QT_QPA_PLATFORM XDG_STATE_HOME="$served" XDG_DATA_HOME="$served" \
    XDG_CONFIG_HOME="$served" "$program" --headless --demo --listen "127.0.0.1:$port" \
    2>"$served/said" &
server=$!
for _ in $(seq 100); do
    grep -q 'serving demo mode' "$served/said" && break
    sleep 0.1
done
kill -TERM "$server" 2>/dev/null || true
wait "$server" || fail "the installed headless server ended with status $?: $(cat "$served/said")"
grep -q "serving demo mode (no card): SCPI on 127.0.0.1:$port" "$served/said" \
    || fail "the installed headless server did not serve: $(cat "$served/said")"
rm -rf "$served"
# Read whole before it is searched: grep -q leaves at its first match, and
# the rest of the help, written into a closed pipe, would fail the program.
usage=$(env -u DISPLAY -u QT_QPA_PLATFORM "$program" --help) || fail "--help failed"
grep -q '^Usage: qx5170fp \[options\]' <<<"$usage" \
    || fail "--help does not show the usage"
# No search path in the installed program: it finds its libraries by its
# own search, and a search path would add places nobody chose.
if readelf --dynamic "$program" | grep -E '\((RUNPATH|RPATH)\)'; then
    fail "the installed program carries a search path"
fi
# No platform library is linked: the installed program takes the stand-ins
# of its private folder when nothing else is installed, and a vendor
# installation wherever one is named, without a rebuild.
if ldd "$program" | grep -Eq 'lib(visa|visa64|qx2010_64|qx5170_64)\.so'; then
    fail "the installed program links a platform library: $(ldd "$program")"
fi
private=/usr/lib/x86_64-linux-gnu/qx5170fp
libraries=$(env -u DISPLAY -u QT_QPA_PLATFORM "$program" --simulate --version)
grep -qx "  $private/libqx5170_64.so" <<<"$libraries" \
    || fail "the installed program does not take the stand-ins of $private: $libraries"
"$(dirname "$0")/check-vendor-libraries.sh" "$program" "$private"

page=/usr/share/man/man1/qx5170fp.1.gz
[[ -f $page ]] || fail "$page not installed"
warnings=$(zcat "$page" | groff -man -Tutf8 -ww 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "the manual page renders with warnings: $warnings"

# The menu entry, the AppStream description and the icons carry the
# application id, and so do the program's windows (QStringLiteral keeps the
# id in the program as UTF-16 text).
entry=/usr/share/applications/$id.desktop
[[ -f $entry ]] || fail "$entry not installed"
findings=$(desktop-file-validate "$entry" 2>&1) && [[ -z $findings ]] \
    || fail "desktop-file-validate refuses $entry: $findings"
grep -qx "Exec=$program" "$entry" || fail "$entry does not start $program"
grep -qx "Icon=$id" "$entry" || fail "$entry does not show the icon $id"
utf16=$(sed 's/\./\\./g; s/\(\\\.\|[^\\]\)/\1\\x00/g' <<<"$id")
grep -qaP "$utf16" "$program" || fail "$program does not give the toolkit the application id $id"

metainfo=/usr/share/metainfo/$id.metainfo.xml
[[ -f $metainfo ]] || fail "$metainfo not installed"
appstreamcli validate "${appstream[@]}" "$metainfo" || fail "appstreamcli refuses $metainfo"
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -1)
[[ $newest == "$version" ]] || fail "the newest release in $metainfo is '$newest', not $version"
grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "$metainfo does not say MIT"

icons=()
for size in 16 32 48 64 128 256; do
    icon=/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    icons+=("$icon")
    [[ -f $icon ]] || fail "$icon not installed"
    # The PNG signature, then the IHDR chunk's width and height.
    header=$(od -An -tx1 -N24 "$icon" | tr -d ' \n')
    [[ $header == 89504e470d0a1a0a0000000d49484452$(printf '%08x%08x' "$size" "$size") ]] \
        || fail "$icon is not a $size x $size PNG"
done
svg=/usr/share/icons/hicolor/scalable/apps/$id.svg
icons+=("$svg")
[[ -f $svg ]] || fail "$svg not installed"
rsvg-convert --width=16 --height=16 "$svg" >/dev/null || fail "$svg cannot be drawn"

# The copyright file names the holder of LICENSE and has its text, word for
# word, as the licence of every file.
copyright=/usr/share/doc/qx5170fp/copyright
[[ -f $copyright ]] || fail "$copyright not installed"
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" \
    || fail "$copyright is not in the machine-readable format"
holder=$(sed -n 's/^Copyright (c) //p' "$top/LICENSE")
all=$(awk -v RS= '/^Files: \*\n/' "$copyright")
grep -qx "Copyright: $holder" <<<"$all" && grep -qx 'License: MIT' <<<"$all" \
    || fail "$copyright does not give every file to '$holder' under MIT, as LICENSE does"
words() { tr -s '[:space:]' ' ' | sed 's/^ //; s/ $//'; }
licence=$(awk -v RS= '/^License: MIT\n/' "$copyright" | sed '1d; s/^ //; s/^\.$//' | words)
[[ -n $licence && $licence == "$(sed -n '/^Permission/,$p' "$top/LICENSE" | words)" ]] \
    || fail "the MIT text in $copyright differs from LICENSE"

# The system service: a template unit whose instances the admin makes, so
# nothing of it is enabled, and nothing lands in /etc. The manager must
# take an instance as it is (systemd-analyze verify: keys, the program,
# the manual page named), and its sandbox must rate OK or better.
installed=$(dpkg -L qx5170fp)
unit=$(grep -E '^(/usr)?/lib/systemd/system/qx5170fp-server@\.service$' <<<"$installed") \
    || fail "the package installs no qx5170fp-server@.service"
if grep '^/etc' <<<"$installed"; then
    fail "the package installs into /etc (above)"
fi
example=/usr/share/doc/qx5170fp/examples/bench.conf
[[ -f $example ]] || fail "$example not installed"
grep -q "^ExecStart=$program --headless --options-file /etc/qx5170fp/%i.conf\$" "$unit" \
    || fail "$unit does not start $program with the instance's options file"
units=$(mktemp -d)
instance=$units/qx5170fp-server@bench.service
ln -s "$unit" "$instance"
said=$(systemd-analyze verify "$instance" 2>&1) && [[ -z $said ]] || {
    rm -rf "$units"
    fail "systemd-analyze verify refuses $(basename "$instance"): $said"
}
# The last line: "-> Overall exposure level for <unit>: 1.1 OK :-)".
said=$(systemd-analyze security --offline=yes --no-pager "$instance" 2>&1) || {
    rm -rf "$units"
    fail "systemd-analyze security could not rate $(basename "$instance"): $said"
}
rm -rf "$units"
exposure=$(grep -o 'Overall exposure level for [^ ]*: [0-9.]* [A-Z]*' <<<"$said" || true)
echo "${exposure:-no exposure level}"
[[ $exposure =~ :\ [0-9.]+\ (OK|SAFE|PERFECT)$ ]] \
    || fail "the service's sandbox is not rated OK or better: ${exposure:-$said}"

remove
trap - EXIT
for path in "$program" "$headless" "$page" "$entry" "$metainfo" "${icons[@]}" "$copyright" \
        "$unit" "$example"; do
    [[ ! -e $path ]] || fail "$path left behind after removing"
done
echo "package installed, ran and was removed"

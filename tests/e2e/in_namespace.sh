#!/bin/sh
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Runs a command in a network and a mount namespace of its own:
#
#     in_namespace.sh COMMAND [ARGUMENT...]
#
# The loopback is up and nothing else is there, and /run is a tmpfs of its
# own, so that a port mapper (rpcbind) started inside has its own port 111,
# /run/rpcbind.sock and lock, and meets neither the machine's nor another
# test's. D-Bus sessions and X displays listen on abstract unix sockets,
# which belong to the network namespace: start them inside, after this
# script (in_namespace.sh dbus-run-session -- ...). The runtime folder
# (XDG_RUNTIME_DIR) and /tmp/.X11-unix are the namespace's own too, for the
# socket files that go with them.
#
# The command's exit status is this script's. Where no namespace can be
# made (not root, unshare refused, no ip to bring the loopback up) it says
# so in one line and ends with 77, which CTest counts as skipped.
set -u

name=in_namespace.sh
skipped=77

if [ "$#" -eq 0 ]; then
    echo "usage: $name COMMAND [ARGUMENT...]" >&2
    exit 2
fi

skip() {
    echo "$name: $*; the test is skipped" >&2
    exit "$skipped"
}

[ "$(id -u)" -eq 0 ] || skip "not root: no network namespace can be made"
for tool in unshare ip mount; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing (Debian packages util-linux, iproute2, mount)"
done
# unshare's own refusal would end it with status 1, as a failed test does:
# ask once with a command that cannot fail.
why=$(unshare --net --mount --propagation private true 2>&1) \
    || skip "no network namespace can be made (${why:-unshare refused})"

# Inside: the loopback up, then a /run that no one else sees, with the
# runtime folder in it. An X server started inside picks its display number
# among the namespace's abstract sockets only, so the number may be one that
# a server outside has too; the files named after it must not meet theirs:
# the X server's socket files (a /tmp/.X11-unix of its own) and the
# accessibility bus launcher's socket (under the runtime folder, which is
# otherwise ~/.cache, shared by all).
# shellcheck disable=SC2016 # expanded by the shell inside the namespace
exec unshare --net --mount --propagation private -- /bin/sh -c '
    name=$0
    ip link set lo up 2>/dev/null \
        || { echo "$name: the loopback of the new namespace does not come up; the test is skipped" >&2; exit 77; }
    mount -t tmpfs -o mode=0755,nosuid,nodev tmpfs /run 2>/dev/null \
        || { echo "$name: no tmpfs can be mounted on /run in the new namespace; the test is skipped" >&2; exit 77; }
    mkdir -m 1777 /run/lock
    XDG_RUNTIME_DIR=/run/user/$(id -u)
    mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
    mkdir -p -m 1777 /tmp/.X11-unix 2>/dev/null
    mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs /tmp/.X11-unix 2>/dev/null \
        || { echo "$name: no tmpfs can be mounted on /tmp/.X11-unix in the new namespace; the test is skipped" >&2; exit 77; }
    # What a scenario checks before it starts daemons of its own: the
    # namespace it runs in is the one made here.
    SFP_E2E_NAMESPACE=$(readlink /proc/self/ns/net)
    export SFP_E2E_NAMESPACE
    exec "$@"' "$name" "$@"

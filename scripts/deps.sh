#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages the build, the program and the tests need,
# only those that are missing; through sudo when not run as root.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config libcrypt-dev libssl-dev openssl
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    nlohmann-json3-dev
    xvfb xauth xdotool dbus at-spi2-core python3 python3-pyatspi fonts-dejavu-core
    clang libclang-rt-14-dev clazy clang-tidy
    dpkg-dev lintian desktop-file-utils appstream librsvg2-bin patchelf groff-base
    python3-pyvisa python3-pyvisa-py lxi-tools gcovr python3-jsonschema sigrok-cli
    libtirpc-dev rpcsvc-proto rpcbind libavahi-client-dev avahi-daemon avahi-utils iproute2 libsystemd-dev
    systemd man-db
    qt6-httpserver-dev qt6-websockets-dev
    qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools qt6-translations-l10n
    chromium chromium-driver python3-selenium python3-labgrid python3-yaml
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "deps.sh: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
# rpcbind and avahi-daemon would start as the system's services on
# installation, and Avahi would announce this machine on its network: the
# tests start their own, inside network namespaces of their own. A policy
# that refuses every start is in place while the packages install, unless
# the machine has one of its own.
policy=/usr/sbin/policy-rc.d
ownPolicy=0
if [[ ! -e $policy ]]; then
    printf '#!/bin/sh\nexit 101\n' | "${sudo[@]}" tee "$policy" >/dev/null
    "${sudo[@]}" chmod 755 "$policy"
    ownPolicy=1
fi
status=0
"${sudo[@]}" apt-get update -qq || status=$?
if [[ $status -eq 0 ]]; then
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null || status=$?
fi
if [[ $ownPolicy -eq 1 ]]; then
    "${sudo[@]}" rm -f "$policy"
fi
exit "$status"

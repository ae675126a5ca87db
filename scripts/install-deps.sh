#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Morvane need, when they
# are missing. Runs as root, or through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format clang-tidy libclang-rt-14-dev
  qt6-base-dev libcurl4-openssl-dev libssl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  python3 python3-pyftpdlib curl
  qt6-translations-l10n  # Qt's own texts (buttons, file dialog, date pickers) in French
  xvfb xauth
  trayer xdotool x11-utils imagemagick  # tray, input, window queries, screenshots on Xvfb
  librsvg2-bin dpkg-dev  # icons drawn from the SVG; the package's library dependencies
  lintian desktop-file-utils appstream  # the checks of the package, its entry, its metainfo
  openbox python3-xlib  # a real window manager, and pings to the program, for the end-to-end tests
  adwaita-icon-theme  # a cursor theme, so that the end-to-end tests know the busy cursor's picture
  proftpd-basic nginx lighttpd  # real servers the tests start as their own processes
  proftpd-mod-crypto openssl  # proftpd's mod_tls, and the certificates the TLS tests make
  dbus-daemon python3-dbus python3-gi  # a session bus and a notification service of the tests' own
  openssh-server  # sshd for the SFTP tests, run by each test as its own process
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
# The server packages would start system services; the tests run their own instances, so
# no service may start during the installation (policy-rc.d answering 101 forbids it).
policy=/usr/sbin/policy-rc.d
own_policy=""
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod 755 "$policy"
  own_policy=1
fi
status=0
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" \
  || status=$?
[ -z "$own_policy" ] || $sudo rm -f "$policy"
exit $status

#!/usr/bin/env bash
# Installs what building, running and testing the utility needs on Debian 12.
# Only missing packages are installed; run as root or with sudo available.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  iproute2          # network namespaces for the end-to-end tests
  tftpd-hpa tftp-hpa # a real TFTP peer for the upload test and the benchmark
  xvfb xauth        # a real X server for looking at the windows without a desktop
  inetutils-telnet xterm # Telnet to Device runs the telnet client in a terminal window
  procps            # sysctl, which a ping test runs inside its network namespace
  dpkg-dev file     # the Debian package: dpkg-shlibdeps finds its dependencies
  lintian appstream desktop-file-utils # the package's checks: Debian's, AppStream's, the menu entry's
  bash-completion   # the tests complete cfgutil's command lines as an interactive bash would
  clang libclang-rt-14-dev # the fuzz targets: clang and its libFuzzer and sanitizer runtimes
  ansible-core      # the Ansible collection in ansible/: its modules, playbook and their tests
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  # Package scripts must not start daemons here (the TFTP server in particular):
  # the tests start their own on loopback.
  DEBIAN_FRONTEND=noninteractive RUNLEVEL=1 "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

#!/usr/bin/env bash
# Installs what building, testing and running Vexa need on a Debian machine, only
# what is missing: compilers (g++ and MinGW-w64 for 32-bit and 64-bit Windows) with
# ccache, CMake, Ninja, GoogleTest, Google Benchmark, Wine (64-bit, and 32-bit
# through the i386 architecture; Wine's own Windows headers, which check the storage
# layouts a second time), Xvfb and
# the tools that drive and photograph the window, and a Traditional Chinese font
# and locale; Cairo and Pango for the pictures vexa-cli draws; liburing for its real
# reads on Linux and fio to compare them with; for vexa-collector, cpp-httplib with
# OpenSSL, SQLite, libpqxx and nlohmann-json, and for its tests PostgreSQL's server,
# curl, openssl and Chromium; for the drives machine (tools/drives-vm.sh) qemu with
# cpio, kmod and busybox, and the reference tools smartmontools, hdparm, nvme-cli and fdisk.
set -euo pipefail
packages=(cmake ninja-build g++ ccache libgtest-dev googletest libbenchmark-dev python3
          g++-mingw-w64-i686-posix mingw-w64-i686-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
          wine wine32:i386 wine64 libwine-dev fonts-wine xvfb xauth x11-utils xdotool imagemagick
          fonts-noto-cjk locales pkg-config libcairo2-dev libpango1.0-dev
          liburing-dev fio
          libcpp-httplib-dev libssl-dev libsqlite3-dev libpqxx-dev nlohmann-json3-dev
          postgresql curl openssl chromium
          qemu-system-x86 cpio kmod busybox-static smartmontools hdparm nvme-cli fdisk)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "setup: installing ${missing[*]}" >&2
  if ! dpkg --print-foreign-architectures | grep -qx i386; then $sudo dpkg --add-architecture i386; fi
  # A mirror caught mid-sync answers with index files of the wrong size for a while:
  # ask again after a pause, and in the end go on with whatever lists apt has.
  for attempt in 1 2 3 4; do
    $sudo apt-get update -qq && break
    [ "$attempt" = 4 ] && { echo "setup: package lists could not all be updated; trying with those at hand" >&2; break; }
    sleep $((attempt * 20))
  done
  # Without one architecture's security list the two architectures' candidates
  # differ and the i386 libraries cannot match their amd64 twins: the release's
  # own packages, preferred over the updates, are a set that fits together.
  install() { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}" >/dev/null; }
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if ! install && ! { sleep 20; $sudo apt-get update -qq; install; }; then
    echo "setup: trying the packages of $release itself" >&2
    [ -n "$release" ] && install -t "$release" || { echo "setup: could not install ${missing[*]}" >&2; exit 1; }
  fi
fi

# The Traditional Chinese locale Wine runs in (its code page 950 follows from it).
if ! locale -a 2>/dev/null | grep -qix 'zh_TW.utf8'; then
  localedef -i zh_TW -f UTF-8 zh_TW.UTF-8 >/dev/null 2>&1 || echo "setup: could not generate zh_TW.UTF-8" >&2
fi

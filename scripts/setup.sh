#!/usr/bin/env bash
# Installs what building, running and testing Vantry needs, and only what is
# missing; does nothing on a machine that has it all. Needs root for apt-get.
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-i686 mingw-w64-i686-dev googletest
          wine wine64 wine32:i386 fonts-wine xvfb xauth x11-utils locales fonts-ipafont-gothic
          clang libclang-rt-dev)
# clang and its runtime (libclang-rt-dev is the default version's
# libclang-rt-NN-dev) build the native fuzz targets of scripts/fuzz.sh.
# The run script's screenshot of a display-less start needs ImageMagick's import.
[ "${1:-}" = "--run" ] && packages+=(imagemagick)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  as_root sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi

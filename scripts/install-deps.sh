#!/usr/bin/env bash
# Installs the Debian packages Plenvista needs to build, test and run.
# Packages already installed are skipped; safe to run any number of times.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev libqt6opengl6-dev qt6-image-formats-plugins
  libgtest-dev libgmock-dev libbenchmark-dev
  libassimp-dev libcli11-dev libeigen3-dev
  libceres-dev libopencv-imgproc-dev libopencv-features2d-dev libopencv-calib3d-dev
  locales
  clang libclang-rt-14-dev clang-format
  xvfb xauth
  desktop-file-utils
  poppler-utils librsvg2-bin python3-ezdxf
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The export tests compare files written under a decimal-comma locale with
# files written under "C"; they skip when no such locale exists.
if command -v localedef >/dev/null && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "de_DE.UTF-8 could not be generated; the locale test will skip"
fi

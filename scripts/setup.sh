#!/usr/bin/env bash
# Installs every Debian package Deckvane needs to build, run and test.
# Idempotent: says nothing and installs nothing when all are present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-webengine-dev libgl-dev libxcb1-dev libfontconfig-dev
    libreoffice-impress libreoffice-dev libreoffice-dev-common
    libgtest-dev libgmock-dev libxml2-dev libjpeg62-turbo-dev bubblewrap
    xvfb xauth imagemagick fonts-noto-cjk fonts-dejavu-core
    fonts-crosextra-carlito fonts-crosextra-caladea fonts-liberation2 fonts-liberation
    fonts-urw-base35 mupdf-tools python3-pil python3-numpy
    clang libclang-rt-14-dev
    xdotool openbox x11-utils weston qt6-wayland
    chromium python3-websocket qemu-user
    desktop-file-utils appstream lintian dpkg-dev
    slurm-wlm munge mmdebstrap podman runc
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs, only when missing, every Debian package that building, testing,
# benchmarking and running the desktop program need. Safe to run repeatedly.
set -euo pipefail

PKGS=(
  build-essential g++ cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-l10n-tools libqt6network6 libqt6test6 libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-16 libclang-rt-16-dev clang-format
  fonts-wqy-microhei xvfb xauth x11-utils imagemagick
  nginx-light wget httrack python3 curl time
  libssl-dev zlib1g-dev openssl
)

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
APT=(apt-get -o DPkg::Lock::Timeout=600 -o Acquire::Retries=3)
$SUDO "${APT[@]}" update -qq
$SUDO "${APT[@]}" install -y -qq --no-install-recommends "${missing[@]}"

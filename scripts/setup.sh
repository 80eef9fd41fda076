#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need (skips the work when all are there).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t packages < <(grep -v '^#' scripts/packages.txt | grep -v '^$')
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
command -v node >/dev/null || missing+=(nodejs)
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

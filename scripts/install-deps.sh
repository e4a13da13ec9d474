#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need (the scoreboard
# server's too: Boost.Beast, SQLite, libpq, zlib, OpenSSL's digests, a PostgreSQL for its tests
# and wrk for its benchmarks), and the web tests' npm package (pinned by
# tests/web/package-lock.json; it drives Debian's chromium and downloads no browser). Does
# nothing when all are present; runs apt-get update only when it must install.
set -euo pipefail

packages=(
  g++ clang clang-format cmake make pkg-config
  qt6-base-dev libgl-dev
  libsdl2-dev
  libjpeg62-turbo-dev libxcb1-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libclang-rt-14-dev
  xvfb xauth x11-utils x11-xserver-utils fonts-liberation fonts-dejavu-core
  imagemagick xdotool webp
  metacity openbox weston qt6-wayland
  dpkg-dev file lintian desktop-file-utils appstream man-db devscripts binutils
  fonts-dejavu-core
  emscripten chromium
  libboost-dev libsqlite3-dev libpq-dev zlib1g-dev libssl-dev postgresql-15 wrk
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

web_tests() {
  local dir
  dir="$(cd "$(dirname "$0")/.." && pwd)/tests/web"
  if [ ! -d "$dir/node_modules/playwright-core" ]; then
    (cd "$dir" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
  fi
}

# node and npm may come from elsewhere than Debian (their newer builds carry npm inside).
command -v node >/dev/null 2>&1 || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || missing+=(npm)

if [ ${#missing[@]} -eq 0 ]; then
  web_tests
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
web_tests

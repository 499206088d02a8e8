#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build and test Tolvane and to run
# its benchmark. Quiet and quick when everything is already there.
# --windows: also the cross-build for Windows (MinGW-w64 with posix threads,
# its zlib, GoogleTest's source, Wine to run the tests, ccache, NSIS for
# the installer).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

windows=0
for argument in "$@"; do
  case "$argument" in
    --windows) windows=1 ;;
    *)
      echo "install-deps: unknown option '$argument' (usage: install-deps.sh [--windows])" >&2
      exit 2
      ;;
  esac
done

packages=(
  # Toolchain and libraries: zlib and libdeflate for deflate.
  build-essential cmake ninja-build pkg-config zlib1g-dev libdeflate-dev googletest libgtest-dev
  # Independent archive readers and the zip peer used by the tests and the
  # benchmark, pigz as the benchmark's parallel peer, python3 for the corpus
  # generator, GNU time for peak memory.
  unzip zip p7zip-full libarchive-tools pigz python3 time
  # The LHA decoder that checks Fuse-coded data.
  lhasa
  # HTTP client of the update check.
  libcurl4-openssl-dev
  # Sockets of the sign-up mail (standalone Asio), and the real SMTP server
  # its tests send to.
  libasio-dev python3-aiosmtpd
  # clang and its libFuzzer runtime for the fuzz targets (scripts/fuzz.sh).
  clang libclang-rt-14-dev
  # The Debian package (dpkg-shlibdeps, dpkg-buildflags, lintian), the
  # validators of the desktop entry and the AppStream metainfo, man to check
  # the man pages, script(1) for a terminal in the progress test, and
  # bash-completion to try the completion script.
  dpkg-dev lintian appstream desktop-file-utils man-db bsdutils bash-completion
  # The desktop program: Qt 6 Widgets and SVG, Qt's own translations (standard
  # buttons in the interface language), OpenGL headers that Qt's CMake files
  # ask for, and a virtual display with a screen grabber for the screenshots.
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl1-mesa-dev xvfb xauth
)
if [ "$windows" -eq 1 ]; then
  packages+=(
    # The Windows cross-build: MinGW-w64 GCC (posix threads for std::thread),
    # its zlib, GoogleTest built from source, Wine 8 for the tests, ccache,
    # xdotool to press the Windows program's buttons in its checks, NSIS's
    # makensis for the installer (scripts/build-installer.sh). The icons and
    # screenshots are in the tree; drawing them again takes rsvg-convert and
    # ImageMagick (apt-get install librsvg2-bin imagemagick), which CI does not need.
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine64 wine ccache xdotool nsis
    # pgrep, to wait for Wine's desktop process before the tests.
    procps
  )
fi

IsInstalled() {
  dpkg-query -W -f='${db:Status-Status}\n' "$1" 2>/dev/null | grep -qx installed
}

missing=()
for package in "${packages[@]}"; do
  if ! IsInstalled "$package"; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

if ! command -v apt-get >/dev/null 2>&1; then
  echo "install-deps: apt-get not found; this script is for Debian 12." >&2
  echo "install-deps: missing packages: ${missing[*]}" >&2
  exit 1
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps: not root and sudo is not available; install as root: ${missing[*]}" >&2
    exit 1
  fi
  sudo=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
if ! "${sudo[@]}" apt-get update -qq; then
  echo "install-deps: ERROR: 'apt-get update' failed" >&2
  exit 1
fi
if ! "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  echo "install-deps: ERROR: 'apt-get install' failed for: ${missing[*]}" >&2
  exit 1
fi

# Guard against a package that apt-get claims to have installed but dpkg does
# not see (a typo in the list, or a renamed package).
still_missing=()
for package in "${missing[@]}"; do
  if ! IsInstalled "$package"; then
    still_missing+=("$package")
  fi
done
if [ "${#still_missing[@]}" -ne 0 ]; then
  echo "install-deps: ERROR: still not installed: ${still_missing[*]}" >&2
  exit 1
fi
echo "install-deps: done"

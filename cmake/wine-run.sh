#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest and gtest_discover_tests: one
# prefix per build folder (WINEPREFIX when set), no debug channels, and the
# program's exit status as Wine reports it.
set -euo pipefail
: "${WINEPREFIX:=${TMPDIR:-/tmp}/tolvane-wine-$(id -u)}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine reads the Linux file names in the locale's charset: under C or POSIX
# it would take the sample's non-ASCII names for unreadable ones.
export LC_ALL=C.UTF-8
# No desktop integration or Mono/Gecko prompts in a fresh prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
exec wine "$@"

# shellcheck shell=bash
# Sourced by the scripts that run Windows programs in a Wine prefix of their
# own (wine-smoke.sh, installer-check.sh): the prefix at $1, made and booted,
# with no debug channels and no desktop integration.
# Usage: source "$top/scripts/wine-prefix.sh" PREFIX
export WINEPREFIX="$1" WINEDEBUG=-all
# Wine reads the Linux file names in the locale's charset: under C or POSIX
# it would take non-ASCII names for unreadable ones.
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"
# Started already (an earlier run, a shell of the developer): that one serves.
wineserver -p 2>/dev/null || true
timeout 300 wineboot -i >/dev/null 2>&1

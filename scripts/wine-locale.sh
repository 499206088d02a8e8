# shellcheck shell=bash
# Sourced by the screenshot scripts: Wine takes the interface language from
# the locale variables and reads the Linux file names in the locale's
# charset, so a locale that is not generated shows "Grüße.txt" as mojibake
# and the window in English. Makes the locale when it is missing (localedef,
# from Debian's locales package; needs root).
# Usage: source "$top/scripts/wine-locale.sh"; UseLocale de_DE.UTF-8
UseLocale() {
  local name="$1" base="${1%.UTF-8}"
  if ! locale -a 2>/dev/null | grep -qix "$base.utf8"; then
    localedef -i "$base" -f UTF-8 "$name" || {
      echo "wine-locale: cannot make the locale $name (run as root, with the locales package)" >&2
      return 1
    }
  fi
  export LANG="$name" LC_ALL="$name"
}

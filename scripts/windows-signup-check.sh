#!/usr/bin/env bash
# Checks tolvane.exe's sign-up and About windows under Wine and Xvfb without
# a user. On fresh settings the sign-up window comes up at the start; the
# fields are typed, "Sign up!" sends the mail to a real SMTP server on
# loopback (tests/signup/smtp_server.py, which the program finds through
# TOLVANE_SMTP_HOST and TOLVANE_SMTP_PORT), the thank-you box is answered and
# the program ends, with the sign-up stored in the registry. With IDs stored,
# the main window's "Settings" button opens the IDs page with them filled in,
# and what is typed there is saved; Help > About... opens the About window and
# Escape closes it. Closing the sign-up window while the mail waits for a
# server that never answers stops the mail, and the program ends at once.
# Usage: scripts/windows-signup-check.sh [BUILD_DIR]   (default build-win, as scripts/build-windows.sh makes it)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/wine-window-check.sh
source "$top/scripts/wine-window-check.sh" windows-signup-check "$@"
# A value under HKCU\Software\Tolvane as reg prints it (0x1, a string),
# "empty" for an empty string, or "none".
stored() {
  local line value
  line="$(wine reg query 'HKCU\Software\Tolvane' /v "$1" 2>/dev/null | tr -d '\r' | grep -i " $1 " || true)"
  [ -n "$line" ] || { echo none; return; }
  value="$(echo "$line" | awk '{print $3}')"
  echo "${value:-empty}"
}
# Ends with 0 when process $1 has ended within $2 seconds.
endsWithin() {
  local i
  for ((i = 0; i < $2 * 4; ++i)); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.25
  done
  return 1
}

account=signup@tolvane.example
export TOLVANE_SMTP_HOST=127.0.0.1 TOLVANE_SIGNUP_ACCOUNT=$account
export TOLVANE_PARTNER_EMAIL=partner@tolvane.example TOLVANE_SUPPORT_EMAIL=support@tolvane.example

# 1. Fresh settings: the sign-up window, the mail sent through it.
wine reg delete 'HKCU\Software\Tolvane' /f >/dev/null 2>&1 || true
mail="$scratch/mail.txt"
mkfifo "$scratch/port"
# aiosmtpd comes from a Debian package, for the system's interpreter.
/usr/bin/python3 "$top/tests/signup/smtp_server.py" "$mail" "$account" tusalevi407 >"$scratch/port" &
server=$!
read -r port <"$scratch/port" || { echo "windows-signup-check: the SMTP server did not start" >&2; exit 1; }
status=0
TOLVANE_SMTP_PORT=$port timeout 120 wine "$program" &
run=$!
shown=no
waitFor 'Welcome!' 60 && shown=yes
check "fresh settings: the sign-up window at the start" yes "$shown"
check "fresh settings: no main window before signing up" 0 \
  "$(xdotool search --onlyvisible --name '^Tolvane$' 2>/dev/null | wc -l)"
sleep 0.5
# Both pages' controls are there, the other page's hidden.
check "sign-up window: its controls" \
  "$(headerControls "$top/src/win/program/WelcomeFormIds.h" $(grep -o 'IDC_Welcome_[A-Za-z0-9]*' \
    "$top/src/win/program/WelcomeFormIds.h"))" "$(windowControls 'Welcome!')"
welcome="$(firstWindow 'Welcome!')"
# The focus is in the name, the first empty required field; Tab goes down
# the fields; Alt+S is "Sign up!" (Return in the description is a new line).
xdotool windowfocus --sync "$welcome" type --delay 20 'Ann Example'
xdotool key Tab
xdotool type --delay 20 'ann@example.org'
xdotool key Tab
xdotool type --delay 20 'www.example.org'
xdotool key Tab
xdotool type --delay 20 'Maps for hikers'
xdotool key Return
xdotool type --delay 20 '300 a day'
xdotool key alt+s
thanked=no
waitFor 'Welcome!' 30 2 && thanked=yes
check "sign-up: the thank-you box" yes "$thanked"
sleep 0.5
xdotool key Return
endsWithin "$run" 20 || true
wait "$run" || status=$?
check "sign-up: the program ends after the mail (no IDs yet)" 0 "$status"
wait "$server" || true
check "sign-up: the server got the mail" yes "$([ -s "$mail" ] && echo yes || echo no)"
check "sign-up: the mail names the publisher" yes \
  "$(grep -q 'Ann Example' "$mail" 2>/dev/null && grep -q 'ann@example.org' "$mail" && echo yes || echo no)"
check "sign-up: the description's two lines" yes \
  "$(tr -d '\r' <"$mail" 2>/dev/null | grep -A1 'Maps for hikers' | grep -q '300 a day' && echo yes || echo no)"
check "sign-up: to the partner" yes "$(grep -q 'RCPT TO:partner@tolvane.example' "$mail" 2>/dev/null && echo yes || echo no)"
check "sign-up: signedup stored" 0x1 "$(stored signedup)"
check "sign-up: targetlanguage stored" yes "$([ "$(stored targetlanguage)" != none ] && echo yes || echo no)"
check "sign-up: no IDs yet" empty "$(stored partnerid)"

# 2. IDs stored: the main window; "Settings" opens the IDs page with them,
# what is typed there is saved; then the About window.
wine reg add 'HKCU\Software\Tolvane' /v partnerid /d archiver5 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Tolvane' /v softwareid /d ARCHIVERx /f >/dev/null 2>&1
status=0
timeout 120 wine "$program" &
run=$!
shown=no
waitFor Tolvane 60 && shown=yes
check "IDs stored: the main window at the start" yes "$shown"
check "IDs stored: no sign-up window" 0 "$(xdotool search --onlyvisible --name '^Welcome!$' 2>/dev/null | wc -l)"
sleep 1
main="$(firstWindow Tolvane)"
# From the tree: "Password...", then "Settings".
xdotool windowfocus --sync "$main" key Tab Tab Return
ids=no
waitFor 'Welcome!' 20 && ids=yes
check "Settings: the IDs page" yes "$ids"
sleep 0.5
# Both IDs filled: the focus is on "Save Changes"; Shift+Tab is the link back
# to the sign-up page, which is taller; from its name field four Tabs reach
# the link to the IDs page.
welcome="$(firstWindow 'Welcome!')"
height() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^HEIGHT=//p'; }
idsHeight="$(height "$welcome")"
xdotool windowfocus --sync "$welcome" key shift+Tab Return
sleep 1
signUpHeight="$(height "$welcome")"
check "IDs page: its link shows the taller sign-up page" yes \
  "$([ "$signUpHeight" -gt "$idsHeight" ] && echo yes || echo no)"
xdotool key Tab Tab Tab Tab Return
sleep 1
check "sign-up page: Tab down to its link, which shows the IDs page again" "$idsHeight" "$(height "$welcome")"
# Alt+A is the affiliate ID's field; the text is added to what is filled in.
xdotool windowfocus --sync "$(firstWindow 'Welcome!')" key alt+a End
xdotool type --delay 20 'x7'
xdotool key Return
closed=no
waitGone 'Welcome!' 10 && closed=yes
check "Settings: Save Changes closes the IDs page" yes "$closed"
check "Settings: the filled-in ID saved with what was typed" archiver5x7 "$(stored partnerid)"
check "Settings: the other ID kept" ARCHIVERx "$(stored softwareid)"
xdotool windowfocus --sync "$main" key alt+h a
about=no
waitFor 'About...' 20 && about=yes
check "Help > About...: the About window" yes "$about"
sleep 0.5
check "About: its controls" \
  "$(headerControls "$top/src/win/program/AboutFormIds.h" $(grep -o 'IDC_About_[A-Za-z0-9]*' \
    "$top/src/win/program/AboutFormIds.h"))" "$(windowControls 'About...')"
xdotool windowfocus --sync "$(firstWindow 'About...')" key Escape
closed=no
waitGone 'About...' 10 && closed=yes
check "About: Escape closes it" yes "$closed"
check "About: the main window stays" yes "$(kill -0 "$run" 2>/dev/null && echo yes || echo no)"
xdotool windowfocus --sync "$main" key Escape
wait "$run" || status=$?
check "IDs stored: status" 0 "$status"

# 3. A server that takes the connection and never answers: closing the
# window stops the mail, and the program ends at once.
wine reg delete 'HKCU\Software\Tolvane' /f >/dev/null 2>&1 || true
/usr/bin/python3 -c '
import socket, sys, time
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(1)
print(listener.getsockname()[1], flush=True)
listener.settimeout(30)
try:
    connection, _ = listener.accept()
    time.sleep(30)
except OSError:
    pass
' >"$scratch/port" &
silent=$!
read -r port <"$scratch/port" || { echo "windows-signup-check: the silent server did not start" >&2; exit 1; }
status=0
TOLVANE_SMTP_PORT=$port timeout 120 wine "$program" &
run=$!
waitFor 'Welcome!' 60 || true
sleep 0.5
xdotool windowfocus --sync "$(firstWindow 'Welcome!')" type --delay 20 'Ann Example'
xdotool key Tab
xdotool type --delay 20 'ann@example.org'
xdotool key alt+s
sleep 2
check "silent server: the window waits for it" yes "$(kill -0 "$run" 2>/dev/null && echo yes || echo no)"
xdotool windowfocus --sync "$(firstWindow 'Welcome!')" key Escape
ended=no
endsWithin "$run" 8 && ended=yes
check "silent server: Escape stops the mail and the program ends" yes "$ended"
wait "$run" || status=$?
check "silent server: status" 0 "$status"
check "silent server: not signed up" none "$(stored signedup)"
kill "$silent" 2>/dev/null || true
wait "$silent" 2>/dev/null || true
[ "$failures" = 0 ]

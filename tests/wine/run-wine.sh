#!/bin/sh
# The Wine half of run.sh, run with DISPLAY set: makes the private Wine prefix
# once, then runs the unit test of the Win32 error text and the harness.
# Usage (from the repository root): tests/wine/run-wine.sh [test-name-filter]
set -eu
root=$(pwd)
wine=/usr/lib/wine/wine64
export WINEPREFIX="$root/build-win/wine-prefix" WINEDEBUG=-all
# No Mono or Gecko: the harness needs neither, and their set-up is slow.
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
    # Without a window manager Wine waits two seconds for every managed
    # window that goes away; the harness makes and destroys dozens.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi

# Z: is the Unix root inside the prefix.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
tests="$root/build-win/wine-tests"

status=0
"$wine" "$tests/fail-win32-test.exe" || status=1
"$wine" "$tests/wine-harness.exe" "$(winpath "$root/build-win/ombrel-ui.dll")" \
    "$(winpath "$tests/jawt-stub.dll")" "$(winpath "$root/shaders")" ${1:+"$1"} || status=1
# Stop this prefix's server now rather than after its idle timeout, while the
# X server it is connected to still runs.
/usr/lib/wine/wineserver -k || true
exit $status
